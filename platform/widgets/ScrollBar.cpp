#include "ScrollBar.h"

#include <QPainter>

namespace widgets {

ScrollBar::ScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent) {
    setFocusPolicy(Qt::StrongFocus);
    // actionTriggered comes before the slider moves to its new position.
    connect(this, &QAbstractSlider::actionTriggered, this, [this](int) {
        if (OnScroll) OnScroll();
    });
    connect(this, &QAbstractSlider::valueChanged, this, [this](int) {
        if (OnChange) OnChange();
    });
}

void ScrollBar::paintEvent(QPaintEvent* event) {
    QScrollBar::paintEvent(event);
    QPainter painter(this);
    if (!isEnabled()) {
        QColor veil = palette().color(QPalette::Window);
        veil.setAlpha(150);
        painter.fillRect(rect(), veil);
    }
    if (hasFocus()) {
        QPen dotted(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        painter.setPen(dotted);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void ScrollBar::leaveEvent(QEvent* event) {
    QScrollBar::leaveEvent(event);
    if (OnMouseLeave) OnMouseLeave();
}

}  // namespace widgets
