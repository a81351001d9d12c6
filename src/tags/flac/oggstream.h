// Ogg pages: the header record, the page checksum and a page reader/writer
// over a TStream. Shared by every Ogg-based tag unit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/core/stream.h"

namespace tags {

// The fixed 27 bytes of a page header followed by its segment table.
struct TOggHeader {
    char ID[4] = {'O', 'g', 'g', 'S'};
    uint8_t StreamVersion = 0;
    uint8_t TypeFlag = 0;           // 1 continued packet, 2 first page, 4 last page
    uint64_t AbsolutePosition = 0;  // granule position
    uint32_t Serial = 0;
    uint32_t PageNumber = 0;
    uint32_t Checksum = 0;
    uint8_t Segments = 0;
    uint8_t LacingValues[255] = {};

    static constexpr int kFixedSize = 27;
    static constexpr int kMaxSize = kFixedSize + 255;

    int HeaderSize() const { return kFixedSize + Segments; }
    int64_t DataSize() const;
    // Parses the header at p; false when it is not "OggS" or n is too short
    // for the segment table it announces.
    static bool Parse(const void* p, int64_t n, TOggHeader& out);
    std::string Serialize() const;
};

// CRC-32 of the Ogg framing (polynomial 0x04C11DB7, MSB first, no inversion).
uint32_t OggCRC(const void* data, size_t size, uint32_t crc = 0);
// Recomputes the checksum field of a whole page held in page.
void SetOggPageChecksum(std::string& page);

// Header packets laid into pages as libogg flushes them: a page holds at
// most 255 segments, a packet continues on the page where the one before it
// ended, and a packet marked in flushAfter (and always the last one) ends
// its page. Pages where a packet ends carry granule position 0, the others
// -1 (no packet ends there).
struct TOggPageLayout {
    int64_t Bytes = 0;
    int Pages = 0;
};
TOggPageLayout OggPacketsLayout(const std::vector<int64_t>& packetSizes, const std::vector<bool>& flushAfter);
// The pages themselves, with template's version and serial, numbered from
// firstPageNumber, each with its checksum.
std::string OggPacketsToPages(const std::vector<std::string>& packets, const std::vector<bool>& flushAfter,
                              const TOggHeader& templateHeader, uint32_t firstPageNumber);

class TOGGStream {
public:
    // Takes the page header at the source's current position as the template
    // for new pages and remembers that position as the start of the pages;
    // the position is left unchanged. A null source serves size calculations.
    explicit TOGGStream(TStream* SourceStream);

    TOggHeader FirstOGGHeader;
    int64_t LastPageQueried = 0;

    int64_t GetSize() const;
    int64_t GetPosition() const;

    // PageNumber is the 1-based ordinal counted from the start position.
    bool GetPage(int64_t PageNumber, TStream& Stream);
    bool GetPageData(int64_t PageNumber, TStream& Stream);
    // Read the page at the current position and leave the source after it;
    // false (nothing copied, position restored) when no whole page is there.
    bool GetNextPage(TStream& Stream);
    bool GetNextPageData(TStream& Stream);
    bool GetNextPageHeader(TOggHeader& Header, TStream* Stream = nullptr);

    // Wraps the whole of TagStream as one packet into pages appended to
    // OutputOGGStream: FirstOGGHeader's serial, granule 0, numbered from
    // StartPageNumber. Returns the number of pages, 0 on failure.
    int CreateTagStream(TStream& TagStream, TStream& OutputOGGStream, uint32_t StartPageNumber = 1);
    static int64_t CalculateWrappedStreamSize(int64_t InputDataSize);

    // Copies the pages from the current position to Destination, giving the
    // pages of FirstOGGHeader's serial consecutive numbers from StartPageNumber
    // and fresh checksums; pages of other logical streams pass unchanged.
    // Stops after the page numbered EndingPageNumber (-1: at the end of the
    // pages). Leaves the source at the first byte not copied.
    bool ReNumberPages(int64_t StartPageNumber, int64_t EndingPageNumber, TStream& Destination);

private:
    // Reads the whole page at the current position into page; restores the
    // position and returns false when there is none.
    bool ReadPage(TOggHeader& header, std::string& page);
    bool SkipToPage(int64_t PageNumber);

    TStream* FStream;
    int64_t FStart = 0;
};

}  // namespace tags
