#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/engine.h"
#include "audio/fx/effect.h"
#include "audio/resampler.h"
#include "audio/source.h"

namespace audio::detail {

class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;  // seconds, monotonic
};

struct ChannelSetup {
    uint32_t devRate = 44100;
    uint32_t bufferMs = 500;
    uint32_t netBufferMs = 5000;
    uint32_t netPrebufPercent = 75;
    bool logVolume = false, logPan = false;
    const Clock* clock = nullptr;
};

enum class Kind { Stream, Music };

// One playing (or playable) stream: source → effects and DSP → ring of
// device-rate frames → mixer. Three parties touch it:
//  - the caller's thread (the Engine's API),
//  - the producer: its feeder thread, or the offline Render call,
//  - the mixer: the device's callback, or the offline Render call.
class Channel {
public:
    Channel(Handle h, Kind kind, std::unique_ptr<Source> src, uint32_t flags, const ChannelSetup& setup,
            std::string filename, std::shared_ptr<std::atomic<bool>> abort);
    ~Channel();  // stops and joins the feeder

    Handle handle() const { return handle_; }
    Kind kind() const { return kind_; }
    const Source& source() const { return *src_; }

    // Caller's thread.
    void play(bool restart, bool threaded);
    void pause();
    void stop();
    uint32_t activity();
    bool ended() const { return ended_; }
    bool autoFree() const { return flags_ & STREAM_AUTOFREE; }
    int64_t lengthFrames() const { return length_; }
    int64_t positionFrames(bool decode) const { return decode ? decPos_.load() : heard_.load(); }
    int setPosition(int64_t frame);  // an error code
    uint32_t bytesPerFrame() const { return src_->info().chans * 4; }
    uint32_t rate() const { return src_->info().rate; }
    uint32_t flags() const { return flags_; }
    uint32_t setFlags(uint32_t flags, uint32_t mask);
    void info(ChannelInfo& out) const;

    int setAttribute(uint32_t attrib, float value);
    int getAttribute(uint32_t attrib, float& value);
    int slideAttribute(uint32_t attrib, float value, uint32_t ms);
    bool sliding(uint32_t attrib);

    const char* tags(uint32_t type);
    int64_t filePosition(uint32_t mode);
    // Frames from the playing position forward, without consuming; the rest is zeros.
    size_t peek(float* out, size_t frames);
    size_t buffered();
    void prefill(size_t frames);  // producer side: decodes until `frames` are buffered or the end

    Handle addEffect(Handle h, std::unique_ptr<Effect> fx, int priority);
    Handle addDsp(Handle h, DspProc proc, void* user, int priority);
    bool remove(Handle item);
    template <class F>
    bool withEffect(Handle fx, F&& f) {
        std::lock_guard lock(chainMu_);
        for (auto& it : chain_)
            if (it.handle == fx && it.fx) {
                f(*it.fx);
                return true;
            }
        return false;
    }

    // Producer: decodes one block into the ring. False when nothing could be
    // produced now (ring full, end of stream, or the source failed).
    bool produce();
    // Mixer: adds up to `frames` stereo frames to out with volume and pan
    // ramped from time t0 to t1. `pull` lets it decode inline when the ring runs
    // dry; the device callback never pulls, since decoding may log.
    void mix(float* out, size_t frames, double t0, double t1, bool pull);
    bool playing() const { return state_ == State::Playing && !ended_; }

private:
    enum class State { Stopped, Playing, Paused };
    struct Slide {
        bool on = false, log = false, stopAtEnd = false;
        float from = 0, to = 0;
        double t0 = 0, dur = 0;
    };
    struct Segment {
        size_t devFrames, consumed;
        int64_t srcStart, srcFrames;
    };
    struct ChainItem {
        Handle handle;
        int priority;
        uint64_t seq;
        std::unique_ptr<Effect> fx;
        DspProc proc = nullptr;
        void* user = nullptr;
    };

    float valueAt(Slide& s, float& v, double now);  // needs attrMu_
    void gains(double now, float& l, float& r);     // needs attrMu_
    void flushRing();                               // needs ringMu_
    void startFeeder();
    void stopFeeder();
    void feederLoop();
    void wakeFeeder();
    void insert(ChainItem item);

    const Handle handle_;
    const Kind kind_;
    const ChannelSetup setup_;
    const std::string filename_;
    std::shared_ptr<std::atomic<bool>> abort_;

    std::atomic<uint32_t> flags_;
    std::atomic<State> state_{State::Stopped};
    std::atomic<bool> ended_{false};
    std::atomic<bool> stalled_{false};
    std::atomic<int64_t> length_{-1};
    std::atomic<int64_t> decPos_{0};
    std::atomic<int64_t> heard_{0};

    // decMu_: the source, the resampler, srcEof_ and the block buffers.
    std::mutex decMu_;
    std::unique_ptr<Source> src_;
    Resampler resampler_;
    bool srcEof_ = false;
    std::vector<float> block_, out_;

    // chainMu_: the effect and DSP list.
    std::mutex chainMu_;
    std::vector<ChainItem> chain_;
    uint64_t seq_ = 0;

    // ringMu_: the ring of device-rate frames, its segments and ringEof_.
    std::mutex ringMu_;
    std::vector<float> ring_;
    size_t capFrames_ = 0, readFrame_ = 0, fill_ = 0;
    size_t targetFrames_ = 0, prebufFrames_ = 0, maxBlockOut_ = 0;
    std::deque<Segment> segments_;
    bool ringEof_ = false;
    bool refilling_ = false;       // a file source tops up from half full to full in one go
    size_t wakeBelow_ = SIZE_MAX;  // the mixer wakes the decoder at this fill or below

    // attrMu_: volume, pan, buffer length and their slides.
    std::mutex attrMu_;
    float vol_ = 1, pan_ = 0, bufferSec_ = 0;
    Slide volSlide_, panSlide_;

    // tagMu_: the strings handed out by tags().
    std::mutex tagMu_;
    std::string tagOut_[3];

    std::mutex feedMu_;
    std::condition_variable feedCv_;
    bool quit_ = false, wake_ = false;
    std::thread feeder_;
};

}  // namespace audio::detail
