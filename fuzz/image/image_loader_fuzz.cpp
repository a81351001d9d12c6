// Whatever the bytes, the loader answers with a bitmap whose pixels match its
// size and which fits the box it was asked for, or with nothing; a picture
// saved from what it decoded decodes again at the same size.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "common/log.h"
#include "image/imageloader.h"
#include "image/pictureheader.h"

namespace {

bool consistent(const ui::TBitmapPtr& b) {
    return b->Width >= 1 && b->Height >= 1 && b->Pixels.size() == size_t(b->Width) * size_t(b->Height);
}

}  // namespace

// Every refused picture is logged; millions of such lines would only bury
// what the fuzzer itself reports.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    common::log::setLevel(common::log::Level::off);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const image::TImageLoader& loader = image::ImageLoader();
    if (!loader.Available()) __builtin_trap();  // a fuzz run without the library proves nothing
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    image::TPictureHeader header = image::ReadPictureHeader(bytes);
    int width = 0, height = 0;
    if (loader.GetImageSizeFromMemory(bytes, width, height) &&
        (uint32_t(width) != header.Width || uint32_t(height) != header.Height))
        __builtin_trap();

    // The cover box: a fraction of the decode for large JPEGs, then Lanczos.
    if (ui::TBitmapPtr cover = loader.LoadScaledHBitmapFromMemory(bytes, 225, 216, true, image::FILTER_LANCZOS3))
        if (!consistent(cover) || cover->Width > 225 || cover->Height > 216) __builtin_trap();

    // The cover-art window: full size.
    if (ui::TBitmapPtr full = loader.LoadBitmapFromMemory(bytes)) {
        if (!consistent(full) || !image::WithinDecodeLimits(uint32_t(full->Width), uint32_t(full->Height)))
            __builtin_trap();
        // Small pictures also go round through the encoder.
        if (full->Width <= 64 && full->Height <= 64) {
            ui::TBitmapPtr again = loader.LoadBitmapFromMemory(loader.SaveBitmapToJpegMemory(*full, 85));
            if (!again || again->Width != full->Width || again->Height != full->Height) __builtin_trap();
        }
    }
    return 0;
}
