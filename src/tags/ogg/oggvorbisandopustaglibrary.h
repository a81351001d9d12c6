// OggVorbisAndOpusTagLibrary: the comment header of an Ogg stream carrying
// Opus, Vorbis or Theora. Fields are NAME=value pairs; pictures are
// base64-coded FLAC PICTURE structures in METADATA_BLOCK_PICTURE fields. A
// save replaces only the pages that carried the comment (and, for Vorbis and
// Theora, the setup header after it); see NOTES.md.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/core/stream.h"
#include "tags/flac/flactaglibrary.h"
#include "tags/flac/oggstream.h"

namespace tags {

// Result codes of loading, saving and removing.
inline constexpr int oggSuccess = 0;
inline constexpr int oggCannotOpen = 4;  // missing, unreadable, or held by another writer
inline constexpr int oggTempFile = 6;    // the new file cannot be written or put in place
// The comment header is damaged (a length runs past its packet, the stream
// ends inside it), or its pages cannot be replaced alone (audio shares them).
inline constexpr int oggCorruptHeader = 7;
inline constexpr int oggNotSupported = 9;  // saving into something not Ogg Opus, Vorbis or Theora
inline constexpr int oggCannotLock = 10;   // no exclusive access for a rewrite
inline constexpr int oggReadOnly = 11;
inline constexpr int oggError = 0xFFFF;  // no Opus, Vorbis or Theora stream, and any other failure

enum TOggFormat { ofUnknown = 0, ofVorbis = 1, ofOpus = 2, ofTheora = 3 };
enum TOpusTagFrameFormat { otffUnknown = 0, otffText = 1, otffCoverArt = 2, otffBinary = 3 };

// The Opus identification header (19 bytes, little-endian).
struct TOpusHeader {
    uint8_t BitstreamVersion = 0;
    uint8_t ChannelCount = 0;
    uint16_t PreSkip = 0;
    uint32_t SampleRate = 0;  // of the input, for information; Opus decodes at 48 kHz
    int16_t OutputGain = 0;
    uint8_t MappingFamily = 0;
};

// The Vorbis identification header (30 bytes, little-endian).
struct TVorbisHeader {
    uint32_t BitstreamVersion = 0;
    uint8_t ChannelMode = 0;  // the channel count
    uint32_t SampleRate = 0;
    int32_t BitRateMaximal = 0;
    int32_t BitRateNominal = 0;  // bit/s
    int32_t BitRateMinimal = 0;
    uint8_t BlockSize = 0;
    uint8_t StopFlag = 0;
};

// The fields of the FLAC PICTURE structure a picture field holds.
using TOpusVorbisCoverArtInfo = TFlacTagCoverArtInfo;

// What the last load found out about the stream.
struct TOggFileInfo {
    TOpusHeader OpusParameters;
    TVorbisHeader VorbisParameters;
    uint32_t Serial = 0;  // of the logical stream whose comment this is
    int64_t FileSize = 0;
    int64_t ID3v2Size = 0;           // bytes of an ID3v2 tag in front of the stream
    int64_t SPagePos = 0;            // the first page of the comment header
    int64_t TagEndPos = 0;           // after the last page of the header packets
    int64_t HeaderOggPageCount = 0;  // pages that carry the comment (and setup) header
    int64_t SampleCount = 0;
    double PlayTime = 0;   // seconds
    uint32_t BitRate = 0;  // kbit/s
};

class TOpusTag;

// One comment field.
class TOpusTagFrame {
public:
    explicit TOpusTagFrame(TOpusTag* parent = nullptr) : Parent(parent) {}

    std::string Name;  // upper case as loaded
    TOpusTagFrameFormat Format = otffUnknown;
    // The value: UTF-8 text, or base64 text for pictures and binary fields.
    TMemoryStream Stream;
    TOpusTag* Parent;
    bool AlreadyParsed = false;

    // Text: the value (invalid UTF-8 shows as U+FFFD). Pictures: "COVER ART
    // BINARY " and binary fields "BINARY ", each followed by the size of the
    // stored text ("812 Byte", "12.35 KB").
    std::string GetText();
    bool SetText(const std::string& Text);
    // The value as CR LF ended lines, alternately a name and a value; List
    // holds one "name=value" line per pair. Text fields only.
    bool GetList(std::vector<std::string>& List);
    bool SetList(const std::vector<std::string>& List);
    bool IsCoverArt() const { return Format == otffCoverArt; }
    void Clear();
    bool Assign(const TOpusTagFrame* Source);
    // name + "=" + value, as a save writes it (without the length word).
    int64_t CalculateTotalFrameSize() const;
    int GetIndex() const;
};

class TOpusTag {
public:
    TOpusTag();
    TOpusTag(const TOpusTag&) = delete;
    TOpusTag& operator=(const TOpusTag&) = delete;

    int64_t FFileSize = 0;
    std::string FileName;
    bool Loaded = false;
    std::vector<std::unique_ptr<TOpusTagFrame>> Frames;
    TOggFileInfo Info;
    std::string VendorString;
    // The identification packet of the last stream loaded.
    TMemoryStream FirstOGGPage;
    // Zero bytes after the comment that let a save patch the file in place
    // (not Theora): up to PaddingSizeToWrite when the old pages are larger,
    // and PaddingSizeToWrite on a rewrite.
    bool WritePadding = false;
    uint32_t PaddingSizeToWrite = 2048;
    bool UpperCaseFieldNamesToWrite = true;
    // Reads the last page for the play time and derives the bit rate.
    bool ParsePlayTime = false;
    TOggFormat Format = ofUnknown;
    // The setup header (Vorbis and Theora) of the stream last loaded.
    TMemoryStream VorbisData;
    bool PreserveFileDateTime = false;

    void Clear();
    int LoadFromFile(const std::string& FileName);
    int LoadFromStream(TStream& Stream);
    int SaveToFile(const std::string& FileName);
    // The stream holds the whole file; its content is replaced and it is left
    // at position 0.
    int SaveToStream(TStream& Stream);

    TOpusTagFrame* AddFrame(const std::string& Name);
    int AddTextFrame(const std::string& Name, const std::string& Text);
    bool AddBinaryFrame(const std::string& Name, TStream& BinaryStream);
    bool SetBinaryFrame(int FrameIndex, TStream& BinaryStream);
    // Appends the decoded bytes; false for a bad index or name.
    bool ReadBinaryFrame(int FrameIndex, TStream& BinaryStream);
    bool ReadBinaryFrame(const std::string& Name, TStream& BinaryStream);
    bool DeleteFrame(int FrameIndex);
    bool DeleteFrameByName(const std::string& Name);
    void DeleteAllFrames();
    void DeleteAllCoverArts();
    void RemoveEmptyFrames();
    int Count() const { return static_cast<int>(Frames.size()); }
    int CoverArtCount() const;
    int GetFrameIndexOfCoverArtIndex(int CoverArtIndex) const;
    int FrameExists(const std::string& Name) const;  // ignoring case, -1 when absent
    int FrameTypeCount(const std::string& Name) const;
    std::string GetText(const std::string& Name);
    void SetText(const std::string& Name, const std::string& Text);
    bool GetList(const std::string& Name, std::vector<std::string>& List);
    void SetList(const std::string& Name, const std::vector<std::string>& List);

    // A METADATA_BLOCK_PICTURE field; -1 when it cannot be built.
    int AddCoverArtFrame(TStream* PictureStream, const TOpusVorbisCoverArtInfo& CoverArtInfo);
    bool SetCoverArtFrame(int Index, TStream* PictureStream, const TOpusVorbisCoverArtInfo& CoverArtInfo);
    // A COVERART field holding a bare image (the older convention) gives
    // that image, its MIME type taken from a COVERARTMIME field or from the
    // image's bytes, as a front cover.
    bool GetCoverArtFromFrame(int Index, TStream& PictureStream, TOpusVorbisCoverArtInfo& CoverArtInfo);
    bool GetCoverArtInfo(int Index, TOpusVorbisCoverArtInfo& CoverArtInfo);

    int64_t CalculateTotalFramesSize() const;
    // The comment packet a save builds (without padding).
    int64_t CalculateTagSize() const;
    // The comment packet for Format with PaddingSize zero bytes after it.
    std::string BuildTag(int64_t PaddingSize) const;

    void Assign(const TOpusTag& Source);
    void ReSetAlreadyParsedState();

private:
    struct Layout;
    int Read(TStream& Stream, bool ReadValues, Layout& L);
    // Vendor, fields and the Opus data to keep; false when a length runs past
    // the packet.
    static bool ParseComment(const std::string& Packet, TOggFormat PacketFormat, Layout& L);
    void ReadPlayTime(TStream& Stream);
    std::string BuildPacket(TOggFormat PacketFormat, const std::string& Vendor, const std::string& Extra,
                            int64_t PaddingSize) const;
    struct SavePlan;
    int MakePlan(TStream& Source, SavePlan& Plan);
    static bool WriteRewrite(TStream& Source, TStream& Destination, const SavePlan& Plan);
    int SaveFile(const std::string& Path);
    int SaveStream(TStream& Stream);

    // Bytes after an Opus comment list that the writer asked editors to keep
    // (their first byte has its lowest bit set).
    std::string FOpusExtra;
};

// Keeps only the ENCODER fields and saves over the file.
int RemoveOggVorbisAndOpusTagFromFile(const std::string& FileName, uint32_t PaddingSizeToWrite,
                                      bool PreserveFileDateTime);

}  // namespace tags
