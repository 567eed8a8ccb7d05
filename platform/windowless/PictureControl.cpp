#include "PictureControl.h"

namespace windowless {

void PictureControl::paint(gdi::DeviceContext& canvas) {
    if (picture_.isEmpty()) return;
    gdi::DeviceContext source;
    gdi::Bitmap* previous = source.selectBitmap(&picture_);
    canvas.bitBlt(0, 0, picture_.width(), picture_.height(), &source, 0, 0, gdi::SRCCOPY);
    source.selectBitmap(previous);
}

}  // namespace windowless
