#pragma once
// Colour values as the program stores them: 0x00BBGGRR for an RGB colour, 0xFF000000 + index for a
// system colour (resolved from the application palette only when drawing), and the palette-relative
// bit 0x02000000, which is accepted and ignored since every surface here is true colour.

#include <cstdint>

namespace gdi {

using ColorRef = std::uint32_t;

// Pixels are kept as 0xFFRRGGBB so that a colour surface can be handed to Qt as an RGB32 image as it is.
using Pixel = std::uint32_t;

constexpr ColorRef kPaletteRelative = 0x02000000;
constexpr ColorRef kSystemColorFlag = 0xFF000000;

constexpr ColorRef rgb(int red, int green, int blue) {
    return static_cast<ColorRef>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int redOf(ColorRef c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int greenOf(ColorRef c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int blueOf(ColorRef c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

// System colour indices, with the numbers of the classic desktop.
enum SystemColor : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
};

constexpr ColorRef systemColor(int index) {
    return kSystemColorFlag | static_cast<ColorRef>(index);
}

// The named colours the forms use.
constexpr ColorRef clBlack = rgb(0, 0, 0);
constexpr ColorRef clWhite = rgb(255, 255, 255);
constexpr ColorRef clSilver = rgb(192, 192, 192);
constexpr ColorRef clGray = rgb(128, 128, 128);
constexpr ColorRef clBlue = rgb(0, 0, 255);
constexpr ColorRef clTeal = rgb(0, 128, 128);
constexpr ColorRef clOlive = rgb(128, 128, 0);
constexpr ColorRef clCream = rgb(255, 251, 240);
constexpr ColorRef clBtnFace = systemColor(COLOR_BTNFACE);
constexpr ColorRef clBtnShadow = systemColor(COLOR_BTNSHADOW);
constexpr ColorRef clBtnText = systemColor(COLOR_BTNTEXT);
constexpr ColorRef clBtnHighlight = systemColor(COLOR_BTNHIGHLIGHT);
constexpr ColorRef cl3DDkShadow = systemColor(COLOR_3DDKSHADOW);
constexpr ColorRef cl3DLight = systemColor(COLOR_3DLIGHT);
constexpr ColorRef clWindow = systemColor(COLOR_WINDOW);
constexpr ColorRef clWindowText = systemColor(COLOR_WINDOWTEXT);
constexpr ColorRef clWindowFrame = systemColor(COLOR_WINDOWFRAME);
constexpr ColorRef clHighlight = systemColor(COLOR_HIGHLIGHT);

// The RGB value of any colour value: system colours are looked up in the application palette,
// the palette-relative bit is dropped.
ColorRef colorToRgb(ColorRef color);

// The RGB of a system colour index, from the application palette (or the classic values when no
// GUI application exists).
ColorRef systemColorRgb(int index);

constexpr Pixel pixelFromRgb(ColorRef rgbColor) {
    return 0xFF000000u | (static_cast<Pixel>(redOf(rgbColor)) << 16) |
           (static_cast<Pixel>(greenOf(rgbColor)) << 8) | static_cast<Pixel>(blueOf(rgbColor));
}
constexpr ColorRef rgbFromPixel(Pixel p) {
    return rgb(static_cast<int>((p >> 16) & 0xFF), static_cast<int>((p >> 8) & 0xFF),
               static_cast<int>(p & 0xFF));
}

}  // namespace gdi
