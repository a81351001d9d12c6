#include "tags/core/readmemorystream.h"

#include <algorithm>
#include <cstring>

namespace tags {

namespace {
constexpr const char* kNoWrite = "TReadMemoryStream does not support Write().";
}

TReadMemoryStream::TReadMemoryStream(const void* address, int64_t memorySize)
    : FMemory(static_cast<const char*>(address)), FSize(address && memorySize > 0 ? memorySize : 0) {}

int64_t TReadMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || FPosition >= FSize) return 0;
    int64_t n = std::min(count, FSize - FPosition);
    std::memcpy(buffer, FMemory + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int64_t TReadMemoryStream::Write(const void*, int64_t) {
    FLastError = kNoWrite;
    return 0;
}

int64_t TReadMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : FSize;
    int64_t target = base + offset;
    if (target < 0) return -1;
    // Like any memory stream the position may pass the end; reads there give 0.
    FPosition = target;
    return FPosition;
}

bool TReadMemoryStream::SetSize(int64_t) {
    FLastError = kNoWrite;
    return false;
}

}  // namespace tags
