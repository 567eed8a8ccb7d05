#include "WindowlessHost.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

#include "WindowlessAccessibility.h"

namespace windowless {

namespace {

ShiftState shiftStateOf(const QMouseEvent* event) {
    ShiftState shift = 0;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers & Qt::ShiftModifier) shift |= ssShift;
    if (modifiers & Qt::AltModifier) shift |= ssAlt;
    if (modifiers & Qt::ControlModifier) shift |= ssCtrl;
    const Qt::MouseButtons buttons = event->buttons();
    if (buttons & Qt::LeftButton) shift |= ssLeft;
    if (buttons & Qt::RightButton) shift |= ssRight;
    if (buttons & Qt::MiddleButton) shift |= ssMiddle;
    return shift;
}

bool toMouseButton(Qt::MouseButton qtButton, MouseButton& button) {
    switch (qtButton) {
        case Qt::LeftButton:
            button = MouseButton::mbLeft;
            return true;
        case Qt::RightButton:
            button = MouseButton::mbRight;
            return true;
        case Qt::MiddleButton:
            button = MouseButton::mbMiddle;
            return true;
        default:
            return false;
    }
}

gdi::Point pointOf(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

}  // namespace

WindowlessHost::WindowlessHost(QWidget* parent) : QWidget(parent) {
    installWindowlessAccessibility();
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

WindowlessHost::~WindowlessHost() {
    for (WindowlessControl* control : controls_) control->detachFromHost();
}

void WindowlessHost::addControl(WindowlessControl* control) {
    controls_.push_back(control);
    invalidateArea(control->boundsRect());
}

void WindowlessHost::removeControl(WindowlessControl* control) {
    std::erase(controls_, control);
    if (hover_ == control) hover_ = nullptr;
    if (capture_ == control) capture_ = nullptr;
    invalidateArea(control->boundsRect());
}

void WindowlessHost::setBackgroundColor(gdi::ColorRef color) {
    backgroundColor_ = color;
    update();
}

WindowlessControl* WindowlessHost::controlAt(int x, int y) const {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        if ((*it)->visible() && (*it)->boundsRect().contains(x, y)) return *it;
    }
    return nullptr;
}

void WindowlessHost::releaseCapture(WindowlessControl* control) {
    if (capture_ == control) capture_ = nullptr;
}

void WindowlessHost::invalidateControl(WindowlessControl* control) {
    invalidateArea(control->boundsRect());
}

void WindowlessHost::invalidateArea(const gdi::Rect& area) {
    if (!area.isEmpty()) update(QRect(area.left, area.top, area.width(), area.height()));
}

void WindowlessHost::paintBackground(gdi::Bitmap& buffer, const gdi::Rect& area) {
    gdi::DeviceContext context(buffer, {0, 0}, area);
    QWidget* parent = parentWidget();
    if (parent == nullptr) {
        context.fillRect(area, gdi::Brush{gdi::BS_SOLID, backgroundColor_});
        return;
    }
    // Show the parent's own look (its background and frame, without its children) beneath us.
    // Rendering the parent is most of a repaint's cost, and the displays above repaint many times
    // a second, so its look is kept until anything it depends on changes.
    const ParentLook look{geometry(),
                          parent->size(),
                          parent->palette().cacheKey(),
                          parent->isEnabled(),
                          parent->style(),
                          parent->property("title").toString(),
                          palette().color(QPalette::Window),
                          parent->isActiveWindow()};
    if (parentImage_.isNull() || !(look == parentLook_)) {
        parentLook_ = look;
        parentImage_ = QImage(width(), height(), QImage::Format_RGB32);
        parentImage_.fill(look.window);
        parent->render(&parentImage_, QPoint(), QRegion(geometry()), QWidget::DrawWindowBackground);
    }
    for (int y = 0; y < area.height(); ++y) {
        const auto* row =
            reinterpret_cast<const gdi::Pixel*>(parentImage_.constScanLine(area.top + y)) + area.left;
        std::copy_n(row, area.width(), buffer.colorRow(area.top + y) + area.left);
    }
}

void WindowlessHost::paintArea(gdi::Bitmap& buffer, const gdi::Rect& area) {
    paintBackground(buffer, area);
    for (WindowlessControl* control : controls_) {
        if (!control->visible()) continue;
        gdi::Rect clip = control->boundsRect().intersected(area);
        if (control->paintLimit()) clip = clip.intersected(*control->paintLimit());
        if (clip.isEmpty()) continue;
        gdi::DeviceContext canvas(buffer, {control->left(), control->top()}, clip);
        control->paint(canvas);
    }
}

gdi::Bitmap WindowlessHost::renderToBitmap() {
    gdi::Bitmap buffer = gdi::Bitmap::color(std::max(1, width()), std::max(1, height()));
    paintArea(buffer, {0, 0, buffer.width(), buffer.height()});
    return buffer;
}

void WindowlessHost::paintEvent(QPaintEvent* event) {
    if (width() <= 0 || height() <= 0) return;
    if (buffer_.width() != width() || buffer_.height() != height()) {
        buffer_ = gdi::Bitmap::color(width(), height());
    }
    const QRect r = event->rect().intersected(rect());
    const gdi::Rect area{r.left(), r.top(), r.right() + 1, r.bottom() + 1};
    paintArea(buffer_, area);
    QPainter painter(this);
    painter.drawImage(r, buffer_.colorImageView(), r);
}

void WindowlessHost::updateHover(int x, int y) {
    // While a control holds the capture, no other control sees the pointer come or go.
    if (capture_ != nullptr) return;
    WindowlessControl* now = controlAt(x, y);
    if (now == hover_) return;
    WindowlessControl* before = hover_;
    hover_ = now;
    if (before != nullptr) before->mouseLeave();
    if (now != nullptr) {
        setCursor(now->cursor());
        now->mouseEnter();
    } else {
        unsetCursor();
    }
}

void WindowlessHost::mouseMoveEvent(QMouseEvent* event) {
    lastPointer_ = pointOf(event);
    updateHover(lastPointer_.x, lastPointer_.y);
    WindowlessControl* target = capture_ != nullptr ? capture_ : hover_;
    if (target != nullptr && target->enabled()) {
        target->mouseMove(shiftStateOf(event), lastPointer_.x - target->left(),
                          lastPointer_.y - target->top());
    }
}

void WindowlessHost::pressAt(QMouseEvent* event, bool doubleClick) {
    lastPointer_ = pointOf(event);
    updateHover(lastPointer_.x, lastPointer_.y);
    MouseButton button;
    if (!toMouseButton(event->button(), button)) return;
    WindowlessControl* target = capture_ != nullptr ? capture_ : hover_;
    if (target == nullptr || !target->enabled()) return;
    target->mouseDown(button, shiftStateOf(event), lastPointer_.x - target->left(),
                      lastPointer_.y - target->top(), doubleClick);
}

void WindowlessHost::mousePressEvent(QMouseEvent* event) {
    pressAt(event, false);
}

void WindowlessHost::mouseDoubleClickEvent(QMouseEvent* event) {
    pressAt(event, true);
}

void WindowlessHost::mouseReleaseEvent(QMouseEvent* event) {
    lastPointer_ = pointOf(event);
    MouseButton button;
    if (toMouseButton(event->button(), button)) {
        WindowlessControl* target =
            capture_ != nullptr ? capture_ : controlAt(lastPointer_.x, lastPointer_.y);
        if (target != nullptr && target->enabled()) {
            target->mouseUp(button, shiftStateOf(event), lastPointer_.x - target->left(),
                            lastPointer_.y - target->top());
        }
    }
    updateHover(lastPointer_.x, lastPointer_.y);
}

void WindowlessHost::leaveEvent(QEvent* event) {
    if (hover_ != nullptr && capture_ == nullptr) {
        WindowlessControl* before = hover_;
        hover_ = nullptr;
        before->mouseLeave();
        unsetCursor();
    }
    QWidget::leaveEvent(event);
}

bool WindowlessHost::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        WindowlessControl* control = controlAt(help->pos().x(), help->pos().y());
        if (control != nullptr && control->showHint() && !control->hint().isEmpty()) {
            const gdi::Rect b = control->boundsRect();
            QToolTip::showText(help->globalPos(), control->hint(), this,
                               QRect(b.left, b.top, b.width(), b.height()));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace windowless
