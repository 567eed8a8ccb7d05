#include "PictureControl.h"

namespace windowless {

void PictureControl::paint(gdi::DeviceContext& canvas) {
    if (picture_.isEmpty()) return;
    if (transparent_) {
        const gdi::ColorRef key = picture_.transparentColor() & 0x00FFFFFF;
        for (int y = 0; y < picture_.height(); ++y) {
            for (int x = 0; x < picture_.width(); ++x) {
                const gdi::ColorRef colour = picture_.pixelColor(x, y);
                if (colour != key) canvas.setPixel(x, y, colour);
            }
        }
        return;
    }
    gdi::DeviceContext source;
    gdi::Bitmap* previous = source.selectBitmap(&picture_);
    canvas.bitBlt(0, 0, picture_.width(), picture_.height(), &source, 0, 0, gdi::SRCCOPY);
    source.selectBitmap(previous);
}

}  // namespace windowless
