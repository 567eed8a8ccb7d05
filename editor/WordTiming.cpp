#include "WordTiming.h"

#include <algorithm>

#include "TimeTags.h"

namespace {

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// The stamp "<…>" at `at`, read as a time tag would be: its time and length.
std::optional<ReadTag> stampAt(const QString& text, qsizetype at) {
    if (at >= text.size() || text[at] != QLatin1Char('<')) return std::nullopt;
    const qsizetype close = text.indexOf(QLatin1Char('>'), at);
    // No stamp is longer than its longest form, "<h:mm:ss.xxx>" with many hour digits.
    if (close < 0 || close - at > 24) return std::nullopt;
    const QString asTag = QLatin1Char('[') + text.mid(at + 1, close - at - 1) + QLatin1Char(']');
    const std::optional<ReadTag> tag = readTimeTag(asTag, 0);
    if (!tag || tag->length != asTag.size()) return std::nullopt;
    return ReadTag{tag->hundredths, static_cast<int>(close - at + 1)};
}

qsizetype blanksFrom(const QString& text, qsizetype at) {
    qsizetype end = at;
    while (end < text.size() && isBlank(text[end])) ++end;
    return end;
}

}  // namespace

TimedLine splitTimedLine(const QString& line) {
    TimedLine timed;
    qsizetype at = blanksFrom(line, leadingTags(line).length);
    timed.head = line.left(at);
    std::optional<int> pending;
    while (at < line.size()) {
        if (const std::optional<ReadTag> stamp = stampAt(line, at)) {
            // Two stamps in a row: the first stamps nothing and is dropped.
            pending = stamp->hundredths;
            at += stamp->length;
            continue;
        }
        TimedWord word;
        word.stamp = pending;
        pending.reset();
        qsizetype end = blanksFrom(line, at);
        word.lead = line.mid(at, end - at);
        at = end;
        while (end < line.size() && !isBlank(line[end]) && !stampAt(line, end)) ++end;
        word.text = line.mid(at, end - at);
        at = end;
        end = blanksFrom(line, at);
        word.gap = line.mid(at, end - at);
        at = end;
        if (word.text.isEmpty()) {
            // Blanks after a stamp at the end: they belong to the word before, and the stamp is the
            // closing one.
            if (!timed.words.empty()) timed.words.back().gap += word.lead + word.gap;
            pending = word.stamp;
            continue;
        }
        timed.words.push_back(std::move(word));
    }
    timed.closing = pending;
    return timed;
}

QString joinTimedLine(const TimedLine& line) {
    QString text = line.head;
    for (const TimedWord& word : line.words) {
        if (word.stamp) text += wordStamp(*word.stamp);
        text += word.lead + word.text + word.gap;
    }
    if (line.closing) text += wordStamp(*line.closing);
    return text;
}

QString wordStamp(int hundredths) {
    QString tag = timeTag(hundredths);
    tag.front() = QLatin1Char('<');
    tag.back() = QLatin1Char('>');
    return tag;
}

bool hasWordStamps(const QString& line) {
    const TimedLine timed = splitTimedLine(line);
    return timed.closing ||
           std::any_of(timed.words.begin(), timed.words.end(), [](const TimedWord& w) { return w.stamp; });
}

QString withoutWordStamps(const QString& text) {
    const TimedLine timed = splitTimedLine(text);
    QString words;
    for (const TimedWord& word : timed.words) words += word.text + word.gap;
    return words.trimmed();
}

WordStampOutcome stampNextWord(QString& line, int hundredths, const QString& lineTag) {
    TimedLine timed = splitTimedLine(line);
    if (timed.words.empty()) return {};
    auto next =
        std::find_if(timed.words.begin(), timed.words.end(), [](const TimedWord& w) { return !w.stamp; });
    if (next == timed.words.end()) {
        // Every word was stamped: the line is timed again from its first word.
        for (TimedWord& word : timed.words) word.stamp.reset();
        timed.closing.reset();
        next = timed.words.begin();
    }
    if (next == timed.words.begin()) timed.head = lineTag + timed.head.mid(tagLength(timed.head));
    next->stamp = std::max(0, hundredths);
    const bool last = next + 1 == timed.words.end();
    line = joinTimedLine(timed);
    return {true, last};
}

bool closeLastWord(QString& line, int hundredths) {
    TimedLine timed = splitTimedLine(line);
    if (timed.words.empty() || !timed.words.back().stamp) return false;
    if (std::any_of(timed.words.begin(), timed.words.end(), [](const TimedWord& w) { return !w.stamp; }))
        return false;
    if (timed.words.back().gap.isEmpty()) timed.words.back().gap = QStringLiteral(" ");
    timed.closing = std::max(*timed.words.back().stamp, hundredths);
    line = joinTimedLine(timed);
    return true;
}

bool removeLastStamp(QString& line) {
    TimedLine timed = splitTimedLine(line);
    if (timed.closing) {
        timed.closing.reset();
        // The blank that parted the closing stamp from the last word parts nothing now.
        if (!timed.words.empty()) timed.words.back().gap.clear();
    } else {
        auto stamped = std::find_if(timed.words.rbegin(), timed.words.rend(),
                                    [](const TimedWord& w) { return w.stamp; });
        if (stamped == timed.words.rend()) return false;
        stamped->stamp.reset();
    }
    line = joinTimedLine(timed);
    return true;
}

bool shiftWordStamps(QString& line, int hundredths) {
    TimedLine timed = splitTimedLine(line);
    bool moved = false;
    const auto shift = [&moved, hundredths](std::optional<int>& stamp) {
        if (!stamp) return;
        const int shifted = std::max(0, *stamp + hundredths);
        moved = moved || shifted != *stamp;
        stamp = shifted;
    };
    for (TimedWord& word : timed.words) shift(word.stamp);
    shift(timed.closing);
    if (moved) line = joinTimedLine(timed);
    return moved;
}

QStringList rowsKeepingTimedParagraphs(const QStringList& rows, const std::vector<int>& rowParagraphs,
                                       const QStringList& paragraphs) {
    QStringList lines;
    for (qsizetype row = 0; row < rows.size(); ++row) {
        const int paragraph = row < static_cast<qsizetype>(rowParagraphs.size()) ? rowParagraphs[row] : -1;
        if (paragraph < 0 || paragraph >= paragraphs.size() || !hasWordStamps(paragraphs[paragraph])) {
            lines << rows[row];
        } else if (row == 0 || rowParagraphs[row - 1] != paragraph) {
            lines << paragraphs[paragraph];
        }
    }
    return lines;
}

int sungWord(const TimedLine& line, int hundredths) {
    if (line.closing && hundredths >= *line.closing) return -1;
    int sung = -1;
    for (int i = 0; i < static_cast<int>(line.words.size()); ++i) {
        if (line.words[i].stamp && *line.words[i].stamp <= hundredths) sung = i;
    }
    return sung;
}

QString previewWithSungWord(const QString& text, int hundredths) {
    const TimedLine timed = splitTimedLine(text);
    const int sung = sungWord(timed, hundredths);
    QString html;
    for (int i = 0; i < static_cast<int>(timed.words.size()); ++i) {
        const TimedWord& word = timed.words[i];
        const QString escaped = word.text.toHtmlEscaped();
        // The sung word in the panel's own teal as its background, its letters white.
        html += i == sung ? QStringLiteral("<span style=\"background-color:#008080;color:#ffffff\">") +
                                escaped + QStringLiteral("</span>")
                          : escaped;
        if (i + 1 < static_cast<int>(timed.words.size()) && !word.gap.isEmpty()) html += QLatin1Char(' ');
    }
    return html;
}
