#include "DeviceContext.h"

#include <QFontMetrics>
#include <QPainter>
#include <cstdlib>

namespace gdi {

namespace {

std::uint32_t monoWord(bool bit) {
    return bit ? ~0u : 0u;
}

bool nearestIsWhite(ColorRef rgbColor) {
    const int brightness = redOf(rgbColor) * 30 + greenOf(rgbColor) * 59 + blueOf(rgbColor) * 11;
    return brightness >= 128 * 100;
}

}  // namespace

DeviceContext::DeviceContext() : stockBitmap_(std::make_unique<Bitmap>(Bitmap::monochrome(1, 1))) {
    surface_ = stockBitmap_.get();
}

DeviceContext::DeviceContext(Bitmap& surface, Point origin, Rect clip)
    : surface_(&surface), origin_(origin), clip_(clip) {}

Bitmap* DeviceContext::selectBitmap(Bitmap* bitmap) {
    Bitmap* previous = surface_;
    surface_ = bitmap != nullptr ? bitmap : stockBitmap_.get();
    return previous;
}

ColorRef DeviceContext::setTextColor(ColorRef color) {
    const ColorRef previous = textColor_;
    textColor_ = color;
    return previous;
}

ColorRef DeviceContext::setBkColor(ColorRef color) {
    const ColorRef previous = bkColor_;
    bkColor_ = color;
    return previous;
}

BackgroundMode DeviceContext::setBkMode(BackgroundMode mode) {
    const BackgroundMode previous = bkMode_;
    bkMode_ = mode;
    return previous;
}

Pen DeviceContext::setPen(Pen pen) {
    const Pen previous = pen_;
    pen_ = pen;
    return previous;
}

Brush DeviceContext::setBrush(Brush brush) {
    const Brush previous = brush_;
    brush_ = brush;
    return previous;
}

void DeviceContext::setFont(const FontSpec& font) {
    font_ = font;
}

int DeviceContext::setMapMode(int mode) {
    const int previous = mapMode_;
    mapMode_ = mode;
    return previous;
}

Rect DeviceContext::clipInSurface() const {
    if (surface_ == nullptr) return {};
    const Rect bounds{0, 0, surface_->width(), surface_->height()};
    return clip_.isEmpty() ? bounds : clip_.intersected(bounds);
}

void DeviceContext::plot(int x, int y, ColorRef color) {
    const int sx = x + origin_.x;
    const int sy = y + origin_.y;
    if (!clipInSurface().contains(sx, sy)) return;
    surface_->setPixelColor(sx, sy, color);
}

ColorRef DeviceContext::pixel(int x, int y) const {
    if (surface_ == nullptr) return 0;
    return surface_->pixelColor(x + origin_.x, y + origin_.y);
}

void DeviceContext::setPixel(int x, int y, ColorRef color) {
    plot(x, y, colorToRgb(color));
}

void DeviceContext::fillSurfaceRect(const Rect& logical, ColorRef color) {
    const Rect area = logical.offset(origin_.x, origin_.y).intersected(clipInSurface());
    if (area.isEmpty()) return;
    const ColorRef value = colorToRgb(color);
    if (surface_->isMonochrome()) {
        const std::uint8_t bit = nearestIsWhite(value) ? 1 : 0;
        for (int y = area.top; y < area.bottom; ++y) {
            std::fill(surface_->monoRow(y) + area.left, surface_->monoRow(y) + area.right, bit);
        }
    } else {
        const Pixel p = pixelFromRgb(value);
        for (int y = area.top; y < area.bottom; ++y) {
            std::fill(surface_->colorRow(y) + area.left, surface_->colorRow(y) + area.right, p);
        }
    }
}

Point DeviceContext::moveTo(int x, int y) {
    const Point previous = position_;
    position_ = {x, y};
    return previous;
}

void DeviceContext::drawLine(Point from, Point to, ColorRef color) {
    // Bresenham; the end point is not drawn.
    int x = from.x;
    int y = from.y;
    const int dx = std::abs(to.x - from.x);
    const int dy = -std::abs(to.y - from.y);
    const int stepX = from.x < to.x ? 1 : -1;
    const int stepY = from.y < to.y ? 1 : -1;
    int error = dx + dy;
    while (x != to.x || y != to.y) {
        plot(x, y, color);
        const int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void DeviceContext::lineTo(int x, int y) {
    if (pen_.style != PS_NULL) drawLine(position_, {x, y}, colorToRgb(pen_.color));
    position_ = {x, y};
}

void DeviceContext::polyline(const std::vector<Point>& points) {
    if (pen_.style == PS_NULL) return;
    const ColorRef color = colorToRgb(pen_.color);
    for (std::size_t i = 1; i < points.size(); ++i) drawLine(points[i - 1], points[i], color);
}

void DeviceContext::fillRect(const Rect& rect, const Brush& brush) {
    if (brush.style == BS_NULL) return;
    fillSurfaceRect(rect, brush.color);
}

void DeviceContext::rectangle(const Rect& rect) {
    if (rect.isEmpty()) return;
    if (pen_.style == PS_NULL) {
        // Without a pen the filled area is one pixel smaller to the right and bottom.
        fillRect({rect.left, rect.top, rect.right - 1, rect.bottom - 1}, brush_);
        return;
    }
    fillRect({rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1}, brush_);
    const ColorRef color = pen_.color;
    fillSurfaceRect({rect.left, rect.top, rect.right, rect.top + 1}, color);
    fillSurfaceRect({rect.left, rect.bottom - 1, rect.right, rect.bottom}, color);
    fillSurfaceRect({rect.left, rect.top, rect.left + 1, rect.bottom}, color);
    fillSurfaceRect({rect.right - 1, rect.top, rect.right, rect.bottom}, color);
}

void DeviceContext::drawEdge(Rect& rect, unsigned edge, unsigned flags) {
    // Each border ring: left and top in the first colour, then bottom and right in the second,
    // which therefore owns the bottom-left and top-right corners.
    auto ring = [this, flags](const Rect& r, ColorRef topLeft, ColorRef bottomRight) {
        if (r.isEmpty()) return;
        if (flags & BF_LEFT) fillSurfaceRect({r.left, r.top, r.left + 1, r.bottom}, topLeft);
        if (flags & BF_TOP) fillSurfaceRect({r.left, r.top, r.right, r.top + 1}, topLeft);
        if (flags & BF_BOTTOM) fillSurfaceRect({r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        if (flags & BF_RIGHT) fillSurfaceRect({r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    };
    auto shrink = [flags](Rect r) {
        if (flags & BF_LEFT) ++r.left;
        if (flags & BF_TOP) ++r.top;
        if (flags & BF_RIGHT) --r.right;
        if (flags & BF_BOTTOM) --r.bottom;
        return r;
    };

    Rect inner = rect;
    if (edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) {
        if (edge & BDR_RAISEDOUTER) {
            ring(inner, cl3DLight, cl3DDkShadow);
        } else {
            ring(inner, clBtnShadow, clBtnHighlight);
        }
        inner = shrink(inner);
    }
    if (edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) {
        if (edge & BDR_RAISEDINNER) {
            ring(inner, clBtnHighlight, clBtnShadow);
        } else {
            ring(inner, cl3DDkShadow, cl3DLight);
        }
        inner = shrink(inner);
    }
    if (flags & BF_MIDDLE) fillSurfaceRect(inner, clBtnFace);
    if (flags & BF_ADJUST) rect = inner;
}

void DeviceContext::invertPixel(int sx, int sy) {
    if (!clipInSurface().contains(sx, sy)) return;
    if (surface_->isMonochrome()) {
        surface_->monoRow(sy)[sx] ^= 1;
    } else {
        surface_->colorRow(sy)[sx] ^= 0x00FFFFFFu;
    }
}

void DeviceContext::drawFocusRect(const Rect& rect) {
    if (rect.isEmpty()) return;
    const Rect r = rect.offset(origin_.x, origin_.y);
    auto dot = [this](int sx, int sy) {
        if (((sx + sy) & 1) == 0) invertPixel(sx, sy);
    };
    for (int x = r.left; x < r.right; ++x) {
        dot(x, r.top);
        if (r.bottom - 1 > r.top) dot(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        dot(r.left, y);
        if (r.right - 1 > r.left) dot(r.right - 1, y);
    }
}

bool DeviceContext::bitBlt(int x, int y, int width, int height, const DeviceContext* source, int sourceX,
                           int sourceY, RasterOp rop) {
    if (surface_ == nullptr || surface_->isEmpty() || width <= 0 || height <= 0) return false;
    const bool needSource = usesSource(rop);
    if (needSource && (source == nullptr || source->surface_ == nullptr || source->surface_->isEmpty())) {
        return false;
    }
    if (usesPattern(rop) && brush_.style == BS_NULL) return true;

    const bool destinationMono = surface_->isMonochrome();
    const ColorRef brushRgb = colorToRgb(brush_.color);
    const std::uint32_t pattern =
        destinationMono ? monoWord(nearestIsWhite(brushRgb)) : pixelFromRgb(brushRgb);
    const std::uint8_t table = truthTableOf(rop);

    const Bitmap* sourceBitmap = needSource ? source->surface_ : nullptr;
    const bool sourceMono = sourceBitmap != nullptr && sourceBitmap->isMonochrome();
    // Monochrome onto colour: 1 takes this context's background colour, 0 its text colour.
    const Pixel oneAsColor = pixelFromRgb(colorToRgb(bkColor_));
    const Pixel zeroAsColor = pixelFromRgb(colorToRgb(textColor_));
    // Colour onto monochrome: the source's background colour becomes 1.
    const Pixel sourceBackground = needSource ? pixelFromRgb(colorToRgb(source->bkColor_)) : 0;

    const Rect clip = clipInSurface();
    const Rect target = Rect{x, y, x + width, y + height}.offset(origin_.x, origin_.y).intersected(clip);
    if (target.isEmpty()) return true;

    for (int ty = target.top; ty < target.bottom; ++ty) {
        const int sy = needSource ? ty - origin_.y - y + sourceY + source->origin_.y : 0;
        if (needSource && (sy < 0 || sy >= sourceBitmap->height())) continue;
        for (int tx = target.left; tx < target.right; ++tx) {
            std::uint32_t s = 0;
            if (needSource) {
                const int sx = tx - origin_.x - x + sourceX + source->origin_.x;
                if (sx < 0 || sx >= sourceBitmap->width()) continue;
                if (sourceMono) {
                    const bool bit = sourceBitmap->monoRow(sy)[sx] != 0;
                    s = destinationMono ? monoWord(bit) : (bit ? oneAsColor : zeroAsColor);
                } else {
                    const Pixel p = sourceBitmap->colorRow(sy)[sx];
                    s = destinationMono ? monoWord((p | 0xFF000000u) == sourceBackground) : p;
                }
            }
            if (destinationMono) {
                std::uint8_t& bit = surface_->monoRow(ty)[tx];
                bit = static_cast<std::uint8_t>(applyTruthTable(table, pattern, s, monoWord(bit != 0)) & 1u);
            } else {
                Pixel& p = surface_->colorRow(ty)[tx];
                p = applyTruthTable(table, pattern, s, p) | 0xFF000000u;
            }
        }
    }
    return true;
}

Bitmap createCompatibleBitmap(const DeviceContext& context, int width, int height) {
    if (context.isMonochrome()) return Bitmap::monochrome(width, height, false);
    return Bitmap::color(width, height, clBlack);
}

}  // namespace gdi
