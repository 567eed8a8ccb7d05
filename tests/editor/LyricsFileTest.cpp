#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>

#include "editor/LyricsFile.h"
#include "platform/system/Errors.h"
#include "support/QtPrinters.h"

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

}  // namespace

TEST(LyricsFilePath, BesideTheSongOrInTheLyricsFolder) {
    EXPECT_EQ(LyricsFilePath("/music/Song.mp3", false, "/lyrics"), QStringLiteral("/music/Song.lrc"));
    EXPECT_EQ(LyricsFilePath("/music/Song.mp3", true, "/lyrics"), QStringLiteral("/lyrics/Song.lrc"));
    EXPECT_EQ(LyricsFilePath("/music/Song.mp3", true, "/lyrics/"), QStringLiteral("/lyrics//Song.lrc"));
    EXPECT_EQ(LyricsFilePath("/music/Song.mp3", true, "/mu"), QStringLiteral("/mu/Song.lrc"))
        << "a short folder stays whole";
    EXPECT_EQ(LyricsFilePath("/music/Song.mp3", true, ""), QStringLiteral("/Song.lrc"));
}

TEST(LyricsFilePath, TheExtensionIsWhatFollowsTheLastDotOfTheName) {
    EXPECT_EQ(LyricsFilePath("/music/Song", false, ""), QStringLiteral("/music/Song.lrc"));
    EXPECT_EQ(LyricsFilePath("/music/My.Song.mp3", false, ""), QStringLiteral("/music/My.Song.lrc"));
    EXPECT_EQ(LyricsFilePath("/mu.sic/Song", false, ""), QStringLiteral("/mu.sic/Song.lrc"))
        << "a dot in the folder";
    EXPECT_EQ(LyricsFilePath("/mu.sic/Song", true, "/l"), QStringLiteral("/l/Song.lrc"));
}

TEST(SavePrompt, NamesTheLyricsFileWithoutItsFolder) {
    EXPECT_EQ(saveChangesQuestion("/music/Song.mp3"), QStringLiteral("Save changes to \"Song.lrc\" ?"));
    EXPECT_EQ(saveChangesQuestion(""), QStringLiteral("Save changes to \".lrc\" ?"));
}

TEST(LyricsFileBytes, NonEmptyLinesExactlyAsTheyStandEachWithCrLf) {
    EXPECT_EQ(lyricsFileBytes({"[00:01.00]A", "", "[00:05.00]B"}),
              QByteArray("[00:01.00]A\r\n[00:05.00]B\r\n"));
    EXPECT_EQ(lyricsFileBytes({"[00:03.00] ", "x"}), QByteArray("[00:03.00] \r\nx\r\n")) << "the blank stays";
    EXPECT_EQ(lyricsFileBytes({"", ""}), QByteArray());
    EXPECT_EQ(lyricsFileBytes({"Grüße"}), QByteArray("Gr\xC3\xBC\xC3\x9F"
                                                     "e\r\n"))
        << "UTF-8, no byte-order mark";
}

TEST(NarrowText, Utf8AndWindows1252ReadBack) {
    EXPECT_EQ(decodeNarrowText("Gr\xC3\xBC\xC3\x9F"
                               "e"),
              QStringLiteral("Grüße"));
    EXPECT_EQ(decodeNarrowText("\xEF\xBB\xBFHi"), QStringLiteral("Hi")) << "the byte-order mark is skipped";
    EXPECT_EQ(decodeNarrowText("Gr\xFC\xDF"
                               "e \x80 \x93ja\x94"),
              QString::fromUtf8("Grüße € “ja”"));
    EXPECT_EQ(decodeNarrowText("\x9F"), QString::fromUtf8("Ÿ")) << "the last of the high codes";
    EXPECT_EQ(decodeNarrowText("\x81\x8D\x8F\x90\x9D"), QString::fromUtf8("\u0081\u008D\u008F\u0090\u009D"))
        << "the five undefined ones stay as the control codes";
    EXPECT_EQ(decodeNarrowText("\xC3"), QStringLiteral("Ã")) << "a cut sequence at the end";
    EXPECT_EQ(decodeNarrowText("\xC0\xAF"), QStringLiteral("À¯")) << "an overlong form is no UTF-8";
    EXPECT_EQ(decodeNarrowText("\xED\xA0\x80"), QString::fromUtf8("í\u00A0€")) << "nor is a surrogate";
    EXPECT_EQ(decodeNarrowText("\xF0\x9F\x8E\xB5"), QString::fromUtf8("🎵"));
    EXPECT_EQ(decodeNarrowText("A\xEF\xBB\xBF"
                               "B"),
              QString::fromUtf8("A\uFEFFB"))
        << "only a leading byte-order mark is skipped";
    EXPECT_EQ(decodeNarrowText("\xEF\xBB\xBF\xEF\xBB\xBFx").size(), 2) << "the second one is text";
}

class LyricsFileOnDisk : public ::testing::Test {
protected:
    QString path(const QString& name) const { return folder.path() + QLatin1Char('/') + name; }
    QStringList folderEntries() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }
    QTemporaryDir folder;
};

TEST_F(LyricsFileOnDisk, WritesAndReadsBackEveryLineEnd) {
    writeLyricsFile(path("Song.lrc"), {"[00:01.00]A", "", "[00:05.00]B"});
    EXPECT_EQ(readAll(path("Song.lrc")), QByteArray("[00:01.00]A\r\n[00:05.00]B\r\n"));
    EXPECT_EQ(readLyricsFile(path("Song.lrc")), QStringLiteral("[00:01.00]A\n[00:05.00]B\n"));
    writeRaw(path("mixed.lrc"), "a\r\nb\rc\nd");
    EXPECT_EQ(readLyricsFile(path("mixed.lrc")), QStringLiteral("a\nb\nc\nd"));
    writeRaw(path("windows.lrc"),
             "[00:01.00]K\xF6nig \xFC"
             "ber Stra\xDF"
             "e\r\n");
    EXPECT_EQ(readLyricsFile(path("windows.lrc")), QStringLiteral("[00:01.00]König über Straße\n"));
}

TEST_F(LyricsFileOnDisk, AMissingFolderGivesTheCreateErrorAndLeavesNothing) {
    const QString target = path("missing/Song.lrc");
    try {
        writeLyricsFile(target, {"A"});
        FAIL() << "no error";
    } catch (const errors::EFCreateError& error) {
        EXPECT_TRUE(error.message().startsWith(
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(target)))
            << error.message().toStdString();
        EXPECT_GT(error.message().size(),
                  QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(target).size())
            << "the reason follows";
    }
}

TEST_F(LyricsFileOnDisk, AWriteThatFailsPartWayKeepsTheOldFileAndRemovesTheTemporaryOne) {
    const QByteArray old = "[00:01.00]Old\r\n";
    writeRaw(path("Song.lrc"), old);
    // A file-size limit below the new text makes the write fail part-way, as a full disk would.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool failed = false;
    try {
        writeLyricsFile(path("Song.lrc"),
                        QStringList(20, QStringLiteral("[00:02.00]A much longer new line")));
    } catch (const errors::EFCreateError&) {
        failed = true;
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(failed);
    EXPECT_EQ(readAll(path("Song.lrc")), old) << "the old file is byte for byte as it was";
    EXPECT_EQ(folderEntries(), QStringList{QStringLiteral("Song.lrc")}) << "no temporary file left behind";
}

TEST_F(LyricsFileOnDisk, AnExistingFileIsReplacedWhole) {
    writeRaw(path("Song.lrc"), QByteArray(500, 'x'));
    writeLyricsFile(path("Song.lrc"), {"short"});
    EXPECT_EQ(readAll(path("Song.lrc")), QByteArray("short\r\n"));
    writeLyricsFile(path("Song.lrc"), {""});
    EXPECT_EQ(readAll(path("Song.lrc")).size(), 0);
}

TEST_F(LyricsFileOnDisk, AnUnreadableFileGivesTheOpenError) {
    QDir(folder.path()).mkdir(QStringLiteral("Song.lrc"));  // a folder where the file should be
    EXPECT_THROW(readLyricsFile(path("Song.lrc")), errors::EFOpenError);
}

TEST_F(LyricsFileOnDisk, AReplacedFileKeepsItsPermissionBitsAndOwner) {
    writeRaw(path("Song.lrc"), "old\r\n");
    const QByteArray name = QFile::encodeName(path("Song.lrc"));
    ASSERT_EQ(chmod(name.constData(), 0640), 0);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(name.constData(), 12345, 23456), 0);
    }
    writeLyricsFile(path("Song.lrc"), {"new"});
    struct stat status {};
    ASSERT_EQ(stat(name.constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(status.st_uid, 12345u);
        EXPECT_EQ(status.st_gid, 23456u);
    }
    EXPECT_EQ(readAll(path("Song.lrc")), QByteArray("new\r\n"));
}

TEST_F(LyricsFileOnDisk, AWritableFileInAFolderThatIsNotIsWrittenInPlace) {
    writeRaw(path("Song.lrc"), QByteArray(300, 'x'));
    const QByteArray file = QFile::encodeName(path("Song.lrc"));
    const QByteArray dir = QFile::encodeName(folder.path());
    ASSERT_EQ(chmod(file.constData(), 0666), 0);
    ASSERT_EQ(chmod(dir.constData(), 0555), 0);
    // Folder permissions do not hold for root: the save runs as another user then.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(2);
        try {
            writeLyricsFile(QFile::decodeName(file), {"[00:01.00]New"});
        } catch (...) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    chmod(dir.constData(), 0700);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save was refused";
    EXPECT_EQ(readAll(path("Song.lrc")), QByteArray("[00:01.00]New\r\n"))
        << "written whole, the old tail cut";
}

TEST_F(LyricsFileOnDisk, AFifoUnderTheNameIsReportedNotWaitedFor) {
    ASSERT_EQ(mkfifo(QFile::encodeName(path("Song.lrc")).constData(), 0600), 0);
    EXPECT_THROW(readLyricsFile(path("Song.lrc")), errors::EFOpenError);
}
