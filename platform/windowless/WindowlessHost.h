#pragma once
// The widget that owns windowless controls. Each paint draws the background (the parent widget's
// own look beneath the host, or a plain colour) and then the visible controls in z-order, all
// through the raster layer into one buffer. Mouse input is routed to the control under the pointer,
// or to the control holding the capture. Windowed (Qt) children of the host lie above all of them.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <vector>

#include "WindowlessControl.h"
#include "platform/gdi/Bitmap.h"

namespace windowless {

class WindowlessHost : public QWidget {
    Q_OBJECT
public:
    explicit WindowlessHost(QWidget* parent = nullptr);
    ~WindowlessHost() override;

    // Controls in z-order, bottom first.
    const std::vector<WindowlessControl*>& controls() const { return controls_; }
    void addControl(WindowlessControl* control);
    void removeControl(WindowlessControl* control);

    // The plain background used when the host has no parent widget to show through.
    void setBackgroundColor(gdi::ColorRef color);
    gdi::ColorRef backgroundColor() const { return backgroundColor_; }

    // The topmost visible control at a point, or none.
    WindowlessControl* controlAt(int x, int y) const;
    WindowlessControl* captureControl() const { return capture_; }
    WindowlessControl* hoverControl() const { return hover_; }
    void setCapture(WindowlessControl* control) { capture_ = control; }
    void releaseCapture(WindowlessControl* control);
    gdi::Point lastPointerPosition() const { return lastPointer_; }

    virtual void invalidateControl(WindowlessControl* control);
    void invalidateArea(const gdi::Rect& area);

    // Renders the host as it would appear, for tests and screenshots.
    gdi::Bitmap renderToBitmap();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

    virtual void paintBackground(gdi::Bitmap& buffer, const gdi::Rect& area);

private:
    void paintArea(gdi::Bitmap& buffer, const gdi::Rect& area);
    void updateHover(int x, int y);
    void pressAt(QMouseEvent* event, bool doubleClick);

    std::vector<WindowlessControl*> controls_;
    WindowlessControl* hover_ = nullptr;
    WindowlessControl* capture_ = nullptr;
    gdi::Point lastPointer_;
    gdi::ColorRef backgroundColor_ = gdi::clBtnFace;
    gdi::Bitmap buffer_;
    // The parent's look beneath the host, and what it was rendered from.
    struct ParentLook {
        QRect geometry;
        QSize parentSize;
        qint64 palette = 0;
        bool enabled = true;
        const QStyle* style = nullptr;
        QString title;
        QColor window;
        bool active = false;
        bool operator==(const ParentLook&) const = default;
    };
    ParentLook parentLook_;
    QImage parentImage_;
};

}  // namespace windowless
