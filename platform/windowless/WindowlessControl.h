#pragma once
// A windowless control: it has no window of its own, draws into its host's device context and gets
// its mouse input from the host. This base class carries the general control behaviour (bounds,
// visibility, enabled state, hint, cursor, the mouse events and the click rule) that derived
// controls extend.

#include <QString>
#include <Qt>
#include <functional>
#include <optional>

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Geometry.h"

namespace windowless {

class WindowlessHost;

enum class MouseButton { mbLeft, mbRight, mbMiddle };

// Shift state bits of a mouse event.
enum : unsigned {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
using ShiftState = unsigned;

class WindowlessControl {
public:
    using NotifyEvent = std::function<void(WindowlessControl* sender)>;
    using MouseEvent =
        std::function<void(WindowlessControl* sender, MouseButton button, ShiftState shift, int x, int y)>;
    using MouseMoveEvent = std::function<void(WindowlessControl* sender, ShiftState shift, int x, int y)>;

    // Joins the host on top of the controls it already has.
    explicit WindowlessControl(WindowlessHost* host);
    virtual ~WindowlessControl();
    WindowlessControl(const WindowlessControl&) = delete;
    WindowlessControl& operator=(const WindowlessControl&) = delete;

    WindowlessHost* host() const { return host_; }

    int left() const { return bounds_.left; }
    int top() const { return bounds_.top; }
    int width() const { return bounds_.width(); }
    int height() const { return bounds_.height(); }
    gdi::Rect boundsRect() const { return bounds_; }
    void setBounds(int left, int top, int width, int height);
    void setLeft(int left) { setBounds(left, top(), width(), height()); }
    void setTop(int top) { setBounds(left(), top, width(), height()); }
    void setWidth(int width) { setBounds(left(), top(), width, height()); }
    void setHeight(int height) { setBounds(left(), top(), width(), height); }

    // The part of the host the control may paint in (host coordinates), beyond its own bounds'
    // limit; none by default. A label wider than the picture it lies on is cut at the picture's edge.
    const std::optional<gdi::Rect>& paintLimit() const { return paintLimit_; }
    void setPaintLimit(std::optional<gdi::Rect> limit) {
        paintLimit_ = limit;
        invalidate();
    }

    bool visible() const { return visible_; }
    void setVisible(bool visible);
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);

    QString hint() const { return hint_; }
    void setHint(const QString& hint) { hint_ = hint; }
    bool showHint() const { return showHint_; }
    void setShowHint(bool show) { showHint_ = show; }
    Qt::CursorShape cursor() const { return cursor_; }
    void setCursor(Qt::CursorShape cursor) { cursor_ = cursor; }
    // The name assistive technology announces for the control.
    QString accessibleName() const { return accessibleName_.isEmpty() ? hint_ : accessibleName_; }
    void setAccessibleName(const QString& name) { accessibleName_ = name; }

    NotifyEvent OnClick;
    MouseEvent OnMouseDown;
    MouseMoveEvent OnMouseMove;
    MouseEvent OnMouseUp;

    // Asks the host to repaint the control's rectangle, beginning with what lies beneath it.
    void invalidate();
    // Draws the control; the canvas has its origin at the control's top-left corner and is clipped
    // to the control.
    virtual void paint(gdi::DeviceContext& canvas) = 0;

    // Input from the host, in control coordinates. Enter and leave reach disabled controls too;
    // the others only enabled ones.
    virtual void mouseEnter() {}
    virtual void mouseLeave() {}
    virtual void mouseMove(ShiftState shift, int x, int y) { generalMouseMove(shift, x, y); }
    virtual void mouseDown(MouseButton button, ShiftState shift, int x, int y, bool doubleClick) {
        generalMouseDown(button, shift, x, y, doubleClick);
    }
    virtual void mouseUp(MouseButton button, ShiftState shift, int x, int y) {
        generalMouseUp(button, shift, x, y);
    }

    // The pointer's last known position in control coordinates.
    gdi::Point cursorPosition() const;

    // Called by a host that is going away.
    void detachFromHost() { host_ = nullptr; }

protected:
    // The general handling: a press captures the mouse and marks a click (not for the second press
    // of a double click); a release frees the capture and fires OnClick when a click was marked and
    // the release lies inside the control; then the mouse events.
    void generalMouseMove(ShiftState shift, int x, int y);
    void generalMouseDown(MouseButton button, ShiftState shift, int x, int y, bool doubleClick);
    void generalMouseUp(MouseButton button, ShiftState shift, int x, int y);

private:
    WindowlessHost* host_;
    gdi::Rect bounds_;
    std::optional<gdi::Rect> paintLimit_;
    bool visible_ = true;
    bool enabled_ = true;
    bool showHint_ = false;
    bool clickStarted_ = false;
    QString hint_;
    QString accessibleName_;
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
};

}  // namespace windowless
