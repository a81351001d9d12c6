// A 1024-byte read/write buffer over another seekable stream, for parsers
// that read a few header bytes at a time. Requests larger than the buffer go
// straight to the wrapped stream.
#pragma once

#include "tags/core/stream.h"

#include <cstdint>

namespace tags {

class TBufferedStream final : public TStream {
public:
    static constexpr int32_t kBufferSize = 1024;

    // The wrapped stream is not owned and must outlive the wrapper; the
    // wrapper starts at the stream's current position.
    explicit TBufferedStream(TStream& stream);
    // Writes what is still buffered.
    ~TBufferedStream() override;
    TBufferedStream(const TBufferedStream&) = delete;
    TBufferedStream& operator=(const TBufferedStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    // Buffered writes report success at once; Flush (or Good afterwards)
    // tells whether they reached the wrapped stream.
    int64_t Write(const void* buffer, int64_t count) override;
    // Clamped to [0, size]: never fails.
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t GetSize() override { return FStreamSize; }
    bool SetSize(int64_t newSize) override;

    // Writes the buffered bytes now; false when the wrapped stream took
    // fewer of them.
    bool Flush();
    // False once any write to the wrapped stream came up short.
    bool Good() const { return FGood; }

private:
    void FlushBuffer();
    void EmptyBuffer() { FBufPos = FBufSize = 0; }

    char FBuf[kBufferSize];
    int32_t FBufPos = 0;   // logical position inside the buffer
    int32_t FBufSize = 0;  // valid bytes in the buffer
    TStream* FStream;
    int64_t FStreamPos;  // offset in FStream of FBuf[0]
    int64_t FStreamSize;
    bool FWriting = false;  // the buffer holds bytes still to be written
    bool FGood = true;
};

}  // namespace tags
