#pragma once
// A windowless picture: shows a bitmap at its top-left corner, clipped to its bounds.

#include "WindowlessControl.h"
#include "platform/gdi/Bitmap.h"

namespace windowless {

class PictureControl : public WindowlessControl {
public:
    explicit PictureControl(WindowlessHost* host) : WindowlessControl(host) {}

    const gdi::Bitmap& picture() const { return picture_; }
    void setPicture(const gdi::Bitmap& picture) {
        picture_ = picture;
        invalidate();
    }

    // A transparent picture leaves out the pixels of its transparent colour (its bottom-left
    // pixel's unless set), so what lies beneath shows through.
    bool transparent() const { return transparent_; }
    void setTransparent(bool transparent) {
        transparent_ = transparent;
        invalidate();
    }

    void paint(gdi::DeviceContext& canvas) override;

private:
    gdi::Bitmap picture_;
    bool transparent_ = false;
};

}  // namespace windowless
