// MP4TagLibrary: the item list of MP4/M4A files (moov/udta/meta/ilst), the
// "Xtra" atom beside it, and the audio properties found in moov. A save
// rebuilds moov and either fits it into the old moov plus the free atoms
// after it, or moves what follows and corrects every chunk offset; where
// that cannot be done safely it is refused and the file is left alone (see
// NOTES.md).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tags/core/stream.h"

namespace tags {

// Result codes of loading, saving and removing.
inline constexpr int mp4Success = 0;
inline constexpr int mp4NoTag = 1;       // no item list, or an empty one
inline constexpr int mp4CannotOpen = 4;  // missing, unreadable, or not writable
inline constexpr int mp4ReadError = 5;   // an atom runs past its parent or the file
inline constexpr int mp4WriteError = 6;  // the new file cannot be written or put in place
// moov has to grow but what follows it cannot move safely: movie fragments,
// or atoms that may hold file offsets we cannot correct.
inline constexpr int mp4DoesNotFit = 7;
inline constexpr int mp4NotMP4 = 9;  // no "ftyp" atom first
inline constexpr int mp4Locked = 10;
// A chunk offset points outside the file or into moov, its table is shorter
// than its count, or a moved offset no longer fits 32 bits.
inline constexpr int mp4stcoFailed = 11;
inline constexpr int mp4co64Failed = 12;
inline constexpr int mp4Error = 0xFFFF;

enum TMP4AudioFormat { mp4afUnknown = 0, mp4afAAC = 1, mp4afALAC = 2, mpfafAC3 = 3 };
enum TMP4MergeMode { mp4mmReplace = 0, mp4mmKeepOriginal = 1 };

// Data types of "data" atoms.
inline constexpr uint32_t mp4dtImplicit = 0;  // track and disc numbers, genre numbers
inline constexpr uint32_t mp4dtUTF8 = 1;
inline constexpr uint32_t mp4dtUTF16 = 2;
inline constexpr uint32_t mp4dtGIF = 12;
inline constexpr uint32_t mp4dtJPEG = 13;
inline constexpr uint32_t mp4dtPNG = 14;
inline constexpr uint32_t mp4dtInteger = 21;  // big-endian signed, 1 to 8 bytes
inline constexpr uint32_t mp4dtBMP = 27;

class TMP4Atom;
class TMP4Tag;

// One "data" child of an item.
class TMP4AtomData {
public:
    explicit TMP4AtomData(TMP4Atom* parent = nullptr) : Parent(parent) {}

    TMemoryStream Data;  // the payload
    uint32_t DataType = 0;
    uint32_t Reserved = 0;  // the locale word, written back as read
    TMP4Atom* Parent;
    bool AlreadyParsed = false;

    const std::string& GetBytes() const { return Data.Bytes(); }
    // UTF-8 and UTF-16 text as text, integers in decimal, anything else "".
    std::string GetText() const;
    void SetText(const std::string& Text);
    // By the payload's length: 1, 2, 4, 6 (a 16-bit high word, then 32 bits)
    // or 8 bytes; false for any other length.
    bool GetInteger(uint64_t& Value) const;
    void SetInteger(uint64_t Value, int Bytes, uint32_t Type = mp4dtInteger);
    // A list payload: UTF-8 name and value strings, each ended by two zero
    // bytes; List holds "name=value" lines.
    bool GetList(std::vector<std::string>& List) const;
    void SetList(const std::vector<std::string>& List);
    void Assign(const TMP4AtomData& Source);
};

// One item of the list: its 4-byte name, the "mean" and "name" texts of a
// freeform ("----") item, and its data children.
class TMP4Atom {
public:
    explicit TMP4Atom(TMP4Tag* parent = nullptr) : Parent(parent) {}

    std::string ID;          // 4 bytes, as in the file ("\xA9nam" for the title)
    uint32_t Size = 0;       // as read
    std::string mean, name;  // UTF-8; empty when absent
    std::vector<std::unique_ptr<TMP4AtomData>> Datas;
    uint32_t Flags = 0;
    TMP4Tag* Parent;
    bool AlreadyParsed = false;

    TMP4AtomData* AddData();
    int Count() const { return static_cast<int>(Datas.size()); }
    // The first data child: "trkn" and "disk" as "n/total" (just n without a
    // total), "gnre" as the genre's name, everything else as its data reads.
    std::string GetText() const;
    // Replaces the data children by one UTF-8 text.
    void SetText(const std::string& Text);
    bool GetList(std::vector<std::string>& List) const;
    void SetList(const std::vector<std::string>& List);
    bool GetInteger(uint64_t& Value) const;
    void SetInteger(uint64_t Value, int Bytes, uint32_t Type = mp4dtInteger);
    void Clear();
    void Assign(const TMP4Atom& Source);
    int64_t CalculateAtomSize() const { return static_cast<int64_t>(Write().size()); }
    // The item as it goes into the file: byte for byte as read while its
    // content is unchanged.
    std::string Write() const;
    // Removes (and destroys) this item from its tag.
    bool Delete();

private:
    friend class TMP4Tag;
    std::string Build() const;
    std::string FRaw, FBuilt;  // as read, and as Build() gave it then
};

// One value of an Xtra field: 8 UTF-16LE text, 19 unsigned integer, 21
// file time, 72 GUID.
struct TMP4XtraProperty {
    uint16_t PropType = 0;
    std::string Data;
    std::string GetText() const;
};

// One field of the "Xtra" atom (Windows' own properties).
class TMP4Xtra {
public:
    std::string Name;
    std::vector<TMP4XtraProperty> Properties;
    // The first value, or all of them joined by "; ".
    std::string GetText(bool MultipleValues = false) const;
};

class TMP4Tag {
public:
    TMP4Tag();
    TMP4Tag(const TMP4Tag&) = delete;
    TMP4Tag& operator=(const TMP4Tag&) = delete;

    std::string FileName;
    std::vector<std::unique_ptr<TMP4Atom>> Atoms;  // the items, in file order
    std::vector<std::unique_ptr<TMP4Xtra>> Xtras;
    uint8_t Version = 0;  // of the meta atom
    uint32_t Flags = 0;

    uint32_t PaddingToWrite = 4096;
    bool ParseXtra = true;
    bool ParseMediaAttributes = true;
    bool PreserveFileDateTime = false;

    bool Valid() const { return FValid; }    // the stream starts with "ftyp"
    bool Loaded() const { return FLoaded; }  // an item list was read
    int64_t FileSize() const { return FFileSize; }
    int64_t mdatAtomPosition() const { return FAtommdatPosition; }  // -1 when there is none
    int64_t mdatAtomSize() const { return FAtommdatSize; }
    int64_t AtommoovPosition() const { return FAtommoovPosition; }
    int64_t AtommoovSize() const { return FAtommoovSize; }
    double Playtime() const { return FPlaytime; }  // seconds
    uint16_t AudioChannelCount() const { return FAudioChannelCount; }
    uint16_t AudioResolution() const { return FAudioResolution; }  // bits per sample
    uint32_t AudioSampleRate() const { return FAudioSampleRate; }
    uint32_t BitRate() const { return FBitRate; }  // kbit/s
    uint32_t VideoWidth() const { return FVideoWidth; }
    uint32_t VideoHeight() const { return FVideoHeight; }
    TMP4AudioFormat AudioFormat() const { return FAudioFormat; }
    int TrackCount() const { return FTrackCount; }
    bool Fragmented() const { return FFragmented; }  // has movie fragments (moof)

    void Clear();
    int LoadFromFile(const std::string& FileName);
    int LoadFromStream(TStream& Stream, bool Buffered = true);
    // KeepPadding: fit the new moov into the old one and the free atoms
    // after it when it can, so that nothing else moves.
    int SaveToFile(const std::string& FileName, bool KeepPadding = true);
    // The stream holds the whole file; it is left at position 0.
    int SaveToStream(TStream& Stream, bool KeepPadding = true);

    // Items by their 4-byte name (exact bytes).
    TMP4Atom* AddAtom(const std::string& Name);
    TMP4Atom* FindAtom(const std::string& Name) const;
    TMP4Atom* FindAtomCommon(const std::string& Name, const std::string& Mean) const;
    bool DeleteAtom(int Index);
    int DeleteAllAtoms(const std::string& Name);
    bool DeleteAtomCommon(const std::string& Name, const std::string& Mean);
    int Count() const { return static_cast<int>(Atoms.size()); }
    int CoverArtCount() const;
    // The size of the item list a save writes (8 when empty).
    int64_t CalculateSize() const;

    std::string GetText(const std::string& Name) const;
    void SetText(const std::string& Name, const std::string& Text);  // an empty text deletes the item
    // Every data child of every item of that name / one item holding one
    // data child per value (none deletes it).
    std::vector<std::string> GetMultipleValues(const std::string& Name) const;
    void SetMultipleValues(const std::string& Name, const std::vector<std::string>& Values);
    bool GetInteger(const std::string& Name, uint64_t& Value) const;
    void SetInteger(const std::string& Name, uint64_t Value, int Bytes);
    bool GetBool(const std::string& Name) const;
    void SetBool(const std::string& Name, bool Value);
    // Freeform items by mean and name.
    std::string GetCommon(const std::string& Name, const std::string& Mean = "com.apple.iTunes") const;
    void SetCommon(const std::string& Name, const std::vector<std::string>& Values,
                   const std::string& Mean = "com.apple.iTunes");

    uint16_t GetTrack() const;
    uint16_t GetTotalTracks() const;
    // 0 and 0 delete "trkn".
    void SetTrack(uint16_t Track, uint16_t Total);
    uint16_t GetDisc() const;
    uint16_t GetTotalDiscs() const;
    void SetDisc(uint16_t Disc, uint16_t Total);
    // "gnre" when it names one of the 192 genres, else "\xA9gen".
    std::string GetGenre() const;
    void SetGenre(const std::string& Genre);
    // "stik": false when the name is not one of the media types.
    std::string GetMediaType() const;
    bool SetMediaType(const std::string& MediaType);
    // "sfID": false when the country is not in the store-front table.
    std::string GetPurchaseCountry() const;
    bool SetPurchaseCountry(const std::string& Country);

    // "covr": one data child per picture.
    void DeleteAllCoverArts();
    void AddCoverArt(const std::string& Picture);

    int XtraCount() const { return static_cast<int>(Xtras.size()); }
    const TMP4Xtra* FindAtomXtra(const std::string& FieldName) const;
    std::string GetTextXtra(const std::string& FieldName, bool MultipleValues = false) const;
    bool DeleteXtra(int Index);

    void Assign(const TMP4Tag& Source);
    void MergeTags(const TMP4Tag& Source, TMP4MergeMode MergeMode);
    void ReSetAlreadyParsedState();

private:
    int Load(TStream& Stream);
    bool LoadMoov(TStream& Stream, int64_t begin, int64_t end);
    bool LoadUdta(const std::string& udta);
    bool LoadIlst(const std::string& ilst);
    bool LoadXtra(const std::string& xtra);
    std::string BuildIlst() const;
    std::string BuildXtra() const;
    struct SavePlan;
    int MakePlan(TStream& Source, bool KeepPadding, SavePlan& Plan);
    static bool WriteRewrite(TStream& Source, TStream& Destination, const SavePlan& Plan);
    int SaveFile(const std::string& Path, bool KeepPadding);
    int SaveStream(TStream& Stream, bool KeepPadding);

    bool FValid = false;
    bool FLoaded = false;
    int64_t FFileSize = 0;
    int64_t FAtommdatPosition = -1;
    int64_t FAtommdatSize = 0;
    int64_t FAtommoovPosition = -1;
    int64_t FAtommoovSize = 0;
    double FPlaytime = 0;
    uint16_t FAudioChannelCount = 0;
    uint16_t FAudioResolution = 0;
    uint32_t FAudioSampleRate = 0;
    uint32_t FBitRate = 0;
    uint32_t FVideoWidth = 0;
    uint32_t FVideoHeight = 0;
    TMP4AudioFormat FAudioFormat = mp4afUnknown;
    int FTrackCount = 0;
    bool FFragmented = false;
    // The Xtra atom as read, and as BuildXtra() gave it then.
    std::string FXtraRaw, FXtraBuilt;
};

// Saves an empty item list over the file, keeping the gapless-playback item
// (iTunSMPB) and the encoder tool ("\xA9too") when asked.
int StripMP4Tag(const std::string& FileName, bool KeepPadding, bool KeepGapless, bool PreserveFileDateTime,
                uint32_t Padding, bool KeepEncoder);

// The 192 genre names of the "gnre" item, by its number (1-based).
std::string MP4GenreName(int Number);
int MP4GenreNumber(const std::string& Genre);  // 0 when not among them

}  // namespace tags
