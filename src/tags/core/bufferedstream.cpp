#include "tags/core/bufferedstream.h"

#include <algorithm>
#include <cstring>

namespace tags {

// Read mode: the buffer holds FBufSize bytes read at FStreamPos and FStream
// stands just after them. Write mode: the buffer holds FBufSize bytes that
// belong at FStreamPos and FStream stands at FStreamPos.

TBufferedStream::TBufferedStream(TStream& stream)
    : FStream(&stream), FStreamPos(std::max<int64_t>(stream.Position(), 0)),
      FStreamSize(std::max<int64_t>(stream.GetSize(), 0)) {}

TBufferedStream::~TBufferedStream() {
    if (FWriting && FBufSize > 0) FlushBuffer();
}

void TBufferedStream::FlushBuffer() {
    if (FBufSize > 0 && FStream->Write(FBuf, FBufSize) != FBufSize) FGood = false;
    FStreamPos += FBufSize;
    EmptyBuffer();
}

bool TBufferedStream::Flush() {
    if (FWriting && FBufSize > 0) {
        int64_t logical = FStreamPos + FBufPos;
        FlushBuffer();
        // Keep the logical position where it was, even after a seek back
        // inside the buffer.
        FStreamPos = logical;
        FStream->Seek(FStreamPos, TSeekOrigin::soBeginning);
    }
    return FGood;
}

int64_t TBufferedStream::Read(void* buffer, int64_t count) {
    if (FWriting) {
        if (FBufSize > 0 && FStream->Write(FBuf, FBufSize) != FBufSize) FGood = false;
        FWriting = false;
        FStreamPos += FBufPos;
        FStream->Seek(FStreamPos, TSeekOrigin::soBeginning);
        EmptyBuffer();
    }
    if (count <= 0) return 0;
    auto* out = static_cast<char*>(buffer);
    if (count <= kBufferSize) {
        int64_t done = 0;
        while (done < count) {
            if (FBufPos == FBufSize) {
                FStreamPos += FBufSize;
                int64_t got = FStream->Read(FBuf, kBufferSize);
                FBufSize = static_cast<int32_t>(std::max<int64_t>(got, 0));
                FBufPos = 0;
                if (FBufSize == 0) break;
            }
            int64_t n = std::min<int64_t>(count - done, FBufSize - FBufPos);
            std::memcpy(out + done, FBuf + FBufPos, static_cast<size_t>(n));
            FBufPos += static_cast<int32_t>(n);
            done += n;
        }
        return done;
    }
    FStream->Seek(FStreamPos + FBufPos, TSeekOrigin::soBeginning);
    int64_t got = FStream->Read(out, count);
    FStreamPos = std::max<int64_t>(FStream->Position(), 0);
    EmptyBuffer();
    return got;
}

int64_t TBufferedStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    auto* in = static_cast<const char*>(buffer);
    if (count <= kBufferSize) {
        if (!FWriting) {
            FStreamPos += FBufPos;
            FStream->Seek(FStreamPos, TSeekOrigin::soBeginning);
            EmptyBuffer();
            FWriting = true;
        }
        int64_t done = 0;
        while (done < count) {
            int64_t n = std::min<int64_t>(count - done, kBufferSize - FBufPos);
            std::memcpy(FBuf + FBufPos, in + done, static_cast<size_t>(n));
            FBufPos += static_cast<int32_t>(n);
            done += n;
            FBufSize = std::max(FBufSize, FBufPos);
            FStreamSize = std::max(FStreamSize, FStreamPos + FBufSize);
            if (FBufPos == kBufferSize) FlushBuffer();
        }
        return count;
    }
    // The logical position is taken before flushing: after a seek back
    // inside the buffer it lies before the buffer's end.
    int64_t logical = FStreamPos + FBufPos;
    if (FWriting && FBufSize > 0) {
        FlushBuffer();
        FWriting = false;
    }
    FStream->Seek(logical, TSeekOrigin::soBeginning);
    int64_t put = FStream->Write(in, count);
    if (put != count) FGood = false;
    FStreamPos = std::max<int64_t>(FStream->Position(), 0);
    FStreamSize = std::max<int64_t>(FStream->GetSize(), 0);
    EmptyBuffer();
    return put;
}

int64_t TBufferedStream::Seek(int64_t offset, TSeekOrigin origin) {
    int64_t target = offset;
    if (origin == TSeekOrigin::soCurrent) target = FStreamPos + FBufPos + offset;
    else if (origin == TSeekOrigin::soEnd) target = FStreamSize + offset;
    target = std::clamp<int64_t>(target, 0, FStreamSize);
    if (target >= FStreamPos && target <= FStreamPos + FBufSize) {
        FBufPos = static_cast<int32_t>(target - FStreamPos);
        return target;
    }
    if (FWriting) FlushBuffer();
    FStream->Seek(target, TSeekOrigin::soBeginning);
    FStreamPos = target;
    EmptyBuffer();
    return target;
}

bool TBufferedStream::SetSize(int64_t newSize) {
    if (newSize == FStreamSize) return true;
    if (newSize < 0) return false;
    if (FWriting) FlushBuffer();
    bool ok = FStream->SetSize(newSize);
    FStreamSize = std::max<int64_t>(FStream->GetSize(), 0);
    FStreamPos = std::min(newSize, FStreamSize);
    FStream->Seek(FStreamPos, TSeekOrigin::soBeginning);
    EmptyBuffer();
    return ok;
}

}  // namespace tags
