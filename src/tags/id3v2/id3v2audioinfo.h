// Audio records a TID3v2Tag carries beside its frames. The MPEG, WAV, AIFF,
// DSF and DFF stream-property readers fill them during a load; the tag itself
// only clears and copies them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tags {

enum TMPEGVersion { tmpegvUnknown, tmpegv1, tmpegv2, tmpegv25 };
enum TMPEGLayer { tmpeglUnknown, tmpegl1, tmpegl2, tmpegl3 };
enum TMPEGChannelMode { tmpegcmUnknown, tmpegcmMono, tmpegcmDualChannel, tmpegcmJointStereo, tmpegcmStereo };
enum TMPEGModeExtension { tmpegmeUnknown, tmpegmeNone, tmpegmeIntensity, tmpegmeMS, tmpegmeIntensityMS };
enum TMPEGEmphasis { tmpegeUnknown, tmpegeNo, tmpege5015, tmpegeCCITJ17 };

struct TMPEGHeader {
    int64_t Position = 0;
    uint32_t Header = 0;
    uint32_t FrameSize = 0;
    TMPEGVersion Version = tmpegvUnknown;
    TMPEGLayer Layer = tmpeglUnknown;
    bool CRC = false;
    uint32_t BitRate = 0;
    uint32_t SampleRate = 0;
    bool Padding = false;
    bool _Private = false;
    TMPEGChannelMode ChannelMode = tmpegcmUnknown;
    TMPEGModeExtension ModeExtension = tmpegmeUnknown;
    bool Copyrighted = false;
    bool Original = false;
    TMPEGEmphasis Emphasis = tmpegeUnknown;
    bool VBR = false;
    int64_t FrameCount = 0;
    uint32_t Quality = 0;
    int64_t Bytes = 0;
    bool HasInfo = false, HasXing = false, HasVBRI = false;
    std::string EncoderShortVersionString;
    uint8_t InfoTagRevision = 0, VBRMethod = 0;
    uint32_t LowpassFilterValue = 0;
    float PeakSignalSmplitude = 0;
    uint16_t RadioReplayGain = 0, AudiophileReplayGain = 0;
    uint8_t EncodingFlags = 0, ATHType = 0, ABROrMinimalBitrate = 0;
    uint32_t EncoderDelay = 0, EncoderPadding = 0;
    uint8_t Misc = 0, MP3Gain = 0;
    uint16_t PresetAndSurroundInfo = 0;
    uint32_t MusicLength = 0;
    uint16_t MusicCRC = 0, CRC16OfInfoTag = 0;
};

struct TWaveFmt {
    uint32_t fmtSize = 0;
    uint16_t FormatTag = 0;
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint32_t AvgBytesPerSec = 0;
    uint16_t BlockAlign = 0;
    uint16_t BitsPerSample = 0;
    uint16_t cbSize = 0;
    uint16_t ValidBitsPerSample = 0;
    uint32_t ChannelMask = 0;
    std::array<uint8_t, 16> SubFormat{};
};

struct TAIFFInformation {
    uint16_t Channels = 0;
    uint32_t SampleFrames = 0;
    uint16_t SampleSize = 0;
    double SampleRate = 0;
    std::string CompressionID;
    std::string Compression;
};

enum TDSFChannelType {
    dsfctUnknown,
    dsfctMono,
    dsfctStereo,
    dsfct3Channels,
    dsfctQuad,
    dsfct4Channels,
    dsfct5Channels,
    dsfct51Channels
};

class TDSFInfo {
public:
    virtual ~TDSFInfo() = default;
    uint32_t FormatVersion = 0;
    uint32_t FormatID = 0;
    TDSFChannelType ChannelType = dsfctUnknown;
    uint32_t ChannelNumber = 0;
    uint32_t SamplingFrequency = 0;
    uint32_t BitsPerSample = 0;
    int64_t SampleCount = 0;
    uint32_t BlockSizePerChannel = 0;
    double PlayTime = 0;

    void Clear() { *this = TDSFInfo(); }
    void Assign(const TDSFInfo& source) { *this = source; }
};

class TDFFInfo {
public:
    virtual ~TDFFInfo() = default;
    std::string FormatVersion;
    uint32_t SampleRate = 0;
    uint16_t ChannelNumber = 0;
    std::string CompressionName;
    int64_t SampleCount = 0;
    double PlayTime = 0;
    uint32_t BitRate = 0;
    int64_t SoundDataLength = 0;
    uint32_t DSTFramesCount = 0;
    uint16_t DSTFramesRate = 0;
    double Ratio = 0;

    void ResetData() { *this = TDFFInfo(); }
};

}  // namespace tags
