// ID3v1Library: the 128-byte ID3v1 tag at the end of a file (with the
// revision-1 track number) and the Lyrics3 v2 block that may stand in front
// of it.
#pragma once

#include "tags/core/stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tags {

// Result codes of this unit.
inline constexpr int ID3V1_SUCCESS = 0;
inline constexpr int ID3V1_ERROR_OPENING_FILE = 3;  // missing or cannot be opened
inline constexpr int ID3V1_ERROR_READING_FILE = 4;
inline constexpr int ID3V1_ERROR_WRITING_FILE = 5;
inline constexpr int ID3V1_ERROR_FILE_READONLY = 6;
inline constexpr int ID3V1_ERROR = 0xFFFF;  // no tag found, or another failure

// The ID3v1 genre list with its common extensions, numbers 0 to 191.
extern const std::array<std::string_view, 192> ID3v1Genres;

// Number to name: a list name for 0-191; with unknownAsOther every other
// number gives "Other", otherwise 255 gives an empty text and 192-254 the
// number in decimal.
std::string ID3v1GenreToText(int number, bool unknownAsOther = false);
// Name to number: a decimal text is taken as the number (its low 8 bits), a
// list name (exact case) as its index, an empty text as 255 (no genre) and
// anything else as 12 ("Other").
uint8_t ID3v1TextToGenre(std::string_view genre);

class TID3v1Tag;
struct TTailPlan;

// One Lyrics3 v2 field.
class TID3LyricsFrame {
public:
    explicit TID3LyricsFrame(TID3v1Tag* parent) : Parent(parent) {}

    TID3v1Tag* Parent;  // not owned
    std::string ID;     // three identifier bytes as stored
    std::string Data;   // UTF-8
    // Position in the parent's list, -1 when detached.
    int Index() const;
};

class TID3v1Tag {
public:
    TID3v1Tag();
    TID3v1Tag(const TID3v1Tag&) = delete;
    TID3v1Tag& operator=(const TID3v1Tag&) = delete;

    void Clear();

    int LoadFromFile(const std::string& FileName);
    int LoadFromStream(TStream& TagStream);
    // Loads a tag from a 128-byte block in memory (no Lyrics3); a shorter
    // size reads as if the rest were zeros.
    int LoadFromMemory(const void* MemoryAddress, size_t Size = 128);
    // Reads the Lyrics3 block in front of the ID3v1 tag at the end of the
    // stream; 0, or 65535 when there is no intact block (nothing changes).
    int LoadLyricsTag(TStream& TagStream);

    // WriteLyricsTag replaces an old Lyrics3 block with the current fields;
    // without it a Lyrics3 block already in the file stays as it is.
    int SaveToFile(const std::string& FileName, bool WriteLyricsTag);
    int SaveToStream(TStream& TagStream, bool WriteLyricsTag);
    // Writes the Lyrics3 block at the end of a stream that has no ID3v1 tag
    // after it, replacing a block that already ends the stream.
    int LyricsTagSaveToStream(TStream& TagStream);

    TID3LyricsFrame* AddLyricsFrame(std::string_view ID);
    TID3LyricsFrame* FindLyricsFrame(std::string_view ID);
    TID3LyricsFrame* SetLyricsFrame(std::string_view ID, std::string_view Value);
    bool DeleteLyricsFrame(int Index);
    bool DeleteLyricsFrame(std::string_view ID);
    std::string GetLyrics() const;
    void SetLyrics(std::string_view Text);

    bool Assign(const TID3v1Tag& Source);

    uint32_t LyricsTagSize() const { return FLyricsTagSize; }
    int64_t FileSize() const { return FFileSize; }

    std::string SourceFileName;
    bool Loaded = false;
    bool Revision1 = false;
    std::string Title, Artist, Album, Year, Comment;
    uint8_t Track = 0;
    std::string TrackString;
    std::string Genre;
    std::vector<std::unique_ptr<TID3LyricsFrame>> LyricsFrames;
    bool LyricsHasTimeStamp = false;
    bool InhibitTracksForRandomSelection = false;

    bool TrimText = true;
    bool TreatUnknownGenresAsOther = false;
    bool ReturnANSIText = true;  // decode with the legacy code page, else byte by byte
    bool SetANSIText = true;     // encode with the legacy code page, else low bytes
    bool PreserveFileDateTime = false;

private:
    // The 128 bytes of the tag as the fields stand.
    std::string BuildTagBlock() const;
    // False when a field or the block does not fit the format's size digits.
    bool BuildLyricsBlock(std::string& block) const;
    const TID3LyricsFrame* FindLyricsFrameConst(std::string_view ID) const;
    int PlanSave(TStream& stream, bool writeLyricsTag, TTailPlan& plan) const;

    uint32_t FLyricsTagSize = 0;
    int64_t FFileSize = 0;
};

int RemoveID3v1TagFromFile(const std::string& FileName, bool PreserveFileDateTime);
int RemoveID3v1TagFromStream(TStream& Stream);

}  // namespace tags
