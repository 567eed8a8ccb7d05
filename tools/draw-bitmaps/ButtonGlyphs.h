#pragma once
// The glyph strips of the colour button: one per predefined kind (16 colours, an image and its
// disabled twin side by side on olive) and the OK and Cancel glyphs of the settings dialog (on magenta).

#include <QString>
#include <vector>

#include "platform/gdi/Bitmap.h"

struct GlyphFile {
    QString name;
    gdi::Bitmap bitmap;
    int bitsPerPixel;
};

std::vector<GlyphFile> buttonGlyphs();
