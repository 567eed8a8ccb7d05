#pragma once
// A device-independent bitmap: either monochrome (one bit a pixel, 1 = white) or true colour.
// Palette images are expanded to true colour when read; the bit depth of the file is kept for
// information. An empty bitmap has no pixels and is simply not drawn.

#include <QImage>
#include <cstdint>
#include <optional>
#include <vector>

#include "ColorRef.h"

namespace gdi {

class Bitmap {
public:
    Bitmap() = default;

    static Bitmap color(int width, int height, ColorRef fill = clWhite);
    static Bitmap monochrome(int width, int height, bool fillWhite = true);
    // A true-colour copy of a Qt image (alpha dropped).
    static Bitmap fromImage(const QImage& image);

    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool isMonochrome() const { return monochrome_; }

    // Bits per pixel of the file this bitmap came from (1, 4, 8, 16, 24, 32); 32 for one made here,
    // 1 for a monochrome one.
    int sourceBitsPerPixel() const { return sourceBitsPerPixel_; }
    void setSourceBitsPerPixel(int bits) { sourceBitsPerPixel_ = bits; }
    const std::vector<ColorRef>& palette() const { return palette_; }
    void setPalette(std::vector<ColorRef> palette) { palette_ = std::move(palette); }

    // Pixel colour as RGB; for monochrome bitmaps white for 1 and black for 0. Outside the bitmap: 0.
    ColorRef pixelColor(int x, int y) const;
    void setPixelColor(int x, int y, ColorRef color);

    // Raw rows for the raster layer. Colour rows hold 0xFFRRGGBB pixels, monochrome rows 0 or 1.
    Pixel* colorRow(int y) { return colorPixels_.data() + static_cast<std::size_t>(y) * width_; }
    const Pixel* colorRow(int y) const { return colorPixels_.data() + static_cast<std::size_t>(y) * width_; }
    std::uint8_t* monoRow(int y) { return monoBits_.data() + static_cast<std::size_t>(y) * width_; }
    const std::uint8_t* monoRow(int y) const {
        return monoBits_.data() + static_cast<std::size_t>(y) * width_;
    }

    // The colour left out when the bitmap is drawn transparently: the explicitly set one, else
    // white for a monochrome bitmap and the bottom-left pixel for any other; marked palette-relative.
    ColorRef transparentColor() const;
    void setTransparentColor(ColorRef color) { explicitTransparentColor_ = color; }
    void clearTransparentColor() { explicitTransparentColor_.reset(); }
    bool hasExplicitTransparentColor() const { return explicitTransparentColor_.has_value(); }

    // A copy as an RGB32 Qt image (monochrome expanded to black and white).
    QImage toImage() const;
    // A Qt image over the colour pixels without copying; valid while this bitmap is unchanged.
    QImage colorImageView();

    bool operator==(const Bitmap& other) const;

private:
    int width_ = 0;
    int height_ = 0;
    bool monochrome_ = false;
    int sourceBitsPerPixel_ = 32;
    std::vector<ColorRef> palette_;
    std::vector<Pixel> colorPixels_;
    std::vector<std::uint8_t> monoBits_;
    std::optional<ColorRef> explicitTransparentColor_;
};

}  // namespace gdi
