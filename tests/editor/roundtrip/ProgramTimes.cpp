// Writes a word-timed lyrics file the way the window makes one (Space word by word, Shift+Space at
// a line's end), then prints the line and word times the program reads back from it, as JSON:
//   [{"line": MS, "words": [MS, ...]}, ...]   (the closing stamp is the last of a line's words)
// The round-trip test compares them with what a third-party parser reads from the same file.
//   quillon-lrc-times FILE

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "editor/LineTagging.h"
#include "editor/LyricsFile.h"
#include "editor/TimeTags.h"
#include "editor/WordTiming.h"

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: quillon-lrc-times FILE\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    LineList list{{"[ti:Round trip]", "[ar:Quillon]", "One two three", "", "Grüße aus Köln, ja!", "Last"}, 0};
    // Words tapped at these song times (hundredths), a line's end after its last word; the tags
    // take the time less no offset, as with the offset switched off.
    int hundredths = 1234;
    int lineStarts = 0;
    while (lineStarts < 3) {
        const int row = stampWord(list, hundredths, timeTag(hundredths));
        if (row < 0) return 1;
        hundredths += 37;
        const TimedLine timed = splitTimedLine(list.lines[row]);
        if (timed.words.back().stamp) {
            // The line's last word is stamped: its end, a little later.
            if (!closeLastWord(list.lines[row], hundredths + 20)) return 1;
            hundredths += 6000 + 113;  // the next line a minute later, to pass minute boundaries
            ++lineStarts;
            if (row == list.lines.size() - 1) break;
        }
    }
    writeLyricsFile(path, list.lines);

    const QStringList read = readLyricsFile(path).split(QLatin1Char('\n'));
    QString json = QStringLiteral("[");
    for (const QString& line : read) {
        const LeadingTags tags = leadingTags(line);
        if (tags.times.empty()) continue;
        const TimedLine timed = splitTimedLine(line);
        QStringList words;
        for (const TimedWord& word : timed.words) {
            if (word.stamp) words << QString::number(*word.stamp * 10);
        }
        if (timed.closing) words << QString::number(*timed.closing * 10);
        for (const int time : tags.times) {
            if (json.size() > 1) json += QLatin1Char(',');
            json += QStringLiteral("{\"line\":%1,\"words\":[%2]}")
                        .arg(time * 10)
                        .arg(words.join(QLatin1Char(',')));
        }
    }
    json += QLatin1Char(']');
    std::printf("%s\n", json.toUtf8().constData());
    return 0;
}
