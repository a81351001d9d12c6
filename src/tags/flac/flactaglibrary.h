// FlacTagLibrary: the metadata of native FLAC files and of FLAC in Ogg. The
// Vorbis comment block is edited field by field, PICTURE blocks are held as
// pictures, and every other block is kept so that a save writes it back.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/core/stream.h"
#include "tags/flac/oggstream.h"
#include "tags/flac/vorbiscomment.h"

namespace tags {

// Result codes of loading, saving and removing.
inline constexpr int flacSuccess = 0;
inline constexpr int flacNoMetaData = 1;      // STREAMINFO is the only block: nothing to load or save
inline constexpr int flacCannotOpen = 4;      // missing, unreadable, or held by another writer
inline constexpr int flacTempFile = 6;        // the temporary file cannot be written or renamed
inline constexpr int flacMappingVersion = 7;  // Ogg FLAC with a mapping version other than 1
inline constexpr int flacNotFlac = 8;
inline constexpr int flacCannotLock = 9;  // no exclusive access for a rewrite
inline constexpr int flacReadOnly = 10;
inline constexpr int flacError = 0xFFFF;  // anything else, a damaged metadata area included

enum TFlacStreamType { fstUnknown = 0, fstNativeFlac = 1, fstOggFlac = 2 };

// Metadata block types.
inline constexpr uint8_t flacBlockStreamInfo = 0;
inline constexpr uint8_t flacBlockPadding = 1;
inline constexpr uint8_t flacBlockVorbisComment = 4;
inline constexpr uint8_t flacBlockPicture = 6;
inline constexpr uint32_t flacMaxBlockSize = 0xFFFFFF;

// The first 42 bytes of a native stream.
struct TFlacHeader {
    char StreamMarker[4];  // "fLaC"
    uint8_t MetaDataBlockHeader[4];
    uint8_t Info[18];  // STREAMINFO up to the MD5 sum
    uint8_t MD5Sum[16];
};
static_assert(sizeof(TFlacHeader) == 42);

// The first packet of an Ogg FLAC stream.
struct TOggFlacHeader {
    uint8_t PacketType;  // 0x7F
    char Signature[4];   // "FLAC"
    uint8_t MajorVersion;
    uint8_t MinorVersion;
    uint8_t NumberOfHeaderPackets[2];  // big-endian
    TFlacHeader StreamInfo;
};
static_assert(sizeof(TOggFlacHeader) == 51);

struct TFlacTagCoverArtInfo {
    uint32_t PictureType = 0;
    std::string MIMEType;
    std::string Description;
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t ColorDepth = 0;
    uint32_t NoOfColors = 0;
    // Into the block data, set by GetCoverArtInfoPointer only; valid until the
    // pictures of the tag change.
    const uint8_t* PictureData = nullptr;
    uint32_t SizeOfPictureData = 0;
};

struct TMetaData {
    uint8_t MetaDataBlockHeader[4] = {};  // type and last flag, 24-bit size
    TMemoryStream Data;
    uint32_t BlockType = 0;
    TFlacTagCoverArtInfo CoverArtInfo;
};

class TFlacTag {
public:
    TFlacTag();
    ~TFlacTag();
    TFlacTag(const TFlacTag&) = delete;
    TFlacTag& operator=(const TFlacTag&) = delete;

    // Layout of the stream last read (block positions count from 1 after
    // STREAMINFO).
    TFlacHeader FHeader{};
    TOggFlacHeader FOggFlacHeader{};
    uint32_t FPaddingIndex = 0;
    bool FPaddingLast = false;
    bool FPaddingFragments = false;
    uint32_t FVorbisIndex = 0;
    uint32_t FPadding = 0;
    int64_t FVCOffset = 0;
    int64_t FAudioOffset = 0;
    int64_t FAudioSize = 0;
    uint8_t FChannels = 0;
    uint32_t FSampleRate = 0;
    uint8_t FBitsPerSample = 0;
    uint32_t FBitrate = 0;  // kbit/s
    int64_t FFileSize = 0;
    int64_t FSamples = 0;
    int64_t FTagSize = 0;
    uint32_t FMetaBlocksSize = 0;
    bool FExists = false;

    std::string FileName;
    std::vector<std::unique_ptr<TVorbisComment>> Tags;
    std::string VendorString;
    bool Loaded = false;
    std::vector<TMetaData> MetaBlocksCoverArts;
    std::vector<TMetaData> aMetaBlockOther;

    bool PreserveFileDateTime = false;
    uint32_t PaddingSizeToWrite = 4092;
    bool UpperCaseFieldNamesToWrite = true;
    bool ForceReWrite = false;
    TFlacStreamType StreamType = fstUnknown;

    bool Valid() const;
    double Playtime() const;  // seconds, 0 when not valid
    double Ratio() const;     // percent of the uncompressed size
    std::string ChannelMode() const;

    void Clear();
    // Buffered reads the metadata through a TBufferedStream, so block and
    // page headers do not cost a call each.
    int LoadFromFile(const std::string& FileName, bool Buffered = true);
    int LoadFromStream(TStream& Stream, bool Buffered = true);
    int SaveToFile(const std::string& FileName, bool Buffered = true);
    // The stream's content is replaced; it is left at position 0.
    int SaveToStream(TStream& Stream, bool Buffered = true);

    TVorbisComment* AddTag(const std::string& Name);
    int AddTextTag(const std::string& Name, const std::string& Text);
    bool DeleteFrame(int FrameIndex);
    void DeleteAllFrames();
    int Count() const { return static_cast<int>(Tags.size()); }
    int FrameExists(const std::string& Name) const;  // exact name, -1 when absent
    std::string GetText(const std::string& Name);
    void SetText(const std::string& Name, const std::string& Text);
    bool GetList(const std::string& Name, std::vector<std::string>& List);
    void SetList(const std::string& Name, const std::vector<std::string>& List);
    bool GetMultipleValues(const std::string& TagName, std::vector<std::string>& List);
    void SetMultipleValues(const std::string& TagName, const std::vector<std::string>& List);
    bool DeleteFrameByName(const std::string& Name);

    int CoverArtCount() const { return static_cast<int>(MetaBlocksCoverArts.size()); }
    // Copies Blocklength bytes from the stream's position (an empty block
    // without a stream). Returns the new picture's index.
    int AddMetaDataCoverArt(TStream* Stream, int64_t Blocklength);
    int AddMetaDataOther(const uint8_t aMetaHeader[4], TStream* Stream, int64_t Blocklength, uint32_t BlockType);
    // False for a bad index or a damaged PICTURE block.
    bool GetCoverArt(int Index, TStream& PictureStream, TFlacTagCoverArtInfo& FlacTagCoverArtInfo);
    bool GetCoverArtInfo(int Index, TFlacTagCoverArtInfo& FlacTagCoverArtInfo);
    bool GetCoverArtInfoPointer(int Index, TFlacTagCoverArtInfo& FlacTagCoverArtInfo);
    bool SetCoverArt(int Index, TStream& PictureStream, const TFlacTagCoverArtInfo& FlacTagCoverArtInfo);
    bool DeleteCoverArt(int Index);
    void DeleteAllCoverArts();

    int64_t CalculateVorbisCommentsSize() const;
    int64_t CalculateMetaBlocksSize(bool IncludePadding) const;
    int64_t CalculateTagSize(bool IncludePadding) const;

    void Assign(const TFlacTag& FlacTag);
    void ReSetAlreadyParsedState();

private:
    class BlockReader;
    class NativeBlockReader;
    class OggBlockReader;

    void ClearLayout();
    int Read(TStream& Stream, bool ReadValues);
    int ReadNative(TStream& Stream, bool ReadValues);
    int ReadOgg(TStream& Stream, bool ReadValues);
    int ReadBlocks(BlockReader& Reader, bool ReadValues);
    void ParseVorbisComment(const std::string& Data);
    void TakeStreamInfo(const TFlacHeader& Header);
    void FinishLayout(int64_t AudioOffset);

    std::string BuildVorbisComment() const;
    struct SavePlan;
    int MakePlan(TStream& Source, SavePlan& Plan, bool Buffered);
    int PlanNative(TStream& Source, const std::string& Comment, SavePlan& Plan);
    int PlanOgg(TStream& Source, const std::string& Comment, SavePlan& Plan);
    bool PicturesMatchFile(TStream& Source) const;
    bool WriteInPlace(TStream& Target, const SavePlan& Plan) const;
    bool WriteRewrite(TStream& Source, TStream& Destination, const SavePlan& Plan) const;
    int SaveFile(const std::string& Path, bool Buffered);
    int SaveStream(TStream& Stream, bool Buffered);

    // Bytes of an ID3v2 tag before the stream, the first byte after
    // STREAMINFO (native) or after the first page (Ogg).
    int64_t FID3v2Size = 0;
    int64_t FMetaStart = 0;
    // The Ogg header pages also carry audio or another stream's pages, so
    // they cannot be replaced on their own.
    bool FOggHeaderShared = false;
    bool FVorbisFragments = false;  // more than one VORBIS_COMMENT block
    // PICTURE blocks of the file last read, as offset and size of their data.
    std::vector<std::pair<int64_t, int64_t>> FFilePictures;
};

// Saves an empty comment block and no pictures over the file, keeping the
// other blocks, with a padding block of the given size.
int RemoveFlacTagFromFile(const std::string& FileName, uint32_t PaddingSizeToWrite, bool PreserveFileDateTime);

}  // namespace tags
