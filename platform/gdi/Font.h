#pragma once
// Fonts as the forms describe them (face name, height in pixels, style, colour), and the
// application fonts that give the classic faces their metrics on Linux.

#include <QFont>
#include <QString>

#include "ColorRef.h"

namespace gdi {

struct FontSpec {
    QString name = QStringLiteral("MS Sans Serif");
    int pixelHeight = 11;  // character height (em size) in pixels
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    ColorRef color = clWindowText;

    // Height for a size in points at the 96 dots per inch the designs were made for.
    static int pixelsForPoints(int points) { return (points * 96 + 36) / 72; }

    // The Qt font, with antialiasing off so that drawn pixels are exact.
    QFont toQFont() const;
    bool operator==(const FontSpec&) const = default;
};

// Registers the Tahoma look-alike shipped by the system (which fontconfig does not search) and maps
// "MS Sans Serif" onto it; falls back to DejaVu Sans where it is missing. Safe to call repeatedly;
// needs a GUI application object.
void registerApplicationFonts();

}  // namespace gdi
