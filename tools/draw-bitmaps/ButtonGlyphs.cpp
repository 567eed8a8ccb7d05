#include "ButtonGlyphs.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

// The sixteen colours of the classic palette that the kind glyphs are drawn in.
const QColor kOlive(128, 128, 0);
const QColor kBlack(0, 0, 0);
const QColor kMaroon(128, 0, 0);
const QColor kGreen(0, 128, 0);
const QColor kLime(0, 255, 0);
const QColor kNavy(0, 0, 128);
const QColor kBlue(0, 0, 255);
const QColor kRed(255, 0, 0);
const QColor kYellow(255, 255, 0);
const QColor kTeal(0, 128, 128);
const QColor kGrey(128, 128, 128);
const QColor kWhite(255, 255, 255);
const QColor kMagenta(255, 0, 255);

// Draws a symbol in its colours; `ink` replaces every colour when only the shape is wanted.
using Symbol = std::function<void(QPainter&, const std::function<QColor(QColor)>& ink)>;

QImage blank(int width, int height, const QColor& background) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

QPen thick(const QColor& colour, double width) {
    return QPen(colour, width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// The up image in the symbol's colours, then the disabled twin: the shape engraved, grey over a
// white copy one pixel right and down, as the button recolours it for the desktop.
gdi::Bitmap kindStrip(int height, const Symbol& symbol) {
    const int size = 18;
    QImage strip = blank(2 * size, height, kOlive);
    {
        QPainter p(&strip);
        symbol(p, [](QColor colour) { return colour; });
    }
    QImage shape(size, height, QImage::Format_ARGB32);
    shape.fill(Qt::transparent);
    {
        QPainter p(&shape);
        symbol(p, [](QColor) { return kBlack; });
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < size; ++x) {
            if (qAlpha(shape.pixel(x, y)) == 0) continue;
            if (x + 1 < size && y + 1 < height) strip.setPixelColor(size + x + 1, y + 1, kWhite);
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < size; ++x) {
            if (qAlpha(shape.pixel(x, y)) != 0) strip.setPixelColor(size + x, y, kGrey);
        }
    }
    strip.setPixelColor(0, height - 1, kOlive);
    return gdi::Bitmap::fromImage(strip);
}

void checkMark(QPainter& p, const std::function<QColor(QColor)>& ink, int dx, int dy) {
    p.setPen(thick(ink(kGreen), 3));
    p.drawPolyline(QPolygon({QPoint(3 + dx, 9 + dy), QPoint(7 + dx, 13 + dy), QPoint(14 + dx, 4 + dy)}));
}

void cross(QPainter& p, const std::function<QColor(QColor)>& ink) {
    p.setPen(thick(ink(kRed), 3));
    p.drawLine(4, 4, 13, 13);
    p.drawLine(13, 4, 4, 13);
}

void questionMark(QPainter& p, const std::function<QColor(QColor)>& ink) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(17);
    font.setBold(true);
    font.setStyleStrategy(QFont::NoAntialias);
    p.setFont(font);
    p.setPen(ink(kBlue));
    p.drawText(QRect(0, 0, 18, 18), Qt::AlignCenter, QStringLiteral("?"));
}

void noSign(QPainter& p, const std::function<QColor(QColor)>& ink) {
    p.setPen(thick(ink(kRed), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRect(3, 3, 11, 11));
    p.drawLine(5, 12, 12, 5);
}

void door(QPainter& p, const std::function<QColor(QColor)>& ink) {
    p.setPen(ink(kNavy));
    p.setBrush(ink(kTeal));
    p.drawRect(QRect(3, 2, 8, 13));
    p.setPen(ink(kYellow));
    p.drawPoint(9, 9);
    p.setPen(thick(ink(kNavy), 2));
    p.drawLine(11, 8, 15, 8);
    p.drawLine(13, 6, 15, 8);
    p.drawLine(13, 10, 15, 8);
}

void stopSign(QPainter& p, const std::function<QColor(QColor)>& ink) {
    p.setPen(ink(kMaroon));
    p.setBrush(ink(kRed));
    p.drawPolygon(QPolygon({QPoint(6, 2), QPoint(11, 2), QPoint(15, 6), QPoint(15, 11), QPoint(11, 15),
                            QPoint(6, 15), QPoint(2, 11), QPoint(2, 6)}));
    p.setPen(thick(ink(kWhite), 2));
    p.drawLine(5, 9, 12, 9);
}

void circularArrow(QPainter& p, const std::function<QColor(QColor)>& ink) {
    p.setPen(thick(ink(kGreen), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(3, 3, 11, 11), 60 * 16, 280 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(ink(kGreen));
    p.drawPolygon(QPolygon({QPoint(10, 1), QPoint(15, 4), QPoint(10, 7)}));
}

void jumpOver(QPainter& p, const std::function<QColor(QColor)>& ink) {
    p.setPen(thick(ink(kMaroon), 2));
    p.drawLine(8, 9, 8, 15);
    p.setPen(thick(ink(kBlue), 2));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRect(2, 4, 13, 12), 10 * 16, 160 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(ink(kBlue));
    p.drawPolygon(QPolygon({QPoint(12, 10), QPoint(17, 10), QPoint(15, 14)}));
}

// The OK glyph of the settings dialog: a white arrow pointing right on a green disc.
gdi::Bitmap okGlyph() {
    QImage image = blank(16, 16, kMagenta);
    QPainter p(&image);
    p.setPen(QColor(0, 100, 0));
    p.setBrush(QColor(0, 160, 40));
    p.drawEllipse(QRect(0, 0, 15, 15));
    p.setPen(QColor(90, 210, 110));
    p.drawArc(QRect(2, 2, 11, 11), 100 * 16, 80 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(kWhite);
    p.drawPolygon(QPolygon({QPoint(3, 6), QPoint(8, 6), QPoint(8, 3), QPoint(13, 8), QPoint(8, 13),
                            QPoint(8, 10), QPoint(3, 10)}));
    p.end();
    image.setPixelColor(0, 15, kMagenta);
    return gdi::Bitmap::fromImage(image);
}

// The Cancel strip of the settings dialog: a white cross on a red disc, and its grey twin.
gdi::Bitmap cancelGlyph() {
    QImage image = blank(32, 20, kMagenta);
    QPainter p(&image);
    const auto disc = [&p](int left, const QColor& edge, const QColor& fill, const QColor& mark) {
        p.setPen(edge);
        p.setBrush(fill);
        p.drawEllipse(QRect(left, 2, 15, 15));
        p.setPen(thick(mark, 2));
        p.drawLine(left + 5, 7, left + 10, 12);
        p.drawLine(left + 10, 7, left + 5, 12);
    };
    disc(0, QColor(130, 0, 0), QColor(215, 30, 30), kWhite);
    disc(16, QColor(96, 96, 96), QColor(150, 150, 150), QColor(225, 225, 225));
    p.end();
    return gdi::Bitmap::fromImage(image);
}

}  // namespace

std::vector<GlyphFile> buttonGlyphs() {
    const auto check = [](QPainter& p, const std::function<QColor(QColor)>& ink) { checkMark(p, ink, 0, 0); };
    const auto doubleCheck = [](QPainter& p, const std::function<QColor(QColor)>& ink) {
        checkMark(p, ink, -1, -2);
        checkMark(p, ink, 1, 4);
    };
    return {
        {QStringLiteral("BBCOK"), kindStrip(18, check), 4},
        {QStringLiteral("BBCCANCEL"), kindStrip(18, cross), 4},
        {QStringLiteral("BBCHELP"), kindStrip(18, questionMark), 4},
        {QStringLiteral("BBCYES"), kindStrip(18, check), 4},
        {QStringLiteral("BBCNO"), kindStrip(18, noSign), 4},
        {QStringLiteral("BBCCLOSE"), kindStrip(18, door), 4},
        {QStringLiteral("BBCABORT"), kindStrip(18, stopSign), 4},
        {QStringLiteral("BBCRETRY"), kindStrip(18, circularArrow), 4},
        {QStringLiteral("BBCIGNORE"), kindStrip(18, jumpOver), 4},
        {QStringLiteral("BBCALL"), kindStrip(19, doubleCheck), 4},
        {QStringLiteral("OKGLYPH"), okGlyph(), 8},
        {QStringLiteral("CANCELGLYPH"), cancelGlyph(), 24},
    };
}
