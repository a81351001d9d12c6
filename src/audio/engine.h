#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/constants.h"
#include "audio/fxparams.h"

namespace audio {

struct DeviceInfo {
    std::string name;
    std::string driver;
    uint32_t flags = 0;  // 1 enabled, 2 default, 4 initialised
};

struct Info {
    uint32_t flags = 0;
    uint32_t minbuf = 0;   // ms of audio the device holds
    uint32_t dsver = 9;    // effects are always available, so at least 8
    uint32_t latency = 0;  // ms
    uint32_t initflags = 0;
    uint32_t speakers = 2;
    uint32_t freq = 0;  // device rate
};

struct ChannelInfo {
    uint32_t freq = 0;   // the channel's own rate; positions count its frames
    uint32_t chans = 0;  // 1 or 2: wider sources are mixed down to stereo
    uint32_t flags = 0;  // SAMPLE_FLOAT always; SAMPLE_8BITS marks an 8-bit source
    uint32_t ctype = 0;
    uint32_t origres = 0;
    Handle plugin = 0;  // the add-on that decodes it, 0 for the core formats
    std::string filename;
};

// A decoder family offered as an add-on: each has its own creator, and
// PluginLoad makes StreamCreateFile accept the family too.
struct AddOnInfo {
    std::string name;  // file-like name, e.g. "libflac.orv"
    std::string description;
    std::string version;  // dotted, from the decoding library
    std::vector<std::string> extensions;
    bool available = true;  // false when this build cannot decode the family
};

// The families, in the order the player tries their creators.
enum class AddOn {
    WMA,
    FLAC,
    WV,
    OFR,
    AAC,
    AIX,
    ADX,
    OPUS,
    AC3,
    ALAC,
    APE,
    MPC,
    SPX,
    TTA,
    DSD,
    WEBM,
};

// Called on an engine thread with interleaved float samples; length in bytes.
// It runs under the channel's effect lock, so it must not call the Engine.
using DspProc = void (*)(Handle dsp, Handle channel, void* buffer, uint32_t length, void* user);

// The audio engine. Call it from one thread (the player's UI thread); it runs
// its own decoding and output threads. Every call sets the calling thread's
// last error (ErrorGetCode): ERROR_OK on success, ERROR_HANDLE for a handle
// that is not (or no longer) valid. Failures the caller cannot see (a stream
// that drops while playing) go to the log, from the decoding threads only:
// the device's callback never logs, as a log line may wait on a lock and a file.
class Engine {
public:
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    static uint32_t GetVersion();
    static int ErrorGetCode();

    // device: DEVICE_DEFAULT (the system's output), DEVICE_NOSOUND (plays and
    // advances in real time without sound) or DEVICE_OFFLINE (see Render).
    bool Init(int device, uint32_t freq, uint32_t flags);
    bool Free();
    bool Start();
    bool Stop();   // stops every channel
    bool Pause();  // pauses the output; Start resumes
    bool SetConfig(uint32_t option, uint32_t value);
    uint32_t GetConfig(uint32_t option) const;  // ~0u for an unknown option
    bool GetInfo(Info& info) const;
    bool GetDeviceInfo(int device, DeviceInfo& info) const;

    // Creators: a handle, or 0 with the reason in ErrorGetCode (FILEOPEN,
    // FORMAT for a file of another family, NOTAVAIL, ...). offset/length
    // select a part of the file; 0/0 is the whole file.
    Handle StreamCreateFile(const std::string& path, QWord offset, QWord length, uint32_t flags);
    Handle AddOnStreamCreateFile(AddOn family, const std::string& path, QWord offset, QWord length, uint32_t flags);
    Handle MusicLoad(const std::string& path, QWord offset, QWord length, uint32_t flags, uint32_t freq);
    Handle StreamCreateURL(const std::string& url, uint32_t offset, uint32_t flags);
    // StreamCreateURL in two steps, so that the wait for the server need not
    // hold up the engine's thread: StreamPrepareURL (engine's thread) takes the
    // network settings, PendingStream::Connect (any thread) waits until the
    // stream is open or has failed, StreamCreatePrepared (engine's thread)
    // makes the connected stream a channel (0 with Connect's error otherwise).
    class PendingStream;
    std::shared_ptr<PendingStream> StreamPrepareURL(const std::string& url);
    Handle StreamCreatePrepared(PendingStream& pending, uint32_t flags);
    // The length in seconds that StreamCreateFile(path, 0, 0, flags) or
    // MusicLoad(path, 0, 0, MUSIC_PRESCAN, freq) would report, found without
    // making a channel: false, with the reason in ErrorGetCode, when that
    // creator refuses the file; seconds is -1 when the length is unknown.
    // Unlike every other call these two may run on any thread, several at
    // once, between Init and Free.
    bool StreamFileLength(const std::string& path, double& seconds);
    bool MusicFileLength(const std::string& path, uint32_t freq, double& seconds);
    bool StreamFree(Handle h);
    bool MusicFree(Handle h);
    bool SampleFree(Handle h);  // there are no samples: always ERROR_HANDLE

    std::vector<AddOnInfo> AddOns() const;
    Handle PluginLoad(const std::string& name, uint32_t flags);  // 0 when unknown or unavailable
    bool PluginFree(Handle plugin);

    bool ChannelPlay(Handle h, bool restart);
    bool ChannelPause(Handle h);
    bool ChannelStop(Handle h);
    uint32_t ChannelIsActive(Handle h);

    // Byte positions count 32-bit float frames of the channel's own rate.
    QWord ChannelGetLength(Handle h, uint32_t mode);
    QWord ChannelGetPosition(Handle h, uint32_t mode);  // what is being played, or POS_DECODE
    bool ChannelSetPosition(Handle h, QWord pos, uint32_t mode);
    double ChannelBytes2Seconds(Handle h, QWord pos);
    QWord ChannelSeconds2Bytes(Handle h, double seconds);

    bool ChannelSetAttribute(Handle h, uint32_t attrib, float value);
    bool ChannelGetAttribute(Handle h, uint32_t attrib, float& value);
    bool ChannelSlideAttribute(Handle h, uint32_t attrib, float value, uint32_t ms);
    bool ChannelIsSliding(Handle h, uint32_t attrib);

    bool ChannelGetInfo(Handle h, ChannelInfo& info);
    // Zero-terminated strings ending with an empty one (HTTP, ICY), or one
    // string (META). The text stays valid until the next call for the same
    // channel and tag type, or until the channel is freed. nullptr if absent.
    const char* ChannelGetTags(Handle h, uint32_t tags);
    QWord StreamGetFilePosition(Handle h, uint32_t mode);
    uint32_t ChannelFlags(Handle h, uint32_t flags, uint32_t mask);  // ~0u on failure

    // FFT magnitudes (length = DATA_FFT*) or samples (length in bytes) of what
    // is being played, after the effects and before volume and pan. Returns
    // the bytes of sample data used, or -1.
    int32_t ChannelGetData(Handle h, void* buffer, uint32_t length);

    Handle ChannelSetFX(Handle h, int type, int priority);
    bool ChannelRemoveFX(Handle h, Handle fx);
    bool FXGetParameters(Handle fx, DX8Chorus& p);
    bool FXGetParameters(Handle fx, DX8Flanger& p);
    bool FXGetParameters(Handle fx, DX8Echo& p);
    bool FXGetParameters(Handle fx, DX8ParamEq& p);
    bool FXGetParameters(Handle fx, DX8Reverb& p);
    bool FXSetParameters(Handle fx, const DX8Chorus& p);
    bool FXSetParameters(Handle fx, const DX8Flanger& p);
    bool FXSetParameters(Handle fx, const DX8Echo& p);
    bool FXSetParameters(Handle fx, const DX8ParamEq& p);
    bool FXSetParameters(Handle fx, const DX8Reverb& p);
    bool FXReset(Handle fx);
    Handle ChannelSetDSP(Handle h, DspProc proc, void* user, int priority);
    bool ChannelRemoveDSP(Handle h, Handle dsp);

    // DEVICE_OFFLINE only: mixes the next `frames` stereo frames at the device
    // rate into out, decoding as needed. Returns the frames written (always
    // `frames`; silence when nothing plays), 0 on error.
    uint32_t Render(float* out, uint32_t frames);

    class Impl;

private:
    std::unique_ptr<Impl> d;
};

class Engine::PendingStream {
public:
    ~PendingStream();
    // Any thread, once: true when the stream is open and yields sound; a
    // station's playlist (PLS, M3U, XSPF, ASX) is followed to its first entry.
    bool Connect();
    // Any thread: a Connect that waits gives up soon after.
    void Cancel();
    int Error() const { return error_; }

private:
    friend class Engine;
    PendingStream();
    struct Data;
    std::unique_ptr<Data> d_;
    int error_ = 0;
};

const char* describe(int error);

}  // namespace audio
