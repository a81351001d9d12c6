#include "audio/engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <map>
#include <mutex>
#include <set>

#include "audio/channel.h"
#include "audio/deviceoutput.h"
#include "audio/families.h"
#include "audio/fft.h"
#include "audio/mediasource.h"
#include "audio/modulesource.h"
#include "audio/playlist.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libopenmpt/libopenmpt.h>
}

namespace audio {

using detail::Channel;

namespace {

thread_local int lastError = ERROR_OK;

template <class T>
T fail(int code, T value) {
    lastError = code;
    return value;
}

bool ok() {
    lastError = ERROR_OK;
    return true;
}

std::string dotted(unsigned v) {
    return std::to_string(v >> 16) + "." + std::to_string((v >> 8) & 0xFF) + "." + std::to_string(v & 0xFF);
}

template <class Rec>
struct EffectOf;
template <>
struct EffectOf<DX8Chorus> {
    using type = detail::Chorus;
    static constexpr int id = FX_DX8_CHORUS;
};
template <>
struct EffectOf<DX8Flanger> {
    using type = detail::Flanger;
    static constexpr int id = FX_DX8_FLANGER;
};
template <>
struct EffectOf<DX8Echo> {
    using type = detail::Echo;
    static constexpr int id = FX_DX8_ECHO;
};
template <>
struct EffectOf<DX8ParamEq> {
    using type = detail::ParamEq;
    static constexpr int id = FX_DX8_PARAMEQ;
};
template <>
struct EffectOf<DX8Reverb> {
    using type = detail::Reverb;
    static constexpr int id = FX_DX8_REVERB;
};

}  // namespace

class Engine::Impl : public detail::Clock {
public:
    double now() const override {
        if (offline) return static_cast<double>(rendered.load()) / devRate;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - epoch).count();
    }

    static void fillDevice(void* user, float* out, uint32_t frames) {
        auto* self = static_cast<Impl*>(user);
        std::fill(out, out + frames * 2, 0.0f);
        double t0 = self->now();
        double t1 = t0 + static_cast<double>(frames) / self->devRate;
        {
            std::lock_guard lock(self->mixMu);
            for (auto& c : self->mixList) c->mix(out, frames, t0, t1, false);
        }
        for (uint32_t i = 0; i < frames * 2; ++i)  // the only place that clips
            out[i] = std::clamp(out[i], -1.0f, 1.0f);
    }

    std::shared_ptr<Channel> find(Handle h) {
        reap();
        auto it = channels.find(h);
        if (it == channels.end()) {
            lastError = ERROR_HANDLE;
            return nullptr;
        }
        return it->second;
    }

    // Channels created with STREAM_AUTOFREE go once they have stopped.
    void reap() {
        std::vector<Handle> gone;
        for (auto& [h, c] : channels)
            if (c->autoFree() && c->ended()) gone.push_back(h);
        for (Handle h : gone) erase(h);
    }

    void erase(Handle h) {
        auto it = channels.find(h);
        if (it == channels.end()) return;
        std::shared_ptr<Channel> c = it->second;
        channels.erase(it);
        {
            std::lock_guard lock(mixMu);
            mixList.erase(std::remove(mixList.begin(), mixList.end(), c), mixList.end());
        }
        for (auto o = owner.begin(); o != owner.end();) o = o->second == h ? owner.erase(o) : std::next(o);
        c.reset();  // joins the feeder outside every engine lock
    }

    Handle add(detail::Kind kind, std::unique_ptr<detail::Source> src, uint32_t flags, const std::string& name,
               std::shared_ptr<std::atomic<bool>> abort, Handle plugin) {
        detail::ChannelSetup s;
        s.devRate = devRate;
        s.bufferMs = config[CONFIG_BUFFER];
        s.netBufferMs = config[CONFIG_NET_BUFFER];
        s.netPrebufPercent = config[CONFIG_NET_PREBUF];
        s.logVolume = config[CONFIG_CURVE_VOL] != 0;
        s.logPan = config[CONFIG_CURVE_PAN] != 0;
        s.clock = this;
        Handle h = next++;
        auto c = std::make_shared<Channel>(h, kind, std::move(src), flags, s, name, std::move(abort));
        channels[h] = c;
        plugins_of[h] = plugin;
        {
            std::lock_guard lock(mixMu);
            mixList.push_back(c);
        }
        lastError = ERROR_OK;
        return h;
    }

    Handle openMedia(detail::MediaOpen how, uint32_t flags, Handle plugin) {
        if (!initialized) return fail(ERROR_INIT, Handle{0});
        auto abort = std::make_shared<std::atomic<bool>>(false);
        how.abort = abort.get();
        int err = ERROR_UNKNOWN;
        auto src = detail::MediaSource::open(how, err);
        if (!src) return fail(err, Handle{0});
        return add(detail::Kind::Stream, std::move(src), flags, how.url, std::move(abort), plugin);
    }

    // Returns once a mix in progress has finished, so a channel just paused or
    // stopped no longer moves when the call returns.
    void waitForMixer() { std::lock_guard lock(mixMu); }

    bool pauseOutput(bool paused) {
        if (!initialized) return fail(ERROR_INIT, false);
        out.pause(paused);
        devicePaused = paused;
        return ok();
    }

    // Runs f on the effect `fx` as the class that keeps records of type Rec.
    template <class Rec, class F>
    bool withFx(Handle fx, F&& f) {
        using Of = EffectOf<Rec>;
        auto o = owner.find(fx);
        if (o == owner.end()) return fail(ERROR_HANDLE, false);
        auto c = find(o->second);
        if (!c) return false;
        bool typed = false;
        bool found = c->withEffect(fx, [&](detail::Effect& e) {
            if (e.type() != Of::id) return;
            typed = true;
            f(static_cast<typename Of::type&>(e));
        });
        if (!found) return fail(ERROR_HANDLE, false);
        return typed ? ok() : fail(ERROR_ILLPARAM, false);
    }
    template <class Rec>
    bool getFx(Handle fx, Rec& out) {
        return withFx<Rec>(fx, [&](auto& e) { out = e.get(); });
    }
    template <class Rec>
    bool setFx(Handle fx, const Rec& in) {
        return withFx<Rec>(fx, [&](auto& e) { e.set(in); });
    }

    bool initialized = false;
    bool offline = false;
    bool devicePaused = false;
    int device = 0;
    uint32_t devRate = 44100;
    std::chrono::steady_clock::time_point epoch = std::chrono::steady_clock::now();
    std::atomic<uint64_t> rendered{0};
    detail::DeviceOutput out;

    std::map<uint32_t, uint32_t> config = {
        {CONFIG_BUFFER, 500},     {CONFIG_UPDATEPERIOD, 100},  {CONFIG_CURVE_VOL, 0},     {CONFIG_CURVE_PAN, 0},
        {CONFIG_FLOATDSP, 0},     {CONFIG_NET_TIMEOUT, 5000},  {CONFIG_NET_BUFFER, 5000}, {CONFIG_NET_PREBUF, 75},
        {CONFIG_NET_PLAYLIST, 0}, {CONFIG_NET_READTIMEOUT, 0},
    };

    Handle next = 1;
    std::map<Handle, std::shared_ptr<Channel>> channels;  // caller's thread only
    std::map<Handle, Handle> owner;                       // effect or DSP handle → its channel
    std::map<Handle, Handle> plugins_of;                  // channel → the add-on that decodes it
    std::map<Handle, AddOn> plugins;                      // loaded add-ons
    std::set<AddOn> coreFamilies;                         // families StreamCreateFile takes as well
    mutable std::mutex familiesMu;                        // coreFamilies, which the length queries read on any thread
    std::map<size_t, std::unique_ptr<detail::Fft>> ffts;

    // mixMu protects mixList, which the mixer walks.
    std::mutex mixMu;
    std::vector<std::shared_ptr<Channel>> mixList;
};

Engine::Engine() : d(std::make_unique<Impl>()) {}
Engine::~Engine() { Free(); }

uint32_t Engine::GetVersion() { return kVersion; }
int Engine::ErrorGetCode() { return lastError; }

bool Engine::Init(int device, uint32_t freq, uint32_t /*flags*/) {
    if (d->initialized) return fail(ERROR_ALREADY, false);
    if (device < DEVICE_OFFLINE || device > 1) return fail(ERROR_DEVICE, false);
    // Decoder warnings about damaged input are expected; the result codes say enough.
    av_log_set_level(AV_LOG_FATAL);
    d->devRate = freq >= 8000 && freq <= 192000 ? freq : 44100;
    d->offline = device == DEVICE_OFFLINE;
    d->device = device;
    d->rendered = 0;
    d->epoch = std::chrono::steady_clock::now();
    if (!d->offline) {
        const char* driver = device == DEVICE_NOSOUND ? "dummy" : nullptr;
        int err = d->out.open(driver, d->devRate, &Impl::fillDevice, d.get());
        if (err != ERROR_OK) return fail(err, false);
        d->devRate = d->out.rate();  // before the first callback reads it
        d->out.pause(false);
    }
    d->initialized = true;
    return ok();
}

bool Engine::Free() {
    if (!d->initialized) return fail(ERROR_INIT, false);
    d->out.close();
    while (!d->channels.empty()) d->erase(d->channels.begin()->first);
    d->plugins.clear();
    std::lock_guard lock(d->familiesMu);
    d->coreFamilies.clear();
    d->initialized = false;
    return ok();
}

bool Engine::Start() { return d->pauseOutput(false); }

bool Engine::Stop() {
    if (!d->initialized) return fail(ERROR_INIT, false);
    for (auto& [h, c] : d->channels) c->stop();
    return ok();
}

bool Engine::Pause() { return d->pauseOutput(true); }

bool Engine::SetConfig(uint32_t option, uint32_t value) {
    auto it = d->config.find(option);
    if (it == d->config.end()) return fail(ERROR_ILLTYPE, false);
    if (option == CONFIG_BUFFER) value = std::clamp<uint32_t>(value, 10, 5000);
    if (option == CONFIG_NET_BUFFER) value = std::clamp<uint32_t>(value, 100, 60000);
    it->second = value;
    return ok();
}

uint32_t Engine::GetConfig(uint32_t option) const {
    auto it = d->config.find(option);
    if (it == d->config.end()) return fail(ERROR_ILLTYPE, ~0u);
    lastError = ERROR_OK;
    return it->second;
}

bool Engine::GetInfo(Info& info) const {
    if (!d->initialized) return fail(ERROR_INIT, false);
    info = Info{};
    info.freq = d->devRate;
    uint32_t frames = d->offline ? 0 : d->out.bufferFrames();
    info.minbuf = info.latency = static_cast<uint32_t>(uint64_t{frames} * 1000 / d->devRate);
    return ok();
}

bool Engine::GetDeviceInfo(int device, DeviceInfo& info) const {
    info = DeviceInfo{};
    if (device == 0) {
        info.name = "No sound";
        info.driver = "dummy";
        info.flags = 1 | (d->initialized && d->device == 0 ? 4 : 0);
        return ok();
    }
    if (device == 1) {
        info.name = "Default";
        info.driver = d->initialized && d->device == DEVICE_DEFAULT ? d->out.driver() : "";
        info.flags = 1 | 2 | (d->initialized && d->device != 0 && !d->offline ? 4 : 0);
        return ok();
    }
    return fail(ERROR_DEVICE, false);
}

namespace {
detail::MediaOpen coreOpen(const std::string& path, std::set<AddOn> extra) {
    detail::MediaOpen how;
    how.url = path;
    how.accepts = [extra = std::move(extra)](const std::string& dm, const std::string& codec) {
        if (detail::coreAccepts(dm, codec)) return true;
        for (AddOn a : extra)
            if (detail::findFamily(a)->accepts(dm, codec)) return true;
        return false;
    };
    return how;
}
}  // namespace

Handle Engine::StreamCreateFile(const std::string& path, QWord offset, QWord length, uint32_t flags) {
    std::unique_lock lock(d->familiesMu);
    detail::MediaOpen how = coreOpen(path, d->coreFamilies);
    lock.unlock();
    how.offset = offset;
    how.length = length;
    return d->openMedia(std::move(how), flags, 0);
}

bool Engine::StreamFileLength(const std::string& path, double& seconds) {
    seconds = -1;
    if (!d->initialized) return fail(ERROR_INIT, false);
    std::unique_lock lock(d->familiesMu);
    detail::MediaOpen how = coreOpen(path, d->coreFamilies);
    lock.unlock();
    how.lengthOnly = true;
    int err = ERROR_UNKNOWN;
    auto src = detail::MediaSource::open(how, err);
    if (!src) return fail(err, false);
    if (src->length() >= 0) seconds = static_cast<double>(src->length()) / src->info().rate;
    return ok();
}

bool Engine::MusicFileLength(const std::string& path, uint32_t freq, double& seconds) {
    seconds = -1;
    if (!d->initialized) return fail(ERROR_INIT, false);
    uint32_t rate = freq >= 8000 && freq <= 192000 ? freq : d->devRate;
    int err = ERROR_UNKNOWN;
    auto src = detail::ModuleSource::open(path, 0, 0, rate, false, true, err);
    if (!src) return fail(err, false);
    if (src->length() >= 0) seconds = static_cast<double>(src->length()) / src->info().rate;
    return ok();
}

Handle Engine::AddOnStreamCreateFile(AddOn family, const std::string& path, QWord offset, QWord length,
                                     uint32_t flags) {
    const detail::Family* f = detail::findFamily(family);
    if (!f) return fail(ERROR_ILLPARAM, Handle{0});
    detail::MediaOpen how;
    how.url = path;
    how.offset = offset;
    how.length = length;
    how.accepts = f->accepts;
    Handle plugin = 0;
    for (auto& [h, a] : d->plugins)
        if (a == family) plugin = h;
    return d->openMedia(std::move(how), flags, plugin);
}

Handle Engine::MusicLoad(const std::string& path, QWord offset, QWord length, uint32_t flags, uint32_t freq) {
    if (!d->initialized) return fail(ERROR_INIT, Handle{0});
    // 0 (and any rate too low to be meant) plays at the device rate.
    uint32_t rate = freq >= 8000 && freq <= 192000 ? freq : d->devRate;
    int err = ERROR_UNKNOWN;
    auto src = detail::ModuleSource::open(path, offset, length, rate, flags & SAMPLE_MONO, flags & MUSIC_PRESCAN, err);
    if (!src) return fail(err, Handle{0});
    return d->add(detail::Kind::Music, std::move(src), flags, path, nullptr, 0);
}

Handle Engine::StreamCreateURL(const std::string& url, uint32_t /*offset*/, uint32_t flags) {
    auto pending = StreamPrepareURL(url);
    if (!pending) return Handle{0};
    pending->Connect();
    return StreamCreatePrepared(*pending, flags);
}

struct Engine::PendingStream::Data {
    detail::MediaOpen how;
    bool followPlaylist = false;
    std::shared_ptr<std::atomic<bool>> abort = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<detail::MediaSource> src;
    bool connected = false;
};

Engine::PendingStream::PendingStream() : d_(std::make_unique<Data>()) {}
Engine::PendingStream::~PendingStream() = default;

void Engine::PendingStream::Cancel() { d_->abort->store(true); }

bool Engine::PendingStream::Connect() {
    if (d_->connected) return d_->src != nullptr;
    d_->connected = true;
    detail::MediaOpen how = d_->how;
    how.abort = d_->abort.get();
    if (d_->followPlaylist && detail::looksLikePlaylistUrl(how.url)) {
        // Radio stations hand out PLS/M3U/XSPF files; play their first entry.
        std::string entry = detail::firstPlaylistEntry(detail::MediaSource::fetch(how, 64 * 1024));
        if (!entry.empty()) how.url = entry;
    }
    int err = ERROR_UNKNOWN;
    d_->src = detail::MediaSource::open(how, err);
    if (d_->abort->load() && d_->src) d_->src.reset(), err = ERROR_TIMEOUT;
    d_->how.url = how.url;
    error_ = d_->src ? ERROR_OK : err;
    return d_->src != nullptr;
}

std::shared_ptr<Engine::PendingStream> Engine::StreamPrepareURL(const std::string& url) {
    if (!d->initialized) return fail(ERROR_INIT, std::shared_ptr<PendingStream>());
    auto lower = url.substr(0, 8);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.rfind("http://", 0) != 0 && lower.rfind("https://", 0) != 0)
        return fail(ERROR_FILEOPEN, std::shared_ptr<PendingStream>());
    std::shared_ptr<PendingStream> p(new PendingStream);
    detail::MediaOpen& how = p->d_->how;
    how.url = url;
    how.net = true;
    how.connectTimeoutMs = d->config[CONFIG_NET_TIMEOUT];
    how.readTimeoutMs = d->config[CONFIG_NET_READTIMEOUT];
    p->d_->followPlaylist = d->config[CONFIG_NET_PLAYLIST] >= 1;
    lastError = ERROR_OK;
    return p;
}

Handle Engine::StreamCreatePrepared(PendingStream& pending, uint32_t flags) {
    if (!d->initialized) return fail(ERROR_INIT, Handle{0});
    PendingStream::Data& p = *pending.d_;
    if (!p.src) return fail(p.connected ? pending.error_ : ERROR_NOTAVAIL, Handle{0});
    return d->add(detail::Kind::Stream, std::move(p.src), flags, p.how.url, p.abort, 0);
}

bool Engine::StreamFree(Handle h) {
    auto c = d->find(h);
    if (!c || c->kind() != detail::Kind::Stream) return fail(ERROR_HANDLE, false);
    d->erase(h);
    return ok();
}

bool Engine::MusicFree(Handle h) {
    auto c = d->find(h);
    if (!c || c->kind() != detail::Kind::Music) return fail(ERROR_HANDLE, false);
    d->erase(h);
    return ok();
}

bool Engine::SampleFree(Handle) { return fail(ERROR_HANDLE, false); }

std::vector<AddOnInfo> Engine::AddOns() const {
    std::vector<AddOnInfo> list;
    const std::string codecVersion = dotted(avcodec_version());
    for (const auto& f : detail::families()) {
        bool available = f.id != AddOn::OFR;
        list.push_back({f.name, f.description, available ? codecVersion : "0.0.0", f.extensions, available});
    }
    list.push_back({"libmod.orv",
                    "Tracker music (MOD, S3M, XM, IT, MTM, UMX, MO3)",
                    dotted(openmpt_get_library_version()),
                    {"mo3", "it", "xm", "s3m", "mtm", "mod", "umx"},
                    true});
    lastError = ERROR_OK;
    return list;
}

Handle Engine::PluginLoad(const std::string& name, uint32_t /*flags*/) {
    std::string base = name.substr(name.find_last_of('/') + 1);
    if (base == "libmod.orv") {
        Handle h = d->next++;
        return lastError = ERROR_OK, h;
    }
    const detail::Family* f = detail::findFamily(base);
    if (!f) return fail(ERROR_FILEOPEN, Handle{0});
    if (f->id == AddOn::OFR) return fail(ERROR_FILEFORM, Handle{0});
    for (auto& [h, a] : d->plugins)
        if (a == f->id) return fail(ERROR_ALREADY, Handle{0});
    Handle h = d->next++;
    d->plugins[h] = f->id;
    std::lock_guard lock(d->familiesMu);
    d->coreFamilies.insert(f->id);
    lastError = ERROR_OK;
    return h;
}

bool Engine::PluginFree(Handle plugin) {
    auto it = d->plugins.find(plugin);
    if (it == d->plugins.end()) return fail(ERROR_HANDLE, false);
    {
        std::lock_guard lock(d->familiesMu);
        d->coreFamilies.erase(it->second);
    }
    d->plugins.erase(it);
    return ok();
}

bool Engine::ChannelPlay(Handle h, bool restart) {
    auto c = d->find(h);
    if (!c) return false;
    if (!d->offline && d->devicePaused) return fail(ERROR_START, false);
    c->play(restart, !d->offline);
    return ok();
}

bool Engine::ChannelPause(Handle h) {
    auto c = d->find(h);
    if (!c) return false;
    if (!c->playing()) return fail(ERROR_NOPLAY, false);
    c->pause();
    d->waitForMixer();
    return ok();
}

bool Engine::ChannelStop(Handle h) {
    auto c = d->find(h);
    if (!c) return false;
    c->stop();
    if (c->autoFree()) d->erase(h);
    else d->waitForMixer();
    return ok();
}

uint32_t Engine::ChannelIsActive(Handle h) {
    auto c = d->find(h);
    if (!c) return ACTIVE_STOPPED;
    uint32_t a = c->activity();
    lastError = ERROR_OK;
    if (a == ACTIVE_PLAYING && d->devicePaused) return ACTIVE_PAUSED_DEVICE;
    return a;
}

QWord Engine::ChannelGetLength(Handle h, uint32_t mode) {
    auto c = d->find(h);
    if (!c) return kFail64;
    if (mode != POS_BYTE) return fail(ERROR_NOTAVAIL, kFail64);
    int64_t len = c->lengthFrames();
    if (len < 0) return fail(ERROR_NOTAVAIL, kFail64);
    lastError = ERROR_OK;
    return static_cast<QWord>(len) * c->bytesPerFrame();
}

QWord Engine::ChannelGetPosition(Handle h, uint32_t mode) {
    auto c = d->find(h);
    if (!c) return kFail64;
    if ((mode & ~POS_DECODE) != POS_BYTE) return fail(ERROR_NOTAVAIL, kFail64);
    lastError = ERROR_OK;
    return static_cast<QWord>(c->positionFrames(mode & POS_DECODE)) * c->bytesPerFrame();
}

bool Engine::ChannelSetPosition(Handle h, QWord pos, uint32_t mode) {
    auto c = d->find(h);
    if (!c) return false;
    if ((mode & 0xFF) != POS_BYTE) return fail(ERROR_NOTAVAIL, false);
    int err = c->setPosition(static_cast<int64_t>(pos / c->bytesPerFrame()));  // whole frames, rounded down
    return err == ERROR_OK ? ok() : fail(err, false);
}

double Engine::ChannelBytes2Seconds(Handle h, QWord pos) {
    auto c = d->find(h);
    if (!c) return -1;
    if (pos == kFail64) return fail(ERROR_ILLPARAM, -1.0);
    lastError = ERROR_OK;
    return static_cast<double>(pos) / (static_cast<double>(c->rate()) * c->bytesPerFrame());
}

QWord Engine::ChannelSeconds2Bytes(Handle h, double seconds) {
    auto c = d->find(h);
    if (!c) return kFail64;
    if (!(seconds >= 0) || !std::isfinite(seconds)) return fail(ERROR_ILLPARAM, kFail64);
    lastError = ERROR_OK;
    return static_cast<QWord>(std::floor(seconds * c->rate())) * c->bytesPerFrame();
}

bool Engine::ChannelSetAttribute(Handle h, uint32_t attrib, float value) {
    auto c = d->find(h);
    if (!c) return false;
    int err = c->setAttribute(attrib, value);
    return err == ERROR_OK ? ok() : fail(err, false);
}

bool Engine::ChannelGetAttribute(Handle h, uint32_t attrib, float& value) {
    auto c = d->find(h);
    if (!c) return false;
    int err = c->getAttribute(attrib, value);
    return err == ERROR_OK ? ok() : fail(err, false);
}

bool Engine::ChannelSlideAttribute(Handle h, uint32_t attrib, float value, uint32_t ms) {
    auto c = d->find(h);
    if (!c) return false;
    int err = c->slideAttribute(attrib, value, ms);
    return err == ERROR_OK ? ok() : fail(err, false);
}

bool Engine::ChannelIsSliding(Handle h, uint32_t attrib) {
    auto c = d->find(h);
    if (!c) return false;
    lastError = ERROR_OK;
    return c->sliding(attrib);
}

bool Engine::ChannelGetInfo(Handle h, ChannelInfo& info) {
    auto c = d->find(h);
    if (!c) return false;
    c->info(info);
    info.plugin = d->plugins_of[h];
    return ok();
}

const char* Engine::ChannelGetTags(Handle h, uint32_t tags) {
    auto c = d->find(h);
    if (!c) return nullptr;
    const char* t = c->tags(tags);
    return t ? (lastError = ERROR_OK, t) : fail(ERROR_NOTAVAIL, static_cast<const char*>(nullptr));
}

QWord Engine::StreamGetFilePosition(Handle h, uint32_t mode) {
    auto c = d->find(h);
    if (!c) return kFail64;
    if (c->kind() != detail::Kind::Stream) return fail(ERROR_NOTFILE, kFail64);
    int64_t v = c->filePosition(mode);
    if (v < 0) return fail(ERROR_NOTAVAIL, kFail64);
    lastError = ERROR_OK;
    return static_cast<QWord>(v);
}

uint32_t Engine::ChannelFlags(Handle h, uint32_t flags, uint32_t mask) {
    auto c = d->find(h);
    if (!c) return ~0u;
    lastError = ERROR_OK;
    return c->setFlags(flags, mask);
}

int32_t Engine::ChannelGetData(Handle h, void* buffer, uint32_t length) {
    auto c = d->find(h);
    if (!c) return -1;
    const int chans = static_cast<int>(c->source().info().chans);
    const uint32_t bpf = c->bytesPerFrame();
    if (length & 0x80000000u) {
        size_t n = size_t{256} << (length & 7);
        if (n > 8192 || !buffer) return fail(ERROR_ILLPARAM, -1);
        if (c->ended()) return fail(ERROR_ENDED, -1);
        auto& fft = d->ffts[n];
        if (!fft) fft = std::make_unique<detail::Fft>(n);
        std::vector<float> frames(n * chans);
        if (d->offline && c->playing()) c->prefill(n);
        c->peek(frames.data(), n);
        if (!fft->magnitudes(frames.data(), n, chans, length, static_cast<float*>(buffer)))
            return fail(ERROR_UNKNOWN, -1);
        lastError = ERROR_OK;
        return static_cast<int32_t>(n * bpf);
    }
    uint32_t bytes = length & ~DATA_FLOAT;
    if (bytes == DATA_AVAILABLE) {
        lastError = ERROR_OK;
        return static_cast<int32_t>(std::min<size_t>(c->buffered() * bpf, INT32_MAX));
    }
    if (!buffer) return fail(ERROR_ILLPARAM, -1);
    if (c->ended()) return fail(ERROR_ENDED, -1);
    if (d->offline && c->playing()) c->prefill(bytes / bpf);
    size_t frames = std::min<size_t>(bytes / bpf, c->buffered());
    std::vector<float> tmp(std::max<size_t>(frames, 1) * chans);
    size_t got = c->peek(tmp.data(), frames);
    std::copy(tmp.begin(), tmp.begin() + static_cast<ptrdiff_t>(got * chans), static_cast<float*>(buffer));
    lastError = ERROR_OK;
    return static_cast<int32_t>(got * bpf);
}

Handle Engine::ChannelSetFX(Handle h, int type, int priority) {
    auto c = d->find(h);
    if (!c) return 0;
    auto fx = detail::makeEffect(type, c->rate());
    if (!fx) return fail(ERROR_ILLTYPE, Handle{0});
    Handle fh = c->addEffect(d->next++, std::move(fx), priority);
    d->owner[fh] = h;
    lastError = ERROR_OK;
    return fh;
}

bool Engine::ChannelRemoveFX(Handle h, Handle fx) {
    auto c = d->find(h);
    if (!c) return false;
    auto o = d->owner.find(fx);
    if (o == d->owner.end() || o->second != h || !c->remove(fx)) return fail(ERROR_HANDLE, false);
    d->owner.erase(o);
    return ok();
}

bool Engine::FXGetParameters(Handle fx, DX8Chorus& p) { return d->getFx(fx, p); }
bool Engine::FXGetParameters(Handle fx, DX8Flanger& p) { return d->getFx(fx, p); }
bool Engine::FXGetParameters(Handle fx, DX8Echo& p) { return d->getFx(fx, p); }
bool Engine::FXGetParameters(Handle fx, DX8ParamEq& p) { return d->getFx(fx, p); }
bool Engine::FXGetParameters(Handle fx, DX8Reverb& p) { return d->getFx(fx, p); }
bool Engine::FXSetParameters(Handle fx, const DX8Chorus& p) { return d->setFx(fx, p); }
bool Engine::FXSetParameters(Handle fx, const DX8Flanger& p) { return d->setFx(fx, p); }
bool Engine::FXSetParameters(Handle fx, const DX8Echo& p) { return d->setFx(fx, p); }
bool Engine::FXSetParameters(Handle fx, const DX8ParamEq& p) { return d->setFx(fx, p); }
bool Engine::FXSetParameters(Handle fx, const DX8Reverb& p) { return d->setFx(fx, p); }

bool Engine::FXReset(Handle fx) {
    auto o = d->owner.find(fx);
    if (o == d->owner.end()) return fail(ERROR_HANDLE, false);
    auto c = d->find(o->second);
    if (!c || !c->withEffect(fx, [](detail::Effect& e) { e.reset(); })) return fail(ERROR_HANDLE, false);
    return ok();
}

Handle Engine::ChannelSetDSP(Handle h, DspProc proc, void* user, int priority) {
    auto c = d->find(h);
    if (!c) return 0;
    if (!proc) return fail(ERROR_ILLPARAM, Handle{0});
    Handle dh = c->addDsp(d->next++, proc, user, priority);
    d->owner[dh] = h;
    lastError = ERROR_OK;
    return dh;
}

bool Engine::ChannelRemoveDSP(Handle h, Handle dsp) { return ChannelRemoveFX(h, dsp); }

uint32_t Engine::Render(float* out, uint32_t frames) {
    if (!d->initialized || !d->offline) return fail(ERROR_INIT, 0u);
    std::fill(out, out + size_t{frames} * 2, 0.0f);
    // Render in pieces no larger than a channel's ring holds.
    constexpr uint32_t kPiece = 4096;
    for (uint32_t done = 0; done < frames;) {
        uint32_t n = std::min(kPiece, frames - done);
        double t0 = d->now();
        double t1 = t0 + static_cast<double>(n) / d->devRate;
        {
            std::lock_guard lock(d->mixMu);
            for (auto& c : d->mixList) c->mix(out + size_t{done} * 2, n, t0, t1, true);
        }
        d->rendered += n;
        done += n;
    }
    d->reap();
    lastError = ERROR_OK;
    return frames;
}

const char* describe(int error) {
    switch (error) {
    case ERROR_OK: return "no error";
    case ERROR_MEM: return "out of memory";
    case ERROR_FILEOPEN: return "the file or URL could not be opened";
    case ERROR_DRIVER: return "no output driver";
    case ERROR_HANDLE: return "invalid handle";
    case ERROR_FORMAT: return "not a format this creator takes";
    case ERROR_POSITION: return "invalid position";
    case ERROR_INIT: return "the engine is not initialised";
    case ERROR_START: return "the output is paused";
    case ERROR_ALREADY: return "already done";
    case ERROR_NOTAUDIO: return "no audio in the file";
    case ERROR_ILLTYPE: return "unsupported type";
    case ERROR_ILLPARAM: return "invalid parameter";
    case ERROR_DEVICE: return "invalid or unavailable device";
    case ERROR_NOPLAY: return "the channel is not playing";
    case ERROR_NOTFILE: return "not a file stream";
    case ERROR_NOTAVAIL: return "not available";
    case ERROR_TIMEOUT: return "the server did not answer in time";
    case ERROR_FILEFORM: return "unsupported add-on";
    case ERROR_CODEC: return "no decoder for this codec";
    case ERROR_ENDED: return "the channel has ended";
    default: return "unknown error";
    }
}

}  // namespace audio
