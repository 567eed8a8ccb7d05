#include <gtest/gtest.h>

#include <QFontMetrics>
#include <set>

#include "platform/gdi/DeviceContext.h"

using namespace gdi;

namespace {

constexpr ColorRef kBackground = rgb(10, 20, 30);
constexpr ColorRef kInk = rgb(250, 240, 0);

struct TextCanvas {
    Bitmap bitmap;
    DeviceContext context;
    TextCanvas(int width, int height) : bitmap(Bitmap::color(width, height, kBackground)) {
        context.selectBitmap(&bitmap);
        context.setFont({QStringLiteral("Tahoma"), 12, true, false, false, false, clBlack});
        context.setTextColor(kInk);
        context.setBkMode(TRANSPARENT);
    }
    // The bounding box of all pixels that differ from the background.
    Rect inkBox() const {
        Rect box{bitmap.width(), bitmap.height(), 0, 0};
        for (int y = 0; y < bitmap.height(); ++y) {
            for (int x = 0; x < bitmap.width(); ++x) {
                if (bitmap.pixelColor(x, y) == kBackground) continue;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
        return box;
    }
};

}  // namespace

TEST(DrawText, CalcRectMeasuresWithoutDrawing) {
    TextCanvas canvas(200, 60);
    const Size extent = canvas.context.textExtent(QStringLiteral("Hello"));
    Rect rect{5, 7, 5, 7};
    const int height = canvas.context.drawText(QStringLiteral("Hello"), rect, DT_CALCRECT);
    EXPECT_EQ(height, extent.cy);
    EXPECT_EQ(rect, (Rect{5, 7, 5 + extent.cx, 7 + extent.cy}));
    EXPECT_TRUE(canvas.inkBox().isEmpty());

    Rect twoLines{0, 0, 0, 0};
    EXPECT_EQ(canvas.context.drawText(QStringLiteral("a\r\nlonger line"), twoLines, DT_CALCRECT),
              2 * extent.cy)
        << "flags 0 break lines only at line breaks";
    EXPECT_EQ(twoLines.width(), canvas.context.textExtent(QStringLiteral("longer line")).cx);
    Rect single{0, 0, 0, 0};
    EXPECT_EQ(canvas.context.drawText(QStringLiteral("a\nb"), single, DT_CALCRECT | DT_SINGLELINE),
              extent.cy);
}

TEST(DrawText, TextIsDrawnWithoutAntialiasingInTheTextColourOnly) {
    TextCanvas canvas(120, 30);
    Rect rect{0, 0, 120, 30};
    canvas.context.drawText(QStringLiteral("Quillon Wg"), rect, 0);
    std::set<ColorRef> colours;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 120; ++x) colours.insert(canvas.bitmap.pixelColor(x, y));
    }
    EXPECT_EQ(colours, (std::set<ColorRef>{kBackground, kInk}));
}

TEST(DrawText, IsClippedToItsRectangle) {
    TextCanvas canvas(100, 40);
    Rect rect{10, 10, 30, 20};
    canvas.context.drawText(QStringLiteral("WWWWWWWWWW"), rect, 0);
    const Rect ink = canvas.inkBox();
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left, 10);
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.right, 30);
    EXPECT_LE(ink.bottom, 20);
}

TEST(DrawText, CentresHorizontallyAndVertically) {
    TextCanvas canvas(200, 60);
    const QString text = QStringLiteral("IIII");
    const Size extent = canvas.context.textExtent(text);
    canvas.context.setBkMode(OPAQUE);
    canvas.context.setBkColor(rgb(1, 1, 1));
    Rect rect{0, 0, 200, 60};
    canvas.context.drawText(text, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    // The opaque background shows exactly the text cell.
    const Rect cell = canvas.inkBox();
    EXPECT_EQ(cell.width(), extent.cx);
    EXPECT_EQ(cell.height(), extent.cy);
    EXPECT_EQ(cell.left, (200 - extent.cx) / 2);
    EXPECT_EQ(cell.top, (60 - extent.cy) / 2);
}

TEST(DrawText, ExpandsTabsToStopsOfEightAverageCharacters) {
    TextCanvas canvas(300, 30);
    Rect plain{0, 0, 0, 0};
    canvas.context.drawText(QStringLiteral("a\tb"), plain, DT_CALCRECT | DT_EXPANDTABS);
    Rect stop{0, 0, 0, 0};
    canvas.context.drawText(QStringLiteral("b"), stop, DT_CALCRECT);
    const int tabStop = plain.width() - stop.width();
    EXPECT_GT(tabStop, canvas.context.textExtent(QStringLiteral("a")).cx);
    Rect twoTabs{0, 0, 0, 0};
    canvas.context.drawText(QStringLiteral("\t\tb"), twoTabs, DT_CALCRECT | DT_EXPANDTABS);
    EXPECT_EQ(twoTabs.width() - stop.width(), 2 * tabStop);
}

TEST(DrawText, DrawsOntoMonochromeBitmaps) {
    Bitmap mono = Bitmap::monochrome(60, 20, true);
    DeviceContext context;
    context.selectBitmap(&mono);
    context.setBkMode(TRANSPARENT);
    context.setTextColor(clBlack);
    Rect rect{0, 0, 60, 20};
    context.drawText(QStringLiteral("Mono"), rect, 0);
    int black = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 60; ++x) black += mono.pixelColor(x, y) == clBlack ? 1 : 0;
    }
    EXPECT_GT(black, 20);
}

TEST(DrawText, AnAmpersandMarksAnAccessKeyUnlessPrefixesAreOff) {
    const auto drawn = [](const QString& text, unsigned flags) {
        TextCanvas canvas(120, 30);
        Rect rect{0, 0, 120, 30};
        canvas.context.drawText(text, rect, flags);
        return canvas.bitmap;
    };
    const auto measured = [](const QString& text, unsigned flags) {
        TextCanvas canvas(10, 10);
        Rect rect{0, 0, 0, 0};
        canvas.context.drawText(text, rect, flags | DT_CALCRECT);
        return rect.width();
    };
    EXPECT_EQ(measured(QStringLiteral("&Yes"), 0), measured(QStringLiteral("Yes"), 0));
    EXPECT_EQ(measured(QStringLiteral("A&&B"), 0), measured(QStringLiteral("A&B"), DT_NOPREFIX));
    EXPECT_GT(measured(QStringLiteral("&Yes"), DT_NOPREFIX), measured(QStringLiteral("Yes"), 0));

    // The marked letter is underlined: "&Yes" differs from "Yes" only below the baseline.
    const Bitmap plain = drawn(QStringLiteral("Yes"), 0);
    const Bitmap marked = drawn(QStringLiteral("&Yes"), 0);
    ASSERT_FALSE(plain == marked);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(12);
    font.setBold(true);
    const int ascent = QFontMetrics(font).ascent();
    for (int y = 0; y <= ascent; ++y) {
        for (int x = 0; x < 120; ++x)
            ASSERT_EQ(plain.pixelColor(x, y), marked.pixelColor(x, y)) << x << "," << y;
    }
}

TEST(DrawText, DescendersFitTheLineTheyAreDrawnIn) {
    // "g" reaches below the baseline of "a" within the measured line height.
    const auto inkOf = [](const QString& text, bool italic) {
        TextCanvas canvas(200, 40);
        canvas.context.setFont({QStringLiteral("Tahoma"), 12, true, italic, false, false, clBlack});
        Rect line{0, 0, 200, 0};
        canvas.context.drawText(text, line, DT_CALCRECT);
        Rect rect{0, 0, 200, line.height()};
        canvas.context.drawText(text, rect, 0);
        return std::pair{canvas.inkBox(), line.height()};
    };
    const auto [g, height] = inkOf(QStringLiteral("gjpqy"), true);
    const auto [a, unused] = inkOf(QStringLiteral("aceno"), true);
    EXPECT_GE(g.bottom - a.bottom, 3) << "the descenders are drawn whole";
    EXPECT_LE(g.bottom, height) << "and fit in the line's height";
}
