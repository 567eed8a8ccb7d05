#include <gtest/gtest.h>

#include <QByteArray>
#include <vector>

#include "platform/gdi/BmpFile.h"

using namespace gdi;

namespace {

// Builds a BMP file with a 40-byte info header; rows are given top row first.
struct BmpBuilder {
    int width = 0;
    int height = 0;
    int bits = 24;
    bool topDown = false;
    std::vector<ColorRef> palette;
    std::vector<std::vector<std::uint8_t>> rows;  // raw row bytes without padding, top row first

    QByteArray build() const {
        const int stride = ((width * bits + 31) / 32) * 4;
        QByteArray out;
        auto put16 = [&out](int v) {
            out.append(static_cast<char>(v & 0xFF));
            out.append(static_cast<char>((v >> 8) & 0xFF));
        };
        auto put32 = [&put16](std::int64_t v) {
            put16(static_cast<int>(v & 0xFFFF));
            put16(static_cast<int>((v >> 16) & 0xFFFF));
        };
        const int paletteBytes = static_cast<int>(palette.size()) * 4;
        out.append("BM");
        put32(0);
        put32(0);
        put32(14 + 40 + paletteBytes);
        put32(40);
        put32(width);
        put32(topDown ? -height : height);
        put16(1);
        put16(bits);
        put32(0);
        put32(0);
        put32(0);
        put32(0);
        put32(static_cast<std::int64_t>(palette.size()));
        put32(0);
        for (ColorRef c : palette) {
            out.append(static_cast<char>(blueOf(c)));
            out.append(static_cast<char>(greenOf(c)));
            out.append(static_cast<char>(redOf(c)));
            out.append('\0');
        }
        for (int i = 0; i < height; ++i) {
            const auto& row = rows[static_cast<std::size_t>(topDown ? i : height - 1 - i)];
            QByteArray line(stride, '\0');
            for (std::size_t b = 0; b < row.size(); ++b)
                line[static_cast<int>(b)] = static_cast<char>(row[b]);
            out.append(line);
        }
        return out;
    }
};

}  // namespace

TEST(BmpFile, ReadsPaletteImagesOfOneFourAndEightBits) {
    BmpBuilder oneBit{3, 2, 1, false, {rgb(255, 0, 0), rgb(0, 0, 255)}, {{0b10100000}, {0b01000000}}};
    auto result = readBmp(oneBit.build());
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_FALSE(result.bitmap.isMonochrome()) << "a coloured two-entry palette is not monochrome";
    EXPECT_EQ(result.bitmap.sourceBitsPerPixel(), 1);
    EXPECT_EQ(result.bitmap.pixelColor(0, 0), rgb(0, 0, 255));
    EXPECT_EQ(result.bitmap.pixelColor(1, 0), rgb(255, 0, 0));
    EXPECT_EQ(result.bitmap.pixelColor(2, 0), rgb(0, 0, 255));
    EXPECT_EQ(result.bitmap.pixelColor(1, 1), rgb(0, 0, 255));

    BmpBuilder fourBit{3, 1, 4, false, {clBlack, rgb(10, 20, 30), rgb(40, 50, 60)}, {{0x12, 0x00}}};
    result = readBmp(fourBit.build());
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.bitmap.pixelColor(0, 0), rgb(10, 20, 30));
    EXPECT_EQ(result.bitmap.pixelColor(1, 0), rgb(40, 50, 60));
    EXPECT_EQ(result.bitmap.pixelColor(2, 0), clBlack);

    BmpBuilder eightBit{2, 1, 8, false, {clBlack, clWhite, rgb(1, 2, 3)}, {{2, 7}}};
    result = readBmp(eightBit.build());
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.bitmap.pixelColor(0, 0), rgb(1, 2, 3));
    EXPECT_EQ(result.bitmap.pixelColor(1, 0), clBlack) << "an index past the palette reads as black";
}

TEST(BmpFile, BlackAndWhitePaletteGivesAMonochromeBitmapWhoseTransparentColourIsWhite) {
    BmpBuilder mono{2, 2, 1, false, {clWhite, clBlack}, {{0b10000000}, {0b01000000}}};
    auto result = readBmp(mono.build());
    ASSERT_TRUE(result.ok()) << result.error;
    ASSERT_TRUE(result.bitmap.isMonochrome());
    // Index 1 is black in this palette.
    EXPECT_EQ(result.bitmap.pixelColor(0, 0), clBlack);
    EXPECT_EQ(result.bitmap.pixelColor(1, 0), clWhite);
    EXPECT_EQ(result.bitmap.pixelColor(1, 1), clBlack);
    EXPECT_EQ(result.bitmap.transparentColor(), clWhite | kPaletteRelative);
}

TEST(BmpFile, ReadsTwentyFourBitRowsBottomUpAndTopDown) {
    const std::vector<std::vector<std::uint8_t>> rows = {
        {0, 0, 255, 0, 255, 0},    // top: red, green
        {255, 0, 0, 128, 0, 255},  // bottom: blue, the key colour (255, 0, 128)
    };
    for (bool topDown : {false, true}) {
        BmpBuilder image{2, 2, 24, topDown, {}, rows};
        auto result = readBmp(image.build());
        ASSERT_TRUE(result.ok()) << result.error;
        EXPECT_EQ(result.bitmap.pixelColor(0, 0), rgb(255, 0, 0));
        EXPECT_EQ(result.bitmap.pixelColor(1, 0), rgb(0, 255, 0));
        EXPECT_EQ(result.bitmap.pixelColor(0, 1), rgb(0, 0, 255));
        EXPECT_EQ(result.bitmap.pixelColor(1, 1), rgb(255, 0, 128));
        EXPECT_EQ(result.bitmap.transparentColor(), rgb(0, 0, 255) | kPaletteRelative) << "bottom-left pixel";
        result.bitmap.setTransparentColor(rgb(0, 255, 0));
        EXPECT_EQ(result.bitmap.transparentColor(), rgb(0, 255, 0) | kPaletteRelative);
    }
}

TEST(BmpFile, EncodedTwentyFourBitFileReadsBackTheSamePixels) {
    Bitmap original = Bitmap::color(5, 3, clWhite);
    original.setPixelColor(0, 2, rgb(255, 0, 128));
    original.setPixelColor(4, 0, rgb(1, 2, 3));
    auto result = readBmp(encodeBmp24(original));
    ASSERT_TRUE(result.ok()) << result.error;
    EXPECT_EQ(result.bitmap, original);
    EXPECT_EQ(result.bitmap.sourceBitsPerPixel(), 24);
}

TEST(BmpFile, MalformedInputGivesAnEmptyBitmapAndAnError) {
    const QByteArray valid =
        BmpBuilder{3, 3, 8, false, {clBlack, clWhite}, {{0, 1, 0}, {1, 0, 1}, {0, 0, 1}}}.build();
    ASSERT_TRUE(readBmp(valid).ok());
    // Every truncation fails cleanly (the sanitizer build checks that nothing reads out of bounds).
    for (int length = 0; length < valid.size(); ++length) {
        auto result = readBmp(valid.left(length));
        EXPECT_FALSE(result.ok()) << "length " << length;
        EXPECT_TRUE(result.bitmap.isEmpty());
    }
    QByteArray badSignature = valid;
    badSignature[0] = 'X';
    EXPECT_FALSE(readBmp(badSignature).ok());

    QByteArray hugeOffset = valid;
    hugeOffset[10] = '\xFF';
    hugeOffset[13] = '\x7F';
    EXPECT_FALSE(readBmp(hugeOffset).ok());

    QByteArray hugeSize = valid;  // width 0x7FFFFFFF
    hugeSize[18] = '\xFF';
    hugeSize[19] = '\xFF';
    hugeSize[20] = '\xFF';
    hugeSize[21] = '\x7F';
    EXPECT_FALSE(readBmp(hugeSize).ok());

    QByteArray compressed = valid;
    compressed[30] = 1;  // run-length encoded
    EXPECT_FALSE(readBmp(compressed).ok());

    EXPECT_FALSE(readBmpFile(QStringLiteral("/nonexistent/file.bmp")).ok());
}

TEST(BmpFile, EncodedPaletteFilesReadBackWithTheBottomLeftColourFirst) {
    // Odd width, so 4-bit rows end in half a byte and padding.
    gdi::Bitmap picture = gdi::Bitmap::color(5, 3, gdi::rgb(128, 128, 0));
    picture.setPixelColor(1, 0, gdi::rgb(255, 0, 0));
    picture.setPixelColor(4, 1, gdi::rgb(0, 0, 255));
    for (const int bits : {4, 8}) {
        const gdi::BmpReadResult read = gdi::readBmp(gdi::encodeBmp(picture, bits));
        ASSERT_TRUE(read.ok()) << read.error;
        EXPECT_EQ(read.bitmap.sourceBitsPerPixel(), bits);
        EXPECT_EQ(read.bitmap.palette().front(), gdi::rgb(128, 128, 0));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(read.bitmap.pixelColor(x, y), picture.pixelColor(x, y)) << bits;
        }
    }
    gdi::Bitmap seventeen = gdi::Bitmap::color(17, 1);
    for (int x = 0; x < 17; ++x) seventeen.setPixelColor(x, 0, gdi::rgb(x, 0, 0));
    EXPECT_TRUE(gdi::encodeBmp(seventeen, 4).isEmpty()) << "more colours than 4 bits hold";
    EXPECT_FALSE(gdi::encodeBmp(seventeen, 8).isEmpty());
}
