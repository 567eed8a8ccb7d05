#include "Anchors.h"

#include <QEvent>

namespace widgets {

Anchors::Anchors(QWidget* parent, QSize designSize)
    : QObject(parent), parent_(parent), designSize_(designSize) {
    parent_->installEventFilter(this);
}

void Anchors::anchor(QWidget* widget, unsigned anchors) {
    entries_.push_back({widget, widget->geometry(), anchors});
    apply();
}

bool Anchors::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent_ && event->type() == QEvent::Resize) {
        apply();
        if (OnResize) OnResize();
    }
    return QObject::eventFilter(watched, event);
}

void Anchors::apply() {
    const int dx = parent_->width() - designSize_.width();
    const int dy = parent_->height() - designSize_.height();
    for (const Entry& e : entries_) {
        QRect r = e.design;
        if ((e.anchors & akRight) && (e.anchors & akLeft)) {
            r.setWidth(r.width() + dx);
        } else if (e.anchors & akRight) {
            r.moveLeft(r.left() + dx);
        }
        if ((e.anchors & akBottom) && (e.anchors & akTop)) {
            r.setHeight(std::max(0, r.height() + dy));
        } else if (e.anchors & akBottom) {
            r.moveTop(r.top() + dy);
        }
        e.widget->setGeometry(r);
    }
}

}  // namespace widgets
