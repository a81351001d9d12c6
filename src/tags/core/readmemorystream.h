// A read-only stream over a memory block that it neither copies nor frees.
#pragma once

#include "tags/core/stream.h"

#include <cstdint>
#include <string>

namespace tags {

class TReadMemoryStream final : public TStream {
public:
    // The block must outlive the stream.
    TReadMemoryStream(const void* address, int64_t memorySize);

    int64_t Read(void* buffer, int64_t count) override;
    // Never writes: returns 0 and sets LastError, as any failed write does,
    // so callers that check WriteBuffer see the failure.
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return FSize; }
    bool SetSize(int64_t newSize) override;

    const char* Memory() const { return FMemory; }
    // "TReadMemoryStream does not support Write()." after a write or resize
    // attempt, empty before.
    const std::string& LastError() const { return FLastError; }

private:
    const char* FMemory;
    int64_t FSize;
    int64_t FPosition = 0;
    std::string FLastError;
};

}  // namespace tags
