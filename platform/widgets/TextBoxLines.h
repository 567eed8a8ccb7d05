#pragma once
// A multi-line text box's lines as the classic desktop counts them: its displayed lines, so a
// paragraph wider than the box gives one line per wrapped row.

#include <QStringList>
#include <vector>

class QPlainTextEdit;

namespace widgets {

// Each row of the box's layout, in order; an empty paragraph is one empty line, and an empty last
// paragraph (the text ends with a line break) is one too.
QStringList displayedLines(const QPlainTextEdit& textBox);
// For each row of displayedLines(), the paragraph it belongs to.
std::vector<int> displayedLineParagraphs(const QPlainTextEdit& textBox);
// The index in displayedLines() of the first row of paragraph `paragraph`; -1 when there is none.
int firstDisplayedLineOf(const QPlainTextEdit& textBox, int paragraph);

}  // namespace widgets
