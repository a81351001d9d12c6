#include <gtest/gtest.h>

#include <string>

#include "common/files.h"
#include "image/imageloader.h"
#include "support/logcapture.h"

using image::TImageLoader;

namespace {

std::string picture(const std::string& name) {
    return common::readFile(std::string(ORVELIN_SOURCE_DIR) + "/tests/image/pictures/" + name).value_or("");
}

uint8_t alpha(uint32_t pixel) { return uint8_t(pixel >> 24); }
uint8_t red(uint32_t pixel) { return uint8_t(pixel >> 16); }
uint8_t blue(uint32_t pixel) { return uint8_t(pixel); }

// The library is a package the player needs (scripts/packages/player.txt).
struct Loader : ::testing::Test {
    TImageLoader loader;
    void SetUp() override { ASSERT_TRUE(loader.InitImageLoader()) << "libfreeimage3 is not installed"; }

    // A JPEG of the given size, red above the middle and blue below.
    std::string jpeg(int width, int height) {
        ui::TBitmap b(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) b.at(x, y) = y < height / 2 ? 0xFFE00000 : 0xFF0000E0;
        return loader.SaveBitmapToJpegMemory(b, 90);
    }
};

}  // namespace

TEST_F(Loader, DecodesEveryFormatTagsCarryAtItsSize) {
    struct Case {
        const char* file;
        int width, height;
        bool opaque;
    } cases[] = {
        {"front.jpg", 48, 32, true},   {"alpha.png", 24, 16, false}, {"gray16.png", 10, 10, true},
        {"palette.gif", 20, 20, true}, {"rgb.bmp", 17, 9, true},     {"rgb.tif", 12, 10, true},
    };
    for (const Case& c : cases) {
        std::string bytes = picture(c.file);
        ASSERT_FALSE(bytes.empty()) << c.file;
        int w = 0, h = 0;
        EXPECT_TRUE(loader.GetImageSizeFromMemory(bytes, w, h)) << c.file;
        EXPECT_EQ(w, c.width) << c.file;
        EXPECT_EQ(h, c.height) << c.file;
        ui::TBitmapPtr b = loader.LoadBitmapFromMemory(bytes);
        ASSERT_TRUE(b) << c.file;
        EXPECT_EQ(b->Width, c.width) << c.file;
        EXPECT_EQ(b->Height, c.height) << c.file;
        ASSERT_EQ(b->Pixels.size(), size_t(c.width) * size_t(c.height)) << c.file;
        if (c.opaque) {
            for (uint32_t p : b->Pixels) ASSERT_EQ(alpha(p), 255) << c.file;
        }
    }
    // The PNG's alpha rises by 10 a column from 0: kept, not flattened.
    ui::TBitmapPtr b = loader.LoadBitmapFromMemory(picture("alpha.png"));
    ASSERT_TRUE(b);
    EXPECT_EQ(alpha(b->at(0, 5)), 0);
    EXPECT_EQ(alpha(b->at(23, 5)), 230);
}

TEST_F(Loader, KeepsRowOrderAndColoursThroughAnEncodeAndDecode) {
    std::string bytes = loader.SaveBitmapToJpegMemory(ui::TBitmap(1, 1, 0xFF336699), 90);
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    ui::TBitmapPtr b = loader.LoadBitmapFromMemory(jpeg(40, 30));
    ASSERT_TRUE(b);
    ASSERT_EQ(b->Width, 40);
    ASSERT_EQ(b->Height, 30);
    // Red on top, blue below, whatever JPEG does to the exact values.
    EXPECT_GT(red(b->at(20, 2)), 180);
    EXPECT_LT(blue(b->at(20, 2)), 60);
    EXPECT_GT(blue(b->at(20, 27)), 180);
    EXPECT_LT(red(b->at(20, 27)), 60);
}

TEST_F(Loader, ScalesByTheRulesOfEachOperation) {
    enum Op { Scaled, Filled };
    struct Case {
        const char* what;
        Op op;
        int width, height, maxWidth, maxHeight;
        bool keepAspect;
        int outWidth, outHeight;
    } cases[] = {
        {"a smaller picture keeps its size", Scaled, 100, 80, 300, 300, true, 100, 80},
        {"a larger one shrinks by one ratio", Scaled, 400, 400, 200, 100, true, 100, 100},
        {"sides round to the nearest pixel", Scaled, 300, 200, 100, 100, true, 100, 67},
        {"halves round to even", Scaled, 10, 5, 5, 100, true, 5, 2},
        {"without aspect it takes the box", Scaled, 100, 80, 300, 120, false, 300, 120},
        {"filling grows a small picture", Filled, 100, 80, 300, 300, true, 300, 240},
        {"filling shrinks by one ratio", Filled, 400, 400, 200, 100, true, 100, 100},
        {"filling truncates", Filled, 300, 200, 100, 100, true, 100, 66},
        {"a maximum of 0 keeps the size", Filled, 300, 200, 0, 100, true, 300, 200},
        // Decoded at a fraction inside the JPEG decoder; the size still
        // follows from the full picture.
        {"a large JPEG into the cover box", Filled, 1600, 1200, 225, 216, true, 225, 168},
    };
    for (const Case& c : cases) {
        std::string bytes = jpeg(c.width, c.height);
        ui::TBitmapPtr b = c.op == Scaled ? loader.LoadScaledBitmapFromMemory(bytes, c.maxWidth, c.maxHeight,
                                                                              c.keepAspect, image::FILTER_LANCZOS3)
                                          : loader.LoadScaledHBitmapFromMemory(bytes, c.maxWidth, c.maxHeight,
                                                                               c.keepAspect, image::FILTER_LANCZOS3);
        ASSERT_TRUE(b) << c.what;
        EXPECT_EQ(b->Width, c.outWidth) << c.what;
        EXPECT_EQ(b->Height, c.outHeight) << c.what;
        if (c.outHeight >= 20) {
            EXPECT_GT(red(b->at(b->Width / 2, 0)), 150) << c.what;  // still the right way up
        }
    }
}

TEST_F(Loader, BadPicturesGiveNothingAndHugeOnesAreNotEvenDecoded) {
    std::string png = picture("alpha.png"), jpg = picture("front.jpg"), bmp = picture("rgb.bmp");
    auto patched = [](std::string bytes, size_t at, const std::string& with) {
        return bytes.replace(at, with.size(), with);
    };
    struct Case {
        const char* what;
        std::string bytes;
        bool refusedBySize;
    } cases[] = {
        {"nothing", "", false},
        {"text", "this is not a picture", false},
        {"a JPEG cut in half", jpg.substr(0, jpg.size() / 2), false},
        {"a PNG cut in its data", png.substr(0, 60), false},
        {"a GIF signature and garbage", "GIF89a" + std::string(200, '\x5A'), false},
        {"a PNG declaring 20000 x 20000", patched(png, 16, std::string("\0\0\x4E\x20\0\0\x4E\x20", 8)), true},
        {"a PNG of 300 MB decoded", patched(png, 16, std::string("\0\0\x27\x10\0\0\x1F\x40", 8)), true},
        // 4000 x 4000 would be 64 MB, from fewer bytes than any real picture of that size.
        {"a PNG of 286 bytes declaring 4000 x 4000", patched(png, 16, std::string("\0\0\x0F\xA0\0\0\x0F\xA0", 8)),
         true},
        {"a BMP cut in its rows", bmp.substr(0, bmp.size() - 10), true},
        {"a 55-byte BMP declaring 4352 x 14335",
         patched(bmp.substr(0, 55), 18, std::string("\0\x11\0\0\xFF\x37\0\0", 8)), true},
    };
    for (const Case& c : cases) {
        testenv::LogCapture log;
        EXPECT_FALSE(loader.LoadBitmapFromMemory(c.bytes)) << c.what;
        EXPECT_FALSE(loader.LoadScaledHBitmapFromMemory(c.bytes, 225, 216, true, image::FILTER_LANCZOS3)) << c.what;
        // Refused on the header's word, before the decoder allocates anything.
        EXPECT_EQ(log.text().find("is not decoded") != std::string::npos, c.refusedBySize) << c.what;
    }
}

TEST_F(Loader, WithoutTheLibraryNothingDecodesAndNothingFails) {
    TImageLoader missing("libfreeimage-not-here.so.0");
    testenv::LogCapture log;
    EXPECT_FALSE(missing.InitImageLoader());
    EXPECT_FALSE(missing.Available());
    std::string bytes = picture("front.jpg");
    int w = 7, h = 7;
    EXPECT_FALSE(missing.GetImageSizeFromMemory(bytes, w, h));
    EXPECT_EQ(w, 0);
    EXPECT_FALSE(missing.LoadBitmapFromMemory(bytes));
    EXPECT_FALSE(missing.LoadScaledBitmapFromMemory(bytes, 10, 10, true, image::FILTER_LANCZOS3));
    EXPECT_FALSE(missing.LoadScaledHBitmapFromMemory(bytes, 10, 10, true, image::FILTER_LANCZOS3));
    EXPECT_TRUE(missing.SaveBitmapToJpegMemory(ui::TBitmap(2, 2), 85).empty());
    EXPECT_FALSE(missing.DoneImageLoader());
    EXPECT_NE(log.text().find("libfreeimage-not-here.so.0"), std::string::npos);

    // Released and loaded again, the loader works as before.
    EXPECT_TRUE(loader.DoneImageLoader());
    EXPECT_FALSE(loader.LoadBitmapFromMemory(bytes));
    EXPECT_TRUE(loader.InitImageLoader());
    EXPECT_TRUE(loader.LoadBitmapFromMemory(bytes));
}
