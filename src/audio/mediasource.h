#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "audio/source.h"

namespace audio::detail {

struct MediaOpen {
    std::string url;                  // a path, or an http(s) URL when net is set
    uint64_t offset = 0, length = 0;  // part of a local file; 0/0 = all of it
    bool net = false;
    uint32_t connectTimeoutMs = 5000;
    uint32_t readTimeoutMs = 0;                // 0 = wait as long as it takes
    const std::atomic<bool>* abort = nullptr;  // makes a blocked network call return
    // Decides whether the opened container and codec belong to the creator.
    std::function<bool(const std::string& demuxer, const std::string& codec)> accepts;
    // Only the length is wanted: a packet scan reads on in the one open
    // context instead of opening the file again, and nothing is kept for
    // decoding. The result is the same source, fit only for length(). A file
    // whose first bytes name its container beyond doubt (fLaC, RIFF WAVE,
    // OggS, an ID3v2 tag before fLaC or an MPEG audio frame) opens with that
    // demuxer instead of asking every demuxer, which costs more than the rest
    // of the open; when that fails it is asked the usual way.
    bool lengthOnly = false;
    std::string demuxer;  // open with this demuxer instead of probing
};

// Files and network streams through the general-purpose demuxers and decoders.
class MediaSource final : public Source {
public:
    // nullptr with error set (FILEOPEN, FORMAT, NOTAUDIO, TIMEOUT, ...).
    static std::unique_ptr<MediaSource> open(const MediaOpen& how, int& error);
    // Up to maxBytes of a network resource (a playlist), "" on failure.
    static std::string fetch(const MediaOpen& how, size_t maxBytes);
    ~MediaSource() override;

    size_t read(float* out, size_t frames) override;
    bool seek(int64_t frame) override;
    int64_t length() const override { return length_; }
    double bitrate() const override { return bitrate_; }
    int64_t filePosition(uint32_t mode) const override;
    bool seekable() const override;
    bool isNet() const override { return net_; }
    NetTags* tags() override { return net_ ? &tags_ : nullptr; }

    struct Impl;

private:
    MediaSource();
    bool decodeMore();
    void giveUp();  // too many decoding errors: the stream ends here
    void pollMeta();

    std::unique_ptr<Impl> p_;
    int64_t length_ = -1;
    double bitrate_ = -1;
    bool net_ = false;
    NetTags tags_;
};

}  // namespace audio::detail
