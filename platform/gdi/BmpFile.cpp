#include "BmpFile.h"

#include <QFile>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "../binary/ByteReader.h"

namespace gdi {

namespace {

constexpr std::uint32_t kCompressionRgb = 0;
constexpr std::uint32_t kCompressionBitfields = 3;
constexpr std::int64_t kMaxDimension = 32768;

BmpReadResult failure(std::string message) {
    return BmpReadResult{Bitmap(), std::move(message)};
}

struct Header {
    std::int64_t width = 0;
    std::int64_t height = 0;  // always positive here
    bool topDown = false;
    int bitsPerPixel = 0;
    std::uint32_t compression = kCompressionRgb;
    std::uint32_t paletteEntries = 0;
    int paletteEntrySize = 4;
    std::uint32_t redMask = 0x7C00, greenMask = 0x03E0, blueMask = 0x001F;
};

// Extracts a channel given by a bit mask and scales it to 0..255.
int maskedChannel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1u) == 0) ++shift;
    const std::uint32_t maximum = mask >> shift;
    const std::uint32_t channel = (value & mask) >> shift;
    return static_cast<int>((static_cast<std::uint64_t>(channel) * 255 + maximum / 2) / maximum);
}

// The file header and the info header (core or Windows); an error message when they cannot be read.
std::optional<std::string> readHeaders(binary::ByteReader& reader, Header& header, std::uint32_t& pixelOffset,
                                       std::uint32_t& headerSize) {
    if (reader.u8() != 'B' || reader.u8() != 'M' || !reader.ok()) return "not a BMP file (no 'BM' signature)";
    reader.skip(8);  // file size and reserved words: not trusted
    pixelOffset = reader.u32();
    headerSize = reader.u32();
    if (!reader.ok()) return "truncated BMP file header";

    if (headerSize == 12) {
        header.width = reader.u16();
        header.height = reader.u16();
        reader.skip(2);
        header.bitsPerPixel = reader.u16();
        header.paletteEntrySize = 3;
    } else if (headerSize >= 40) {
        header.width = reader.i32();
        const std::int32_t height = reader.i32();
        header.topDown = height < 0;
        header.height = height < 0 ? -static_cast<std::int64_t>(height) : height;
        reader.skip(2);
        header.bitsPerPixel = reader.u16();
        header.compression = reader.u32();
        reader.skip(12);  // image size and resolution
        header.paletteEntries = reader.u32();
        reader.skip(4);
        if (header.compression == kCompressionBitfields) {
            // The masks follow the 40-byte header (or sit inside the V4/V5 header).
            header.redMask = reader.u32();
            header.greenMask = reader.u32();
            header.blueMask = reader.u32();
        } else if (header.bitsPerPixel == 32) {
            header.redMask = 0x00FF0000;
            header.greenMask = 0x0000FF00;
            header.blueMask = 0x000000FF;
        }
    } else {
        return "unsupported BMP header size " + std::to_string(headerSize);
    }
    if (!reader.ok()) return "truncated BMP info header";
    return std::nullopt;
}

// What this reader does not take: depths, compressions and sizes it cannot draw.
std::optional<std::string> unsupported(const Header& header) {
    const int bits = header.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return "unsupported BMP bit depth " + std::to_string(bits);
    }
    const bool bitfieldsAllowed = (bits == 16 || bits == 32);
    if (header.compression != kCompressionRgb &&
        !(header.compression == kCompressionBitfields && bitfieldsAllowed)) {
        return "compressed BMP files are not supported";
    }
    if (header.width <= 0 || header.height <= 0 || header.width > kMaxDimension ||
        header.height > kMaxDimension) {
        return "BMP image has an invalid size";
    }
    return std::nullopt;
}

// The colour table of an indexed image (at most 2^bits entries); false when it is cut short.
bool readPalette(binary::ByteReader& reader, const Header& header, std::uint32_t headerSize,
                 std::vector<ColorRef>& palette) {
    if (header.bitsPerPixel > 8) return true;
    const std::uint32_t maximumEntries = 1u << header.bitsPerPixel;
    std::uint32_t entries = header.paletteEntries == 0 ? maximumEntries : header.paletteEntries;
    if (entries > maximumEntries) entries = maximumEntries;
    const std::uint64_t paletteOffset = 14ull + headerSize;
    auto paletteBytes =
        reader.bytesAt(paletteOffset, static_cast<std::uint64_t>(entries) * header.paletteEntrySize);
    if (!reader.ok()) return false;
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::size_t at = static_cast<std::size_t>(i) * header.paletteEntrySize;
        palette.push_back(rgb(paletteBytes[at + 2], paletteBytes[at + 1], paletteBytes[at]));
    }
    return true;
}

// The colour of pixel `x` of a row of an image that is not black and white; an index outside the
// palette is black.
ColorRef pixelColor(const std::uint8_t* line, int x, const Header& header,
                    const std::vector<ColorRef>& palette) {
    const auto paletteColor = [&palette](std::uint32_t index) {
        return index < palette.size() ? palette[index] : clBlack;
    };
    switch (header.bitsPerPixel) {
        case 1:
            return paletteColor((line[x / 8] >> (7 - x % 8)) & 1u);
        case 4:
            return paletteColor((line[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0x0Fu);
        case 8:
            return paletteColor(line[x]);
        case 16: {
            const std::uint32_t value = line[2 * x] | (line[2 * x + 1] << 8);
            return rgb(maskedChannel(value, header.redMask), maskedChannel(value, header.greenMask),
                       maskedChannel(value, header.blueMask));
        }
        case 24:
            return rgb(line[3 * x + 2], line[3 * x + 1], line[3 * x]);
        case 32: {
            const std::uint32_t value = line[4 * x] | (line[4 * x + 1] << 8) | (line[4 * x + 2] << 16) |
                                        (static_cast<std::uint32_t>(line[4 * x + 3]) << 24);
            return rgb(maskedChannel(value, header.redMask), maskedChannel(value, header.greenMask),
                       maskedChannel(value, header.blueMask));
        }
        default:
            return clBlack;
    }
}

}  // namespace

BmpReadResult readBmp(std::span<const std::uint8_t> bytes) {
    binary::ByteReader reader(bytes);
    Header header;
    std::uint32_t pixelOffset = 0;
    std::uint32_t headerSize = 0;
    if (const auto error = readHeaders(reader, header, pixelOffset, headerSize)) return failure(*error);
    if (const auto error = unsupported(header)) return failure(*error);
    std::vector<ColorRef> palette;
    if (!readPalette(reader, header, headerSize, palette)) return failure("truncated BMP palette");

    const int bits = header.bitsPerPixel;
    const auto width = static_cast<int>(header.width);
    const auto height = static_cast<int>(header.height);
    const std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    auto pixelBytes = reader.bytesAt(pixelOffset, stride * static_cast<std::uint64_t>(height));
    if (!reader.ok()) return failure("truncated BMP pixel data");

    // A two-colour black and white image becomes a monochrome bitmap, as the system's loader makes it.
    const bool blackAndWhite = bits == 1 && palette.size() == 2 &&
                               ((palette[0] == clBlack && palette[1] == clWhite) ||
                                (palette[0] == clWhite && palette[1] == clBlack));
    Bitmap bitmap = blackAndWhite ? Bitmap::monochrome(width, height) : Bitmap::color(width, height);
    if (bitmap.isEmpty()) return failure("BMP image is too large");
    bitmap.setSourceBitsPerPixel(bits);
    bitmap.setPalette(palette);

    for (int row = 0; row < height; ++row) {
        const int y = header.topDown ? row : height - 1 - row;
        const std::uint8_t* line = pixelBytes.data() + static_cast<std::size_t>(row) * stride;
        for (int x = 0; x < width; ++x) {
            if (blackAndWhite) {
                const std::uint32_t index = (line[x / 8] >> (7 - x % 8)) & 1u;
                bitmap.monoRow(y)[x] = palette[index] == clWhite ? 1 : 0;
            } else {
                bitmap.colorRow(y)[x] = pixelFromRgb(pixelColor(line, x, header, palette));
            }
        }
    }
    return BmpReadResult{std::move(bitmap), {}};
}

BmpReadResult readBmp(const QByteArray& bytes) {
    return readBmp(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                                 static_cast<std::size_t>(bytes.size())));
}

BmpReadResult readBmpFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return failure("cannot open " + path.toStdString() + ": " + file.errorString().toStdString());
    }
    return readBmp(file.readAll());
}

QByteArray encodeBmp24(const Bitmap& bitmap) {
    return encodeBmp(bitmap, 24);
}

QByteArray encodeBmp(const Bitmap& bitmap, int bitsPerPixel) {
    if (bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24) return {};
    const int width = bitmap.width();
    const int height = bitmap.height();
    const bool indexed = bitsPerPixel != 24;

    // A palette of the colours in the picture, in order of first appearance from the bottom-left
    // pixel (so it is entry 0, as the classic tools write it).
    std::vector<ColorRef> palette;
    std::vector<std::uint8_t> indices;
    if (indexed) {
        const std::size_t capacity = std::size_t{1} << bitsPerPixel;
        indices.reserve(static_cast<std::size_t>(width) * height);
        for (int y = height - 1; y >= 0; --y) {
            for (int x = 0; x < width; ++x) {
                const ColorRef c = bitmap.pixelColor(x, y);
                auto found = std::find(palette.begin(), palette.end(), c);
                if (found == palette.end()) {
                    if (palette.size() == capacity) return {};
                    palette.push_back(c);
                    found = palette.end() - 1;
                }
                indices.push_back(static_cast<std::uint8_t>(found - palette.begin()));
            }
        }
    }

    const int stride = ((width * bitsPerPixel + 31) / 32) * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride) * height;
    const std::uint32_t paletteBytes = static_cast<std::uint32_t>(4 * palette.size());
    QByteArray out;
    auto put16 = [&out](std::uint32_t v) {
        out.append(static_cast<char>(v & 0xFF));
        out.append(static_cast<char>((v >> 8) & 0xFF));
    };
    auto put32 = [&put16](std::uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out.append("BM");
    put32(14 + 40 + paletteBytes + pixelBytes);
    put32(0);
    put32(14 + 40 + paletteBytes);
    put32(40);
    put32(static_cast<std::uint32_t>(width));
    put32(static_cast<std::uint32_t>(height));
    put16(1);
    put16(static_cast<std::uint32_t>(bitsPerPixel));
    put32(kCompressionRgb);
    put32(pixelBytes);
    put32(3780);  // 96 dots per inch
    put32(3780);
    put32(static_cast<std::uint32_t>(palette.size()));
    put32(0);
    for (const ColorRef c : palette) {
        out.append(static_cast<char>(blueOf(c)));
        out.append(static_cast<char>(greenOf(c)));
        out.append(static_cast<char>(redOf(c)));
        out.append('\0');
    }
    std::size_t next = 0;
    for (int y = height - 1; y >= 0; --y) {
        const qsizetype rowStart = out.size();
        if (bitsPerPixel == 24) {
            for (int x = 0; x < width; ++x) {
                const ColorRef c = bitmap.pixelColor(x, y);
                out.append(static_cast<char>(blueOf(c)));
                out.append(static_cast<char>(greenOf(c)));
                out.append(static_cast<char>(redOf(c)));
            }
        } else if (bitsPerPixel == 8) {
            for (int x = 0; x < width; ++x) out.append(static_cast<char>(indices[next++]));
        } else {
            for (int x = 0; x < width; x += 2) {
                const std::uint8_t high = indices[next++];
                const std::uint8_t low = x + 1 < width ? indices[next++] : 0;
                out.append(static_cast<char>((high << 4) | low));
            }
        }
        while (out.size() - rowStart < stride) out.append('\0');
    }
    return out;
}

}  // namespace gdi
