// Draws the program's bitmaps and writes them as 24-bit BMP files:
//   draw-bitmaps OUTPUT_FOLDER
// Button images are drawn on the key colour RGB (255, 0, 128), which the flat button leaves out;
// edges are smoothed against the silver of the panel the buttons sit on, so no key-coloured fringe
// remains. Run it after changing a drawing and commit the files it writes.

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <cstdio>
#include <functional>

#include "ButtonGlyphs.h"
#include "platform/gdi/BmpFile.h"
#include "platform/gdi/Font.h"

namespace {

const QColor kKey(255, 0, 128);
const QColor kPanel(192, 192, 192);

struct Look {
    QColor fill;
    QColor outline;
    bool operator==(const Look&) const = default;
};
const Look kDim{QColor(224, 224, 224), QColor(150, 150, 150)};
const Look kBlue{QColor(40, 100, 230), QColor(10, 40, 140)};
const Look kGreen{QColor(40, 170, 70), QColor(10, 90, 30)};

using Drawing = std::function<void(QPainter&, const Look&)>;

// Renders a drawing with antialiasing on a transparent layer, then flattens it: fully transparent
// pixels take the key colour, partly covered ones are blended with the panel colour.
gdi::Bitmap render(int width, int height, const Look& look, const Drawing& draw) {
    QImage layer(width, height, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        draw(painter, look);
    }
    QImage flat(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const QColor c = layer.pixelColor(x, y);
            const double a = c.alphaF();
            if (a < 0.08) {
                flat.setPixelColor(x, y, kKey);
                continue;
            }
            auto mix = [a](int over, int under) {
                return static_cast<int>(over * a + under * (1 - a) + 0.5);
            };
            flat.setPixelColor(x, y,
                               QColor(mix(c.red(), kPanel.red()), mix(c.green(), kPanel.green()),
                                      mix(c.blue(), kPanel.blue())));
        }
    }
    // The flat button takes the key colour from the bottom-left pixel.
    flat.setPixelColor(0, height - 1, kKey);
    return gdi::Bitmap::fromImage(flat);
}

void shape(QPainter& painter, const Look& look, const QPainterPath& path) {
    painter.setPen(QPen(look.outline, 1.0));
    painter.setBrush(look.fill);
    painter.drawPath(path);
}

void drawPlay(QPainter& p, const Look& look) {
    QPainterPath path;
    path.moveTo(7.5, 5.5);
    path.lineTo(18.5, 12.5);
    path.lineTo(7.5, 19.5);
    path.closeSubpath();
    shape(p, look, path);
}

void drawPause(QPainter& p, const Look& look) {
    QPainterPath path;
    path.addRoundedRect(QRectF(6.5, 5.5, 4, 14), 1, 1);
    path.addRoundedRect(QRectF(13.5, 5.5, 4, 14), 1, 1);
    shape(p, look, path);
}

void drawStop(QPainter& p, const Look& look) {
    QPainterPath path;
    path.addRoundedRect(QRectF(6.5, 6.5, 11, 12), 1.5, 1.5);
    shape(p, look, path);
}

Drawing drawWords(const QString& words) {
    return [words](QPainter& p, const Look& look) {
        // A small plus in a circle, then the words; the pair is centred on the button.
        QFont font(QStringLiteral("Tahoma"));
        font.setPixelSize(14);
        font.setBold(true);
        const QFontMetricsF metrics(font);
        const double symbolWidth = 14;
        const double gap = 6;
        const double groupWidth = symbolWidth + gap + metrics.horizontalAdvance(words);
        const double left = std::floor((p.device()->width() - groupWidth) / 2) + 0.5;

        QPainterPath circle;
        circle.addEllipse(QRectF(left, 5.5, symbolWidth, 14));
        shape(p, look, circle);
        p.setPen(QPen(look == kDim ? look.outline : QColor(Qt::white), 2.0));
        p.drawLine(QPointF(left + 7, 8.5), QPointF(left + 7, 16.5));
        p.drawLine(QPointF(left + 3, 12.5), QPointF(left + 11, 12.5));

        QPainterPath text;
        text.addText(QPointF(left + symbolWidth + gap, 17.5), font, words);
        p.setPen(Qt::NoPen);
        p.setBrush(look.outline);
        p.drawPath(text.translated(1, 1));
        p.setBrush(look.fill);
        p.drawPath(text);
    };
}

void drawSave(QPainter& p, const Look& look) {
    QPainterPath body;
    body.moveTo(5.5, 5.5);
    body.lineTo(21.5, 5.5);
    body.lineTo(24.5, 8.5);
    body.lineTo(24.5, 24.5);
    body.lineTo(5.5, 24.5);
    body.closeSubpath();
    shape(p, look, body);
    p.setPen(QPen(look.outline, 1.0));
    p.setBrush(QColor(245, 245, 245));
    p.drawRect(QRectF(9.5, 5.5, 11, 6));   // shutter label
    p.drawRect(QRectF(8.5, 15.5, 13, 9));  // label
    p.setBrush(look.outline);
    p.drawRect(QRectF(16.5, 6.5, 2, 4));
}

void drawExit(QPainter& p, const Look& look) {
    // A door frame with an arrow leaving it.
    QPainterPath door;
    door.addRect(QRectF(6.5, 5.5, 11, 19));
    shape(p, look, door);
    p.setPen(QPen(look.outline, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(13, 15), QPointF(24, 15));
    p.drawLine(QPointF(20, 11), QPointF(24, 15));
    p.drawLine(QPointF(20, 19), QPointF(24, 15));
}

void drawSettings(QPainter& p, const Look& look) {
    // A gear: teeth around a ring.
    QPainterPath gear;
    const QPointF centre(15, 15);
    for (int tooth = 0; tooth < 8; ++tooth) {
        QTransform t;
        t.translate(centre.x(), centre.y());
        t.rotate(tooth * 45.0);
        QPainterPath block;
        block.addRect(QRectF(-2.5, -11.0, 5, 6));
        gear = gear.united(t.map(block));
    }
    QPainterPath ring;
    ring.addEllipse(centre, 7.5, 7.5);
    gear = gear.united(ring);
    QPainterPath hole;
    hole.addEllipse(centre, 3.0, 3.0);
    shape(p, look, gear.subtracted(hole));
}

void drawOpen(QPainter& p, const Look& look) {
    QPainterPath back;
    back.moveTo(4.5, 8.5);
    back.lineTo(11.5, 8.5);
    back.lineTo(13.5, 10.5);
    back.lineTo(23.5, 10.5);
    back.lineTo(23.5, 23.5);
    back.lineTo(4.5, 23.5);
    back.closeSubpath();
    shape(p, Look{look.fill.darker(115), look.outline}, back);
    QPainterPath front;
    front.moveTo(4.5, 23.5);
    front.lineTo(8.5, 14.5);
    front.lineTo(27.5, 14.5);
    front.lineTo(23.5, 23.5);
    front.closeSubpath();
    shape(p, look, front);
}

gdi::Bitmap panelPicture() {
    // Near-black display with a fine dot grid and a grey frame.
    QImage image(450, 59, QImage::Format_RGB32);
    image.fill(QColor(12, 14, 18));
    for (int y = 2; y < 57; y += 3) {
        for (int x = 2; x < 448; x += 3) image.setPixelColor(x, y, QColor(34, 38, 46));
    }
    QPainter p(&image);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, 449, 58);
    p.setPen(QColor(64, 64, 64));
    p.drawRect(1, 1, 447, 56);
    return gdi::Bitmap::fromImage(image);
}

// A quill over a lyrics line, on a rounded blue square; `opaque` fills the corners white for the
// 16 x 16 window icon, the desktop's icons keep them transparent.
QImage programIcon(int size, bool opaque) {
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(opaque ? QColor(255, 255, 255) : QColor(Qt::transparent));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 60, 170));
    p.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    QPainterPath quill;
    quill.moveTo(3, 13);
    quill.cubicTo(5, 7, 9, 3, 14, 2);
    quill.cubicTo(12, 7, 9, 11, 4, 13);
    quill.closeSubpath();
    p.setBrush(QColor(255, 251, 240));
    p.drawPath(quill);
    p.setPen(QPen(QColor(255, 210, 60), 1.2));
    p.drawLine(QPointF(2.5, 14.5), QPointF(13.5, 14.5));
    p.end();
    return image;
}

gdi::Bitmap windowIcon() {
    return gdi::Bitmap::fromImage(programIcon(16, true));
}

// The donation panel's picture: an orange pill-shaped button face across the top (the "Donate"
// caption is drawn over it by the dialog) and a row of payment-card shapes below, on the key colour.
gdi::Bitmap donationPicture() {
    QImage image(127, 48, QImage::Format_RGB32);
    image.fill(kKey);
    QPainter p(&image);
    p.setPen(QColor(190, 110, 0));
    QLinearGradient face(0, 2, 0, 25);
    face.setColorAt(0, QColor(255, 214, 120));
    face.setColorAt(1, QColor(245, 160, 30));
    p.setBrush(face);
    p.drawRoundedRect(QRect(16, 2, 94, 22), 11, 11);
    const QColor cards[][2] = {{QColor(20, 60, 160), QColor(250, 200, 40)},
                               {QColor(200, 30, 40), QColor(250, 150, 30)},
                               {QColor(30, 120, 200), QColor(240, 240, 240)},
                               {QColor(60, 60, 60), QColor(200, 200, 200)}};
    for (int i = 0; i < 4; ++i) {
        const QRect card(12 + i * 27, 30, 23, 15);
        p.setPen(QColor(90, 90, 90));
        p.setBrush(cards[i][0]);
        p.drawRoundedRect(card, 2, 2);
        p.setPen(Qt::NoPen);
        p.setBrush(cards[i][1]);
        p.drawRect(card.left() + 3, card.top() + 9, 12, 3);
        p.drawRect(card.left() + 3, card.top() + 4, 5, 3);
    }
    p.end();
    image.setPixelColor(0, 47, kKey);
    return gdi::Bitmap::fromImage(image);
}

bool write(const QDir& folder, const QString& name, const gdi::Bitmap& bitmap, int bitsPerPixel = 24) {
    QFile file(folder.filePath(name.toUpper() + QStringLiteral(".BMP")));
    const QByteArray bytes = gdi::encodeBmp(bitmap, bitsPerPixel);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-bitmaps OUTPUT_FOLDER\n");
        return 2;
    }
    gdi::registerApplicationFonts();
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) return 1;

    struct Button {
        const char* name;
        const char* activeName;
        int width;
        int height;
        Drawing drawing;
        Look activeLook;
    };
    const Button buttons[] = {
        {"play", "play_active", 24, 25, drawPlay, kBlue},
        {"pause", "pause_active", 24, 25, drawPause, kBlue},
        {"stop", "Stop_active", 24, 25, drawStop, kBlue},
        {"add", "add_active", 217, 25, drawWords(QStringLiteral("Add Line")), kBlue},
        {"addblank", "addblank_active", 132, 25, drawWords(QStringLiteral("Add Blank Line")), kBlue},
        {"save", "save_active", 30, 30, drawSave, kGreen},
    };
    bool ok = true;
    for (const Button& button : buttons) {
        ok &= write(folder, QString::fromLatin1(button.name),
                    render(button.width, button.height, kDim, button.drawing));
        ok &= write(folder, QString::fromLatin1(button.activeName),
                    render(button.width, button.height, button.activeLook, button.drawing));
    }
    ok &= write(folder, QStringLiteral("exit"),
                render(30, 30, Look{QColor(220, 70, 60), QColor(120, 20, 20)}, drawExit));
    ok &= write(folder, QStringLiteral("settings"),
                render(30, 30, Look{QColor(150, 150, 160), QColor(60, 60, 70)}, drawSettings));
    ok &= write(folder, QStringLiteral("open"),
                render(30, 30, Look{QColor(250, 200, 70), QColor(140, 100, 20)}, drawOpen));
    ok &= write(folder, QStringLiteral("panel"), panelPicture());
    ok &= write(folder, QStringLiteral("mainicon"), windowIcon());
    ok &= write(folder, QStringLiteral("donate"), donationPicture());
    for (const GlyphFile& glyph : buttonGlyphs())
        ok &= write(folder, glyph.name, glyph.bitmap, glyph.bitsPerPixel);
    // The desktop's icons of the program, beside the bitmaps.
    const QDir icons(folder.filePath(QStringLiteral("../icons")));
    if (!icons.exists() && !QDir().mkpath(icons.path())) return 1;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        ok &= programIcon(size, false).save(icons.filePath(QStringLiteral("quillon-%1.png").arg(size)));
    }
    return ok ? 0 : 1;
}
