#pragma once
// A device context: a drawing surface (a bitmap selected into a memory context, or a host's paint
// buffer seen through an origin and a clip rectangle) plus the drawing state of the classic desktop:
// text colour, background colour and mode, pen, brush, font and current position.
//
// Colour rules that the controls rely on: when a monochrome source is copied onto colour, a 1 bit
// becomes the destination's background colour and a 0 bit its text colour; when colour is copied
// onto monochrome, a pixel equal to the source's background colour becomes 1, any other 0.

#include <QFont>
#include <QString>
#include <memory>
#include <vector>

#include "Bitmap.h"
#include "ColorRef.h"
#include "Font.h"
#include "Geometry.h"
#include "RasterOp.h"

namespace gdi {

enum BackgroundMode { TRANSPARENT = 1, OPAQUE = 2 };

enum PenStyle { PS_SOLID = 0, PS_NULL = 5 };
struct Pen {
    PenStyle style = PS_SOLID;
    int width = 1;
    ColorRef color = clBlack;
};

enum BrushStyle { BS_SOLID = 0, BS_NULL = 1 };
struct Brush {
    BrushStyle style = BS_SOLID;
    ColorRef color = clWhite;
};

// DrawText flags.
enum : unsigned {
    DT_TOP = 0x0000,
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_WORDBREAK = 0x0010,
    DT_SINGLELINE = 0x0020,
    DT_EXPANDTABS = 0x0040,
    DT_NOCLIP = 0x0100,
    DT_CALCRECT = 0x0400,
    DT_NOPREFIX = 0x0800,
};

// DrawEdge edge kinds and border flags.
enum : unsigned {
    BDR_RAISEDOUTER = 0x0001,
    BDR_SUNKENOUTER = 0x0002,
    BDR_RAISEDINNER = 0x0004,
    BDR_SUNKENINNER = 0x0008,
    EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER,
    EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
    EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER,
    EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER,
    BF_LEFT = 0x0001,
    BF_TOP = 0x0002,
    BF_RIGHT = 0x0004,
    BF_BOTTOM = 0x0008,
    BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM,
    BF_MIDDLE = 0x0800,
    BF_ADJUST = 0x2000,
};

class DeviceContext {
public:
    // A memory context: starts with a 1 x 1 monochrome bitmap selected, like the classic desktop.
    DeviceContext();
    // A context over a paint buffer: drawing at logical (0, 0) lands on `origin` of the buffer,
    // and nothing is drawn outside `clip` (buffer coordinates; an empty clip means the whole buffer).
    DeviceContext(Bitmap& surface, Point origin, Rect clip = {});
    DeviceContext(const DeviceContext&) = delete;
    DeviceContext& operator=(const DeviceContext&) = delete;

    // Selects a bitmap into a memory context; returns the one selected before. The context does not
    // own it, and the caller selects the previous one back before destroying the bitmap.
    Bitmap* selectBitmap(Bitmap* bitmap);
    Bitmap* surface() const { return surface_; }
    bool isMonochrome() const { return surface_ != nullptr && surface_->isMonochrome(); }

    ColorRef setTextColor(ColorRef color);
    ColorRef textColor() const { return textColor_; }
    ColorRef setBkColor(ColorRef color);
    ColorRef bkColor() const { return bkColor_; }
    BackgroundMode setBkMode(BackgroundMode mode);
    BackgroundMode bkMode() const { return bkMode_; }
    Pen setPen(Pen pen);
    const Pen& pen() const { return pen_; }
    Brush setBrush(Brush brush);
    const Brush& brush() const { return brush_; }
    void setFont(const FontSpec& font);
    const FontSpec& font() const { return font_; }
    // Kept for callers that copy it between contexts; every context here maps one unit to one pixel.
    int setMapMode(int mode);
    int mapMode() const { return mapMode_; }

    Point moveTo(int x, int y);
    Point currentPosition() const { return position_; }
    // Draws from the current position to (x, y), leaving out (x, y), which becomes the position.
    void lineTo(int x, int y);
    // Draws the segments through the points, leaving out the final point.
    void polyline(const std::vector<Point>& points);

    void fillRect(const Rect& rect, const Brush& brush);
    // Outline with the pen, inside with the brush.
    void rectangle(const Rect& rect);
    void drawEdge(Rect& rect, unsigned edge, unsigned flags);
    // Dotted, inverting: drawing it twice restores the pixels.
    void drawFocusRect(const Rect& rect);

    // Returns the height of the drawn (or measured) text; with DT_CALCRECT, sets the rectangle's
    // right and bottom to fit the text and draws nothing. Unless DT_NOPREFIX is given, "&" marks
    // the next character as an access key (drawn underlined) and "&&" stands for one "&".
    int drawText(const QString& text, Rect& rect, unsigned flags);
    // Width and height of one line of text in the current font.
    Size textExtent(const QString& text) const;

    bool bitBlt(int x, int y, int width, int height, const DeviceContext* source, int sourceX, int sourceY,
                RasterOp rop);
    bool patBlt(int x, int y, int width, int height, RasterOp rop) {
        return bitBlt(x, y, width, height, nullptr, 0, 0, rop);
    }

    ColorRef pixel(int x, int y) const;
    void setPixel(int x, int y, ColorRef color);

private:
    Rect clipInSurface() const;
    void plot(int x, int y, ColorRef color);  // logical coordinates, clipped
    void fillSurfaceRect(const Rect& logical, ColorRef color);
    void drawLine(Point from, Point to, ColorRef color);  // end point left out
    void invertPixel(int sx, int sy);

    Bitmap* surface_ = nullptr;
    std::unique_ptr<Bitmap> stockBitmap_;
    Point origin_;
    Rect clip_;
    ColorRef textColor_ = clBlack;
    ColorRef bkColor_ = clWhite;
    BackgroundMode bkMode_ = OPAQUE;
    Pen pen_;
    Brush brush_;
    FontSpec font_;
    int mapMode_ = 1;
    Point position_;
};

// A bitmap of the context's kind: monochrome when a monochrome bitmap is selected, colour otherwise.
Bitmap createCompatibleBitmap(const DeviceContext& context, int width, int height);

}  // namespace gdi
