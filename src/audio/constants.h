#pragma once

#include <cstdint>

// Numeric values of the engine's interface. They are fixed: the player stores
// none of them, but it compares and passes them as plain integers.
namespace audio {
// The tables below keep their grouping by meaning.
// clang-format off

using Handle = uint32_t;  // 0 = none / failure
using QWord = uint64_t;

inline constexpr QWord kFail64 = ~QWord{0};  // 64-bit results on failure

// Version reported by Engine::GetVersion: high word 0x0204 is what callers check.
inline constexpr uint32_t kVersion = 0x02041100;

enum Error : int {
    ERROR_OK = 0, ERROR_MEM = 1, ERROR_FILEOPEN = 2, ERROR_DRIVER = 3, ERROR_BUFLOST = 4,
    ERROR_HANDLE = 5, ERROR_FORMAT = 6, ERROR_POSITION = 7, ERROR_INIT = 8, ERROR_START = 9,
    ERROR_SSL = 10, ERROR_REINIT = 11, ERROR_ALREADY = 14, ERROR_NOTAUDIO = 17, ERROR_NOCHAN = 18,
    ERROR_ILLTYPE = 19, ERROR_ILLPARAM = 20, ERROR_DEVICE = 23, ERROR_NOPLAY = 24, ERROR_FREQ = 25,
    ERROR_NOTFILE = 27, ERROR_EMPTY = 31, ERROR_NONET = 32, ERROR_CREATE = 33, ERROR_NOFX = 34,
    ERROR_NOTAVAIL = 37, ERROR_DECODE = 38, ERROR_TIMEOUT = 40, ERROR_FILEFORM = 41,
    ERROR_CODEC = 44, ERROR_ENDED = 45, ERROR_BUSY = 46, ERROR_PROTOCOL = 48, ERROR_UNKNOWN = -1,
};

// Devices for Engine::Init. DEVICE_OFFLINE has no sound card behind it: the
// mix is pulled with Engine::Render and time advances with what is rendered.
inline constexpr int DEVICE_DEFAULT = -1;
inline constexpr int DEVICE_NOSOUND = 0;
inline constexpr int DEVICE_OFFLINE = -2;

enum Active : uint32_t {
    ACTIVE_STOPPED = 0, ACTIVE_PLAYING = 1, ACTIVE_STALLED = 2, ACTIVE_PAUSED = 3,
    ACTIVE_PAUSED_DEVICE = 4,
};

enum Attrib : uint32_t {
    ATTRIB_FREQ = 1, ATTRIB_VOL = 2, ATTRIB_PAN = 3, ATTRIB_BITRATE = 12, ATTRIB_BUFFER = 13,
};
inline constexpr uint32_t SLIDE_LOG = 0x1000000;

enum FilePos : uint32_t {
    FILEPOS_CURRENT = 0, FILEPOS_DOWNLOAD = 1, FILEPOS_END = 2, FILEPOS_START = 3,
    FILEPOS_CONNECTED = 4, FILEPOS_BUFFER = 5, FILEPOS_SIZE = 8, FILEPOS_BUFFERING = 9,
};

enum Config : uint32_t {
    CONFIG_BUFFER = 0, CONFIG_UPDATEPERIOD = 1, CONFIG_CURVE_VOL = 7, CONFIG_CURVE_PAN = 8,
    CONFIG_FLOATDSP = 9, CONFIG_NET_TIMEOUT = 11, CONFIG_NET_BUFFER = 12, CONFIG_NET_PREBUF = 15,
    CONFIG_NET_PLAYLIST = 21, CONFIG_NET_READTIMEOUT = 37,
};

// Sample, stream and music flags.
inline constexpr uint32_t SAMPLE_8BITS = 1;
inline constexpr uint32_t SAMPLE_MONO = 2;
inline constexpr uint32_t SAMPLE_LOOP = 4;
inline constexpr uint32_t SAMPLE_FLOAT = 256;
inline constexpr uint32_t MUSIC_RAMP = 0x200;
inline constexpr uint32_t STREAM_PRESCAN = 0x20000;
inline constexpr uint32_t MUSIC_PRESCAN = STREAM_PRESCAN;
inline constexpr uint32_t STREAM_AUTOFREE = 0x40000;
inline constexpr uint32_t STREAM_RESTRATE = 0x80000;
inline constexpr uint32_t STREAM_BLOCK = 0x100000;
inline constexpr uint32_t STREAM_DECODE = 0x200000;
inline constexpr uint32_t STREAM_STATUS = 0x800000;
inline constexpr uint32_t ASYNCFILE = 0x40000000;
inline constexpr uint32_t UNICODE = 0x80000000;  // file names are UTF-8 here; accepted and ignored

// Channel types (ChannelInfo::ctype).
enum CType : uint32_t {
    CTYPE_STREAM = 0x10000, CTYPE_STREAM_OGG = 0x10002, CTYPE_STREAM_MP1 = 0x10003,
    CTYPE_STREAM_MP2 = 0x10004, CTYPE_STREAM_MP3 = 0x10005, CTYPE_STREAM_AIFF = 0x10006,
    CTYPE_STREAM_WAV_PCM = 0x50001, CTYPE_STREAM_WAV_FLOAT = 0x50003, CTYPE_STREAM_WAV = 0x40000,
    CTYPE_MUSIC_MOD = 0x20000, CTYPE_MUSIC_MTM = 0x20001, CTYPE_MUSIC_S3M = 0x20002,
    CTYPE_MUSIC_XM = 0x20003, CTYPE_MUSIC_IT = 0x20004, CTYPE_MUSIC_MO3 = 0x00100,
};
inline constexpr uint32_t ORIGRES_FLOAT = 0x10000;

// ChannelGetData: a length with these bits asks for FFT magnitudes instead of samples.
inline constexpr uint32_t DATA_AVAILABLE = 0;
inline constexpr uint32_t DATA_FLOAT = 0x40000000;
inline constexpr uint32_t DATA_FFT256 = 0x80000000;
inline constexpr uint32_t DATA_FFT512 = 0x80000001;
inline constexpr uint32_t DATA_FFT1024 = 0x80000002;
inline constexpr uint32_t DATA_FFT2048 = 0x80000003;
inline constexpr uint32_t DATA_FFT4096 = 0x80000004;
inline constexpr uint32_t DATA_FFT_INDIVIDUAL = 0x10;
inline constexpr uint32_t DATA_FFT_NOWINDOW = 0x20;
inline constexpr uint32_t DATA_FFT_REMOVEDC = 0x40;

enum PosMode : uint32_t { POS_BYTE = 0 };
inline constexpr uint32_t POS_DECODE = 0x10000000;

enum Tag : uint32_t { TAG_HTTP = 3, TAG_ICY = 4, TAG_META = 5, TAG_MUSIC_NAME = 0x10000 };

enum FxType : int {
    FX_DX8_CHORUS = 0, FX_DX8_COMPRESSOR = 1, FX_DX8_DISTORTION = 2, FX_DX8_ECHO = 3,
    FX_DX8_FLANGER = 4, FX_DX8_GARGLE = 5, FX_DX8_I3DL2REVERB = 6, FX_DX8_PARAMEQ = 7,
    FX_DX8_REVERB = 8,
};

// clang-format on
}  // namespace audio
