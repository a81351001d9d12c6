// The metadata attributes of ASF files (WMA, WMV): the Content Description,
// Extended Content Description, Metadata and Metadata Library objects, read
// and written by our own ASF header reader and writer. A save rewrites the
// header object; the data and index objects follow byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tags/core/stream.h"

namespace tags {

inline constexpr int WMATAGLIBRARY_SUCCESS = 0;
inline constexpr int WMATAGLIBRARY_ERROR_FILE_NOT_FOUND = 1;
inline constexpr int WMATAGLIBRARY_ERROR_NOT_ASF = 3;          // no ASF header object, or a damaged one
inline constexpr int WMATAGLIBRARY_ERROR_VALUE_TOO_LARGE = 5;  // a value no metadata object can hold
inline constexpr int WMATAGLIBRARY_ERROR_READ_ONLY = 6;
inline constexpr int WMATAGLIBRARY_ERROR = 0xFFFF;

enum WMT_ATTR_DATATYPE : uint8_t {
    WMT_TYPE_DWORD = 0,
    WMT_TYPE_STRING = 1,
    WMT_TYPE_BINARY = 2,
    WMT_TYPE_BOOL = 3,
    WMT_TYPE_QWORD = 4,
    WMT_TYPE_WORD = 5,
    WMT_TYPE_GUID = 6,
    WMT_TYPE_UNKNOWN = 7
};

class TWMATagFrame {
public:
    std::string Name;
    WMT_ATTR_DATATYPE Format = WMT_TYPE_UNKNOWN;
    std::string Stream;  // the value bytes
    bool AlreadyParsed = false;

    // Text of a string value; the number of the others, in decimal; a GUID in braces.
    std::string GetText() const;
    void SetText(const std::string& Text);
    uint64_t GetInteger() const;
    // DWORD, BOOL, QWORD and WORD only; false for any other type.
    bool SetInteger(WMT_ATTR_DATATYPE Type, uint64_t Value);
    void GetList(std::vector<std::string>& List) const;
    void SetList(const std::vector<std::string>& List);
    bool IsCoverArt() const { return Name == "WM/Picture"; }
    void Clear() { Stream.clear(), Format = WMT_TYPE_UNKNOWN; }
};

class TWMATag {
public:
    int64_t FFileSize = -1;
    std::string FileName;
    bool Loaded = false;
    std::vector<std::unique_ptr<TWMATagFrame>> Frames;
    bool NormalizeRatingTo255 = false;
    bool PreserveFileDateTime = false;
    // From the file and stream properties objects.
    uint64_t Duration = 0;  // ms, preroll taken off
    uint32_t BitRate = 0;   // kbit/s
    uint16_t Channels = 0, BitsPerSample = 0;
    uint32_t SampleRate = 0;

    int LoadFromFile(const std::string& FileName);
    int LoadFromStream(TStream& Stream);
    int SaveToFile(const std::string& FileName);
    int SaveToStream(TStream& Stream);

    int64_t Count() const { return static_cast<int64_t>(Frames.size()); }
    int64_t FrameExists(const std::string& Name) const;
    TWMATagFrame* AddFrame(const std::string& Name);
    bool DeleteFrame(int64_t Index);
    bool DeleteFrameByName(const std::string& Name);
    void DeleteAllFrames() { Frames.clear(); }
    void Clear();
    bool Assign(const TWMATag& Source);
    void ReSetAlreadyParsedState();

    std::string GetText(const std::string& Name) const;
    // An empty text deletes the first frame of that name.
    void SetText(const std::string& Name, const std::string& Text);
    uint64_t GetInteger(const std::string& Name) const;
    void SetInteger(const std::string& Name, WMT_ATTR_DATATYPE Type, uint64_t Value);

    int CoverArtCount() const;
    int64_t GetFrameIndexOfCoverArtIndex(int Index) const;
    int64_t AddCoverArtFrame(const std::string& Picture, const std::string& MIMEType, const std::string& Description,
                             uint8_t PictureType);
    bool GetCoverArtFromFrame(int64_t Index, std::string& Picture, std::string& MIMEType, uint8_t& PictureType,
                              std::string& Description) const;
    void DeleteAllCoverArts();
    int64_t CalculateTagSize() const;
};

}  // namespace tags
