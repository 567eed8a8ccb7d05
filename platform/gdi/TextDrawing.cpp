// DrawText and text extents of the device context. Glyphs are rasterised by Qt without
// antialiasing into a scratch mask and then set in the text colour, so drawn pixels are exact and
// the same code serves colour and monochrome surfaces.

#include <QFontMetrics>
#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QStringList>
#include <cmath>
#include <optional>

#include "DeviceContext.h"

namespace gdi {

namespace {

struct LineLayout {
    QString text;
    int width = 0;
    qsizetype accessKey = -1;  // index in text of the character drawn underlined
};

// A line with its access-key marks taken out: "&x" underlines x, "&&" is one "&".
LineLayout withoutPrefixes(const QString& line) {
    LineLayout layout;
    layout.text.reserve(line.size());
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('&') && i + 1 < line.size()) {
            ++i;
            if (line[i] != QLatin1Char('&')) layout.accessKey = layout.text.size();
        } else if (line[i] == QLatin1Char('&')) {
            continue;  // a lone "&" at the end marks nothing
        }
        layout.text += line[i];
    }
    return layout;
}

QStringList splitLines(const QString& text, unsigned flags) {
    if (flags & DT_SINGLELINE) {
        QString single = text;
        single.remove(QLatin1Char('\r'));
        single.remove(QLatin1Char('\n'));
        return {single};
    }
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return normalised.split(QLatin1Char('\n'));
}

// A line's height as the classic desktop measures it: the font's full ascent and descent (its
// "win" metrics scaled to the pixel size, rounded up), so descenders fit in the line. Qt's hinted
// metrics can be a pixel or more short of the glyphs ("g" cut to "q").
struct LineMetrics {
    int ascent = 0;
    int descent = 0;
    int height() const { return ascent + descent; }
};

std::uint16_t bigEndian16(const QByteArray& table, int offset) {
    if (table.size() < offset + 2) return 0;
    return static_cast<std::uint16_t>((static_cast<unsigned char>(table[offset]) << 8) |
                                      static_cast<unsigned char>(table[offset + 1]));
}

LineMetrics lineMetricsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    LineMetrics line{metrics.ascent(), metrics.descent()};
    const QRawFont raw = QRawFont::fromFont(font);
    const QByteArray os2 = raw.fontTable("OS/2");
    const QByteArray head = raw.fontTable("head");
    const std::uint16_t unitsPerEm = bigEndian16(head, 18);
    const std::uint16_t winAscent = bigEndian16(os2, 74);
    const std::uint16_t winDescent = bigEndian16(os2, 76);
    if (unitsPerEm != 0 && winAscent != 0) {
        const double scale = static_cast<double>(raw.pixelSize()) / unitsPerEm;
        line.ascent = std::max(line.ascent, static_cast<int>(std::ceil(winAscent * scale - 0.01)));
        line.descent = std::max(line.descent, static_cast<int>(std::ceil(winDescent * scale - 0.01)));
    }
    return line;
}

// A piece of text laid out by the font's design advances with kerning, each glyph at the nearest
// whole pixel, so letters are spaced as the font intends whatever hinting the rasteriser applies
// to advances. Text the font has no glyph for is left to Qt, which falls back to other fonts.
struct PlacedText {
    std::optional<QGlyphRun> run;
    int width = 0;
};

PlacedText placeText(const QFont& font, const QString& text) {
    PlacedText placed;
    const QRawFont raw = QRawFont::fromFont(font);
    const QList<quint32> glyphs = raw.isValid() ? raw.glyphIndexesForString(text) : QList<quint32>();
    bool complete = !glyphs.isEmpty() && glyphs.size() == text.size();
    for (const quint32 glyph : glyphs) complete = complete && glyph != 0;
    if (!complete) {
        placed.width = QFontMetrics(font).horizontalAdvance(text);
        return placed;
    }
    const QList<QPointF> advances =
        raw.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics | QRawFont::KernedAdvances);
    QList<QPointF> positions;
    positions.reserve(glyphs.size());
    qreal x = 0;
    for (const QPointF& advance : advances) {
        positions << QPointF(std::round(x), 0);
        x += advance.x();
    }
    QGlyphRun run;
    run.setRawFont(raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    placed.run = run;
    placed.width = static_cast<int>(std::lround(x));
    return placed;
}

int tabWidthOf(const QFontMetrics& metrics) {
    return 8 * std::max(1, metrics.averageCharWidth());
}

// Calls `segment(text, x)` for each piece between tabs and returns the line's width.
template <typename SegmentFunction>
int walkSegments(const QString& line, const QFont& font, bool expandTabs, SegmentFunction segment) {
    const QFontMetrics metrics(font);
    if (!expandTabs) {
        segment(line, 0);
        return placeText(font, line).width;
    }
    const int tabWidth = tabWidthOf(metrics);
    int x = 0;
    const QStringList pieces = line.split(QLatin1Char('\t'));
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0) x = (x / tabWidth + 1) * tabWidth;
        segment(pieces[i], x);
        x += placeText(font, pieces[i]).width;
    }
    return x;
}

}  // namespace

Size DeviceContext::textExtent(const QString& text) const {
    const QFont font = font_.toQFont();
    return {placeText(font, text).width, lineMetricsOf(font).height()};
}

int DeviceContext::drawText(const QString& text, Rect& rect, unsigned flags) {
    if (text.isEmpty()) {
        if (flags & DT_CALCRECT) {
            rect.right = rect.left;
            rect.bottom = rect.top;
        }
        return 0;
    }
    const QFont qfont = font_.toQFont();
    const LineMetrics lineMetrics = lineMetricsOf(qfont);
    const int lineHeight = lineMetrics.height();
    const bool expandTabs = (flags & DT_EXPANDTABS) != 0;

    std::vector<LineLayout> lines;
    int widest = 0;
    for (const QString& line : splitLines(text, flags)) {
        LineLayout layout = (flags & DT_NOPREFIX) ? LineLayout{line} : withoutPrefixes(line);
        layout.width = walkSegments(layout.text, qfont, expandTabs, [](const QString&, int) {});
        widest = std::max(widest, layout.width);
        lines.push_back(std::move(layout));
    }
    const int totalHeight = lineHeight * static_cast<int>(lines.size());

    if (flags & DT_CALCRECT) {
        rect.right = rect.left + widest;
        rect.bottom = rect.top + totalHeight;
        return totalHeight;
    }
    if (surface_ == nullptr) return totalHeight;

    int top = rect.top;
    if (flags & DT_SINGLELINE) {
        if (flags & DT_VCENTER) {
            top = rect.top + (rect.height() - lineHeight) / 2;
        } else if (flags & DT_BOTTOM) {
            top = rect.bottom - lineHeight;
        }
    }

    const Rect oldClip = clip_;
    if (!(flags & DT_NOCLIP)) {
        const Rect textClip = rect.offset(origin_.x, origin_.y).intersected(clipInSurface());
        if (textClip.isEmpty()) return totalHeight;
        clip_ = textClip;
    }

    const ColorRef textRgb = colorToRgb(textColor_);
    // Room for italic overhang on either side of the advance widths, and for marks above and
    // below the line.
    const int margin = lineHeight / 2 + 2;
    for (const LineLayout& line : lines) {
        int left = rect.left;
        if (flags & DT_CENTER) {
            left = rect.left + (rect.width() - line.width) / 2;
        } else if (flags & DT_RIGHT) {
            left = rect.right - line.width;
        }
        if (bkMode_ == OPAQUE) fillSurfaceRect({left, top, left + line.width, top + lineHeight}, bkColor_);

        QImage mask(line.width + 2 * margin, lineHeight + 2 * margin, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        {
            QPainter painter(&mask);
            painter.setFont(qfont);
            painter.setPen(Qt::black);
            walkSegments(line.text, qfont, expandTabs, [&](const QString& piece, int x) {
                const PlacedText placed = placeText(qfont, piece);
                if (placed.run) {
                    painter.drawGlyphRun(QPointF(margin + x, margin + lineMetrics.ascent), *placed.run);
                } else {
                    painter.drawText(margin + x, margin + lineMetrics.ascent, piece);
                }
            });
            if (line.accessKey >= 0 && !expandTabs) {
                const int keyLeft = placeText(qfont, line.text.left(line.accessKey)).width;
                const int keyWidth = placeText(qfont, line.text.mid(line.accessKey, 1)).width;
                painter.fillRect(margin + keyLeft, margin + lineMetrics.ascent + 1, keyWidth, 1, Qt::black);
            }
        }
        for (int my = 0; my < mask.height(); ++my) {
            const auto* row = reinterpret_cast<const QRgb*>(mask.constScanLine(my));
            for (int mx = 0; mx < mask.width(); ++mx) {
                if (qAlpha(row[mx]) >= 128) plot(left - margin + mx, top - margin + my, textRgb);
            }
        }
        top += lineHeight;
    }
    clip_ = oldClip;
    return totalHeight;
}

}  // namespace gdi
