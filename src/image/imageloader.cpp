#include "image/imageloader.h"

#include <dlfcn.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "common/log.h"
#include "image/pictureheader.h"

namespace image {

// The part of the library's interface this file calls, declared here so that
// building needs no header of it: opaque handles, int-sized enumerations and
// the constants of its FreeImage.h.
namespace fi {
struct FIBITMAP;
struct FIMEMORY;
using BOOL = int32_t;
using BYTE = uint8_t;
using DWORD = uint32_t;
using FREE_IMAGE_FORMAT = int;
constexpr FREE_IMAGE_FORMAT FIF_UNKNOWN = -1, FIF_BMP = 0, FIF_JPEG = 2, FIF_PNG = 13, FIF_TIFF = 18, FIF_GIF = 25;
constexpr int FIT_BITMAP = 1;  // the image type of 1- to 32-bit pixels
constexpr int JPEG_ACCURATE = 0x0002;
// A JPEG load takes a size in its upper bits: the decoder then scales by 1/2,
// 1/4 or 1/8 inside the DCT while the larger side stays at least that long,
// which costs a fraction of decoding every pixel and shrinking afterwards.
constexpr int kJpegSizeShift = 16;
using OutputMessageFunction = void (*)(FREE_IMAGE_FORMAT fif, const char* msg);
}  // namespace fi

using namespace fi;

struct TImageLoader::TApi {
    FIMEMORY* (*OpenMemory)(BYTE* data, DWORD size);
    void (*CloseMemory)(FIMEMORY* stream);
    FREE_IMAGE_FORMAT (*GetFileTypeFromMemory)(FIMEMORY* stream, int size);
    FIBITMAP* (*LoadFromMemory)(FREE_IMAGE_FORMAT fif, FIMEMORY* stream, int flags);
    BOOL (*SaveToMemory)(FREE_IMAGE_FORMAT fif, FIBITMAP* dib, FIMEMORY* stream, int flags);
    BOOL (*AcquireMemory)(FIMEMORY* stream, BYTE** data, DWORD* size);
    void (*Unload)(FIBITMAP* dib);
    unsigned (*GetWidth)(FIBITMAP* dib);
    unsigned (*GetHeight)(FIBITMAP* dib);
    unsigned (*GetBPP)(FIBITMAP* dib);
    int (*GetImageType)(FIBITMAP* dib);
    BYTE* (*GetScanLine)(FIBITMAP* dib, int line);
    FIBITMAP* (*Rescale)(FIBITMAP* dib, int width, int height, int filter);
    FIBITMAP* (*ConvertToStandardType)(FIBITMAP* dib, BOOL scaleLinear);
    FIBITMAP* (*ConvertTo24Bits)(FIBITMAP* dib);
    FIBITMAP* (*ConvertTo32Bits)(FIBITMAP* dib);
    FIBITMAP* (*ConvertFromRawBits)(BYTE* bits, int width, int height, int pitch, unsigned bpp, unsigned redMask,
                                    unsigned greenMask, unsigned blueMask, BOOL topDown);
    void (*SetOutputMessage)(OutputMessageFunction handler);
};

namespace {

// The library reports trouble through one process-wide callback; a decode
// watches the messages of its own thread.
struct TDecodeWatch {
    static thread_local TDecodeWatch* current;
    TDecodeWatch* outer = current;
    bool endOfData = false;
    TDecodeWatch() { current = this; }
    ~TDecodeWatch() { current = outer; }
    TDecodeWatch(const TDecodeWatch&) = delete;
    TDecodeWatch& operator=(const TDecodeWatch&) = delete;
};
thread_local TDecodeWatch* TDecodeWatch::current = nullptr;

void onLibraryMessage(FREE_IMAGE_FORMAT fif, const char* message) noexcept {
    if (!message) return;
    // A JPEG cut short still decodes, grey from where the data ends; it counts
    // as broken rather than being shown half grey.
    if (TDecodeWatch::current && std::strstr(message, "Premature end of JPEG file"))
        TDecodeWatch::current->endOfData = true;
    try {
        common::log::warn("image", "decoder (format ", fif, "): ", message);
    } catch (...) {  // the library's C code must not see an exception
    }
}

template <class F>
bool resolve(void* module, const char* name, F& function) {
    void* symbol = dlsym(module, name);
    if (!symbol) return false;
    static_assert(sizeof(symbol) == sizeof(function));
    std::memcpy(&function, &symbol, sizeof symbol);
    return true;
}

// The library's TIFF decoder prints libtiff's complaints to standard error,
// among them one line for every EXIF tag it does not know on every decode.
// They go to the log instead, where they are read only when asked for.
void onTiffMessage(const char* module, const char* format, va_list args) noexcept {
    char text[512];
    std::vsnprintf(text, sizeof text, format ? format : "", args);
    try {
        common::log::debug("image", "TIFF ", module ? module : "", ": ", text);
    } catch (...) {}
}

void quietTiff(void* module) {
    using Handler = void (*)(const char*, const char*, va_list);
    using SetHandler = Handler (*)(Handler);
    for (const char* name : {"TIFFSetErrorHandler", "TIFFSetWarningHandler"}) {
        SetHandler set = nullptr;
        if (resolve(module, name, set)) set(onTiffMessage);
    }
}

FREE_IMAGE_FORMAT formatOf(TPictureKind kind) {
    switch (kind) {
    case TPictureKind::pkJPEG: return FIF_JPEG;
    case TPictureKind::pkPNG: return FIF_PNG;
    case TPictureKind::pkBMP: return FIF_BMP;
    case TPictureKind::pkGIF: return FIF_GIF;
    case TPictureKind::pkTIFF: return FIF_TIFF;
    case TPictureKind::pkUnknown: break;
    }
    return FIF_UNKNOWN;
}

// A decoded image that is unloaded when it goes out of scope.
class TDib {
public:
    TDib(const TImageLoader::TApi& api, FIBITMAP* dib) : api_(api), dib_(dib) {}
    ~TDib() { reset(nullptr); }
    TDib(const TDib&) = delete;
    TDib& operator=(const TDib&) = delete;
    FIBITMAP* get() const { return dib_; }
    void reset(FIBITMAP* dib) {
        if (dib_) api_.Unload(dib_);
        dib_ = dib;
    }

private:
    const TImageLoader::TApi& api_;
    FIBITMAP* dib_;
};

// A memory stream over bytes the library only reads.
class TMemory {
public:
    TMemory(const TImageLoader::TApi& api, std::string_view data)
        : api_(api), memory_(api.OpenMemory(reinterpret_cast<BYTE*>(const_cast<char*>(data.data())),
                                            static_cast<DWORD>(data.size()))) {}
    explicit TMemory(const TImageLoader::TApi& api) : api_(api), memory_(api.OpenMemory(nullptr, 0)) {}
    ~TMemory() {
        if (memory_) api_.CloseMemory(memory_);
    }
    TMemory(const TMemory&) = delete;
    TMemory& operator=(const TMemory&) = delete;
    FIMEMORY* get() const { return memory_; }

private:
    const TImageLoader::TApi& api_;
    FIMEMORY* memory_;
};

}  // namespace

TImageLoader::TImageLoader(std::string libraryName) : libraryName_(std::move(libraryName)) {}

TImageLoader::~TImageLoader() { DoneImageLoader(); }

bool TImageLoader::InitImageLoader() {
    if (Available()) return true;
    if (!module_) module_ = dlopen(libraryName_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module_) {
        const char* why = dlerror();
        common::log::warn("image", "no pictures: ", why ? why : libraryName_.c_str());
        return false;
    }
    auto api = std::make_unique<TApi>();
    // Every function, or none: a library without one of them is not used.
    const char* missing = nullptr;
    auto need = [&](const char* name, auto& function) {
        if (!missing && !resolve(module_, name, function)) missing = name;
    };
    need("FreeImage_OpenMemory", api->OpenMemory);
    need("FreeImage_CloseMemory", api->CloseMemory);
    need("FreeImage_GetFileTypeFromMemory", api->GetFileTypeFromMemory);
    need("FreeImage_LoadFromMemory", api->LoadFromMemory);
    need("FreeImage_SaveToMemory", api->SaveToMemory);
    need("FreeImage_AcquireMemory", api->AcquireMemory);
    need("FreeImage_Unload", api->Unload);
    need("FreeImage_GetWidth", api->GetWidth);
    need("FreeImage_GetHeight", api->GetHeight);
    need("FreeImage_GetBPP", api->GetBPP);
    need("FreeImage_GetImageType", api->GetImageType);
    need("FreeImage_GetScanLine", api->GetScanLine);
    need("FreeImage_Rescale", api->Rescale);
    need("FreeImage_ConvertToStandardType", api->ConvertToStandardType);
    need("FreeImage_ConvertTo24Bits", api->ConvertTo24Bits);
    need("FreeImage_ConvertTo32Bits", api->ConvertTo32Bits);
    need("FreeImage_ConvertFromRawBits", api->ConvertFromRawBits);
    need("FreeImage_SetOutputMessage", api->SetOutputMessage);
    if (missing) {
        common::log::warn("image", "no pictures: ", libraryName_, " lacks ", missing);
        dlclose(module_);
        module_ = nullptr;
        return false;
    }
    api->SetOutputMessage(onLibraryMessage);
    quietTiff(module_);
    owned_ = std::move(api);
    api_.store(owned_.get(), std::memory_order_release);
    return true;
}

bool TImageLoader::DoneImageLoader() {
    if (!module_) return false;
    api_.store(nullptr, std::memory_order_release);
    bool released = dlclose(module_) == 0;
    module_ = nullptr;
    owned_.reset();
    return released;
}

template <class Target>
ui::TBitmapPtr TImageLoader::load(std::string_view data, TImageFilter filter, Target target) const {
    const TApi* api = api_.load(std::memory_order_acquire);
    if (!api || data.empty()) return nullptr;
    const TPictureHeader header = ReadPictureHeader(data);
    const FREE_IMAGE_FORMAT fif = formatOf(header.Kind);
    if (fif == FIF_UNKNOWN) {
        common::log::info("image", "not a picture of a known format (", data.size(), " bytes)");
        return nullptr;
    }
    if (header.Width == 0 || header.Height == 0) {
        common::log::warn("image", KindName(header.Kind), " picture of ", data.size(), " bytes states no size");
        return nullptr;
    }
    if (!WithinDecodeLimits(header.Width, header.Height) || data.size() < LeastBytes(header) ||
        data.size() > std::numeric_limits<DWORD>::max()) {
        common::log::warn("image", KindName(header.Kind), " picture declaring ", header.Width, " x ", header.Height,
                          " in ", data.size(), " bytes is not decoded");
        return nullptr;
    }
    try {
        // A JPEG that is to shrink decodes straight at a fraction of its size.
        int sizeHint = 0;
        if (fif == FIF_JPEG) {
            TSize wanted = target(static_cast<int>(header.Width), static_cast<int>(header.Height));
            if (wanted.width < static_cast<int>(header.Width) || wanted.height < static_cast<int>(header.Height))
                sizeHint = std::max(wanted.width, wanted.height);
        }

        TDecodeWatch watch;
        TMemory memory(*api, data);
        if (!memory.get()) return nullptr;
        if (api->GetFileTypeFromMemory(memory.get(), 0) != fif) {
            common::log::warn("image", "the decoder does not take this ", KindName(header.Kind), " picture");
            return nullptr;
        }
        const int flags = fif == FIF_JPEG ? JPEG_ACCURATE | (sizeHint << kJpegSizeShift) : 0;
        TDib dib(*api, api->LoadFromMemory(fif, memory.get(), flags));
        if (!dib.get() || watch.endOfData) {
            common::log::warn("image", KindName(header.Kind), " picture of ", data.size(),
                              dib.get() ? " bytes is cut short" : " bytes cannot be decoded");
            return nullptr;
        }
        // 16-bit and floating-point pixels become 8 bits a channel first.
        if (api->GetImageType(dib.get()) != FIT_BITMAP) dib.reset(api->ConvertToStandardType(dib.get(), 1));
        if (!dib.get()) return nullptr;

        int width = static_cast<int>(api->GetWidth(dib.get())), height = static_cast<int>(api->GetHeight(dib.get()));
        if (width < 1 || height < 1) return nullptr;
        // Sizes follow the picture's own size, also when the decoder shrank it.
        TSize size =
            sizeHint ? target(static_cast<int>(header.Width), static_cast<int>(header.Height)) : target(width, height);
        size.width = std::max(size.width, 1), size.height = std::max(size.height, 1);
        if (!WithinDecodeLimits(static_cast<uint32_t>(size.width), static_cast<uint32_t>(size.height))) {
            common::log::warn("image", "a picture is not scaled to ", size.width, " x ", size.height);
            return nullptr;
        }
        if (size.width != width || size.height != height) {
            dib.reset(api->Rescale(dib.get(), size.width, size.height, filter));
            if (!dib.get()) return nullptr;
            width = size.width, height = size.height;
        }
        if (api->GetBPP(dib.get()) != 32) dib.reset(api->ConvertTo32Bits(dib.get()));
        if (!dib.get()) return nullptr;

        // The library's 32-bit pixels are B, G, R, A in memory: on this
        // little-endian machine that is the model's 0xAARRGGBB. Its rows run
        // bottom-up.
        static_assert(std::endian::native == std::endian::little);
        auto bitmap = std::make_shared<ui::TBitmap>(width, height);
        for (int y = 0; y < height; ++y) {
            const BYTE* line = api->GetScanLine(dib.get(), height - 1 - y);
            if (!line) return nullptr;
            std::memcpy(&bitmap->at(0, y), line, size_t(width) * 4);
        }
        return bitmap;
    } catch (...) {
        common::log::caught("image", "decoding a picture");
        return nullptr;
    }
}

bool TImageLoader::GetImageSizeFromMemory(std::string_view data, int& width, int& height) const {
    width = height = 0;
    const TApi* api = api_.load(std::memory_order_acquire);
    const TPictureHeader header = ReadPictureHeader(data);
    const FREE_IMAGE_FORMAT fif = formatOf(header.Kind);
    if (!api || fif == FIF_UNKNOWN || header.Width < 1 || header.Height < 1 ||
        header.Width > uint32_t(std::numeric_limits<int>::max()) ||
        header.Height > uint32_t(std::numeric_limits<int>::max()) || data.size() > std::numeric_limits<DWORD>::max())
        return false;
    TMemory memory(*api, data);
    if (!memory.get() || api->GetFileTypeFromMemory(memory.get(), 0) != fif) return false;
    width = static_cast<int>(header.Width), height = static_cast<int>(header.Height);
    return true;
}

ui::TBitmapPtr TImageLoader::LoadBitmapFromMemory(std::string_view data) const {
    return load(data, FILTER_LANCZOS3, [](int w, int h) { return TSize{w, h}; });
}

ui::TBitmapPtr TImageLoader::LoadScaledBitmapFromMemory(std::string_view data, int maxWidth, int maxHeight,
                                                        bool keepAspect, TImageFilter filter) const {
    return load(data, filter, [=](int w, int h) {
        if (maxWidth <= 0 || maxHeight <= 0) return TSize{w, h};
        if (!keepAspect) return TSize{maxWidth, maxHeight};
        if (w < maxWidth && h < maxHeight) return TSize{w, h};
        float ratio = std::min(static_cast<float>(maxHeight) / static_cast<float>(h),
                               static_cast<float>(maxWidth) / static_cast<float>(w));
        // Halves go to the even neighbour, as the default rounding does.
        return TSize{static_cast<int>(std::nearbyint(static_cast<float>(w) * ratio)),
                     static_cast<int>(std::nearbyint(static_cast<float>(h) * ratio))};
    });
}

ui::TBitmapPtr TImageLoader::LoadScaledHBitmapFromMemory(std::string_view data, int maxWidth, int maxHeight,
                                                         bool keepAspect, TImageFilter filter) const {
    return load(data, filter, [=](int w, int h) {
        if (maxWidth <= 0 || maxHeight <= 0) return TSize{w, h};
        if (!keepAspect) return TSize{maxWidth, maxHeight};
        double ratio = std::min(double(maxHeight) / h, double(maxWidth) / w);
        return TSize{static_cast<int>(w * ratio), static_cast<int>(h * ratio)};
    });
}

std::string TImageLoader::SaveBitmapToJpegMemory(const ui::TBitmap& bitmap, int quality) const {
    const TApi* api = api_.load(std::memory_order_acquire);
    if (!api || bitmap.Width < 1 || bitmap.Height < 1 ||
        bitmap.Pixels.size() != size_t(bitmap.Width) * size_t(bitmap.Height) ||
        bitmap.Width > std::numeric_limits<int>::max() / 4)
        return {};
    try {
        // Rows top-down, 0xAARRGGBB: the library's own 32-bit layout here.
        auto* bits = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(bitmap.Pixels.data()));
        TDib dib(*api, api->ConvertFromRawBits(bits, bitmap.Width, bitmap.Height, bitmap.Width * 4, 32, 0x00FF0000,
                                               0x0000FF00, 0x000000FF, 1));
        if (!dib.get()) return {};
        dib.reset(api->ConvertTo24Bits(dib.get()));  // the JPEG writer takes no alpha
        if (!dib.get()) return {};
        TMemory memory(*api);
        if (!memory.get() || !api->SaveToMemory(FIF_JPEG, dib.get(), memory.get(), std::clamp(quality, 1, 100)))
            return {};
        BYTE* data = nullptr;
        DWORD size = 0;
        if (!api->AcquireMemory(memory.get(), &data, &size) || !data) return {};
        return std::string(reinterpret_cast<const char*>(data), size);
    } catch (...) {
        common::log::caught("image", "encoding a picture");
        return {};
    }
}

TImageLoader& ImageLoader() {
    static TImageLoader loader;
    static const bool loaded = loader.InitImageLoader();
    (void)loaded;
    return loader;
}

}  // namespace image
