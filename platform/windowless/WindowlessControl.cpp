#include "WindowlessControl.h"

#include "WindowlessHost.h"

namespace windowless {

WindowlessControl::WindowlessControl(WindowlessHost* host) : host_(host) {
    if (host_ != nullptr) host_->addControl(this);
}

WindowlessControl::~WindowlessControl() {
    if (host_ != nullptr) host_->removeControl(this);
}

void WindowlessControl::setBounds(int left, int top, int width, int height) {
    const gdi::Rect bounds{left, top, left + std::max(0, width), top + std::max(0, height)};
    if (bounds == bounds_) return;
    invalidate();
    bounds_ = bounds;
    invalidate();
}

void WindowlessControl::setVisible(bool visible) {
    if (visible == visible_) return;
    visible_ = visible;
    if (host_ != nullptr) host_->invalidateArea(bounds_);
}

void WindowlessControl::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    invalidate();
}

void WindowlessControl::invalidate() {
    if (host_ != nullptr && visible_) host_->invalidateControl(this);
}

gdi::Point WindowlessControl::cursorPosition() const {
    if (host_ == nullptr) return {};
    const gdi::Point p = host_->lastPointerPosition();
    return {p.x - left(), p.y - top()};
}

void WindowlessControl::generalMouseMove(ShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void WindowlessControl::generalMouseDown(MouseButton button, ShiftState shift, int x, int y,
                                         bool doubleClick) {
    // Only the left button captures the mouse and starts a click; another button pressed during a
    // left-button drag must not end it.
    if (button == MouseButton::mbLeft) {
        if (host_ != nullptr) host_->setCapture(this);
        if (!doubleClick) clickStarted_ = true;
    }
    if (OnMouseDown) OnMouseDown(this, button, doubleClick ? (shift | ssDouble) : shift, x, y);
}

void WindowlessControl::generalMouseUp(MouseButton button, ShiftState shift, int x, int y) {
    if (button == MouseButton::mbLeft && host_ != nullptr) host_->releaseCapture(this);
    if (button == MouseButton::mbLeft && clickStarted_) {
        clickStarted_ = false;
        if (x >= 0 && y >= 0 && x < width() && y < height() && OnClick) OnClick(this);
    }
    if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

}  // namespace windowless
