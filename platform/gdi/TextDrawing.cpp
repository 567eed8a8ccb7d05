// DrawText and text extents of the device context. Glyphs are rasterised by Qt without
// antialiasing into a scratch mask and then set in the text colour, so drawn pixels are exact and
// the same code serves colour and monochrome surfaces.

#include <QFontMetrics>
#include <QPainter>
#include <QStringList>

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

int tabWidthOf(const QFontMetrics& metrics) { return 8 * std::max(1, metrics.averageCharWidth()); }

// Calls `segment(text, x)` for each piece between tabs and returns the line's width.
template <typename SegmentFunction>
int walkSegments(const QString& line, const QFontMetrics& metrics, bool expandTabs, SegmentFunction segment) {
    if (!expandTabs) {
        segment(line, 0);
        return metrics.horizontalAdvance(line);
    }
    const int tabWidth = tabWidthOf(metrics);
    int x = 0;
    const QStringList pieces = line.split(QLatin1Char('\t'));
    for (int i = 0; i < pieces.size(); ++i) {
        if (i > 0) x = (x / tabWidth + 1) * tabWidth;
        segment(pieces[i], x);
        x += metrics.horizontalAdvance(pieces[i]);
    }
    return x;
}

}  // namespace

Size DeviceContext::textExtent(const QString& text) const {
    const QFontMetrics metrics(font_.toQFont());
    return {metrics.horizontalAdvance(text), metrics.height()};
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
    const QFontMetrics metrics(qfont);
    const int lineHeight = metrics.height();
    const bool expandTabs = (flags & DT_EXPANDTABS) != 0;

    std::vector<LineLayout> lines;
    int widest = 0;
    for (const QString& line : splitLines(text, flags)) {
        LineLayout layout = (flags & DT_NOPREFIX) ? LineLayout{line} : withoutPrefixes(line);
        layout.width = walkSegments(layout.text, metrics, expandTabs, [](const QString&, int) {});
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
    // Room for italic overhang on either side of the advance widths.
    const int margin = lineHeight / 2 + 2;
    for (const LineLayout& line : lines) {
        int left = rect.left;
        if (flags & DT_CENTER) {
            left = rect.left + (rect.width() - line.width) / 2;
        } else if (flags & DT_RIGHT) {
            left = rect.right - line.width;
        }
        if (bkMode_ == OPAQUE) fillSurfaceRect({left, top, left + line.width, top + lineHeight}, bkColor_);

        QImage mask(line.width + 2 * margin, lineHeight, QImage::Format_ARGB32_Premultiplied);
        mask.fill(Qt::transparent);
        {
            QPainter painter(&mask);
            painter.setFont(qfont);
            painter.setPen(Qt::black);
            walkSegments(line.text, metrics, expandTabs, [&](const QString& piece, int x) {
                painter.drawText(margin + x, metrics.ascent(), piece);
            });
            if (line.accessKey >= 0 && !expandTabs) {
                const int keyLeft = metrics.horizontalAdvance(line.text.left(line.accessKey));
                const int keyWidth = metrics.horizontalAdvance(line.text.at(line.accessKey));
                painter.fillRect(margin + keyLeft, metrics.ascent() + 1, keyWidth, 1, Qt::black);
            }
        }
        for (int my = 0; my < mask.height(); ++my) {
            const auto* row = reinterpret_cast<const QRgb*>(mask.constScanLine(my));
            for (int mx = 0; mx < mask.width(); ++mx) {
                if (qAlpha(row[mx]) >= 128) plot(left - margin + mx, top + my, textRgb);
            }
        }
        top += lineHeight;
    }
    clip_ = oldClip;
    return totalHeight;
}

}  // namespace gdi
