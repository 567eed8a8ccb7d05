#include "ScrollBar.h"

namespace widgets {

ScrollBar::ScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    // actionTriggered comes before the slider moves to its new position.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int) {
        if (OnScroll) OnScroll();
    });
    connect(this, &QAbstractSlider::valueChanged, this, [this](int) {
        if (OnChange) OnChange();
    });
}

void ScrollBar::leaveEvent(QEvent* event) {
    QScrollBar::leaveEvent(event);
    if (OnMouseLeave) OnMouseLeave();
}

}  // namespace widgets
