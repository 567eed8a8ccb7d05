#include "TextBoxLines.h"

#include <QAbstractTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace widgets {

QStringList displayedLines(const QPlainTextEdit& textBox) {
    QStringList lines;
    const QTextDocument* document = textBox.document();
    QAbstractTextDocumentLayout* layout = document->documentLayout();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // The box lays out only what it has shown; asking for a block's rectangle lays it out.
        layout->blockBoundingRect(block);
        const QString text = block.text();
        const QTextLayout* rows = block.layout();
        if (rows == nullptr || rows->lineCount() <= 1) {
            lines << text;
            continue;
        }
        for (int i = 0; i < rows->lineCount(); ++i) {
            const QTextLine row = rows->lineAt(i);
            lines << text.mid(row.textStart(), row.textLength());
        }
    }
    return lines;
}

}  // namespace widgets
