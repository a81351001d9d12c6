#include "tags/flac/oggstream.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "tags/core/bytes.h"

namespace tags {

namespace {

constexpr int64_t kPageDataMax = 17 * 255;  // what one page of a wrapped packet carries

std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> t{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t r = i << 24;
        for (int k = 0; k < 8; ++k) r = (r & 0x80000000u) ? (r << 1) ^ 0x04C11DB7u : r << 1;
        t[i] = r;
    }
    return t;
}

// The runs of lacing values between forced page ends.
std::vector<std::vector<uint8_t>> LacingRuns(const std::vector<int64_t>& sizes, const std::vector<bool>& flushAfter) {
    std::vector<std::vector<uint8_t>> runs(1);
    for (size_t i = 0; i < sizes.size(); ++i) {
        std::vector<uint8_t>& run = runs.back();
        run.insert(run.end(), static_cast<size_t>(sizes[i] / 255), 255);
        run.push_back(static_cast<uint8_t>(sizes[i] % 255));
        if (i + 1 < sizes.size() && i < flushAfter.size() && flushAfter[i]) runs.emplace_back();
    }
    return runs;
}

}  // namespace

TOggPageLayout OggPacketsLayout(const std::vector<int64_t>& packetSizes, const std::vector<bool>& flushAfter) {
    TOggPageLayout layout;
    if (packetSizes.empty()) return layout;
    int64_t data = 0;
    for (int64_t n : packetSizes) data += n;
    for (const auto& run : LacingRuns(packetSizes, flushAfter)) {
        int64_t segments = static_cast<int64_t>(run.size());
        int64_t pages = (segments + 254) / 255;
        layout.Pages += static_cast<int>(pages);
        layout.Bytes += pages * TOggHeader::kFixedSize + segments;
    }
    layout.Bytes += data;
    return layout;
}

std::string OggPacketsToPages(const std::vector<std::string>& packets, const std::vector<bool>& flushAfter,
                              const TOggHeader& templateHeader, uint32_t firstPageNumber) {
    std::vector<int64_t> sizes;
    std::string data;
    for (const std::string& p : packets) {
        sizes.push_back(static_cast<int64_t>(p.size()));
        data += p;
    }
    std::string out;
    TOggHeader h = templateHeader;
    std::memcpy(h.ID, "OggS", 4);
    h.PageNumber = firstPageNumber;
    size_t pos = 0;
    bool continued = false;
    for (const auto& run : LacingRuns(sizes, flushAfter)) {
        for (size_t first = 0; first < run.size(); first += 255) {
            size_t count = std::min<size_t>(255, run.size() - first);
            h.TypeFlag = continued ? 1 : 0;
            h.Segments = static_cast<uint8_t>(count);
            std::memcpy(h.LacingValues, run.data() + first, count);
            bool packetEnds = false;
            for (size_t i = 0; i < count; ++i) packetEnds = packetEnds || run[first + i] < 255;
            h.AbsolutePosition = packetEnds ? 0 : ~uint64_t(0);
            h.Checksum = 0;
            std::string page = h.Serialize();
            size_t n = static_cast<size_t>(h.DataSize());
            page.append(data, pos, n);
            pos += n;
            SetOggPageChecksum(page);
            out += page;
            continued = run[first + count - 1] == 255;
            ++h.PageNumber;
        }
    }
    return out;
}

int64_t TOggHeader::DataSize() const {
    int64_t n = 0;
    for (int i = 0; i < Segments; ++i) n += LacingValues[i];
    return n;
}

bool TOggHeader::Parse(const void* p, int64_t n, TOggHeader& out) {
    auto* b = static_cast<const uint8_t*>(p);
    if (n < kFixedSize || std::memcmp(b, "OggS", 4) != 0) return false;
    std::memcpy(out.ID, b, 4);
    out.StreamVersion = b[4];
    out.TypeFlag = b[5];
    out.AbsolutePosition = ReadLE64(b + 6);
    out.Serial = ReadLE32(b + 14);
    out.PageNumber = ReadLE32(b + 18);
    out.Checksum = ReadLE32(b + 22);
    out.Segments = b[26];
    if (n < kFixedSize + out.Segments) return false;
    std::memset(out.LacingValues, 0, sizeof out.LacingValues);
    std::memcpy(out.LacingValues, b + kFixedSize, out.Segments);
    return true;
}

std::string TOggHeader::Serialize() const {
    std::string s(static_cast<size_t>(HeaderSize()), '\0');
    auto* b = reinterpret_cast<uint8_t*>(s.data());
    std::memcpy(b, ID, 4);
    b[4] = StreamVersion;
    b[5] = TypeFlag;
    WriteLE64(b + 6, AbsolutePosition);
    WriteLE32(b + 14, Serial);
    WriteLE32(b + 18, PageNumber);
    WriteLE32(b + 22, Checksum);
    b[26] = Segments;
    std::memcpy(b + kFixedSize, LacingValues, Segments);
    return s;
}

uint32_t OggCRC(const void* data, size_t size, uint32_t crc) {
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) crc = (crc << 8) ^ table[((crc >> 24) ^ p[i]) & 0xFF];
    return crc;
}

void SetOggPageChecksum(std::string& page) {
    if (page.size() < TOggHeader::kFixedSize) return;
    std::memset(page.data() + 22, 0, 4);
    WriteLE32(page.data() + 22, OggCRC(page.data(), page.size()));
}

TOGGStream::TOGGStream(TStream* SourceStream) : FStream(SourceStream) {
    if (!FStream) return;
    FStart = FStream->Position();
    uint8_t buf[TOggHeader::kMaxSize];
    int64_t got = FStream->Read(buf, sizeof buf);
    TOggHeader::Parse(buf, got, FirstOGGHeader);
    FStream->SetPosition(FStart);
}

int64_t TOGGStream::GetSize() const { return FStream ? FStream->Size() : 0; }
int64_t TOGGStream::GetPosition() const { return FStream ? FStream->Position() : 0; }

bool TOGGStream::ReadPage(TOggHeader& header, std::string& page) {
    if (!FStream) return false;
    int64_t start = FStream->Position();
    uint8_t buf[TOggHeader::kMaxSize];
    int64_t got = FStream->Read(buf, TOggHeader::kFixedSize);
    if (got == TOggHeader::kFixedSize && buf[26] > 0) got += FStream->Read(buf + TOggHeader::kFixedSize, buf[26]);
    if (!TOggHeader::Parse(buf, got, header)) {
        FStream->SetPosition(start);
        return false;
    }
    int64_t dataSize = header.DataSize();
    page.assign(reinterpret_cast<const char*>(buf), static_cast<size_t>(header.HeaderSize()));
    std::string data;
    if (!FStream->ReadBytes(data, dataSize)) {  // a page cut short by the end of the file
        FStream->SetPosition(start);
        return false;
    }
    page += data;
    return true;
}

bool TOGGStream::SkipToPage(int64_t PageNumber) {
    if (!FStream || PageNumber < 1 || !FStream->SetPosition(FStart)) return false;
    TOggHeader h;
    std::string page;
    for (int64_t i = 1; i < PageNumber; ++i)
        if (!ReadPage(h, page)) return false;
    return true;
}

bool TOGGStream::GetPage(int64_t PageNumber, TStream& Stream) {
    if (!SkipToPage(PageNumber)) return false;
    TOggHeader h;
    std::string page;
    if (!ReadPage(h, page)) return false;
    LastPageQueried = PageNumber;
    return Stream.WriteBuffer(page.data(), static_cast<int64_t>(page.size()));
}

bool TOGGStream::GetPageData(int64_t PageNumber, TStream& Stream) {
    if (!SkipToPage(PageNumber)) return false;
    LastPageQueried = PageNumber - 1;
    return GetNextPageData(Stream);
}

bool TOGGStream::GetNextPage(TStream& Stream) {
    TOggHeader h;
    std::string page;
    if (!ReadPage(h, page)) return false;
    ++LastPageQueried;
    return Stream.WriteBuffer(page.data(), static_cast<int64_t>(page.size()));
}

bool TOGGStream::GetNextPageData(TStream& Stream) {
    TOggHeader h;
    std::string page;
    if (!ReadPage(h, page)) return false;
    ++LastPageQueried;
    return Stream.WriteBuffer(page.data() + h.HeaderSize(), h.DataSize());
}

bool TOGGStream::GetNextPageHeader(TOggHeader& Header, TStream* Stream) {
    std::string page;
    if (!ReadPage(Header, page)) return false;
    ++LastPageQueried;
    return !Stream || Stream->WriteBuffer(page.data(), static_cast<int64_t>(page.size()));
}

int TOGGStream::CreateTagStream(TStream& TagStream, TStream& OutputOGGStream, uint32_t StartPageNumber) {
    std::string packet;
    if (!TagStream.SetPosition(0)) return 0;
    TagStream.ReadBytes(packet, TagStream.Size());
    TOggHeader h = FirstOGGHeader;
    std::memcpy(h.ID, "OggS", 4);
    h.TypeFlag = 0;
    h.AbsolutePosition = 0;
    h.PageNumber = StartPageNumber;
    int pages = 0;
    int64_t done = 0;
    const int64_t total = static_cast<int64_t>(packet.size());
    // An empty packet still needs one page with a single 0 lacing value.
    do {
        int64_t left = total - done;
        int64_t take = left <= kPageDataMax ? left : kPageDataMax;
        int full = static_cast<int>(take / 255);
        h.Segments = static_cast<uint8_t>(left <= kPageDataMax ? full + 1 : full);
        for (int i = 0; i < full; ++i) h.LacingValues[i] = 255;
        if (left <= kPageDataMax) h.LacingValues[full] = static_cast<uint8_t>(take % 255);
        h.Checksum = 0;
        std::string page = h.Serialize();
        page.append(packet, static_cast<size_t>(done), static_cast<size_t>(take));
        SetOggPageChecksum(page);
        if (!OutputOGGStream.WriteBuffer(page.data(), static_cast<int64_t>(page.size()))) return 0;
        done += take;
        ++pages;
        h.TypeFlag = 1;
        ++h.PageNumber;
    } while (done < total);
    return pages;
}

int64_t TOGGStream::CalculateWrappedStreamSize(int64_t InputDataSize) {
    // Full pages of 17 segments, then a last page whose table ends the packet.
    int64_t fullPages = InputDataSize > 0 ? (InputDataSize - 1) / kPageDataMax : 0;
    int64_t last = InputDataSize - fullPages * kPageDataMax;
    return fullPages * (TOggHeader::kFixedSize + 17 + kPageDataMax) + TOggHeader::kFixedSize + last / 255 + 1 + last;
}

bool TOGGStream::ReNumberPages(int64_t StartPageNumber, int64_t EndingPageNumber, TStream& Destination) {
    TOggHeader h;
    std::string page;
    int64_t next = StartPageNumber;
    while (EndingPageNumber < 0 || next <= EndingPageNumber) {
        if (!ReadPage(h, page)) break;
        ++LastPageQueried;
        if (h.Serial == FirstOGGHeader.Serial) {
            WriteLE32(page.data() + 18, static_cast<uint32_t>(next++));
            SetOggPageChecksum(page);
        }
        if (!Destination.WriteBuffer(page.data(), static_cast<int64_t>(page.size()))) return false;
    }
    return true;
}

}  // namespace tags
