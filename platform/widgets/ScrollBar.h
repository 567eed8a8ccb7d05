#pragma once
// A horizontal scroll bar with the notifications the forms rely on: OnScroll arrives for every
// user action (drag, click, key) before the bar takes its new position, OnChange after every change
// of the position (also one made by the program), OnMouseLeave when the pointer leaves the bar.
// It takes the keyboard focus by Tab and click, and then moves with the arrow keys.
// A middle click or Shift+click on the track jumps there (a plain click pages by the large change).

#include <QScrollBar>
#include <functional>

namespace widgets {

class ScrollBar : public QScrollBar {
    Q_OBJECT
public:
    explicit ScrollBar(QWidget* parent = nullptr);

    std::function<void()> OnScroll;
    std::function<void()> OnChange;
    std::function<void()> OnMouseLeave;

protected:
    void leaveEvent(QEvent* event) override;
    // A middle click or Shift+click on the track jumps to that point; a plain click pages.
    void mousePressEvent(QMouseEvent* event) override;
    // A disabled bar is drawn faded; a focused one carries a dotted focus frame.
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace widgets
