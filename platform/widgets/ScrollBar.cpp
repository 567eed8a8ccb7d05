#include "ScrollBar.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionSlider>

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

void ScrollBar::mousePressEvent(QMouseEvent* event) {
    const bool absolute = event->button() == Qt::MiddleButton ||
                          (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (absolute) {
        QStyleOptionSlider option;
        initStyleOption(&option);
        const QPoint at = event->position().toPoint();
        const QStyle::SubControl hit =
            style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, at, this);
        if (hit == QStyle::SC_ScrollBarAddPage || hit == QStyle::SC_ScrollBarSubPage ||
            hit == QStyle::SC_ScrollBarSlider) {
            const QRect groove =
                style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, this);
            const QRect handle =
                style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
            // The handle's middle goes under the pointer.
            const int span = groove.width() - handle.width();
            const int target = QStyle::sliderValueFromPosition(
                minimum(), maximum(), at.x() - groove.x() - handle.width() / 2, span, option.upsideDown);
            if (hasFocus() || focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
            // As every user action: the notification first, then the bar takes its new place.
            if (OnScroll) OnScroll();
            setValue(target);
            event->accept();
            return;
        }
    }
    QScrollBar::mousePressEvent(event);
}

void ScrollBar::leaveEvent(QEvent* event) {
    QScrollBar::leaveEvent(event);
    if (OnMouseLeave) OnMouseLeave();
}

}  // namespace widgets
