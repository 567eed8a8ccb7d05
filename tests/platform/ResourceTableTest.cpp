#include <gtest/gtest.h>

#include "platform/gdi/BmpFile.h"
#include "platform/resources/ResourceTable.h"

using namespace resources;

TEST(ResourceTable, FindsResourcesWithoutRegardToCase) {
    const auto upper = findResource(kBitmap, QStringLiteral("STOP_ACTIVE"));
    const auto mixed = findResource(QStringLiteral("bitmap"), QStringLiteral("Stop_active"));
    ASSERT_TRUE(upper.has_value());
    ASSERT_TRUE(mixed.has_value());
    EXPECT_EQ(*upper, *mixed);
    EXPECT_FALSE(findResource(kBitmap, QStringLiteral("no_such_bitmap")).has_value());
    EXPECT_FALSE(findResource(kRawData, QStringLiteral("STOP_ACTIVE")).has_value()) << "kinds are separate";
    EXPECT_TRUE(loadBitmapResource(QStringLiteral("../BITMAP/PLAY")).isEmpty());
}

// The button images: 24-bit, of the sizes their buttons expect, on the key colour (255, 0, 128)
// that the flat button leaves out, which is also their bottom-left pixel.
TEST(ResourceTable, ButtonImagesHaveTheirSizesAndTheKeyColour) {
    struct Expected {
        const char* name;
        int width;
        int height;
    };
    const Expected images[] = {
        {"play", 24, 25},      {"play_active", 24, 25},      {"pause", 24, 25}, {"pause_active", 24, 25},
        {"stop", 24, 25},      {"Stop_active", 24, 25},      {"add", 217, 25},  {"add_active", 217, 25},
        {"addblank", 132, 25}, {"addblank_active", 132, 25}, {"save", 30, 30},  {"save_active", 30, 30},
        {"exit", 30, 30},      {"settings", 30, 30},         {"open", 30, 30},
    };
    for (const Expected& image : images) {
        const auto bytes = findResource(kBitmap, QString::fromLatin1(image.name));
        ASSERT_TRUE(bytes.has_value()) << image.name;
        const auto result = gdi::readBmp(*bytes);
        ASSERT_TRUE(result.ok()) << image.name << ": " << result.error;
        EXPECT_EQ(result.bitmap.width(), image.width) << image.name;
        EXPECT_EQ(result.bitmap.height(), image.height) << image.name;
        EXPECT_EQ(result.bitmap.sourceBitsPerPixel(), 24) << image.name;
        EXPECT_EQ(result.bitmap.transparentColor(), gdi::rgb(255, 0, 128) | gdi::kPaletteRelative)
            << image.name;
        // Some pixels are drawn and some are left out.
        int keyed = 0;
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x)
                keyed += result.bitmap.pixelColor(x, y) == gdi::rgb(255, 0, 128);
        }
        EXPECT_GT(keyed, image.width * image.height / 4) << image.name;
        EXPECT_LT(keyed, image.width * image.height) << image.name;
    }
    const gdi::Bitmap panel = loadBitmapResource(QStringLiteral("panel"));
    EXPECT_EQ(panel.width(), 450);
    EXPECT_EQ(panel.height(), 59);
    const gdi::Bitmap icon = loadBitmapResource(QStringLiteral("MainIcon"));
    EXPECT_EQ(icon.width(), 16);
    EXPECT_EQ(icon.height(), 16);
}

TEST(ResourceTable, DimAndActiveLooksDiffer) {
    for (const char* name : {"play", "pause", "stop", "add", "addblank", "save"}) {
        const gdi::Bitmap dim = loadBitmapResource(QString::fromLatin1(name));
        const gdi::Bitmap active = loadBitmapResource(QString::fromLatin1(name) + QStringLiteral("_active"));
        EXPECT_FALSE(dim == active) << name;
    }
}
