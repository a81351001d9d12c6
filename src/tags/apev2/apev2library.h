// APEv2Library: APE tags (version 2.000 read and written, 1.000 read) at the
// end of a file, in front of an optional Lyrics3 v2 block and ID3v1 tag.
// Items keep their value bytes exactly as stored; text is UTF-8.
#pragma once

#include "tags/core/stream.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tags {

// Result codes of this unit.
inline constexpr int APEV2_SUCCESS = 0;
inline constexpr int APEV2_ERROR_NO_TAG = 1;
inline constexpr int APEV2_ERROR_OPENING_FILE = 4;  // missing or cannot be opened
inline constexpr int APEV2_ERROR_CORRUPT = 7;       // sizes that do not fit the tag
inline constexpr int APEV2_ERROR_UNSUPPORTED_VERSION = 8;
inline constexpr int APEV2_ERROR_READING_FOOTER = 9;
inline constexpr int APEV2_ERROR_FILE_READONLY = 10;
inline constexpr int APEV2_ERROR = 0xFFFF;

enum TAPEv2FrameFormat { ffUnknown = 0, ffText = 1, ffBinary = 2 };
enum TAPEv2PictureFormat { pfUnknown = 0, pfJPEG = 1, pfPNG = 2, pfBMP = 3, pfGIF = 4 };

// Name and value pairs of the list-valued items (involved people, musician
// credits), stored as alternating CR LF-terminated lines.
using TAPEv2List = std::vector<std::pair<std::string, std::string>>;

class TAPEv2Tag;

class TAPEv2Frame {
public:
    explicit TAPEv2Frame(TAPEv2Tag* parent) : Parent(parent) {}

    // Binary items give "BINARY " and their size ("2.00 KB"); text items
    // their value (UTF-8, or the legacy code page when it is not UTF-8),
    // trimmed.
    std::string GetText();
    std::string GetTextANSI();
    bool SetText(std::string_view Text);
    bool GetList(TAPEv2List& List);
    bool SetList(const TAPEv2List& List);
    // Binary, and named "Cover Art (Front)" or holding an image after its
    // description.
    bool IsCoverArt() const;
    void Clear();
    bool Assign(const TAPEv2Frame* Source);

    std::string Value() const { return Stream.Bytes(); }

    std::string Name;  // compared ignoring case by the tag's look-ups
    TAPEv2FrameFormat Format = ffUnknown;
    TMemoryStream Stream;  // the value bytes as stored
    TAPEv2Tag* Parent;     // not owned
    bool AlreadyParsed = false;
};

class TAPEv2Tag {
public:
    TAPEv2Tag() = default;
    TAPEv2Tag(const TAPEv2Tag&) = delete;
    TAPEv2Tag& operator=(const TAPEv2Tag&) = delete;

    void Clear();

    int LoadFromFile(const std::string& FileName);
    // Leaves the stream's position where it was.
    int LoadFromStream(TStream& TagStream);
    // Both work on the whole file: the tag is written where the old one
    // started (or in front of a Lyrics3 block and ID3v1 tag), and a tag
    // without non-empty items is removed instead.
    int SaveToFile(const std::string& FileName);
    int SaveToStream(TStream& Stream);

    TAPEv2Frame* AddFrame(std::string_view Name);
    int AddTextFrame(std::string_view Name, std::string_view Text);
    int AddBinaryFrame(std::string_view Name, TStream& BinaryStream, int64_t DataSize);
    bool DeleteFrame(int FrameIndex);
    bool DeleteFrameByName(std::string_view Name);
    void DeleteAllFrames();
    void DeleteAllCoverArts();
    int Count() const { return static_cast<int>(Frames.size()); }
    int CoverArtCount() const;
    int GetFrameIndexOfCoverArtIndex(int CoverArtIndex) const;
    // Exact name; -1 when there is none.
    int FrameExists(std::string_view Name) const;
    int FrameTypeCount(std::string_view Name) const;

    // The first item of that name, ignoring case. An empty text deletes it.
    void SetText(std::string_view Name, std::string_view Text);
    std::string GetText(std::string_view Name);
    void SetList(std::string_view Name, const TAPEv2List& List);
    bool GetList(std::string_view Name, TAPEv2List& List);
    void RemoveEmptyFrames();

    // Cover items hold the description, a zero byte and the image bytes.
    int AddCoverArtFrame(std::string_view Name, TStream& PictureStream, std::string_view Description);
    bool SetCoverArtFrame(int Index, TStream& PictureStream, std::string_view Description);
    // Writes the image bytes at PictureStream's position and rewinds it.
    bool GetCoverArtFromFrame(int Index, TStream& PictureStream, TAPEv2PictureFormat& PictureFormat,
                              std::string& Description);
    bool GetCoverArtInfo(int Index, TAPEv2PictureFormat& PictureFormat, std::string& Description);
    // Pointers into the item's value, valid until the item changes.
    bool GetCoverArtInfoPointer(int Index, TAPEv2PictureFormat& PictureFormat, const char*& Description,
                                const char*& Data, int64_t& DataSize);

    int64_t CalculateTotalFramesSize() const;
    int64_t CalculateTagSize() const { return CalculateTotalFramesSize() + 32; }

    bool Assign(const TAPEv2Tag& Source);
    void ReSetAlreadyParsedState();

    int64_t FileSize() const { return FFileSize; }

    std::string FileName;
    bool Loaded = false;
    uint32_t Version = 0, Flags = 0, Size = 0;
    std::vector<std::unique_ptr<TAPEv2Frame>> Frames;
    bool UpperCaseFieldNamesToWrite = false;
    bool PreserveFileDateTime = false;

private:
    TAPEv2Frame* FindFrame(std::string_view Name) const;
    int ParseTag(TStream& stream);
    std::string BuildTag() const;

    int64_t FFileSize = 0;
};

int RemoveAPEv2TagFromFile(const std::string& FileName, bool PreserveFileDateTime);
int RemoveAPEv2TagFromStream(TStream& Stream);

}  // namespace tags
