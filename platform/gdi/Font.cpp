#include "Font.h"

#include <QFile>
#include <QFontDatabase>

namespace gdi {

QFont FontSpec::toQFont() const {
    QFont font(name);
    font.setPixelSize(pixelHeight > 0 ? pixelHeight : 1);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    font.setStyleStrategy(QFont::NoAntialias);
    // Glyphs placed by the font's own advances and kerning: hinted advances, rounded glyph by
    // glyph, spaced letters unevenly ("R emix").
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

void registerApplicationFonts() {
    static bool registered = false;
    if (registered) return;
    registered = true;

    bool haveTahoma = false;
    for (const char* path : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf"}) {
        if (QFile::exists(QString::fromLatin1(path)) &&
            QFontDatabase::addApplicationFont(QString::fromLatin1(path)) >= 0) {
            haveTahoma = true;
        }
    }
    const QString face = haveTahoma ? QStringLiteral("Tahoma") : QStringLiteral("DejaVu Sans");
    if (!haveTahoma) QFont::insertSubstitution(QStringLiteral("Tahoma"), face);
    // The classic dialog face exists on Linux only as bitmap sizes; the designs measure it like Tahoma.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), face);
}

}  // namespace gdi
