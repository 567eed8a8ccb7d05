#include <gtest/gtest.h>

#include <memory>

#include "controls/ButtonGlyph.h"

using namespace gdi;

namespace {

constexpr ColorRef kFace = rgb(128, 128, 128);
constexpr ColorRef kRed = rgb(255, 0, 0);
constexpr ColorRef kBlue = rgb(0, 0, 255);

// A strip of `count` square images on olive; image i has a coloured dot at (1 + i, 1) and, at (0, 0)
// of each image, a pixel of the image's own colour so a test can tell the images apart.
Bitmap strip(int count, int size, const std::vector<ColorRef>& imageColours) {
    Bitmap bitmap = Bitmap::color(count * size, size, clOlive);
    for (int i = 0; i < count; ++i) bitmap.setPixelColor(i * size + 2, 2, imageColours[i]);
    return bitmap;
}

// The prepared image of a state, as stored in the glyph's list.
const Bitmap& imageOf(TButtonGlyph& glyph, TGlyphState state, ColorRef face = kFace) {
    const int index = glyph.PrepareImage(state, face);
    EXPECT_GE(index, 0);
    return *glyph.List()->image(index);
}

}  // namespace

TEST(GlyphStrip, TheCountComesFromWidthAndHeight) {
    TButtonGlyph glyph;
    const Bitmap twoSquares = Bitmap::color(36, 18, clOlive);
    glyph.SetGlyph(&twoSquares);
    EXPECT_EQ(glyph.NumGlyphs(), 2);
    const Bitmap fiveSquares = Bitmap::color(90, 18, clOlive);
    glyph.SetGlyph(&fiveSquares);
    EXPECT_EQ(glyph.NumGlyphs(), 1) << "more than four squares are one wide image";
    glyph.SetNumGlyphs(3);
    const Bitmap notSquare = Bitmap::color(20, 16, clOlive);
    glyph.SetGlyph(&notSquare);
    EXPECT_EQ(glyph.NumGlyphs(), 3) << "a width that is no multiple of the height leaves the count";
    glyph.SetNumGlyphs(0);
    EXPECT_EQ(glyph.NumGlyphs(), 3) << "zero is ignored";
}

TEST(GlyphStrip, TheTransparentColourIsTheBottomLeftPixelAndChangesAreReported) {
    TButtonGlyph glyph;
    int changes = 0;
    glyph.OnChange = [&changes](TButtonGlyph*) { ++changes; };
    Bitmap magenta = Bitmap::color(16, 16, rgb(255, 0, 255));
    glyph.SetGlyph(&magenta);
    EXPECT_EQ(glyph.TransparentColor(), rgb(255, 0, 255));
    EXPECT_EQ(changes, 1);
    glyph.PrepareImage(gsUp, kFace);
    glyph.EditGlyph([](Bitmap& bitmap) { bitmap.setPixelColor(0, 15, kBlue); });
    EXPECT_EQ(glyph.TransparentColor(), kBlue);
    EXPECT_EQ(glyph.StateIndex(gsUp), -1) << "an edited glyph drops its images";
    EXPECT_EQ(changes, 2);
}

TEST(GlyphImages, UpReplacesTheTransparentColourByTheFace) {
    TButtonGlyph glyph;
    const Bitmap single = strip(1, 16, {kRed});
    glyph.SetGlyph(&single);
    const Bitmap& up = imageOf(glyph, gsUp);
    EXPECT_EQ(up.width(), 16);
    EXPECT_EQ(up.pixelColor(2, 2), kRed);
    EXPECT_EQ(up.pixelColor(0, 0), kFace);
    EXPECT_EQ(up.pixelColor(15, 15), kFace);
}

TEST(GlyphImages, DownUsesTheThirdImageOnlyWhenTheStripHasOne) {
    TButtonGlyph two;
    const Bitmap twoImages = strip(2, 18, {kRed, kBlue});
    two.SetGlyph(&twoImages);
    EXPECT_EQ(two.PrepareImage(gsDown, kFace), two.PrepareImage(gsUp, kFace));

    TButtonGlyph three;
    const Bitmap threeImages = strip(3, 18, {kRed, kBlue, clBlack});
    three.SetGlyph(&threeImages);
    EXPECT_NE(three.PrepareImage(gsDown, kFace), three.PrepareImage(gsUp, kFace));
    EXPECT_EQ(imageOf(three, gsDown).pixelColor(2, 2), clBlack);
    EXPECT_EQ(imageOf(three, gsUp).pixelColor(2, 2), kRed);
}

TEST(GlyphImages, AStripsOwnDisabledImageTakesTheDesktopsHighlightShadowAndFace) {
    TButtonGlyph glyph;
    Bitmap twoImages = Bitmap::color(36, 18, clOlive);
    twoImages.setPixelColor(18 + 1, 1, clWhite);
    twoImages.setPixelColor(18 + 2, 1, clGray);
    twoImages.setPixelColor(18 + 3, 1, kRed);
    glyph.SetGlyph(&twoImages);
    const Bitmap& disabled = imageOf(glyph, gsDisabled);
    EXPECT_EQ(disabled.pixelColor(1, 1), colorToRgb(clBtnHighlight));
    EXPECT_EQ(disabled.pixelColor(2, 1), colorToRgb(clBtnShadow));
    EXPECT_EQ(disabled.pixelColor(3, 1), kRed) << "other colours stay";
    EXPECT_EQ(disabled.pixelColor(10, 10), kFace);
}

TEST(GlyphImages, ASingleImageIsEngravedFromItsPureBlackPixels) {
    TButtonGlyph glyph;
    Bitmap single = Bitmap::color(16, 16, clOlive);
    single.setPixelColor(4, 4, clBlack);
    single.setPixelColor(5, 4, clBlack);
    single.setPixelColor(8, 8, kRed);
    glyph.SetGlyph(&single);
    const ColorRef shadow = colorToRgb(clBtnShadow);
    const ColorRef highlight = colorToRgb(clBtnHighlight);
    ASSERT_NE(shadow, highlight);
    const Bitmap& disabled = imageOf(glyph, gsDisabled);
    EXPECT_EQ(disabled.pixelColor(4, 4), shadow);
    EXPECT_EQ(disabled.pixelColor(5, 4), shadow);
    EXPECT_EQ(disabled.pixelColor(5, 5), highlight);
    EXPECT_EQ(disabled.pixelColor(6, 5), highlight);
    EXPECT_EQ(disabled.pixelColor(8, 8), kFace) << "only pure black is engraved";

    TButtonGlyph darkGrey;
    Bitmap grey = Bitmap::color(16, 16, clOlive);
    for (int x = 2; x < 12; ++x) grey.setPixelColor(x, 6, rgb(64, 64, 64));
    darkGrey.SetGlyph(&grey);
    const Bitmap& plain = imageOf(darkGrey, gsDisabled);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) ASSERT_EQ(plain.pixelColor(x, y), kFace) << x << "," << y;
    }
}

TEST(GlyphImages, AMonochromeGlyphEngravesItsBlackPixels) {
    TButtonGlyph glyph;
    Bitmap mono = Bitmap::monochrome(8, 8, true);
    mono.setPixelColor(3, 3, clBlack);
    glyph.SetGlyph(&mono);
    EXPECT_EQ(glyph.TransparentColor(), clWhite);
    const Bitmap& disabled = imageOf(glyph, gsDisabled);
    EXPECT_EQ(disabled.pixelColor(3, 3), colorToRgb(clBtnShadow));
    EXPECT_EQ(disabled.pixelColor(4, 4), colorToRgb(clBtnHighlight));
    EXPECT_EQ(disabled.pixelColor(0, 0), kFace);
    EXPECT_EQ(imageOf(glyph, gsUp).pixelColor(0, 0), kFace) << "white is the monochrome glyph's background";
    EXPECT_EQ(imageOf(glyph, gsUp).pixelColor(3, 3), clBlack);
}

TEST(GlyphLists, ButtonsOfOneGlyphSizeShareAListThatGoesWithTheLast) {
    ASSERT_EQ(SharedGlyphCache, nullptr);
    auto first = std::make_unique<TButtonGlyph>();
    auto second = std::make_unique<TButtonGlyph>();
    const Bitmap sixteen = Bitmap::color(16, 16, clOlive);
    const Bitmap other = Bitmap::color(20, 20, clOlive);
    first->SetGlyph(&sixteen);
    second->SetGlyph(&sixteen);
    first->PrepareImage(gsUp, kFace);
    second->PrepareImage(gsUp, kFace);
    second->PrepareImage(gsDisabled, kFace);
    ASSERT_NE(first->List(), nullptr);
    EXPECT_EQ(first->List(), second->List());
    EXPECT_EQ(first->List()->InUse(), 3);
    auto third = std::make_unique<TButtonGlyph>();
    third->SetGlyph(&other);
    third->PrepareImage(gsUp, kFace);
    EXPECT_NE(third->List(), first->List());
    EXPECT_EQ(SharedGlyphCache->count(), 2);

    third.reset();
    EXPECT_EQ(SharedGlyphCache->count(), 1) << "a list without images goes at once";
    first.reset();
    ASSERT_NE(SharedGlyphCache, nullptr);
    second.reset();
    EXPECT_EQ(SharedGlyphCache, nullptr) << "the cache goes with the last glyph";
}

TEST(GlyphLists, FreedSlotsAreReusedLowestFirst) {
    TGlyphList list(4, 4);
    const Bitmap image = Bitmap::color(4, 4, kRed);
    EXPECT_EQ(list.AddImage(image), 0);
    EXPECT_EQ(list.AddImage(image), 1);
    EXPECT_EQ(list.AddImage(image), 2);
    list.ReleaseSlot(1);
    list.ReleaseSlot(0);
    list.ReleaseSlot(0);
    EXPECT_EQ(list.InUse(), 1) << "releasing a free slot twice counts once";
    EXPECT_EQ(list.AddImage(Bitmap::color(4, 4, kBlue)), 0);
    EXPECT_EQ(list.AddImage(image), 1);
    EXPECT_EQ(list.AddImage(image), 3);
    EXPECT_EQ(list.count(), 4) << "the image list grew only when every slot was taken";
    EXPECT_EQ(list.image(0)->pixelColor(0, 0), kBlue);
}

TEST(GlyphLists, AGlyphWithoutSizeHasNoImages) {
    TButtonGlyph glyph;
    EXPECT_EQ(glyph.PrepareImage(gsUp, kFace), -1);
    Bitmap canvas = Bitmap::color(10, 10, kBlue);
    DeviceContext context(canvas, {0, 0});
    glyph.DrawGlyph(context, 0, 0, gsUp, kFace);
    EXPECT_EQ(canvas.pixelColor(0, 0), kBlue) << "nothing drawn";
}

namespace {

// Places a glyph of `glyphWidth` x `glyphHeight` and a caption measured in an 11-pixel font.
struct Placement {
    TButtonGlyph glyph;
    Bitmap surface = Bitmap::color(200, 100);
    DeviceContext canvas{surface, {0, 0}};

    explicit Placement(int glyphWidth, int glyphHeight = 16) {
        if (glyphWidth > 0) {
            const Bitmap bitmap = Bitmap::color(glyphWidth, glyphHeight, clOlive);
            glyph.SetGlyph(&bitmap);
        }
        canvas.setFont({QStringLiteral("Tahoma"), 11});
    }
    Size textSize(const QString& caption) {
        Rect r{0, 0, 100, 0};
        canvas.drawText(caption, r, DT_CALCRECT);
        return {r.width(), r.height()};
    }
    GlyphAndTextPlace place(const Rect& client, const QString& caption, TButtonLayout layout, int margin,
                            int spacing) {
        return glyph.PlaceGlyphAndText(canvas, client, caption, layout, margin, spacing);
    }
};

}  // namespace

TEST(GlyphPlacement, CaptionOnlyAndGlyphOnlyAreCentred) {
    Placement captionOnly(0);
    const Size text = captionOnly.textSize(QStringLiteral("OK"));
    auto place = captionOnly.place({3, 3, 72, 22}, QStringLiteral("OK"), blGlyphLeft, -1, 4);
    // Spacing 0 without a glyph: the margin centres the caption ((69 - T + 1) div 2).
    EXPECT_EQ(place.text.left, 3 + (69 - text.cx + 1) / 2);
    EXPECT_EQ(place.text.top, 3 + (19 - text.cy + 1) / 2);
    EXPECT_EQ(place.text.width(), text.cx);

    Placement glyphOnly(16);
    place = glyphOnly.place({3, 3, 72, 22}, QString(), blGlyphLeft, -1, 4);
    EXPECT_EQ(place.glyph, (Point{3 + (69 - 16 + 1) / 2, 3 + (19 - 16 + 1) / 2}));
}

TEST(GlyphPlacement, MarginAndSpacingCases) {
    Placement p(16);
    const Size text = p.textSize(QStringLiteral("Cancel"));
    const Rect client{0, 0, 100, 30};
    // Both computed: equal space before the glyph, between, and after the text.
    auto place = p.place(client, QStringLiteral("Cancel"), blGlyphLeft, -1, -1);
    const int third = (100 - (16 + text.cx)) / 3;
    EXPECT_EQ(place.glyph.x, third);
    EXPECT_EQ(place.text.left, third + 16 + third);
    // Margin computed, spacing given: the pair centred.
    place = p.place(client, QStringLiteral("Cancel"), blGlyphLeft, -1, 4);
    const int centred = (100 - (16 + 4 + text.cx) + 1) / 2;
    EXPECT_EQ(place.glyph.x, centred);
    EXPECT_EQ(place.text.left, centred + 20);
    // Margin given, spacing computed.
    place = p.place(client, QStringLiteral("Cancel"), blGlyphLeft, 2, -1);
    EXPECT_EQ(place.text.left, 2 + 16 + ((100 - 18) - text.cx) / 2);
    // Both given.
    place = p.place(client, QStringLiteral("Cancel"), blGlyphRight, 5, 3);
    EXPECT_EQ(place.glyph.x, 100 - 5 - 16);
    EXPECT_EQ(place.text.left, 100 - 5 - 16 - 3 - text.cx);
}

TEST(GlyphPlacement, VerticalLayoutsAndTruncatingDivision) {
    Placement p(16);
    const Size text = p.textSize(QStringLiteral("All"));
    const Rect client{10, 20, 60, 80};
    auto place = p.place(client, QStringLiteral("All"), blGlyphTop, 2, 4);
    EXPECT_EQ(place.glyph, (Point{10 + (50 - 16 + 1) / 2, 20 + 2}));
    EXPECT_EQ(place.text.top, 20 + 2 + 16 + 4);
    EXPECT_EQ(place.text.left, 10 + (50 - text.cx + 1) / 2);
    place = p.place(client, QStringLiteral("All"), blGlyphBottom, 2, 4);
    EXPECT_EQ(place.glyph.y, 20 + 60 - 2 - 16);
    EXPECT_EQ(place.text.top, 20 + 60 - 2 - 16 - 4 - text.cy);

    // A glyph wider than the client: negative sums truncate toward zero, (8 - 16 + 1) / 2 = -3.
    Placement wide(16);
    place = wide.place({0, 0, 8, 8}, QString(), blGlyphLeft, -1, 4);
    EXPECT_EQ(place.glyph, (Point{-3, -3}));
}

TEST(GlyphCaption, DisabledIsEngravedWhiteUnderGrey) {
    Placement p(0);
    p.surface = Bitmap::color(60, 20, kBlue);
    DeviceContext canvas(p.surface, {0, 0});
    canvas.setFont({QStringLiteral("Tahoma"), 11, true});
    p.glyph.DrawCaption(canvas, QStringLiteral("I"), {10, 2, 60, 20}, gsDisabled);
    // Find the caption's leftmost grey column; white lies one pixel right and down of it.
    int greyX = -1;
    int greyY = -1;
    for (int x = 0; x < 60 && greyX < 0; ++x) {
        for (int y = 0; y < 20; ++y) {
            if (p.surface.pixelColor(x, y) == clGray) {
                greyX = x;
                greyY = y;
                break;
            }
        }
    }
    ASSERT_GE(greyX, 10) << "flags 0: drawn from the rectangle's left";
    EXPECT_LT(greyX, 14);
    bool whiteBelowRight = false;
    for (int y = greyY; y < 20; ++y) whiteBelowRight |= p.surface.pixelColor(greyX + 1, y) == clWhite;
    EXPECT_TRUE(whiteBelowRight);
}
