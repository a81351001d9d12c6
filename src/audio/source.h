#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace audio::detail {

struct SourceInfo {
    uint32_t rate = 0;      // frames per second of what read() returns
    uint32_t chans = 0;     // 1 or 2
    bool eightBit = false;  // the coded samples are 8-bit
    uint32_t ctype = 0;
    uint32_t origres = 0;
};

// Stream headers and metadata of a network source. Written by the decoding
// thread, read by the caller's thread; `mu` protects every field.
struct NetTags {
    std::mutex mu;
    std::string http;  // "status\0key:value\0...\0\0", empty when absent
    std::string icy;
    struct Meta {
        int64_t frame;  // source frame from which the text applies
        std::string text;
    };
    std::vector<Meta> meta;  // ascending frames; the last heard one is current
};

// A decoder delivering interleaved float frames at its own rate. Used by one
// thread at a time (the channel's decoding lock).
class Source {
public:
    virtual ~Source() = default;
    const SourceInfo& info() const { return info_; }

    // Up to `frames` frames into out; fewer only at the end (0 = end).
    // readStart() then tells the source frame of the first one.
    virtual size_t read(float* out, size_t frames) = 0;
    int64_t readStart() const { return readStart_; }
    // Continues reading from source frame `frame`; false when not seekable.
    virtual bool seek(int64_t frame) = 0;
    // Frames in the whole stream, -1 when unknown.
    virtual int64_t length() const = 0;
    virtual double bitrate() const { return -1; }  // kbps
    virtual int64_t filePosition(uint32_t /*mode*/) const { return -1; }
    virtual bool seekable() const { return true; }
    virtual bool isNet() const { return false; }
    virtual NetTags* tags() { return nullptr; }

protected:
    SourceInfo info_;
    int64_t readStart_ = 0;
};

}  // namespace audio::detail
