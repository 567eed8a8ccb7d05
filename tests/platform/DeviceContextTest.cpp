#include <gtest/gtest.h>

#include "platform/gdi/DeviceContext.h"

using namespace gdi;

namespace {

constexpr ColorRef kRed = rgb(255, 0, 0);
constexpr ColorRef kGreen = rgb(0, 255, 0);
constexpr ColorRef kBlue = rgb(0, 0, 255);

// A memory context with its own bitmap selected for the lifetime of the fixture object.
struct Canvas {
    Bitmap bitmap;
    DeviceContext context;
    explicit Canvas(Bitmap b) : bitmap(std::move(b)) { context.selectBitmap(&bitmap); }
};

}  // namespace

TEST(BitBlt, ColourToMonochromeMarksPixelsEqualToTheSourceBackground) {
    Canvas source(Bitmap::color(3, 1, kRed));
    source.bitmap.setPixelColor(1, 0, kGreen);
    Canvas mask(Bitmap::monochrome(3, 1, false));
    source.context.setBkColor(kGreen | kPaletteRelative);
    mask.context.bitBlt(0, 0, 3, 1, &source.context, 0, 0, SRCCOPY);
    EXPECT_EQ(mask.bitmap.pixelColor(0, 0), clBlack);
    EXPECT_EQ(mask.bitmap.pixelColor(1, 0), clWhite);
    EXPECT_EQ(mask.bitmap.pixelColor(2, 0), clBlack);
}

TEST(BitBlt, MonochromeToColourUsesTheDestinationsBackgroundForOnesAndTextForZeros) {
    Canvas mask(Bitmap::monochrome(2, 1, false));
    mask.bitmap.setPixelColor(0, 0, clWhite);
    mask.context.setTextColor(kGreen);  // the source's colours must not matter
    mask.context.setBkColor(kGreen);
    Canvas target(Bitmap::color(2, 1, clBlack));
    target.context.setBkColor(kRed);
    target.context.setTextColor(kBlue);
    target.context.bitBlt(0, 0, 2, 1, &mask.context, 0, 0, SRCCOPY);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), kRed);
    EXPECT_EQ(target.bitmap.pixelColor(1, 0), kBlue);
}

TEST(BitBlt, MaskThroughBrushPaintsTheBrushOnlyWhereTheMaskIsSet) {
    Canvas mask(Bitmap::monochrome(2, 1, false));
    mask.bitmap.setPixelColor(1, 0, clWhite);
    Canvas target(Bitmap::color(2, 1, kRed));
    target.context.setTextColor(clBlack);
    target.context.setBkColor(clWhite);
    target.context.setBrush({BS_SOLID, kBlue});
    target.context.bitBlt(0, 0, 2, 1, &mask.context, 0, 0, ROP_DSPDxax);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), kRed);
    EXPECT_EQ(target.bitmap.pixelColor(1, 0), kBlue);
}

TEST(BitBlt, ColourOperationsCombineEveryChannelBitwise) {
    Canvas source(Bitmap::color(1, 1, rgb(0x0F, 0xF0, 0x3C)));
    Canvas target(Bitmap::color(1, 1, rgb(0x55, 0x55, 0xFF)));
    target.context.bitBlt(0, 0, 1, 1, &source.context, 0, 0, SRCAND);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), rgb(0x05, 0x50, 0x3C));
    target.context.bitBlt(0, 0, 1, 1, &source.context, 0, 0, SRCPAINT);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), rgb(0x0F, 0xF0, 0x3C));
    target.context.bitBlt(0, 0, 1, 1, &source.context, 0, 0, SRCINVERT);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), clBlack);
    target.context.bitBlt(0, 0, 1, 1, &source.context, 0, 0, NOTSRCCOPY);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), rgb(0xF0, 0x0F, 0xC3));
    target.context.setBrush({BS_SOLID, kGreen});
    target.context.patBlt(0, 0, 1, 1, PATCOPY);
    EXPECT_EQ(target.bitmap.pixelColor(0, 0), kGreen);
}

TEST(BitBlt, PaintBufferContextAppliesItsOriginAndClip) {
    Bitmap buffer = Bitmap::color(10, 10, clWhite);
    DeviceContext context(buffer, {4, 4}, Rect{4, 4, 7, 7});
    context.setBrush({BS_SOLID, kRed});
    context.patBlt(-2, -2, 20, 20, PATCOPY);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            const bool inside = x >= 4 && x < 7 && y >= 4 && y < 7;
            EXPECT_EQ(buffer.pixelColor(x, y), inside ? kRed : clWhite) << x << "," << y;
        }
    }
    // Reading through the origin: logical (0, 0) is buffer (4, 4).
    Canvas copy(Bitmap::color(1, 1, clBlack));
    copy.context.bitBlt(0, 0, 1, 1, &context, 0, 0, SRCCOPY);
    EXPECT_EQ(copy.bitmap.pixelColor(0, 0), kRed);
}

TEST(BitBlt, SourceAreaOutsideTheSourceBitmapLeavesTheDestinationAlone) {
    Canvas source(Bitmap::color(2, 2, kRed));
    Canvas target(Bitmap::color(4, 4, clWhite));
    target.context.bitBlt(0, 0, 4, 4, &source.context, 0, 0, SRCCOPY);
    EXPECT_EQ(target.bitmap.pixelColor(1, 1), kRed);
    EXPECT_EQ(target.bitmap.pixelColor(2, 2), clWhite);
    EXPECT_FALSE(target.context.bitBlt(0, 0, 4, 4, nullptr, 0, 0, SRCCOPY)) << "a source is required";
}

TEST(Lines, LineToAndPolylineLeaveOutTheFinalPoint) {
    Canvas canvas(Bitmap::color(5, 5, clWhite));
    canvas.context.setPen({PS_SOLID, 1, kRed});
    canvas.context.moveTo(0, 0);
    canvas.context.lineTo(3, 0);
    EXPECT_EQ(canvas.bitmap.pixelColor(2, 0), kRed);
    EXPECT_EQ(canvas.bitmap.pixelColor(3, 0), clWhite);
    EXPECT_EQ(canvas.context.currentPosition(), (Point{3, 0}));

    canvas.context.setPen({PS_SOLID, 1, kBlue});
    canvas.context.polyline({{0, 4}, {0, 1}, {4, 1}});
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 4), kBlue);
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 1), kBlue) << "the corner belongs to the second segment";
    EXPECT_EQ(canvas.bitmap.pixelColor(3, 1), kBlue);
    EXPECT_EQ(canvas.bitmap.pixelColor(4, 1), clWhite);
}

TEST(Shapes, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    Canvas canvas(Bitmap::color(6, 6, clWhite));
    canvas.context.setPen({PS_SOLID, 1, kRed});
    canvas.context.setBrush({BS_SOLID, kBlue});
    canvas.context.rectangle({1, 1, 5, 5});
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 0), clWhite);
    EXPECT_EQ(canvas.bitmap.pixelColor(1, 1), kRed);
    EXPECT_EQ(canvas.bitmap.pixelColor(4, 4), kRed);
    EXPECT_EQ(canvas.bitmap.pixelColor(2, 2), kBlue);
    EXPECT_EQ(canvas.bitmap.pixelColor(5, 5), clWhite);

    canvas.context.setBrush({BS_NULL, kGreen});
    canvas.context.setPen({PS_SOLID, 1, kGreen});
    canvas.context.rectangle({0, 0, 6, 6});
    EXPECT_EQ(canvas.bitmap.pixelColor(2, 2), kBlue) << "a clear brush leaves the inside";
    EXPECT_EQ(canvas.bitmap.pixelColor(5, 0), kGreen);
}

TEST(Shapes, RaisedEdgeDrawsTwoRingsAndAdjustsTheRectangle) {
    Canvas canvas(Bitmap::color(6, 6, clWhite));
    Rect rect{0, 0, 6, 6};
    canvas.context.drawEdge(rect, EDGE_RAISED, BF_RECT | BF_ADJUST);
    EXPECT_EQ(rect, (Rect{2, 2, 4, 4}));
    const ColorRef light = colorToRgb(cl3DLight);
    const ColorRef darkShadow = colorToRgb(cl3DDkShadow);
    const ColorRef highlight = colorToRgb(clBtnHighlight);
    const ColorRef shadow = colorToRgb(clBtnShadow);
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 0), light);
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 4), light);
    EXPECT_EQ(canvas.bitmap.pixelColor(5, 0), darkShadow) << "top-right corner in the dark colour";
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 5), darkShadow) << "bottom-left corner in the dark colour";
    EXPECT_EQ(canvas.bitmap.pixelColor(5, 5), darkShadow);
    EXPECT_EQ(canvas.bitmap.pixelColor(1, 1), highlight);
    EXPECT_EQ(canvas.bitmap.pixelColor(4, 4), shadow);
    EXPECT_EQ(canvas.bitmap.pixelColor(2, 2), clWhite) << "no middle without BF_MIDDLE";
}

TEST(Shapes, FocusRectangleIsDottedAndUndoesItself) {
    Canvas canvas(Bitmap::color(6, 4, kRed));
    const Bitmap before = canvas.bitmap;
    canvas.context.drawFocusRect({0, 0, 6, 4});
    const ColorRef inverted = rgb(0, 255, 255);
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 0), inverted);
    EXPECT_EQ(canvas.bitmap.pixelColor(1, 0), kRed);
    EXPECT_EQ(canvas.bitmap.pixelColor(2, 0), inverted);
    EXPECT_EQ(canvas.bitmap.pixelColor(2, 2), kRed) << "inside untouched";
    canvas.context.drawFocusRect({0, 0, 6, 4});
    EXPECT_EQ(canvas.bitmap, before);
}

TEST(Colours, SystemAndPaletteRelativeColoursResolveToRgb) {
    EXPECT_EQ(colorToRgb(rgb(1, 2, 3) | kPaletteRelative), rgb(1, 2, 3));
    EXPECT_EQ(colorToRgb(clBtnFace), systemColorRgb(COLOR_BTNFACE));
    EXPECT_EQ(clBtnFace, 0xFF00000Fu);
    EXPECT_EQ(clBtnHighlight, 0xFF000014u);
    Canvas canvas(Bitmap::color(1, 1, clBlack));
    canvas.context.fillRect({0, 0, 1, 1}, {BS_SOLID, clBtnShadow});
    EXPECT_EQ(canvas.bitmap.pixelColor(0, 0), systemColorRgb(COLOR_BTNSHADOW));
}

TEST(Contexts, CompatibleBitmapFollowsTheSelectedBitmapsKind) {
    DeviceContext memory;
    EXPECT_TRUE(createCompatibleBitmap(memory, 2, 2).isMonochrome()) << "a new memory context is monochrome";
    Bitmap colour = Bitmap::color(1, 1);
    memory.selectBitmap(&colour);
    EXPECT_FALSE(createCompatibleBitmap(memory, 2, 2).isMonochrome());
}
