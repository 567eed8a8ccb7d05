#pragma once
// A horizontal scroll bar with the notifications the forms rely on: OnScroll arrives for every
// user action (drag, click, key) before the bar takes its new position, OnChange after every change
// of the position (also one made by the program), OnMouseLeave when the pointer leaves the bar.

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
};

}  // namespace widgets
