#include "audio/channel.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace audio::detail {

namespace {

constexpr size_t kBlock = 2048;  // source frames decoded per step

float curve(float v, bool log) {
    if (!log) return v;
    // 0..1 maps onto -100..0 dB
    return v <= 0 ? 0.0f : std::pow(10.0f, (v - 1.0f) * 5.0f);
}

}  // namespace

Channel::Channel(Handle h, Kind kind, std::unique_ptr<Source> src, uint32_t flags, const ChannelSetup& setup,
                 std::string filename, std::shared_ptr<std::atomic<bool>> abort)
    : handle_(h), kind_(kind), setup_(setup), filename_(std::move(filename)), abort_(std::move(abort)), flags_(flags),
      src_(std::move(src)), resampler_(src_->info().rate, setup.devRate, src_->info().chans) {
    const uint32_t chans = src_->info().chans;
    length_ = src_->length();
    block_.resize(kBlock * chans);
    maxBlockOut_ =
        static_cast<size_t>(std::ceil(static_cast<double>(kBlock) * setup.devRate / src_->info().rate)) + 256;
    uint32_t ms = setup.bufferMs;
    if (src_->isNet()) ms = std::max(ms, setup.netBufferMs);
    size_t wanted = static_cast<size_t>(uint64_t{ms} * setup.devRate / 1000);
    capFrames_ = wanted + 2 * maxBlockOut_;
    targetFrames_ = std::max(wanted, maxBlockOut_);
    ring_.assign(capFrames_ * chans, 0.0f);
    bufferSec_ = static_cast<float>(ms) / 1000.0f;
    if (src_->isNet()) {
        uint32_t pct = std::min<uint32_t>(setup.netPrebufPercent, 100);
        prebufFrames_ = std::min(targetFrames_,
                                 static_cast<size_t>(uint64_t{setup.netBufferMs} * pct / 100 * setup.devRate / 1000));
        stalled_ = true;
    }
}

Channel::~Channel() { stopFeeder(); }

void Channel::startFeeder() {
    if (feeder_.joinable()) return;
    {
        std::lock_guard lock(feedMu_);
        quit_ = false;
    }
    feeder_ = std::thread([this] { feederLoop(); });
}

void Channel::stopFeeder() {
    {
        std::lock_guard lock(feedMu_);
        quit_ = true;
    }
    if (abort_) abort_->store(true);  // a network read in progress returns now
    feedCv_.notify_all();
    if (feeder_.joinable()) feeder_.join();
}

void Channel::wakeFeeder() {
    {
        std::lock_guard lock(feedMu_);
        wake_ = true;
    }
    feedCv_.notify_one();
}

void Channel::feederLoop() {
    std::unique_lock lock(feedMu_);
    while (!quit_) {
        lock.unlock();
        bool produced = produce();
        lock.lock();
        if (!produced && !quit_) {
            // The timeout covers a wake-up lost between produce() and the wait.
            feedCv_.wait_for(lock, std::chrono::milliseconds(100), [this] { return quit_ || wake_; });
            wake_ = false;
        }
    }
}

bool Channel::produce() {
    std::lock_guard dec(decMu_);
    if (srcEof_) return false;
    {
        std::lock_guard ring(ringMu_);
        size_t target = targetFrames_;
        {
            std::lock_guard attr(attrMu_);
            target = std::min(target, std::max(maxBlockOut_, static_cast<size_t>(bufferSec_ * setup_.devRate)));
        }
        target = std::max(target, prebufFrames_);
        // Decoding a file in bursts from half full wakes the decoder a few
        // times a second instead of once per device period. Network sources
        // keep their buffer full against the network's jitter.
        wakeBelow_ = src_->isNet() ? SIZE_MAX : target / 2;
        if (capFrames_ - fill_ < maxBlockOut_ || fill_ >= target) {
            refilling_ = false;
            return false;
        }
        if (!refilling_ && fill_ > wakeBelow_) return false;
        refilling_ = true;
    }
    const int chans = static_cast<int>(src_->info().chans);
    size_t n = src_->read(block_.data(), kBlock);
    int64_t start = src_->readStart();
    out_.clear();
    if (n == 0) {
        length_ = decPos_.load();  // exact now
        if ((flags_ & SAMPLE_LOOP) && src_->seekable() && decPos_ > 0 && src_->seek(0)) {
            decPos_ = 0;
            return true;
        }
        srcEof_ = true;
        resampler_.convert(nullptr, 0, out_);
    } else {
        decPos_ = start + static_cast<int64_t>(n);
        std::lock_guard chain(chainMu_);
        for (auto& it : chain_) {
            if (it.fx) it.fx->process(block_.data(), n, chans);
            else if (it.proc)
                it.proc(it.handle, handle_, block_.data(), static_cast<uint32_t>(n * chans * sizeof(float)), it.user);
        }
        resampler_.convert(block_.data(), n, out_);
    }
    size_t frames = out_.size() / chans;
    std::lock_guard ring(ringMu_);
    frames = std::min(frames, capFrames_ - fill_);
    size_t w = (readFrame_ + fill_) % capFrames_;
    for (size_t i = 0; i < frames; ++i) {
        std::memcpy(&ring_[w * chans], &out_[i * chans], chans * sizeof(float));
        if (++w == capFrames_) w = 0;
    }
    fill_ += frames;
    if (frames > 0) segments_.push_back({frames, 0, n ? start : decPos_.load(), static_cast<int64_t>(n)});
    if (srcEof_) ringEof_ = true;
    return n > 0;
}

void Channel::flushRing() {
    fill_ = 0;
    readFrame_ = 0;
    segments_.clear();
    ringEof_ = false;
}

void Channel::mix(float* out, size_t frames, double t0, double t1, bool pull) {
    if (!playing()) return;
    // Gains at every kStep frames, interpolated in between, so a slide is
    // followed closely whatever the block size.
    constexpr size_t kStep = 128;
    const size_t steps = (frames + kStep - 1) / kStep;
    float gl[65], gr[65];
    std::vector<float> glv, grv;
    float* gL = gl;
    float* gR = gr;
    if (steps + 1 > 65) {
        glv.resize(steps + 1);
        grv.resize(steps + 1);
        gL = glv.data();
        gR = grv.data();
    }
    {
        std::lock_guard attr(attrMu_);
        for (size_t k = 0; k <= steps; ++k) {
            double f = std::min(1.0, static_cast<double>(k * kStep) / static_cast<double>(frames));
            gains(t0 + (t1 - t0) * f, gL[k], gR[k]);
        }
    }
    if (state_ != State::Playing)  // a fade-out-and-stop slide just ended
        return;
    const int chans = static_cast<int>(src_->info().chans);
    size_t done = 0;
    bool feed = true;
    while (done < frames) {
        if (pull) {
            bool more = true;
            while (more) {
                {
                    // A stalled network stream first fills up to its pre-buffer mark.
                    std::lock_guard ring(ringMu_);
                    size_t need = stalled_ ? std::max(frames - done, prebufFrames_) : frames - done;
                    if (fill_ >= need || ringEof_) break;
                }
                more = produce();
            }
        }
        std::lock_guard ring(ringMu_);
        if (stalled_) {
            if (fill_ < prebufFrames_ && !ringEof_) break;
            stalled_ = false;
        }
        if (fill_ == 0) {
            if (ringEof_) {
                ended_ = true;
                state_ = State::Stopped;
                if (length_ >= 0) heard_ = length_.load();
            } else if (src_->isNet()) {
                stalled_ = true;
            }
            break;
        }
        size_t take = std::min(frames - done, fill_);
        for (size_t i = 0; i < take; ++i) {
            size_t at = done + i, k = at / kStep;
            size_t span = std::min(kStep, frames - k * kStep);
            float t = static_cast<float>(at - k * kStep) / static_cast<float>(span);
            float gl = gL[k] + (gL[k + 1] - gL[k]) * t, gr = gR[k] + (gR[k + 1] - gR[k]) * t;
            const float* s = &ring_[readFrame_ * chans];
            float* o = out + (done + i) * 2;
            if (chans == 1) {
                o[0] += s[0] * gl;
                o[1] += s[0] * gr;
            } else {
                o[0] += s[0] * gl;
                o[1] += s[1] * gr;
            }
            if (++readFrame_ == capFrames_) readFrame_ = 0;
        }
        fill_ -= take;
        done += take;
        feed = fill_ <= wakeBelow_;
        // Map what was consumed back to source frames through the segments.
        size_t left = take;
        while (left > 0 && !segments_.empty()) {
            Segment& sg = segments_.front();
            size_t k = std::min(left, sg.devFrames - sg.consumed);
            sg.consumed += k;
            left -= k;
            heard_ =
                sg.srcStart + static_cast<int64_t>(sg.consumed) * sg.srcFrames / static_cast<int64_t>(sg.devFrames);
            if (sg.consumed == sg.devFrames) segments_.pop_front();
        }
        if (!pull) break;
    }
    if (!pull && feed) wakeFeeder();
}

void Channel::play(bool restart, bool threaded) {
    if ((restart || ended_) && src_->seekable()) setPosition(0);
    ended_ = false;
    // A head start of 100 ms, so the device does not begin on an empty buffer.
    if (threaded && !src_->isNet()) prefill(std::min(targetFrames_, static_cast<size_t>(setup_.devRate / 10)));
    state_ = State::Playing;
    if (threaded) startFeeder();
}

void Channel::pause() {
    if (state_ == State::Playing) state_ = State::Paused;
}

void Channel::stop() { state_ = State::Stopped; }

uint32_t Channel::activity() {
    {
        std::lock_guard attr(attrMu_);
        float l, r;
        gains(setup_.clock->now(), l, r);  // lets a finished fade-out stop the channel
    }
    if (ended_) return ACTIVE_STOPPED;
    switch (state_.load()) {
    case State::Paused: return ACTIVE_PAUSED;
    case State::Playing: return stalled_ ? ACTIVE_STALLED : ACTIVE_PLAYING;
    default: return ACTIVE_STOPPED;
    }
}

int Channel::setPosition(int64_t frame) {
    if (!src_->seekable()) return ERROR_NOTFILE;
    int64_t len = length_;
    if (frame < 0 || (len >= 0 && frame > len)) return ERROR_POSITION;
    std::lock_guard dec(decMu_);
    if (!src_->seek(frame)) return ERROR_POSITION;
    srcEof_ = false;
    decPos_ = frame;
    resampler_.reset();
    {
        std::lock_guard chain(chainMu_);
        for (auto& it : chain_)
            if (it.fx) it.fx->reset();
    }
    std::lock_guard ring(ringMu_);
    flushRing();
    heard_ = frame;
    ended_ = false;
    wakeFeeder();
    return ERROR_OK;
}

uint32_t Channel::setFlags(uint32_t flags, uint32_t mask) {
    constexpr uint32_t changeable = SAMPLE_LOOP | STREAM_AUTOFREE;
    mask &= changeable;
    flags_ = (flags_ & ~mask) | (flags & mask);
    ChannelInfo i;
    info(i);
    return i.flags;
}

void Channel::info(ChannelInfo& out) const {
    const SourceInfo& s = src_->info();
    out.freq = s.rate;
    out.chans = s.chans;
    out.flags = SAMPLE_FLOAT | (s.eightBit ? SAMPLE_8BITS : 0) | (s.chans == 1 ? SAMPLE_MONO : 0) |
                (flags_ & (SAMPLE_LOOP | STREAM_AUTOFREE | STREAM_PRESCAN | STREAM_DECODE));
    out.ctype = s.ctype;
    out.origres = s.origres;
    out.filename = filename_;
}

float Channel::valueAt(Slide& s, float& v, double now) {
    if (!s.on) return v;
    double t = s.dur > 0 ? (now - s.t0) / s.dur : 1.0;
    if (t >= 1.0) {
        s.on = false;
        v = s.to;
        if (s.stopAtEnd) state_ = State::Stopped;
        return v;
    }
    t = std::max(0.0, t);
    if (s.log && s.from > 0 && s.to > 0)
        v = static_cast<float>(s.from * std::pow(static_cast<double>(s.to) / s.from, t));
    else v = static_cast<float>(s.from + (s.to - s.from) * t);
    return v;
}

void Channel::gains(double now, float& l, float& r) {
    float v = curve(std::max(0.0f, valueAt(volSlide_, vol_, now)), setup_.logVolume);
    float p = std::clamp(valueAt(panSlide_, pan_, now), -1.0f, 1.0f);
    float pl = std::min(1.0f, 1.0f - p), pr = std::min(1.0f, 1.0f + p);
    if (setup_.logPan) {
        pl = curve(pl, true);
        pr = curve(pr, true);
    }
    l = v * pl;
    r = v * pr;
}

int Channel::setAttribute(uint32_t attrib, float value) {
    if (!std::isfinite(value)) return ERROR_ILLPARAM;
    std::lock_guard attr(attrMu_);
    switch (attrib) {
    case ATTRIB_VOL:
        volSlide_.on = false;
        vol_ = std::max(0.0f, value);
        return ERROR_OK;
    case ATTRIB_PAN:
        panSlide_.on = false;
        pan_ = std::clamp(value, -1.0f, 1.0f);
        return ERROR_OK;
    case ATTRIB_BUFFER: bufferSec_ = std::max(0.0f, value); return ERROR_OK;
    default: return ERROR_ILLTYPE;
    }
}

int Channel::getAttribute(uint32_t attrib, float& value) {
    std::lock_guard attr(attrMu_);
    double now = setup_.clock->now();
    switch (attrib) {
    case ATTRIB_VOL: value = valueAt(volSlide_, vol_, now); return ERROR_OK;
    case ATTRIB_PAN: value = valueAt(panSlide_, pan_, now); return ERROR_OK;
    case ATTRIB_FREQ: value = static_cast<float>(src_->info().rate); return ERROR_OK;
    case ATTRIB_BUFFER: {
        // Capped to what the playback buffer holds.
        float cap = static_cast<float>(targetFrames_) / static_cast<float>(setup_.devRate);
        value = std::min(bufferSec_, cap);
        return ERROR_OK;
    }
    case ATTRIB_BITRATE: {
        double b = src_->bitrate();
        if (b < 0) return ERROR_NOTAVAIL;
        value = static_cast<float>(b);
        return ERROR_OK;
    }
    default: return ERROR_ILLTYPE;
    }
}

int Channel::slideAttribute(uint32_t attrib, float value, uint32_t ms) {
    const bool log = attrib & SLIDE_LOG;
    attrib &= ~SLIDE_LOG;
    if (!std::isfinite(value)) return ERROR_ILLPARAM;
    std::lock_guard attr(attrMu_);
    double now = setup_.clock->now();
    Slide* s = nullptr;
    float current = 0;
    if (attrib == ATTRIB_VOL) {
        s = &volSlide_;
        current = valueAt(volSlide_, vol_, now);
    } else if (attrib == ATTRIB_PAN) {
        s = &panSlide_;
        current = valueAt(panSlide_, pan_, now);
        value = std::clamp(value, -1.0f, 1.0f);
    } else {
        return ERROR_ILLTYPE;
    }
    s->on = true;
    s->log = log;
    // A negative volume fades out and then stops the channel.
    s->stopAtEnd = attrib == ATTRIB_VOL && value < 0;
    s->from = current;
    s->to = attrib == ATTRIB_VOL ? std::max(0.0f, value) : value;
    s->t0 = now;
    s->dur = ms / 1000.0;
    if (ms == 0) valueAt(*s, attrib == ATTRIB_VOL ? vol_ : pan_, now);
    return ERROR_OK;
}

bool Channel::sliding(uint32_t attrib) {
    std::lock_guard attr(attrMu_);
    double now = setup_.clock->now();
    valueAt(volSlide_, vol_, now);
    valueAt(panSlide_, pan_, now);
    if (attrib == 0) return volSlide_.on || panSlide_.on;
    return attrib == ATTRIB_VOL ? volSlide_.on : attrib == ATTRIB_PAN ? panSlide_.on : false;
}

const char* Channel::tags(uint32_t type) {
    NetTags* t = src_->tags();
    if (!t || type < TAG_HTTP || type > TAG_META) return nullptr;
    std::string value;
    {
        std::lock_guard lock(t->mu);
        if (type == TAG_HTTP) {
            value = t->http;
        } else if (type == TAG_ICY) {
            value = t->icy;
        } else {
            // The title that applies to what is being heard.
            int64_t at = heard_;
            for (const auto& m : t->meta)
                if (m.frame <= at || &m == &t->meta.front()) value = m.text;
        }
    }
    if (value.empty()) return nullptr;
    std::lock_guard lock(tagMu_);
    std::string& slot = tagOut_[type - TAG_HTTP];
    slot = std::move(value);
    return slot.c_str();
}

int64_t Channel::filePosition(uint32_t mode) {
    if (mode == FILEPOS_BUFFERING || mode == FILEPOS_BUFFER) {
        if (!src_->isNet()) return -1;
        std::lock_guard ring(ringMu_);
        if (mode == FILEPOS_BUFFER) return static_cast<int64_t>(fill_) * bytesPerFrame();
        if (!stalled_ || prebufFrames_ == 0) return 0;
        return 100 - static_cast<int64_t>(std::min(fill_, prebufFrames_) * 100 / prebufFrames_);
    }
    return src_->filePosition(mode);
}

size_t Channel::peek(float* out, size_t frames) {
    const size_t chans = src_->info().chans;
    std::lock_guard ring(ringMu_);
    size_t n = std::min(frames, fill_);
    size_t r = readFrame_;
    for (size_t i = 0; i < n; ++i) {
        std::memcpy(out + i * chans, &ring_[r * chans], chans * sizeof(float));
        if (++r == capFrames_) r = 0;
    }
    std::fill(out + n * chans, out + frames * chans, 0.0f);
    return n;
}

void Channel::prefill(size_t frames) {
    while (buffered() < frames && produce()) {}
}

size_t Channel::buffered() {
    std::lock_guard ring(ringMu_);
    return fill_;
}

void Channel::insert(ChainItem item) {
    std::lock_guard chain(chainMu_);
    item.seq = seq_++;
    // Higher priority first; equal priorities in the order they were added.
    auto at =
        std::find_if(chain_.begin(), chain_.end(), [&](const ChainItem& c) { return c.priority < item.priority; });
    chain_.insert(at, std::move(item));
}

Handle Channel::addEffect(Handle h, std::unique_ptr<Effect> fx, int priority) {
    insert({h, priority, 0, std::move(fx), nullptr, nullptr});
    return h;
}

Handle Channel::addDsp(Handle h, DspProc proc, void* user, int priority) {
    insert({h, priority, 0, nullptr, proc, user});
    return h;
}

bool Channel::remove(Handle item) {
    std::lock_guard chain(chainMu_);
    auto it = std::find_if(chain_.begin(), chain_.end(), [&](const ChainItem& c) { return c.handle == item; });
    if (it == chain_.end()) return false;
    chain_.erase(it);
    return true;
}

}  // namespace audio::detail
