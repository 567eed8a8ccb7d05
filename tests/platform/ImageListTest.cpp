#include <gtest/gtest.h>

#include "platform/gdi/ImageList.h"

using namespace gdi;

TEST(ImageList, AddsReplacesAndDrawsImagesOpaqueWithoutAMask) {
    ImageList list(2, 2);
    Bitmap strip = Bitmap::color(4, 2, rgb(255, 0, 0));
    strip.setPixelColor(2, 0, rgb(0, 0, 255));
    EXPECT_EQ(list.add(strip), 0);
    EXPECT_EQ(list.count(), 2) << "a strip adds one slot per image";
    EXPECT_EQ(list.image(1)->pixelColor(0, 0), rgb(0, 0, 255));
    EXPECT_EQ(list.add(Bitmap::color(2, 3)), -1) << "wrong height";

    EXPECT_TRUE(list.replace(0, Bitmap::color(2, 2, rgb(0, 255, 0))));
    Bitmap target = Bitmap::color(4, 4, clWhite);
    DeviceContext context(target, {0, 0});
    EXPECT_TRUE(list.draw(context, 0, 1, 1, rgb(9, 9, 9), 0x1FFFFFFF, ILD_NORMAL));
    EXPECT_EQ(target.pixelColor(1, 1), rgb(0, 255, 0));
    EXPECT_EQ(target.pixelColor(2, 2), rgb(0, 255, 0));
    EXPECT_EQ(target.pixelColor(3, 3), clWhite);
    EXPECT_FALSE(list.draw(context, 5, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL));
}

TEST(ImageList, MaskedPixelsShowTheBackgroundColourOrStayUntouched) {
    ImageList list(2, 1);
    Bitmap mask = Bitmap::monochrome(2, 1, false);
    mask.setPixelColor(1, 0, clWhite);
    list.add(Bitmap::color(2, 1, rgb(255, 0, 0)), &mask);
    Bitmap target = Bitmap::color(2, 1, clWhite);
    DeviceContext context(target, {0, 0});
    list.draw(context, 0, 0, 0, CLR_NONE, CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(target.pixelColor(1, 0), clWhite);
    list.draw(context, 0, 0, 0, rgb(0, 0, 255), CLR_NONE, ILD_NORMAL);
    EXPECT_EQ(target.pixelColor(0, 0), rgb(255, 0, 0));
    EXPECT_EQ(target.pixelColor(1, 0), rgb(0, 0, 255));
}
