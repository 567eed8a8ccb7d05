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

    void paint(gdi::DeviceContext& canvas) override;

private:
    gdi::Bitmap picture_;
};

}  // namespace windowless
