#include "ImageList.h"

namespace gdi {

ImageList::ImageList(int imageWidth, int imageHeight)
    : imageWidth_(std::max(1, imageWidth)), imageHeight_(std::max(1, imageHeight)) {}

ImageList::Slot ImageList::cut(const Bitmap& image, const Bitmap* mask, int column) const {
    Slot slot{Bitmap::color(imageWidth_, imageHeight_, clBlack), std::nullopt};
    if (mask != nullptr) slot.mask = Bitmap::monochrome(imageWidth_, imageHeight_, false);
    for (int y = 0; y < imageHeight_; ++y) {
        for (int x = 0; x < imageWidth_; ++x) {
            const int sx = column * imageWidth_ + x;
            slot.image.setPixelColor(x, y, image.pixelColor(sx, y));
            if (mask != nullptr) slot.mask->monoRow(y)[x] = mask->pixelColor(sx, y) == clWhite ? 1 : 0;
        }
    }
    return slot;
}

int ImageList::add(const Bitmap& image, const Bitmap* mask) {
    if (image.isEmpty() || image.height() != imageHeight_) return -1;
    const int first = count();
    const int columns = std::max(1, image.width() / imageWidth_);
    for (int column = 0; column < columns; ++column) images_.push_back(cut(image, mask, column));
    return first;
}

bool ImageList::replace(int index, const Bitmap& image, const Bitmap* mask) {
    if (index < 0 || index >= count() || image.isEmpty()) return false;
    images_[static_cast<std::size_t>(index)] = cut(image, mask, 0);
    return true;
}

const Bitmap* ImageList::image(int index) const {
    if (index < 0 || index >= count()) return nullptr;
    return &images_[static_cast<std::size_t>(index)].image;
}

bool ImageList::draw(DeviceContext& context, int index, int x, int y, ColorRef background,
                     ColorRef /*foreground*/, unsigned style) const {
    if (index < 0 || index >= count()) return false;
    const Slot& slot = images_[static_cast<std::size_t>(index)];
    const bool leaveBackground = background == CLR_NONE || (style & ILD_TRANSPARENT) != 0;
    for (int py = 0; py < imageHeight_; ++py) {
        for (int px = 0; px < imageWidth_; ++px) {
            if (slot.mask && slot.mask->monoRow(py)[px] != 0) {
                if (!leaveBackground) context.setPixel(x + px, y + py, background);
                continue;
            }
            context.setPixel(x + px, y + py, slot.image.pixelColor(px, py));
        }
    }
    return true;
}

}  // namespace gdi
