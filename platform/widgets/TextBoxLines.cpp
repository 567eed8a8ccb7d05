#include "TextBoxLines.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace widgets {

namespace {

// Calls `row` with each displayed line's text and the number of the paragraph it belongs to.
template <typename Row>
void forEachDisplayedLine(const QPlainTextEdit& textBox, Row row) {
    const QTextDocument* document = textBox.document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // The box lays out only what it has shown; asking for a block's rectangle lays it out.
        layout->blockBoundingRect(block);
        const QString text = block.text();
        const QTextLayout* rows = block.layout();
        if (rows == nullptr || rows->lineCount() <= 1) {
            row(text, block.blockNumber());
            continue;
        }
        for (int i = 0; i < rows->lineCount(); ++i) {
            const QTextLine line = rows->lineAt(i);
            row(text.mid(line.textStart(), line.textLength()), block.blockNumber());
        }
    }
}

}  // namespace

QStringList displayedLines(const QPlainTextEdit& textBox) {
    QStringList lines;
    forEachDisplayedLine(textBox, [&lines](const QString& text, int) { lines << text; });
    return lines;
}

std::vector<int> displayedLineParagraphs(const QPlainTextEdit& textBox) {
    std::vector<int> paragraphs;
    forEachDisplayedLine(textBox,
                         [&paragraphs](const QString&, int number) { paragraphs.push_back(number); });
    return paragraphs;
}

int firstDisplayedLineOf(const QPlainTextEdit& textBox, int paragraph) {
    int index = 0;
    int found = -1;
    forEachDisplayedLine(textBox, [&](const QString&, int number) {
        if (found < 0 && number == paragraph) found = index;
        ++index;
    });
    return found;
}

}  // namespace widgets
