// The image loader: picture bytes held in memory (covers from tags) decoded
// into a model bitmap, optionally scaled to a box, by the system's FreeImage.
//
// The library is loaded at run time and is optional: without it every
// operation answers "no picture" and the windows show their placeholders.
// Only JPEG, PNG, BMP, GIF and TIFF are handed to it, and only when their
// header declares a size within the decode limits (image/pictureheader.h).
//
// Threads: InitImageLoader and DoneImageLoader run while no decode does;
// between them any number of threads may decode at once.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <string_view>

#include "kit/controls.h"

namespace image {

// The library's resampling filters, by its numbers.
enum TImageFilter : int {
    FILTER_BOX = 0,
    FILTER_BICUBIC = 1,
    FILTER_BILINEAR = 2,
    FILTER_BSPLINE = 3,
    FILTER_CATMULLROM = 4,
    FILTER_LANCZOS3 = 5,
};

class TImageLoader {
public:
    // The name Debian's libfreeimage3 installs.
    static constexpr const char* kLibraryName = "libfreeimage.so.3";

    explicit TImageLoader(std::string libraryName = kLibraryName);
    ~TImageLoader();
    TImageLoader(const TImageLoader&) = delete;
    TImageLoader& operator=(const TImageLoader&) = delete;

    // Loads the library and resolves its functions; true when every one was
    // found. Does nothing more once it succeeded.
    bool InitImageLoader();
    // Releases the library; true when it was loaded and is released now.
    bool DoneImageLoader();
    bool Available() const { return api_.load(std::memory_order_acquire) != nullptr; }

    // The size the picture's header declares, when the library can decode
    // the picture's format; nothing is decoded.
    bool GetImageSizeFromMemory(std::string_view data, int& width, int& height) const;
    // The picture at its own size; null when it cannot be decoded.
    ui::TBitmapPtr LoadBitmapFromMemory(std::string_view data) const;
    // Scaled to fit maxWidth x maxHeight. With keepAspect a picture smaller
    // than the box keeps its size and a larger one shrinks by one ratio,
    // rounded to the nearest pixel; without, it takes the box's size.
    ui::TBitmapPtr LoadScaledBitmapFromMemory(std::string_view data, int maxWidth, int maxHeight, bool keepAspect,
                                              TImageFilter filter) const;
    // Scaled to fill the box: with keepAspect by the ratio that fits (small
    // pictures grow too), each side truncated. A maximum of 0 keeps the
    // picture's own size.
    ui::TBitmapPtr LoadScaledHBitmapFromMemory(std::string_view data, int maxWidth, int maxHeight, bool keepAspect,
                                               TImageFilter filter) const;

    // The bitmap as a baseline JPEG of the given quality (1..100), alpha
    // dropped; empty when the library is missing or the encode fails.
    std::string SaveBitmapToJpegMemory(const ui::TBitmap& bitmap, int quality) const;

    struct TApi;  // the library's functions, resolved by name

private:
    struct TSize {
        int width, height;
    };
    // Decodes, scales to the size target(width, height) gives for the
    // picture's own size, and converts to a model bitmap.
    template <class Target>
    ui::TBitmapPtr load(std::string_view data, TImageFilter filter, Target target) const;

    std::string libraryName_;
    void* module_ = nullptr;
    std::unique_ptr<TApi> owned_;
    std::atomic<const TApi*> api_{nullptr};  // set while every function is resolved
};

// The process's loader on the system library, loaded at first use.
TImageLoader& ImageLoader();

}  // namespace image
