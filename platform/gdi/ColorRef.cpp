#include "ColorRef.h"

#include <QGuiApplication>
#include <QPalette>

namespace gdi {

namespace {

ColorRef fromQColor(const QColor& c) {
    return rgb(c.red(), c.green(), c.blue());
}

// The classic desktop's values, used for indices the Qt palette has no role for, and when no
// GUI application exists (pure logic tests).
ColorRef classicSystemColor(int index) {
    switch (index) {
        case COLOR_SCROLLBAR:
            return rgb(200, 200, 200);
        case COLOR_BACKGROUND:
            return rgb(0, 128, 128);
        case COLOR_ACTIVECAPTION:
            return rgb(0, 0, 128);
        case COLOR_INACTIVECAPTION:
            return rgb(128, 128, 128);
        case COLOR_MENU:
            return rgb(212, 208, 200);
        case COLOR_WINDOW:
            return rgb(255, 255, 255);
        case COLOR_WINDOWFRAME:
            return rgb(0, 0, 0);
        case COLOR_MENUTEXT:
            return rgb(0, 0, 0);
        case COLOR_WINDOWTEXT:
            return rgb(0, 0, 0);
        case COLOR_CAPTIONTEXT:
            return rgb(255, 255, 255);
        case COLOR_HIGHLIGHT:
            return rgb(10, 36, 106);
        case COLOR_HIGHLIGHTTEXT:
            return rgb(255, 255, 255);
        case COLOR_BTNFACE:
            return rgb(212, 208, 200);
        case COLOR_BTNSHADOW:
            return rgb(128, 128, 128);
        case COLOR_GRAYTEXT:
            return rgb(128, 128, 128);
        case COLOR_BTNTEXT:
            return rgb(0, 0, 0);
        case COLOR_BTNHIGHLIGHT:
            return rgb(255, 255, 255);
        case COLOR_3DDKSHADOW:
            return rgb(64, 64, 64);
        case COLOR_3DLIGHT:
            return rgb(212, 208, 200);
        case COLOR_INFOTEXT:
            return rgb(0, 0, 0);
        case COLOR_INFOBK:
            return rgb(255, 255, 225);
        default:
            return rgb(0, 0, 0);
    }
}

}  // namespace

ColorRef systemColorRgb(int index) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return classicSystemColor(index);
    }
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
        case COLOR_WINDOW:
            return fromQColor(palette.color(QPalette::Base));
        case COLOR_WINDOWTEXT:
            return fromQColor(palette.color(QPalette::WindowText));
        case COLOR_HIGHLIGHT:
            return fromQColor(palette.color(QPalette::Highlight));
        case COLOR_HIGHLIGHTTEXT:
            return fromQColor(palette.color(QPalette::HighlightedText));
        case COLOR_BTNFACE:
            return fromQColor(palette.color(QPalette::Button));
        case COLOR_3DLIGHT:
            return fromQColor(palette.color(QPalette::Midlight));
        case COLOR_BTNSHADOW:
            return fromQColor(palette.color(QPalette::Dark));
        case COLOR_GRAYTEXT:
            return fromQColor(palette.color(QPalette::Disabled, QPalette::WindowText));
        case COLOR_BTNTEXT:
            return fromQColor(palette.color(QPalette::ButtonText));
        case COLOR_BTNHIGHLIGHT:
            return fromQColor(palette.color(QPalette::Light));
        case COLOR_3DDKSHADOW:
            return fromQColor(palette.color(QPalette::Shadow));
        case COLOR_INFOTEXT:
            return fromQColor(palette.color(QPalette::ToolTipText));
        case COLOR_INFOBK:
            return fromQColor(palette.color(QPalette::ToolTipBase));
        default:
            return classicSystemColor(index);
    }
}

ColorRef colorToRgb(ColorRef color) {
    if ((color & kSystemColorFlag) == kSystemColorFlag) {
        return systemColorRgb(static_cast<int>(color & 0xFF));
    }
    return color & 0x00FFFFFF;
}

}  // namespace gdi
