#include "Bitmap.h"

#include <algorithm>

namespace gdi {

namespace {
// Larger images than this are refused by the readers; also bounds every allocation here.
constexpr std::int64_t kMaxPixels = 64LL * 1024 * 1024;

bool validSize(int width, int height) {
    return width > 0 && height > 0 &&
           static_cast<std::int64_t>(width) * static_cast<std::int64_t>(height) <= kMaxPixels;
}
}  // namespace

Bitmap Bitmap::color(int width, int height, ColorRef fill) {
    Bitmap bitmap;
    if (!validSize(width, height)) return bitmap;
    bitmap.width_ = width;
    bitmap.height_ = height;
    bitmap.colorPixels_.assign(static_cast<std::size_t>(width) * height, pixelFromRgb(colorToRgb(fill)));
    return bitmap;
}

Bitmap Bitmap::monochrome(int width, int height, bool fillWhite) {
    Bitmap bitmap;
    if (!validSize(width, height)) return bitmap;
    bitmap.width_ = width;
    bitmap.height_ = height;
    bitmap.monochrome_ = true;
    bitmap.sourceBitsPerPixel_ = 1;
    bitmap.monoBits_.assign(static_cast<std::size_t>(width) * height, fillWhite ? 1 : 0);
    return bitmap;
}

Bitmap Bitmap::fromImage(const QImage& image) {
    const QImage rgb32 = image.convertToFormat(QImage::Format_RGB32);
    Bitmap bitmap = color(rgb32.width(), rgb32.height());
    for (int y = 0; y < bitmap.height_; ++y) {
        const auto* source = reinterpret_cast<const Pixel*>(rgb32.constScanLine(y));
        Pixel* target = bitmap.colorRow(y);
        for (int x = 0; x < bitmap.width_; ++x) target[x] = source[x] | 0xFF000000u;
    }
    return bitmap;
}

ColorRef Bitmap::pixelColor(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    if (monochrome_) return monoRow(y)[x] ? clWhite : clBlack;
    return rgbFromPixel(colorRow(y)[x]);
}

void Bitmap::setPixelColor(int x, int y, ColorRef color) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    const ColorRef value = colorToRgb(color);
    if (monochrome_) {
        // Nearest of black and white.
        const int brightness = redOf(value) * 30 + greenOf(value) * 59 + blueOf(value) * 11;
        monoRow(y)[x] = brightness >= 128 * 100 ? 1 : 0;
    } else {
        colorRow(y)[x] = pixelFromRgb(value);
    }
}

ColorRef Bitmap::transparentColor() const {
    ColorRef color;
    if (explicitTransparentColor_) {
        color = colorToRgb(*explicitTransparentColor_);
    } else if (monochrome_) {
        color = clWhite;
    } else {
        color = pixelColor(0, height_ - 1);
    }
    return color | kPaletteRelative;
}

QImage Bitmap::toImage() const {
    if (isEmpty()) return {};
    QImage image(width_, height_, QImage::Format_RGB32);
    for (int y = 0; y < height_; ++y) {
        auto* target = reinterpret_cast<Pixel*>(image.scanLine(y));
        if (monochrome_) {
            const std::uint8_t* source = monoRow(y);
            for (int x = 0; x < width_; ++x) target[x] = source[x] ? 0xFFFFFFFFu : 0xFF000000u;
        } else {
            std::copy_n(colorRow(y), width_, target);
        }
    }
    return image;
}

QImage Bitmap::colorImageView() {
    if (isEmpty() || monochrome_) return toImage();
    return QImage(reinterpret_cast<uchar*>(colorPixels_.data()), width_, height_,
                  width_ * static_cast<int>(sizeof(Pixel)), QImage::Format_RGB32);
}

bool Bitmap::operator==(const Bitmap& other) const {
    return width_ == other.width_ && height_ == other.height_ && monochrome_ == other.monochrome_ &&
           colorPixels_ == other.colorPixels_ && monoBits_ == other.monoBits_;
}

}  // namespace gdi
