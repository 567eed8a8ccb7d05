#pragma once
// TOutlookBtn: a flat, windowless button that shows a bitmap, a one-line caption or both, and a
// one-pixel 3-D frame depending on its style and the pointer. It is not opaque: pixels of the
// bitmap's transparent colour and the caption's background show what lies beneath. Painting does
// not look at the enabled state; an owner that wants a disabled look exchanges the bitmap.

#include <QString>
#include <cstdint>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Font.h"
#include "platform/windowless/WindowlessControl.h"

enum BStyle : std::uint8_t {
    bsNone = 0,      // no frame ever: a transparent picture or label
    bsNormal = 1,    // always framed: raised at rest, sunken while pressed
    bsMSOffice = 2,  // flat at rest, raised under the pointer, sunken while pressed
    bsOutlook = 3,   // as bsMSOffice, and filled with the button face under the pointer
};

class TOutlookBtn : public windowless::WindowlessControl {
public:
    explicit TOutlookBtn(windowless::WindowlessHost* owner);

    // The owned bitmap. Changing it in place does not repaint; the owner repaints afterwards.
    gdi::Bitmap& bitmap() { return FBitmap; }
    // Copies the given bitmap and always repaints.
    void setBitmap(const gdi::Bitmap& bitmap);

    bool checked() const { return FChecked; }
    void setChecked(bool checked);
    BStyle style() const { return FStyle; }
    void setStyle(BStyle style);
    QString caption() const { return FCaption; }
    void setCaption(const QString& caption);
    const gdi::FontSpec& font() const { return FFont; }
    void setFont(const gdi::FontSpec& font);

    bool mouseOver() const { return MouseOver; }
    bool pressed() const { return Pressed; }
    gdi::Rect bitmapRect() const { return BitmapRect; }

    // Draws `bitmap` with its top-left corner at (x, y), leaving out every pixel of the transparent
    // colour, by masking and merging with raster operations. The bitmap is used as scratch space and
    // restored before returning.
    void DrawTransparentBitmap(gdi::DeviceContext& dc, gdi::Bitmap& bitmap, int x, int y,
                               gdi::ColorRef transparentColor);

    void paint(gdi::DeviceContext& canvas) override;

    void mouseEnter() override;
    void mouseLeave() override;
    void mouseMove(windowless::ShiftState shift, int x, int y) override;
    void mouseDown(windowless::MouseButton button, windowless::ShiftState shift, int x, int y,
                   bool doubleClick) override;
    void mouseUp(windowless::MouseButton button, windowless::ShiftState shift, int x, int y) override;

private:
    bool showsPointer() const { return FStyle == bsMSOffice || FStyle == bsOutlook; }
    void drawFrame(gdi::DeviceContext& canvas) const;

    gdi::Bitmap FBitmap;
    bool FChecked = false;
    BStyle FStyle = bsNormal;
    QString FCaption;
    gdi::FontSpec FFont;

    bool MouseOver = false;
    bool Pressed = false;
    gdi::Rect BitmapRect;
};
