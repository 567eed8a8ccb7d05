#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <tuple>

#include "controls/ButtonWithColor.h"
#include "platform/resources/ResourceTable.h"

using namespace gdi;

namespace {

constexpr ColorRef kGrey = rgb(128, 128, 128);
constexpr ColorRef kCream = rgb(255, 251, 240);
constexpr ColorRef kRed = rgb(255, 0, 0);

FontSpec creamTahoma() {
    return {QStringLiteral("Tahoma"), FontSpec::pixelsForPoints(8), false, false, false, false, kCream};
}

// A window holding one colour button of 75 x 25 at (10, 10), and a line edit to move the focus to.
struct ButtonWindow {
    QDialog window;
    TColorButton* button = new TColorButton(&window);
    QLineEdit* edit = new QLineEdit(&window);
    int clicks = 0;

    ButtonWindow() {
        window.resize(200, 100);
        button->setGeometry(10, 10, 75, 25);
        edit->setGeometry(10, 50, 100, 20);
        button->OnClick = [this](TColorButton*) { ++clicks; };
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
};

// The bounding box of the pixels of one colour inside the face's edges, or an empty rectangle.
Rect boxOf(const Bitmap& bitmap, ColorRef colour) {
    Rect box{bitmap.width(), bitmap.height(), -1, -1};
    for (int y = 2; y < bitmap.height() - 2; ++y) {
        for (int x = 2; x < bitmap.width() - 2; ++x) {
            if (bitmap.pixelColor(x, y) != colour) continue;
            box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                   std::max(box.bottom, y + 1)};
        }
    }
    return box.right < 0 ? Rect{} : box;
}

// A 16 x 16 glyph: a red block on olive, so where it lands is visible.
Bitmap redBlockGlyph() {
    Bitmap glyph = Bitmap::color(16, 16, clOlive);
    for (int y = 4; y < 12; ++y) {
        for (int x = 4; x < 12; ++x) glyph.setPixelColor(x, y, kRed);
    }
    return glyph;
}

}  // namespace

TEST(ColorButtonFace, GreyWithCreamTextAndNoGlyphShowsTheCentredCaptionInsideTheRaisedEdge) {
    ButtonWindow w;
    w.button->SetColor(kGrey);
    w.button->SetFont(creamTahoma());
    w.button->SetCaption(QStringLiteral("OK"));
    const Bitmap face = w.button->renderFace();
    EXPECT_EQ(face.pixelColor(0, 0), colorToRgb(cl3DLight)) << "the raised edge: light, then highlight";
    EXPECT_EQ(face.pixelColor(1, 1), colorToRgb(clBtnHighlight));
    EXPECT_EQ(face.pixelColor(74, 24), colorToRgb(cl3DDkShadow));
    EXPECT_EQ(face.pixelColor(73, 23), colorToRgb(clBtnShadow));
    EXPECT_EQ(face.pixelColor(2, 2), kGrey);
    const Rect text = boxOf(face, kCream);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR((text.left + text.right) / 2.0, 37.5, 1.5) << "centred";
    EXPECT_NEAR((text.top + text.bottom) / 2.0, 12.5, 2.5);
}

TEST(ColorButtonFace, PressingShiftsTheContentAndSwapsTheEdgeForTheShadowOutline) {
    ButtonWindow w;
    w.button->SetColor(kGrey);
    const Bitmap glyph = redBlockGlyph();
    w.button->SetGlyph(&glyph);
    w.button->SetCaption(QStringLiteral("Go"));
    const Bitmap up = w.button->renderFace();
    w.button->setDown(true);
    const Bitmap down = w.button->renderFace();
    EXPECT_EQ(boxOf(down, kRed), boxOf(up, kRed).offset(1, 1));
    EXPECT_EQ(down.pixelColor(0, 0), colorToRgb(clBtnShadow));
    EXPECT_EQ(down.pixelColor(74, 24), colorToRgb(clBtnShadow));
    EXPECT_EQ(down.pixelColor(1, 1), kGrey) << "no raised edge inside";
}

TEST(ColorButtonFace, FocusAndTheActiveLookDrawTheFrameAndFocusRectangle) {
    ButtonWindow w;
    w.button->SetColor(kGrey);
    EXPECT_FALSE(w.button->ShowActive());
    w.button->setFocus();
    EXPECT_TRUE(w.button->ShowActive());
    const Bitmap face = w.button->renderFace();
    EXPECT_EQ(face.pixelColor(0, 0), colorToRgb(clWindowFrame));
    EXPECT_EQ(face.pixelColor(1, 1), colorToRgb(cl3DLight)) << "the raised edge inside the frame";
    // The dotted focus rectangle 4 pixels in on every side inverts every other pixel of its lines,
    // and none of the lines just outside it.
    const auto invertedAlong = [&face](int x0, int y0, int dx, int dy, int count) {
        int inverted = 0;
        for (int i = 0; i < count; ++i) inverted += face.pixelColor(x0 + i * dx, y0 + i * dy) != kGrey;
        return inverted;
    };
    for (const auto& [x, y, dx, dy, count] : {std::tuple{4, 4, 1, 0, 67}, std::tuple{4, 20, 1, 0, 67},
                                              std::tuple{4, 4, 0, 1, 17}, std::tuple{70, 4, 0, 1, 17}}) {
        EXPECT_GT(invertedAlong(x, y, dx, dy, count), count / 2 - 3) << "line at " << x << "," << y;
        EXPECT_LT(invertedAlong(x, y, dx, dy, count), count / 2 + 3) << "line at " << x << "," << y;
    }
    EXPECT_EQ(invertedAlong(3, 3, 1, 0, 69), 0) << "nothing 3 pixels in";
    EXPECT_EQ(invertedAlong(3, 21, 1, 0, 69), 0);
    EXPECT_EQ(invertedAlong(3, 3, 0, 1, 19), 0);
    EXPECT_EQ(invertedAlong(71, 3, 0, 1, 19), 0);
}

TEST(ColorButtonFace, TheActiveLookLaysTheContentOutInsideTheFrameNotInsideTheEdge) {
    ButtonWindow w;
    w.button->SetColor(kGrey);
    const Bitmap glyph = redBlockGlyph();
    w.button->SetGlyph(&glyph);
    w.button->SetMargin(0);
    const Rect idle = boxOf(w.button->renderFace(), kRed);
    w.button->setFocus();
    ASSERT_TRUE(w.button->ShowActive());
    const Rect active = boxOf(w.button->renderFace(), kRed);
    // The glyph's red block starts 4 pixels into the glyph, which starts at the content area's left.
    EXPECT_EQ(idle.left, 3 + 4) << "inside the raised edge and the face";
    EXPECT_EQ(active.left, 1 + 4) << "the active look: inside the one-pixel frame";
}

TEST(ColorButtonFace, DisablingShowsTheStripsSecondImageOrTheEngravedOneAndAnEngravedCaption) {
    ButtonWindow w;
    w.button->SetColor(rgb(0, 128, 128));  // not grey: the caption is engraved in grey
    Bitmap strip = Bitmap::color(36, 18, clOlive);
    strip.setPixelColor(5, 5, kRed);
    strip.setPixelColor(18 + 5, 5, rgb(0, 0, 255));
    w.button->SetGlyph(&strip);
    w.button->SetCaption(QStringLiteral("Off"));
    w.button->setEnabled(false);
    Bitmap face = w.button->renderFace();
    EXPECT_FALSE(boxOf(face, rgb(0, 0, 255)).isEmpty()) << "the second image";
    EXPECT_TRUE(boxOf(face, kRed).isEmpty());
    const Rect grey = boxOf(face, clGray);
    const Rect white = boxOf(face, clWhite);
    ASSERT_FALSE(grey.isEmpty());
    EXPECT_EQ(white.right, grey.right + 1) << "white one pixel right of the grey caption";

    Bitmap single = Bitmap::color(16, 16, clOlive);
    single.setPixelColor(6, 6, clBlack);
    w.button->SetGlyph(&single);
    face = w.button->renderFace();
    EXPECT_TRUE(boxOf(face, clBlack).isEmpty()) << "black is engraved";
}

TEST(ColorButtonFace, ChangingTheColourRepaintsTheFormerlyTransparentGlyphPixels) {
    ButtonWindow w;
    w.button->SetColor(kGrey);
    const Bitmap glyph = redBlockGlyph();
    w.button->SetGlyph(&glyph);
    const Rect block = boxOf(w.button->renderFace(), kRed);
    ASSERT_FALSE(block.isEmpty());
    const ColorRef teal = rgb(0, 128, 128);
    w.button->SetColor(teal);
    const Bitmap face = w.button->renderFace();
    // Just outside the red block, inside the glyph's 16 x 16 square: olive became the new face.
    EXPECT_EQ(face.pixelColor(block.left - 2, block.top - 2), teal);
    EXPECT_TRUE(boxOf(face, kGrey).isEmpty());
}

TEST(ColorButtonKinds, OkIsTheDefaultWithModalResultOneUntilAValueChanges) {
    ButtonWindow w;
    w.button->SetKind(bkOK);
    EXPECT_TRUE(w.button->Default());
    EXPECT_FALSE(w.button->Cancel());
    EXPECT_EQ(w.button->ModalResult(), 1);
    EXPECT_EQ(w.button->Caption(), QStringLiteral("OK"));
    EXPECT_EQ(w.button->Glyph(), resources::loadBitmapResource(QStringLiteral("BBCOK")));
    EXPECT_EQ(w.button->NumGlyphs(), 2);
    EXPECT_EQ(w.button->Kind(), bkOK);
    w.button->SetModalResult(0);
    EXPECT_EQ(w.button->Kind(), bkCustom);

    w.button->SetKind(bkAll);
    EXPECT_EQ(w.button->Glyph().height(), 19);
    EXPECT_EQ(w.button->NumGlyphs(), 2) << "36 x 19 is no multiple: the kind's count holds";
    w.button->SetColor(rgb(1, 2, 3));
    EXPECT_EQ(w.button->Kind(), bkCustom) << "the colour re-applies the glyph as the button's own";
}

TEST(ColorButtonKinds, EveryKindHasItsGlyphStrip) {
    for (int kind = bkOK; kind <= bkAll; ++kind) {
        const Bitmap& glyph = KindGlyph(static_cast<TColorButtonKind>(kind));
        EXPECT_EQ(glyph.width(), 36) << kind;
        EXPECT_EQ(glyph.height(), kind == bkAll ? 19 : 18) << kind;
        EXPECT_EQ(glyph.sourceBitsPerPixel(), 4) << kind;
        EXPECT_EQ(glyph.transparentColor() & 0xFFFFFF, clOlive) << kind;
    }
}

TEST(ColorButtonKinds, CloseClosesTheFormWithoutOnClickAndHelpAsksForTheContext) {
    ButtonWindow w;
    w.button->SetKind(bkClose);
    w.button->click();
    EXPECT_FALSE(w.window.isVisible());
    EXPECT_EQ(w.clicks, 0);

    ButtonWindow help;
    int shown = 0;
    const TColorButton::ScopedHelpViewer viewer([&shown](int context) { shown = context; });
    help.button->SetKind(bkHelp);
    help.button->click();
    EXPECT_EQ(help.clicks, 1) << "no context anywhere: the general click";
    help.window.setProperty("HelpContext", 42);
    help.button->click();
    EXPECT_EQ(shown, 42);
    EXPECT_EQ(help.clicks, 1);
}

TEST(ColorButtonKinds, AModalResultEndsAModalForm) {
    ButtonWindow w;
    w.button->SetKind(bkCancel);
    QTimer::singleShot(0, w.button, [&w] { w.button->click(); });
    EXPECT_EQ(w.window.exec(), 2);
    EXPECT_EQ(w.clicks, 1) << "OnClick runs before the form closes";
}

TEST(ColorButtonProperties, SetterRules) {
    TColorButton button;
    button.SetMargin(-2);
    EXPECT_EQ(button.Margin(), -1);
    button.SetMargin(3);
    EXPECT_EQ(button.Margin(), 3);
    button.SetMargin(-1);
    EXPECT_EQ(button.Margin(), -1) << "-1 centres the content, and is taken";
    button.SetNumGlyphs(7);
    EXPECT_EQ(button.NumGlyphs(), 4);
    EXPECT_EQ(button.Spacing(), 4);
    EXPECT_EQ(button.Layout(), blGlyphLeft);
    EXPECT_EQ(button.Color(), clBtnFace);
}

TEST(ColorButtonKeys, EnterClicksTheFocusedButtonOrTheDefaultAndEscapeTheCancelButton) {
    ButtonWindow w;
    auto* other = new TColorButton(&w.window);
    other->setGeometry(100, 10, 75, 25);
    other->show();
    int otherClicks = 0;
    other->OnClick = [&otherClicks](TColorButton*) { ++otherClicks; };

    QTest::keyClick(w.edit, Qt::Key_Return);
    EXPECT_EQ(w.clicks + otherClicks, 0) << "no default button: Enter in the edit box does nothing";

    w.button->SetDefault(true);
    EXPECT_TRUE(w.button->ShowActive()) << "the default button looks active while the edit box has the focus";
    QTest::keyClick(w.edit, Qt::Key_Return);
    EXPECT_EQ(w.clicks, 1);
    other->setFocus();
    EXPECT_FALSE(w.button->ShowActive());
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(otherClicks, 1) << "Enter on another push button clicks that one";
    EXPECT_EQ(w.clicks, 1);

    other->SetCancel(true);
    QTest::keyClick(w.edit, Qt::Key_Escape);
    EXPECT_EQ(otherClicks, 2);
    EXPECT_TRUE(w.window.isVisible());
}

TEST(ColorButtonMouse, ADoubleClickGivesTwoClicks) {
    ButtonWindow w;
    const QPoint centre(37, 12);
    QTest::mouseClick(w.button, Qt::LeftButton, {}, centre);
    QTest::mouseDClick(w.button, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(w.button, Qt::LeftButton, {}, centre);
    EXPECT_EQ(w.clicks, 2);
}
