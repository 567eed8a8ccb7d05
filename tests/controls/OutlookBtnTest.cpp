#include <gtest/gtest.h>

#include <map>

#include "../support/MouseDriver.h"
#include "controls/OutlookBtn.h"
#include "platform/windowless/PictureControl.h"
#include "platform/windowless/WindowlessHost.h"

using namespace gdi;

namespace {

constexpr ColorRef kKey = rgb(255, 0, 128);
constexpr ColorRef kBackground = rgb(0, 128, 0);
constexpr ColorRef kInk = rgb(255, 255, 0);

// A host that counts repaint requests per control.
class CountingHost : public windowless::WindowlessHost {
public:
    void invalidateControl(windowless::WindowlessControl* control) override {
        ++repaints[control];
        WindowlessHost::invalidateControl(control);
    }
    std::map<windowless::WindowlessControl*, int> repaints;
};

struct Fixture {
    CountingHost host;
    TOutlookBtn button{&host};
    testsupport::MouseDriver mouse{&host};

    Fixture(int width, int height, BStyle style) {
        host.resize(width + 20, height + 20);
        host.setBackgroundColor(kBackground);
        button.setBounds(10, 10, width, height);
        button.setStyle(style);
    }
    // The rendered button area, in button coordinates.
    ColorRef at(int x, int y) { return host.renderToBitmap().pixelColor(10 + x, 10 + y); }
    Bitmap render() { return host.renderToBitmap(); }
};

// A bitmap of the key colour with a coloured pixel per position, so placement is visible.
Bitmap gradientBitmap(int width, int height) {
    Bitmap bitmap = Bitmap::color(width, height, kKey);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (x == 0 && y == height - 1) continue;  // the key colour stays bottom-left
            bitmap.setPixelColor(x, y, rgb(x * 5, y * 5, 7));
        }
    }
    return bitmap;
}

FontSpec inkFont() {
    return {QStringLiteral("Tahoma"), 12, true, false, false, false, kInk};
}

struct FramePixels {
    ColorRef topLeft, topRight, bottomLeft, bottomRight, topMiddle, leftMiddle, rightMiddle, bottomMiddle;
};

FramePixels framePixels(Fixture& f, int width, int height) {
    const Bitmap b = f.render();
    auto at = [&](int x, int y) { return b.pixelColor(10 + x, 10 + y); };
    return {at(0, 0),         at(width - 1, 0),  at(0, height - 1),         at(width - 1, height - 1),
            at(width / 2, 0), at(0, height / 2), at(width - 1, height / 2), at(width / 2, height - 1)};
}

}  // namespace

TEST(OutlookBtnFrame, EveryStyleAndStateDrawsItsFramePixels) {
    const ColorRef highlight = colorToRgb(clBtnHighlight);
    const ColorRef shadow = colorToRgb(clBtnShadow);
    ASSERT_NE(highlight, shadow);
    enum class Frame { none, raised, sunken };
    struct Case {
        BStyle style;
        bool pressed;
        bool over;
        Frame frame;
    };
    const Case cases[] = {
        {bsNone, false, false, Frame::none},     {bsNone, false, true, Frame::none},
        {bsNone, true, true, Frame::none},       {bsNormal, false, false, Frame::raised},
        {bsNormal, false, true, Frame::raised},  {bsNormal, true, true, Frame::sunken},
        {bsMSOffice, false, false, Frame::none}, {bsMSOffice, false, true, Frame::raised},
        {bsMSOffice, true, true, Frame::sunken}, {bsOutlook, false, false, Frame::none},
        {bsOutlook, false, true, Frame::raised}, {bsOutlook, true, true, Frame::sunken},
    };
    for (const Case& c : cases) {
        Fixture f(12, 10, c.style);
        if (c.over) f.mouse.move(15, 15);
        if (c.pressed) f.mouse.press(15, 15);
        ASSERT_EQ(f.button.pressed(), c.pressed);
        const FramePixels p = framePixels(f, 12, 10);
        const ColorRef inside = c.style == bsOutlook && c.over ? colorToRgb(clBtnFace) : kBackground;
        const std::string label = "style " + std::to_string(c.style) + " pressed " +
                                  std::to_string(c.pressed) + " over " + std::to_string(c.over);
        if (c.frame == Frame::none) {
            EXPECT_EQ(p.topLeft, inside) << label;
            EXPECT_EQ(p.bottomRight, inside) << label;
            EXPECT_EQ(p.topRight, inside) << label;
            continue;
        }
        const ColorRef top = c.frame == Frame::raised ? highlight : shadow;
        const ColorRef bottom = c.frame == Frame::raised ? shadow : highlight;
        EXPECT_EQ(p.topLeft, top) << label;
        EXPECT_EQ(p.topMiddle, top) << label;
        EXPECT_EQ(p.leftMiddle, top) << label;
        EXPECT_EQ(p.topRight, bottom) << label << " (top-right corner)";
        EXPECT_EQ(p.bottomLeft, bottom) << label << " (bottom-left corner)";
        EXPECT_EQ(p.rightMiddle, bottom) << label;
        EXPECT_EQ(p.bottomMiddle, bottom) << label;
        EXPECT_EQ(p.bottomRight, bottom) << label;
    }
}

TEST(OutlookBtnBitmap, PixelsOfExactlyTheKeyColourShowTheParent) {
    Fixture f(4, 3, bsNone);
    Bitmap bitmap = Bitmap::color(4, 3, kKey);
    bitmap.setPixelColor(1, 0, rgb(255, 0, 127));  // one step from the key: drawn
    bitmap.setPixelColor(2, 1, rgb(0, 0, 0));
    bitmap.setPixelColor(3, 2, rgb(255, 255, 255));
    f.button.setBitmap(bitmap);
    const Bitmap b = f.render();
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            const ColorRef source = bitmap.pixelColor(x, y);
            EXPECT_EQ(b.pixelColor(10 + x, 10 + y), source == kKey ? kBackground : source) << x << "," << y;
        }
    }
    // The caller's bitmap is unchanged by the mask-and-merge drawing.
    EXPECT_EQ(f.button.bitmap(), bitmap);
}

TEST(OutlookBtnBitmap, ExplicitTransparentColourWins) {
    Fixture f(2, 1, bsNone);
    Bitmap bitmap = Bitmap::color(2, 1, kKey);
    bitmap.setPixelColor(1, 0, rgb(1, 2, 3));
    bitmap.setTransparentColor(rgb(1, 2, 3));
    f.button.setBitmap(bitmap);
    EXPECT_EQ(f.at(0, 0), kKey);
    EXPECT_EQ(f.at(1, 0), kBackground);
}

TEST(OutlookBtnBitmap, PlacementTruncatesAndTheFrameCoversTheOuterRing) {
    Fixture f(25, 25, bsMSOffice);
    const Bitmap small = gradientBitmap(24, 25);
    f.button.setBitmap(small);
    EXPECT_EQ(f.at(0, 0), small.pixelColor(0, 0));
    EXPECT_EQ(f.at(23, 10), small.pixelColor(23, 10));
    EXPECT_EQ(f.button.bitmapRect(), (Rect{0, 0, 24, 25}));

    Fixture g(30, 30, bsMSOffice);
    const Bitmap full = gradientBitmap(30, 30);
    g.button.setBitmap(full);
    EXPECT_EQ(g.at(0, 5), full.pixelColor(0, 5)) << "no frame at rest";
    g.mouse.move(25, 25);
    EXPECT_EQ(g.at(0, 5), colorToRgb(clBtnHighlight)) << "the raised frame covers the outer ring";
    EXPECT_EQ(g.at(1, 5), full.pixelColor(1, 5));
}

TEST(OutlookBtnBitmap, PressedContentMovesOnePixelRightAndDown) {
    Fixture f(20, 20, bsMSOffice);
    Bitmap bitmap = Bitmap::color(4, 4, rgb(0, 0, 255));
    bitmap.setPixelColor(0, 3, kKey);
    f.button.setBitmap(bitmap);
    EXPECT_EQ(f.button.bitmapRect(), (Rect{}));  // not painted yet
    EXPECT_EQ(f.at(8, 8), rgb(0, 0, 255));
    EXPECT_EQ(f.button.bitmapRect(), (Rect{8, 8, 12, 12}));
    f.mouse.move(15, 15);
    f.mouse.press(15, 15);
    EXPECT_EQ(f.at(8, 8), kBackground);
    EXPECT_EQ(f.at(9, 9), rgb(0, 0, 255));
    EXPECT_EQ(f.at(12, 12), rgb(0, 0, 255));
    EXPECT_EQ(f.button.bitmapRect(), (Rect{8, 8, 12, 12})) << "the recorded place has no offset";
}

TEST(OutlookBtnBitmap, LargerBitmapIsCentredAndClippedNotLost) {
    Fixture f(25, 25, bsNone);
    const Bitmap large = gradientBitmap(31, 31);
    f.button.setBitmap(large);
    // (25 - 31) / 2 = -3: bitmap column 3 lands on button column 0.
    EXPECT_EQ(f.at(0, 0), large.pixelColor(3, 3));
    EXPECT_EQ(f.at(24, 24), large.pixelColor(27, 27));
    EXPECT_EQ(f.render().pixelColor(9, 9), kBackground) << "nothing drawn outside the button";
}

TEST(OutlookBtnCaption, NoneStyleLabelShowsTheParentAroundAndBetweenLetters) {
    CountingHost host;
    host.resize(120, 40);
    windowless::PictureControl pattern(&host);
    pattern.setBounds(0, 0, 120, 40);
    Bitmap checker = Bitmap::color(120, 40);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x)
            checker.setPixelColor(x, y, ((x + y) & 1) ? rgb(20, 20, 20) : rgb(60, 0, 0));
    }
    pattern.setPicture(checker);
    TOutlookBtn label(&host);
    label.setStyle(bsNone);
    label.setBounds(5, 5, 100, 20);
    label.setFont(inkFont());
    label.setCaption(QStringLiteral("Song name"));
    const Bitmap b = host.renderToBitmap();
    int ink = 0;
    int parent = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            const ColorRef c = b.pixelColor(x, y);
            if (c == kInk) {
                ++ink;
                ASSERT_TRUE(x >= 5 && x < 105 && y >= 5 && y < 25) << "ink outside the label";
            } else {
                ASSERT_EQ(c, checker.pixelColor(x, y)) << "the parent shows at " << x << "," << y;
                ++parent;
            }
        }
    }
    EXPECT_GT(ink, 30);
}

TEST(OutlookBtnCaption, CheckedDrawsAnOpaqueFaceBehindTheTextAndNoFrame) {
    Fixture f(100, 20, bsNone);
    f.button.setFont(inkFont());
    f.button.setCaption(QStringLiteral("Checked"));
    f.button.setChecked(true);
    const Bitmap b = f.render();
    bool face = false;
    bool text = false;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 100; ++x) {
            const ColorRef c = b.pixelColor(10 + x, 10 + y);
            face |= c == colorToRgb(clBtnFace);
            text |= c == colorToRgb(clBtnText);
            EXPECT_NE(c, kInk) << "the checked caption uses the button-text colour";
        }
    }
    EXPECT_TRUE(face);
    EXPECT_TRUE(text);
    EXPECT_EQ(b.pixelColor(10, 10), kBackground) << "no frame";
}

TEST(OutlookBtnCaption, SitsThreePixelsBelowTheBitmapCentredOnTheRemainingHeight) {
    Fixture f(60, 50, bsNone);
    f.button.setFont(inkFont());
    f.button.setCaption(QStringLiteral("Play"));
    f.button.setBitmap(Bitmap::color(10, 10, rgb(0, 0, 255)));
    gdi::DeviceContext measure;
    measure.setFont(inkFont());
    const int textHeight = measure.textExtent(QStringLiteral("W")).cy;
    const Bitmap b = f.render();
    const int y = (50 - 10 - textHeight) / 2;
    EXPECT_EQ(f.button.bitmapRect(), (Rect{25, y, 35, y + 10}));
    int firstInkRow = -1;
    for (int row = 0; row < 50 && firstInkRow < 0; ++row) {
        for (int x = 0; x < 60; ++x) {
            if (b.pixelColor(10 + x, 10 + row) == kInk) {
                firstInkRow = row;
                break;
            }
        }
    }
    EXPECT_GE(firstInkRow, y + 10 + 3);
    EXPECT_LT(firstInkRow, y + 10 + 3 + textHeight);
}

TEST(OutlookBtnCaption, LongCaptionsAreDrawnWholeAndTallOnesCentredAndClipped) {
    Fixture f(700, 20, bsNone);
    f.button.setFont(inkFont());
    f.button.setCaption(QString(60, QLatin1Char('W')));
    const Bitmap b = f.render();
    // Centred: the 60th letter ends near 350 + half the text width.
    gdi::DeviceContext measure;
    measure.setFont(inkFont());
    const int half = measure.textExtent(QString(60, QLatin1Char('W'))).cx / 2;
    const int fortyThird = measure.textExtent(QString(43, QLatin1Char('W'))).cx;
    bool inkPastFortyThird = false;
    for (int x = 350 - half + fortyThird + 2; x < 700; ++x) {
        for (int y = 0; y < 20; ++y) inkPastFortyThird |= b.pixelColor(10 + x, 10 + y) == kInk;
    }
    EXPECT_TRUE(inkPastFortyThird);

    Fixture tall(40, 6, bsNone);
    tall.button.setFont({QStringLiteral("Tahoma"), 30, true, false, false, false, kInk});
    tall.button.setCaption(QStringLiteral("I"));
    const Bitmap t = tall.render();
    int ink = 0;
    for (int y = 0; y < t.height(); ++y) {
        for (int x = 0; x < t.width(); ++x) {
            if (t.pixelColor(x, y) != kInk) continue;
            ++ink;
            EXPECT_TRUE(y >= 10 && y < 16) << "clipped to the button";
        }
    }
    EXPECT_GT(ink, 0) << "the middle of a tall caption shows";
}

TEST(OutlookBtnMouse, ClickOnlyForAReleaseInside) {
    Fixture f(20, 20, bsMSOffice);
    int clicks = 0;
    f.button.OnClick = [&clicks](windowless::WindowlessControl*) { ++clicks; };
    f.mouse.move(15, 15);
    f.mouse.press(15, 15);
    EXPECT_TRUE(f.button.pressed());
    f.mouse.move(45, 15);
    EXPECT_TRUE(f.button.pressed()) << "stays pressed while dragged out";
    EXPECT_EQ(f.at(0, 0), colorToRgb(clBtnShadow)) << "sunken while dragged out";
    f.mouse.release(45, 15);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(f.button.pressed());
    EXPECT_FALSE(f.button.mouseOver());
    EXPECT_EQ(f.at(0, 0), kBackground) << "flat after a release outside";

    f.mouse.move(15, 15);
    f.mouse.press(15, 15);
    f.mouse.move(45, 15);
    f.mouse.move(16, 16);
    f.mouse.release(16, 16);
    EXPECT_EQ(clicks, 1) << "drag out and back in still clicks";
    EXPECT_TRUE(f.button.mouseOver());
    EXPECT_EQ(f.at(0, 0), colorToRgb(clBtnHighlight)) << "raised after a click with the pointer over it";
}

TEST(OutlookBtnMouse, ClickFiresBeforeTheButtonLeavesItsPressedLook) {
    Fixture f(20, 20, bsMSOffice);
    bool pressedDuringClick = false;
    QStringList order;
    f.button.OnClick = [&](windowless::WindowlessControl*) {
        pressedDuringClick = f.button.pressed();
        order << QStringLiteral("click");
    };
    f.button.OnMouseDown = [&](windowless::WindowlessControl*, windowless::MouseButton,
                               windowless::ShiftState, int,
                               int) { order << (f.button.pressed() ? "down(pressed)" : "down"); };
    f.button.OnMouseUp = [&](windowless::WindowlessControl*, windowless::MouseButton, windowless::ShiftState,
                             int, int) { order << QStringLiteral("up"); };
    f.mouse.click(15, 15);
    EXPECT_TRUE(pressedDuringClick);
    EXPECT_EQ(order, (QStringList{"down", "click", "up"}));
}

TEST(OutlookBtnMouse, DisabledButtonFiresNothingYetShowsTheRaisedFrame) {
    Fixture f(20, 20, bsMSOffice);
    f.button.setEnabled(false);
    int events = 0;
    f.button.OnClick = [&events](windowless::WindowlessControl*) { ++events; };
    f.button.OnMouseDown = [&events](windowless::WindowlessControl*, windowless::MouseButton,
                                     windowless::ShiftState, int, int) { ++events; };
    f.button.OnMouseMove = [&events](windowless::WindowlessControl*, windowless::ShiftState, int, int) {
        ++events;
    };
    f.mouse.move(15, 15);
    EXPECT_EQ(f.at(0, 0), colorToRgb(clBtnHighlight));
    f.mouse.press(15, 15);
    EXPECT_FALSE(f.button.pressed());
    f.mouse.release(15, 15);
    EXPECT_EQ(events, 0);
}

TEST(OutlookBtnSetters, RepaintOnlyOnChangeExceptBitmap) {
    Fixture f(20, 20, bsMSOffice);
    auto repaints = [&f] { return f.host.repaints[&f.button]; };
    int before = repaints();
    f.button.setStyle(bsMSOffice);
    f.button.setChecked(false);
    f.button.setCaption(QString());
    EXPECT_EQ(repaints(), before);
    f.button.setStyle(bsOutlook);
    EXPECT_EQ(repaints(), before + 1);
    f.button.setChecked(true);
    EXPECT_EQ(repaints(), before + 2);
    f.button.setBitmap(Bitmap());
    f.button.setBitmap(Bitmap());
    EXPECT_EQ(repaints(), before + 4) << "setting the bitmap always repaints";

    // Moving over a bsNone button marks nothing and repaints nothing.
    f.button.setStyle(bsNone);
    before = repaints();
    f.mouse.move(15, 15);
    f.mouse.move(45, 15);
    EXPECT_EQ(repaints(), before);
}

TEST(OutlookBtnSetters, DefaultsOfANewButton) {
    windowless::WindowlessHost host;
    TOutlookBtn button(&host);
    EXPECT_EQ(button.width(), 30);
    EXPECT_EQ(button.height(), 30);
    EXPECT_EQ(button.style(), bsNormal);
    EXPECT_FALSE(button.checked());
    EXPECT_TRUE(button.bitmap().isEmpty());
    EXPECT_EQ(button.font().name, QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(button.font().pixelHeight, 11) << "8 points at 96 dots per inch";
}
