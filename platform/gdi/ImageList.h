#pragma once
// An image list: images of one fixed size kept in numbered slots, each with an optional mask
// (1 = background). An image stored without a mask is drawn opaque.

#include <optional>
#include <vector>

#include "Bitmap.h"
#include "DeviceContext.h"

namespace gdi {

constexpr ColorRef CLR_NONE = 0xFFFFFFFF;
constexpr ColorRef CLR_DEFAULT = 0xFF000000;
enum : unsigned { ILD_NORMAL = 0x0000, ILD_TRANSPARENT = 0x0001 };

class ImageList {
public:
    ImageList(int imageWidth, int imageHeight);

    int imageWidth() const { return imageWidth_; }
    int imageHeight() const { return imageHeight_; }
    int count() const { return static_cast<int>(images_.size()); }

    // Appends the image (a strip wider than one image adds one slot per image); returns the index
    // of the first slot added, or -1 when the image does not have the list's height.
    int add(const Bitmap& image, const Bitmap* mask = nullptr);
    // Replaces a slot's image; without a mask the slot becomes opaque.
    bool replace(int index, const Bitmap& image, const Bitmap* mask = nullptr);
    const Bitmap* image(int index) const;

    // Draws slot `index` at (x, y). Masked pixels show `background`, or stay untouched when it is
    // CLR_NONE or ILD_TRANSPARENT is given. The foreground (blend) colour is not used.
    bool draw(DeviceContext& context, int index, int x, int y, ColorRef background, ColorRef foreground,
              unsigned style) const;

private:
    struct Slot {
        Bitmap image;
        std::optional<Bitmap> mask;
    };
    Slot cut(const Bitmap& image, const Bitmap* mask, int column) const;

    int imageWidth_;
    int imageHeight_;
    std::vector<Slot> images_;
};

}  // namespace gdi
