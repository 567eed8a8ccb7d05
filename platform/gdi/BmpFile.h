#pragma once
// Reading and writing BMP files. Reads uncompressed images of 1, 4, 8, 16, 24 and 32 bits per pixel
// (bottom-up or top-down) with their palettes; writes 4-, 8- and 24-bit images. A truncated or malformed file
// gives an empty bitmap and a message saying what is wrong.

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>
#include <string>

#include "Bitmap.h"

namespace gdi {

struct BmpReadResult {
    Bitmap bitmap;
    std::string error;  // empty on success
    bool ok() const { return error.empty(); }
};

BmpReadResult readBmp(std::span<const std::uint8_t> bytes);
BmpReadResult readBmp(const QByteArray& bytes);
BmpReadResult readBmpFile(const QString& path);

// The bytes of a bottom-up, uncompressed 24-bit BMP file of the bitmap.
QByteArray encodeBmp24(const Bitmap& bitmap);
// The same with 4 or 8 bits per pixel and a palette of the picture's colours (the bottom-left
// pixel's first), or 24 bits; empty when the picture has more colours than the depth holds.
QByteArray encodeBmp(const Bitmap& bitmap, int bitsPerPixel);

}  // namespace gdi
