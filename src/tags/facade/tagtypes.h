// The vocabulary of the tag facade: format selectors, picture formats,
// result codes and audio format codes, with the integer values that stored
// settings and callers rely on.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace tags {

enum TTagType : int32_t {
    ttNone = 0,
    ttAutomatic = 1,
    ttAPEv2 = 2,
    ttFlac = 3,
    ttID3v1 = 4,
    ttID3v2 = 5,
    ttMP4 = 6,
    ttOpusVorbis = 7,
    ttWAV = 8,
    ttWMA = 9,
    ttMP4Xtra = 10,
    ttLyrics2 = 11,
    ttMKV = 12,
};

// Index 0 takes precedence when formats disagree about a field.
using TTagPriority = std::array<TTagType, 9>;
constexpr TTagPriority kDefaultTagLoadPriority = {ttFlac,  ttOpusVorbis, ttMP4, ttWAV, ttID3v2,
                                                  ttAPEv2, ttID3v1,      ttWMA, ttNone};

enum TTagPictureFormat : int32_t {
    tpfUnknown = 0,
    tpfJPEG = 1,
    tpfPNG = 2,
    tpfBMP = 3,
    tpfGIF = 4,
    tpfTIFF = 5,
};

// Where an entry came from in ID3v2, and so how it is written back.
enum TExtTagType : int32_t {
    ettUnknown = 0,
    ettTXXX = 1,
    ettWXXX = 2,
};

// Result codes of every load, save and removal of the facade.
enum TTagsResult : int32_t {
    trSuccess = 0,
    trNoTagFound = 1,
    trFileNotFound = 2,
    trEmptyTag = 3,
    trEmptyFrames = 4,
    trErrorOpeningFile = 5,
    trErrorReadingFile = 6,
    trErrorWritingFile = 7,
    trCorruptFile = 8,
    trUnsupportedTagVersion = 9,
    trUnsupportedFileFormat = 10,
    trAudioLibraryNotLoaded = 11,
    trAudioLibraryExportMissing = 12,
    trTagDoesNotFit = 13,
    trFileLocked = 14,
    trWMARuntimeMissing = 15,
    trWMAEditorFailed = 16,
    trWMAHeaderInfoFailed = 17,
    trWMAAttributeCountFailed = 18,
    trMP4stcoUpdateFailed = 19,
    trMP4co64UpdateFailed = 20,
    trUnknownError = 0xFFFF,
};

enum TTagsMergeMode : int32_t {
    tlmmClearAll = 0,
    tlmmReplace = 1,
    tlmmKeepOriginal = 2,
};

// Never fails: unknown codes give "Unknown error code.".
std::string ErrorCodeToText(int code);

// What GetAudioFormat finds in a file's content.
enum TAudioFormat : int32_t {
    afUnknown = 0,
    afMonkeysAudio = 1,
    afFlac = 2,
    afOggFlac = 3,
    afMPEG = 4,
    afMP4 = 5,
    afOggOpus = 6,
    afOggVorbis = 7,
    afOggTheora = 8,
    afRIFFWAVE = 9,
    afRF64 = 10,
    afAIFF = 11,
    afAIFC = 12,
    afDSDIFF = 13,
    afDSF = 14,
    afOptimFROG = 15,
    afMusepack = 16,
    afWavPack = 17,
};

// Stream properties as one format object or property reader knows them;
// 0 where it does not know.
struct TAudioAttributes {
    uint16_t Channels = 0;
    uint32_t SamplesPerSec = 0;
    uint16_t BitsPerSample = 0;
    double PlayTime = 0;  // seconds
    int64_t SampleCount = 0;
    uint32_t BitRate = 0;  // kbit/s
    // A play time taken from a container's header (ID3v2 inside WAVE, RF64,
    // AIFF, DSF or DFF), trusted less than every format's own.
    double ContainerPlayTime = 0;
};

// The settings every TTags starts with, and that the format objects read
// when the facade creates them.
struct TTagsLibraryDefaults {
    bool UpperCaseFieldNamesToWrite = true;
    bool MP4KeepPadding = true;
    bool ParseWavPackAudioAttributes = false;
    bool ParseMusePackAudioAttributes = false;
    bool ParseMonkeyAudioAttributes = false;
    bool ParseAudioAttributes = true;
    bool ParseCoverArts = true;
    bool PreserveFileDateTime = false;
    bool ID3v2WriteUTF8Text = false;
    bool OnlyParseCoverArts = false;
    uint32_t PaddingToWrite = 4096;  // FLAC, ID3v2, MP4 and Ogg writers
    bool OggParsePlayTime = false;
};
inline constexpr TTagsLibraryDefaults kTagsLibraryDefaults{};

}  // namespace tags
