// Reading lyrics files other tools write, one group per row of the README's table "What the reader
// accepts": each file goes through the real reader (bytes on disk, decoding, line ends) into the
// preview index, and the line shown at a play time is checked, as the preview would show it.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <utility>
#include <vector>

#include "editor/LineTagging.h"
#include "editor/LyricsFile.h"
#include "editor/PreviewIndex.h"
#include "editor/TagEditing.h"
#include "editor/TimeTags.h"
#include "support/QtPrinters.h"

namespace {

struct Reading {
    QStringList lines;
    QString index;
};

// The file's bytes read as the window reads a song's lyrics file, its lines as the list takes them.
Reading readBytes(const QByteArray& bytes) {
    QTemporaryDir folder;
    const QString path = folder.path() + QStringLiteral("/Song.lrc");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    Reading reading;
    reading.lines = withoutEmptyLastLine(readLyricsFile(path).split(QLatin1Char('\n')));
    reading.index = buildPreviewIndex(reading.lines);
    return reading;
}

// The line the preview shows once the song has played to `seconds` from its start.
QString shownAt(const Reading& reading, double seconds) {
    return lookUpPreview(reading.index, 0, static_cast<int>(seconds * 100 + 0.5))
        .value_or(QStringLiteral("-"));
}

using Moments = std::vector<std::pair<double, const char*>>;

void expectShown(const Reading& reading, const Moments& moments, const char* file) {
    for (const auto& [seconds, text] : moments) {
        EXPECT_EQ(shownAt(reading, seconds), QString::fromUtf8(text)) << file << " at " << seconds << " s";
    }
}

}  // namespace

TEST(LrcReader, EveryFormOfATimeTagIsReadScaledByItsFractionDigits) {
    const std::vector<std::pair<const char*, int>> forms = {
        {"[00:12.50]", 1250},       {"[00:12.5]", 1250},      {"[00:12.500]", 1250},
        {"[00:12.505]", 1251},      {"[00:12.504]", 1250},    {"[00:12]", 1200},
        {"[00:12:50]", 1250},       {"[0:12.50]", 1250},      {"[123:04.50]", 123 * 6000 + 450},
        {"[1:02:03.45]", 372345},   {"[01:02:03.4]", 372340}, {"[00:05:5]", 550},
        {"[4999:59.99]", 29999999},
    };
    for (const auto& [tag, hundredths] : forms) {
        const QString line = QString::fromLatin1(tag) + QStringLiteral("Words");
        EXPECT_EQ(tagTime(line), hundredths) << tag;
        EXPECT_EQ(lineText(line), QStringLiteral("Words")) << tag;
        const Reading reading = readBytes(QByteArray("[00:00.00]Before\n") + tag + "Words\n");
        expectShown(reading, {{hundredths / 100.0, "Words"}, {(hundredths - 1) / 100.0, "Before"}}, tag);
    }
}

TEST(LrcReader, ALineWithSeveralTagsShowsAtEachOfThem) {
    const Reading reading =
        readBytes("[00:05.00]Verse\n[00:12.00][01:40.50]Chorus\n[00:30.00]Bridge\n[01:50.00]End\n");
    expectShown(reading,
                {{4.99, "-"},
                 {5.0, "Verse"},
                 {12.0, "Chorus"},
                 {29.99, "Chorus"},
                 {30.0, "Bridge"},
                 {100.49, "Bridge"},
                 {100.5, "Chorus"},
                 {110.0, "End"}},
                "several tags");
    // Tags in any order, and of mixed forms.
    expectShown(readBytes("[01:00][00:10.5]Both\n[00:20.00]Between\n"),
                {{10.5, "Both"}, {20.0, "Between"}, {60.0, "Both"}}, "mixed");
}

TEST(LrcReader, AnOffsetLineShiftsEveryShownTimeAndApplyingItMovesTheTags) {
    const QByteArray lines = "[00:10.00]A\n[00:20.00][00:40.00]B\n";
    expectShown(readBytes("[offset:+500]\n" + lines), {{9.49, "-"}, {9.5, "A"}, {19.5, "B"}, {39.5, "B"}},
                "positive: earlier");
    expectShown(readBytes("[offset:-250]\n" + lines), {{10.24, "-"}, {10.25, "A"}, {20.25, "B"}},
                "negative: later");
    expectShown(readBytes("[offset: 15000 ]\n" + lines), {{0.0, "A"}, {4.99, "A"}, {5.0, "B"}},
                "larger than a tag: from the start");

    const Reading reading = readBytes("[ti:Song]\n[offset:+500]\n" + lines);
    QStringList baked = reading.lines;
    ASSERT_TRUE(applyFileOffset(baked));
    EXPECT_EQ(baked, (QStringList{"[ti:Song]", "[00:09.50]A", "[00:19.50][00:39.50]B"}));
    expectShown({baked, buildPreviewIndex(baked)}, {{9.49, "-"}, {9.5, "A"}, {19.5, "B"}, {39.5, "B"}},
                "the same times shown, now in the tags");
    QStringList none = {"[00:01.00]A"};
    EXPECT_FALSE(applyFileOffset(none));
    EXPECT_EQ(none, QStringList{"[00:01.00]A"});
}

TEST(LrcReader, Utf8Windows1252AndUtf16WithItsMarkAreDecoded) {
    const QString expected = QStringLiteral("[00:01.00]Grüße €");
    const std::vector<std::pair<const char*, QByteArray>> files = {
        {"UTF-8", expected.toUtf8()},
        {"UTF-8 with mark", "\xEF\xBB\xBF" + expected.toUtf8()},
        {"Windows-1252", QByteArray("[00:01.00]Gr\xFC\xDF"
                                    "e \x80")},
        {"UTF-16 LE", QByteArray("\xFF\xFE") +
                          QByteArray(reinterpret_cast<const char*>(expected.utf16()), expected.size() * 2)},
    };
    for (const auto& [name, bytes] : files) {
        EXPECT_EQ(readBytes(bytes).lines, QStringList{expected}) << name;
    }
    QByteArray bigEndian("\xFE\xFF");
    for (const QChar c : expected) {
        bigEndian.append(static_cast<char>(c.unicode() >> 8));
        bigEndian.append(static_cast<char>(c.unicode() & 0xFF));
    }
    EXPECT_EQ(readBytes(bigEndian).lines, QStringList{expected}) << "UTF-16 BE";
    const QByteArray tornLine(
        "\x00\x0D\x00\x0A\x00"
        "A"
        "x",
        7);
    EXPECT_EQ(readBytes(bigEndian + tornLine).lines, (QStringList{expected, QStringLiteral("A\uFFFD")}))
        << "a torn last character is one replacement, with line ends read as in narrow text";
}

TEST(LrcReader, EveryLineEndMakesALine) {
    EXPECT_EQ(readBytes("[00:01.00]A\r\n[00:02.00]B\r[00:03.00]C\n[00:04.00]D").lines,
              (QStringList{"[00:01.00]A", "[00:02.00]B", "[00:03.00]C", "[00:04.00]D"}));
}

TEST(LrcReader, IdLinesAreShownAsTheyStandAndNeverTimeALine) {
    const Reading reading = readBytes("[ti:Song]\n[ar:Someone]\n[length:03:20]\n[00:01.00]One\n");
    EXPECT_EQ(reading.lines.size(), 4);
    expectShown(reading, {{0.5, "-"}, {1.0, "One"}, {200.0, "One"}}, "ID lines");
    LineList list{reading.lines, 0};
    EXPECT_EQ(addLine(list, QStringLiteral("[00:00.50]")).tagged, 3) << "tagging passes them";
    expectShown(readBytes("[ti:Only]\n[ar:IDs]\n"), {{0.0, "-"}, {100.0, "-"}}, "only ID lines");
}

TEST(LrcReader, MalformedTagsAreTextAndNoFileBreaksTheReader) {
    for (const char* broken : {"[00:12.00 Unclosed", "[99:99.99]Late", "[-00:01.00]Negative",
                               "[00:60.00]Sixty", "[1:60:00.00]Hours", "[00:12.5.3]Dots", "[00:12.1234]Long",
                               "[]Empty", "[:12.00]NoMinutes", "[99999999999:00.00]Huge"}) {
        EXPECT_FALSE(tagTime(QString::fromLatin1(broken)).has_value()) << broken;
        const Reading reading = readBytes(QByteArray("[00:01.00]Before\n") + broken + "\n");
        EXPECT_EQ(reading.lines.size(), 2) << broken;
        // Untagged, the line belongs to the moment of the tag above it: the preview stays on that.
        expectShown(reading, {{1.0, "Before"}, {10000.0, "Before"}}, broken);
    }
    EXPECT_TRUE(readBytes("").lines.isEmpty());
    EXPECT_EQ(shownAt(readBytes(""), 5.0), QStringLiteral("-"));

    // Ten megabytes of tagged lines: all read, the last one shown at its time.
    QByteArray big;
    int count = 0;
    while (big.size() < 10 * 1024 * 1024) {
        big += timeTag(count * 10).toLatin1() + "Line " + QByteArray::number(count) + " of a long file\n";
        ++count;
    }
    const Reading reading = readBytes(big);
    ASSERT_EQ(reading.lines.size(), count);
    expectShown(reading,
                {{(count - 1) / 10.0,
                  QByteArray("Line " + QByteArray::number(count - 1) + " of a long file").constData()}},
                "10 MB");
}

TEST(LrcWriter, WritesTheLinesAsTheyStandUntilALineIsEdited) {
    const QStringList lines = readBytes("[offset:+100]\n[00:12.5]A\n\n[1:02:03.45][00:12:50]B\n").lines;
    ASSERT_EQ(lines, (QStringList{"[offset:+100]", "[00:12.5]A", "", "[1:02:03.45][00:12:50]B"}));
    EXPECT_EQ(lyricsFileBytes(lines),
              QByteArray("[offset:+100]\r\n[00:12.5]A\r\n[1:02:03.45][00:12:50]B\r\n"))
        << "UTF-8, CR LF, blank lines left out, every tag as it was read";
    QStringList shifted = lines;
    ASSERT_EQ(shiftAllTags(shifted, 0), 0) << "no move, no rewrite";
    ASSERT_EQ(shiftAllTags(shifted, 10), 2);
    EXPECT_EQ(shifted, (QStringList{"[offset:+100]", "[00:12.51]A", "", "[62:03.46][00:12.51]B"}))
        << "an edited line's tags are written the program's way";
}
