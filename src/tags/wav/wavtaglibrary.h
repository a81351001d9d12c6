// The metadata chunks of RIFF WAVE and RF64 files: the INFO list, the
// broadcast extension ("bext") and the cart chunk ("cart"), with the stream
// properties of "fmt " and "data". An "id3 " chunk is the ID3v2 unit's and
// is kept as it is.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tags/core/stream.h"
#include "tags/id3v2/id3v2audioinfo.h"

namespace tags {

inline constexpr int WAVTAGLIBRARY_SUCCESS = 0;
inline constexpr int WAVTAGLIBRARY_ERROR_OPENING_FILE = 4;
inline constexpr int WAVTAGLIBRARY_ERROR_WRITING_FILE = 6;
inline constexpr int WAVTAGLIBRARY_ERROR_CORRUPT = 7;
inline constexpr int WAVTAGLIBRARY_ERROR_NOT_SUPPORTED_FORMAT = 9;
inline constexpr int WAVTAGLIBRARY_ERROR_SIZE_OVERFLOW = 10;
inline constexpr int WAVTAGLIBRARY_ERROR_NEED_EXCLUSIVE_ACCESS = 11;
inline constexpr int WAVTAGLIBRARY_ERROR_READ_ONLY = 12;
inline constexpr int WAVTAGLIBRARY_ERROR = 0xFFFF;

enum TWAVTagFrameFormat { wffUnknown, wffText, wffBinary };

// One INFO item: a four-character name and its bytes as stored.
class TWAVTagFrame {
public:
    std::string Name;
    TWAVTagFrameFormat Format = wffUnknown;
    std::string Data;
    bool AlreadyParsed = false;

    // The stored text up to its terminating zero bytes.
    std::string GetText() const;
    // A non-empty text is stored with one terminating zero byte.
    void SetText(const std::string& Text);
    // "name=value" lines from alternating name and value fields, each ended by CR LF.
    void GetList(std::vector<std::string>& List) const;
    void Clear() { Data.clear(), Format = wffUnknown; }
};

// A fixed-layout chunk ("bext" 602 bytes, "cart" 2048) and the text after it.
// Fields go by name: texts as UTF-8, numbers in decimal, the UMID as
// blank-separated hexadecimal bytes, a cart post timer as usage, a blank and
// its value.
class TFixedChunk {
public:
    std::string Fixed;  // always the full fixed size
    std::string Extra;  // coding history, cart tag text
    bool Loaded = false;

    std::string Get(std::string_view Field) const;
    // False for an unknown field name.
    bool Set(std::string_view Field, const std::string& Value);
    // The field names in file order, the extra text last.
    const std::vector<std::string>& FieldNames() const;
    // Any byte of the fixed part or any extra text.
    bool Have() const;
    // Bytes of the chunk's data: fixed part, extra text and a terminating zero.
    int64_t CalculateSize() const;
    void Clear();

    struct Field {
        const char* name;
        int offset, width;
        char kind;  // 't' text, 'u' unsigned, 's' signed, 'h' UMID hex, 'p' post timer
    };

protected:
    TFixedChunk(int size, const std::vector<Field>& fields, std::string extraName);
    const std::vector<Field>& FFields;
    std::string FExtraName;
};

class TBEXT final : public TFixedChunk {
public:
    TBEXT();
};

class TCART final : public TFixedChunk {
public:
    TCART();
};

class TWAVTag {
public:
    TWAVTag();

    int64_t FFileSize = 0;
    std::string FileName;
    bool Loaded = false;
    uint32_t Size = 0;
    std::vector<std::unique_ptr<TWAVTagFrame>> Frames;
    TBEXT BEXT;
    TCART CART;
    TWaveFmt Attributes;  // the format chunk as read
    double PlayTime = 0;
    uint64_t SampleCount = 0;
    int32_t BitRate = 0;
    uint64_t SampleDataStartPosition = 0;
    uint64_t SampleDataSize = 0;
    bool PreserveFileDateTime = false;

    int LoadFromFile(const std::string& FileName);
    int LoadFromStream(TStream& Stream);
    int SaveToFile(const std::string& FileName);
    int SaveToStream(TStream& Stream);

    TWAVTagFrame* AddFrame(const std::string& Name);
    int64_t AddTextFrame(const std::string& Name, const std::string& Text);
    // First frame of that name: its text set, or the frame deleted when the
    // text is empty; a new frame when there is none.
    void SetText(const std::string& Name, const std::string& Text);
    std::string GetText(const std::string& Name) const;
    bool DeleteFrame(int64_t Index);
    bool DeleteFrame(const std::string& Name);
    int64_t FrameExists(const std::string& Name) const;
    int64_t Count() const { return static_cast<int64_t>(Frames.size()); }
    void RemoveEmptyFrames();
    int64_t CalculateTotalFramesSize() const;
    int64_t CalculateTagSize() const;
    void Clear();
    bool Assign(const TWAVTag& Source);
    void ReSetAlreadyParsedState();

    // The new INFO list, "bext" and "cart" chunks, in that order.
    std::string CreateTagChunks();
};

// Saves an empty tag: the INFO list, "bext" and "cart" go, every other chunk stays.
int RemoveWAVTagFromFile(const std::string& FileName, bool PreserveFileDateTime = false);

}  // namespace tags
