// The ASF header object: reading the attributes out of it and writing it
// again with new metadata objects. Every other header object, the data
// object and the index objects are kept byte for byte.
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/files.h"
#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/core/replacefile.h"
#include "tags/wma/wmataglibrary.h"

namespace tags {

namespace {

using Guid = std::array<uint8_t, 16>;

constexpr Guid kHeader = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kFileProperties = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kStreamProperties = {0x91, 0x07, 0xDC, 0xB7, 0xB7, 0xA9, 0xCF, 0x11,
                                    0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kAudioMedia = {0x40, 0x9E, 0x69, 0xF8, 0x4D, 0x5B, 0xCF, 0x11,
                              0xA8, 0xFD, 0x00, 0x80, 0x5F, 0x5C, 0x44, 0x2B};
constexpr Guid kContentDescription = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr Guid kExtendedContentDescription = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                              0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
constexpr Guid kHeaderExtension = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                   0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kReserved1 = {0x11, 0xD2, 0xD3, 0xAB, 0xBA, 0xA9, 0xCF, 0x11,
                             0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr Guid kMetadata = {0xEA, 0xCB, 0xF8, 0xC5, 0xAF, 0x5B, 0x77, 0x48,
                            0x84, 0x67, 0xAA, 0x8C, 0x44, 0xFA, 0x4C, 0xCA};
constexpr Guid kMetadataLibrary = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                   0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};

// The five fields of the Content Description object, as attributes.
const char* const kDescriptionNames[] = {"Title", "Author", "Copyright", "Description", "Rating"};

bool Is(const std::string& b, size_t at, const Guid& g) {
    return b.size() >= at + 16 && std::memcmp(b.data() + at, g.data(), 16) == 0;
}
std::string GuidBytes(const Guid& g) { return std::string(reinterpret_cast<const char*>(g.data()), 16); }

// ASF value types and ours.
uint16_t AsfType(WMT_ATTR_DATATYPE t) {
    switch (t) {
    case WMT_TYPE_DWORD: return 3;
    case WMT_TYPE_STRING: return 0;
    case WMT_TYPE_BINARY: return 1;
    case WMT_TYPE_BOOL: return 2;
    case WMT_TYPE_QWORD: return 4;
    case WMT_TYPE_WORD: return 5;
    case WMT_TYPE_GUID: return 6;
    default: return 1;
    }
}
WMT_ATTR_DATATYPE OurType(uint16_t t) {
    switch (t) {
    case 0: return WMT_TYPE_STRING;
    case 1: return WMT_TYPE_BINARY;
    case 2: return WMT_TYPE_BOOL;
    case 3: return WMT_TYPE_DWORD;
    case 4: return WMT_TYPE_QWORD;
    case 5: return WMT_TYPE_WORD;
    case 6: return WMT_TYPE_GUID;
    default: return WMT_TYPE_UNKNOWN;
    }
}

// A "WM/Picture" value as the file stores it (type, length, MIME type,
// description, data) and as a frame holds it (with the three addresses).
std::string PictureFromFile(const std::string& v) {
    if (v.size() < 5) return v;
    size_t pos = 5;
    auto skip = [&] {
        while (pos + 1 < v.size() && (v[pos] || v[pos + 1])) pos += 2;
        pos += 2;
    };
    const size_t mime = pos;
    skip();
    const size_t desc = pos;
    skip();
    if (pos > v.size()) return v;
    std::string out;
    AppendLE32(out, uint32_t(17));
    out += v[0];
    AppendLE32(out, uint32_t(17 + desc - mime));
    out.append(v, 1, 4);
    AppendLE32(out, uint32_t(17 + pos - mime));
    return out + v.substr(5);
}
std::string PictureToFile(const std::string& v) {
    return v.size() < 17 ? v : v.substr(4, 1) + v.substr(9, 4) + v.substr(17);
}

struct Record {
    uint16_t Language = 0, Stream = 0, Type = 0;
    std::string Name, Value;
};

std::string Utf16z(const std::string& s) { return common::utf8ToUtf16le(s) + std::string(2, '\0'); }

struct Header {
    std::string Bytes;                               // the whole header object
    int64_t End = 0;                                 // where the data object starts
    std::vector<std::pair<size_t, size_t>> Objects;  // offset and size of each child
};

int ReadHeader(TStream& s, Header& h) {
    const int64_t size = s.Size();
    uint8_t head[30];
    if (!s.SetPosition(0) || !s.ReadBuffer(head, 30) || std::memcmp(head, kHeader.data(), 16) != 0)
        return WMATAGLIBRARY_ERROR_NOT_ASF;
    const uint64_t length = ReadLE64(head + 16);
    if (length < 30 || length > uint64_t(size)) return WMATAGLIBRARY_ERROR_NOT_ASF;
    h.End = int64_t(length);
    if (!s.SetPosition(0) || !s.ReadBytes(h.Bytes, h.End) || int64_t(h.Bytes.size()) != h.End)
        return WMATAGLIBRARY_ERROR_NOT_ASF;
    for (size_t pos = 30; pos + 24 <= h.Bytes.size();) {
        const uint64_t n = ReadLE64(h.Bytes.data() + pos + 16);
        if (n < 24 || n > h.Bytes.size() - pos) return WMATAGLIBRARY_ERROR_NOT_ASF;
        h.Objects.emplace_back(pos, size_t(n));
        pos += size_t(n);
    }
    return WMATAGLIBRARY_SUCCESS;
}

// The records of a Metadata or Metadata Library object's body.
std::vector<Record> ReadRecords(const std::string& b, size_t at, size_t end) {
    std::vector<Record> out;
    if (at + 2 > end) return out;
    const uint16_t count = ReadLE16(b.data() + at);
    size_t pos = at + 2;
    for (uint16_t i = 0; i < count && pos + 12 <= end; ++i) {
        Record r;
        r.Language = ReadLE16(b.data() + pos);
        r.Stream = ReadLE16(b.data() + pos + 2);
        const uint16_t nameLength = ReadLE16(b.data() + pos + 4);
        r.Type = ReadLE16(b.data() + pos + 6);
        const uint32_t valueLength = ReadLE32(b.data() + pos + 8);
        pos += 12;
        if (nameLength > end - pos || valueLength > end - pos - nameLength) break;
        r.Name = common::utf16leToUtf8(std::string_view(b).substr(pos, nameLength));
        while (!r.Name.empty() && r.Name.back() == '\0') r.Name.pop_back();
        r.Value = b.substr(pos + nameLength, valueLength);
        pos += nameLength + valueLength;
        out.push_back(std::move(r));
    }
    return out;
}

std::string WriteRecords(const Guid& g, const std::vector<Record>& records) {
    std::string body;
    AppendLE16(body, uint16_t(records.size()));
    for (const Record& r : records) {
        const std::string name = Utf16z(r.Name);
        AppendLE16(body, r.Language);
        AppendLE16(body, r.Stream);
        AppendLE16(body, uint16_t(name.size()));
        AppendLE16(body, r.Type);
        AppendLE32(body, uint32_t(r.Value.size()));
        body += name + r.Value;
    }
    std::string out = GuidBytes(g);
    AppendLE64(out, 24 + body.size());
    return out + body;
}

// A value as an ASF object stores it: the Metadata objects keep BOOL in 2 bytes.
std::string ValueFor(const TWMATagFrame& f, bool shortBool) {
    std::string v = f.IsCoverArt() ? PictureToFile(f.Stream) : f.Stream;
    if (f.Format == WMT_TYPE_BOOL) {
        const uint32_t flag = f.GetInteger() != 0;
        v.clear();
        shortBool ? AppendLE16(v, uint16_t(flag)) : AppendLE32(v, flag);
    }
    return v;
}

bool SameText(const TWMATagFrame& frame, const std::string& value) {
    TWMATagFrame other;
    other.Format = WMT_TYPE_STRING;
    other.Stream = value;
    return frame.GetText() == other.GetText();
}

void AddAttribute(TWMATag& tag, const std::string& name, uint16_t asfType, std::string value) {
    // An empty text is no attribute: a save would not write it.
    if (asfType == 0 && std::all_of(value.begin(), value.end(), [](char c) { return c == 0; })) return;
    if (std::any_of(std::begin(kDescriptionNames), std::end(kDescriptionNames),
                    [&](const char* n) { return name == n; }) &&
        tag.FrameExists(name) >= 0)
        return;
    // Some writers repeat a description field as an extended attribute of
    // another case ("title" beside "Title"); one copy is enough.
    for (const char* n : kDescriptionNames)
        if (name != n && common::equalsNoCase(name, n) && asfType == 0 && tag.FrameExists(n) >= 0 &&
            SameText(*tag.Frames[size_t(tag.FrameExists(n))], value))
            return;
    TWMATagFrame* f = tag.AddFrame(name);
    f->Format = OurType(asfType);
    if (f->Format == WMT_TYPE_BOOL) {
        const bool flag = std::any_of(value.begin(), value.end(), [](char c) { return c != 0; });
        value.clear();
        AppendLE32(value, flag);
    }
    f->Stream = f->IsCoverArt() && f->Format == WMT_TYPE_BINARY ? PictureFromFile(value) : std::move(value);
    if (tag.NormalizeRatingTo255 && name == "WM/SharedUserRating")
        f->SetInteger(f->Format, uint64_t(double(f->GetInteger()) / 99 * 255));
}

}  // namespace

int TWMATag::LoadFromFile(const std::string& Name) {
    Clear();
    struct stat st {};
    if (::stat(Name.c_str(), &st) != 0) {
        FFileSize = -1;
        return WMATAGLIBRARY_ERROR_FILE_NOT_FOUND;
    }
    auto file = TFileStream::Open(Name, TFileMode::fmOpenRead);
    if (!file) return WMATAGLIBRARY_ERROR_FILE_NOT_FOUND;
    const int result = LoadFromStream(*file);
    if (result == WMATAGLIBRARY_SUCCESS) FileName = Name;
    return result;
}

int TWMATag::LoadFromStream(TStream& Stream) {
    Clear();
    const int64_t position = Stream.Position();
    FFileSize = Stream.Size();
    Header h;
    const int rc = ReadHeader(Stream, h);
    Stream.SetPosition(position);
    if (rc != WMATAGLIBRARY_SUCCESS) return rc;
    const std::string& b = h.Bytes;
    // The description fields first, whichever object comes first in the file.
    std::vector<Record> extended, later;
    for (const auto& [at, size] : h.Objects) {
        const char* p = b.data() + at;
        if (Is(b, at, kFileProperties) && size >= 104) {
            const uint64_t duration = ReadLE64(p + 64), preroll = ReadLE64(p + 80);
            // Unsigned, so that a damaged preroll cannot overflow.
            const uint64_t ms = duration / 10000;
            Duration = preroll >= ms ? 0 : int64_t(ms - preroll);
            BitRate = uint32_t(std::lround(ReadLE32(p + 100) / 1000.0));
        } else if (Is(b, at, kStreamProperties) && size >= 78 + 16 && Is(b, at + 24, kAudioMedia) && Channels == 0) {
            Channels = ReadLE16(p + 78 + 2);
            SampleRate = ReadLE32(p + 78 + 4);
            BitsPerSample = ReadLE16(p + 78 + 14);
        } else if (Is(b, at, kContentDescription) && size >= 34) {
            size_t pos = at + 34;
            for (int i = 0; i < 5; ++i) {
                const uint16_t n = ReadLE16(p + 24 + 2 * i);
                if (n > at + size - pos) break;
                const std::string text = b.substr(pos, n);
                pos += n;
                AddAttribute(*this, kDescriptionNames[i], 0, text);
            }
        } else if (Is(b, at, kExtendedContentDescription) && size >= 26) {
            const uint16_t count = ReadLE16(p + 24);
            size_t pos = at + 26;
            for (uint16_t i = 0; i < count && pos + 2 <= at + size; ++i) {
                const uint16_t nameLength = ReadLE16(b.data() + pos);
                if (pos + 2 + nameLength + 4 > at + size) break;
                std::string name = common::utf16leToUtf8(std::string_view(b).substr(pos + 2, nameLength));
                while (!name.empty() && name.back() == '\0') name.pop_back();
                pos += 2 + nameLength;
                const uint16_t type = ReadLE16(b.data() + pos), valueLength = ReadLE16(b.data() + pos + 2);
                pos += 4;
                if (valueLength > at + size - pos) break;
                extended.push_back({0, 0, type, std::move(name), b.substr(pos, valueLength)});
                pos += valueLength;
            }
        } else if (Is(b, at, kHeaderExtension) && size >= 46) {
            const size_t end = at + 46 + std::min<size_t>(ReadLE32(p + 42), size - 46);
            for (size_t pos = at + 46; pos + 24 <= end;) {
                const uint64_t n = ReadLE64(b.data() + pos + 16);
                if (n < 24 || n > end - pos) break;
                if (Is(b, pos, kMetadata) || Is(b, pos, kMetadataLibrary))
                    for (Record& r : ReadRecords(b, pos + 24, pos + size_t(n)))
                        if (r.Stream == 0 && r.Language == 0) later.push_back(std::move(r));
                pos += size_t(n);
            }
        }
    }
    for (Record& r : extended) AddAttribute(*this, r.Name, r.Type, std::move(r.Value));
    for (Record& r : later) AddAttribute(*this, r.Name, r.Type, std::move(r.Value));
    Loaded = !Frames.empty();
    return WMATAGLIBRARY_SUCCESS;
}

namespace {

// The new header object, or a result code.
int BuildHeader(const TWMATag& tag, const Header& h, int64_t fileSize, std::string& out) {
    const std::string& b = h.Bytes;
    // Where each attribute goes: the five descriptions, the extended
    // description when it fits its 16-bit sizes, else the metadata library.
    std::string description[5];
    std::string extended;
    uint16_t extendedCount = 0;
    std::vector<Record> library;
    for (const auto& f : tag.Frames) {
        if (f->Stream.empty() || f->Format == WMT_TYPE_UNKNOWN) continue;
        if (f->Format == WMT_TYPE_STRING && f->GetText().empty()) continue;
        TWMATagFrame frame = *f;
        if (tag.NormalizeRatingTo255 && frame.Name == "WM/SharedUserRating")
            frame.SetInteger(frame.Format, uint64_t(double(frame.GetInteger()) / 255 * 99));
        const auto slot = std::find_if(std::begin(kDescriptionNames), std::end(kDescriptionNames),
                                       [&](const char* n) { return frame.Name == n; });
        if (slot != std::end(kDescriptionNames) && frame.Format == WMT_TYPE_STRING && frame.Stream.size() < 0xFFFE) {
            description[slot - std::begin(kDescriptionNames)] = Utf16z(frame.GetText());
            continue;
        }
        const std::string name = Utf16z(frame.Name);
        const std::string value = ValueFor(frame, false);
        if (frame.Format != WMT_TYPE_GUID && name.size() <= 0xFFFF && value.size() <= 0xFFFF) {
            AppendLE16(extended, uint16_t(name.size()));
            extended += name;
            AppendLE16(extended, AsfType(frame.Format));
            AppendLE16(extended, uint16_t(value.size()));
            extended += value;
            ++extendedCount;
            continue;
        }
        if (name.size() > 0xFFFF || value.size() > 0xFFFFFFFFu) return WMATAGLIBRARY_ERROR_VALUE_TOO_LARGE;
        library.push_back({0, 0, AsfType(frame.Format), frame.Name, ValueFor(frame, true)});
    }

    std::string children;
    uint32_t count = 0;
    bool haveExtension = false;
    for (const auto& [at, size] : h.Objects) {
        if (Is(b, at, kContentDescription) || Is(b, at, kExtendedContentDescription)) continue;
        if (Is(b, at, kHeaderExtension) && size >= 46) {
            // Its other objects stay; records of streams or languages too.
            const size_t end = at + 46 + std::min<size_t>(ReadLE32(b.data() + at + 42), size - 46);
            std::string inner;
            std::vector<Record> metadata, keptLibrary;
            for (size_t pos = at + 46; pos + 24 <= end;) {
                const uint64_t n = ReadLE64(b.data() + pos + 16);
                if (n < 24 || n > end - pos) return WMATAGLIBRARY_ERROR_NOT_ASF;
                if (Is(b, pos, kMetadata) || Is(b, pos, kMetadataLibrary)) {
                    for (Record& r : ReadRecords(b, pos + 24, pos + size_t(n)))
                        if (r.Stream != 0 || r.Language != 0)
                            (Is(b, pos, kMetadata) ? metadata : keptLibrary).push_back(std::move(r));
                } else {
                    inner.append(b, pos, size_t(n));
                }
                pos += size_t(n);
            }
            if (!metadata.empty()) inner += WriteRecords(kMetadata, metadata);
            // The attributes go into the first extension only.
            if (!haveExtension) keptLibrary.insert(keptLibrary.end(), library.begin(), library.end());
            if (!keptLibrary.empty()) inner += WriteRecords(kMetadataLibrary, keptLibrary);
            std::string ext = b.substr(at, 16);
            AppendLE64(ext, 46 + inner.size());
            ext.append(b, at + 24, 18);
            AppendLE32(ext, uint32_t(inner.size()));
            children += ext + inner;
            ++count;
            haveExtension = true;
            continue;
        }
        std::string object = b.substr(at, size);
        if (Is(b, at, kFileProperties) && size >= 48) WriteLE64(object.data() + 40, 0);  // set below
        children += object;
        ++count;
    }
    if (!haveExtension && !library.empty()) {
        const std::string inner = WriteRecords(kMetadataLibrary, library);
        children += GuidBytes(kHeaderExtension);
        AppendLE64(children, 46 + inner.size());
        children += GuidBytes(kReserved1);
        AppendLE16(children, 6);
        AppendLE32(children, uint32_t(inner.size()));
        children += inner;
        ++count;
    }
    if (std::any_of(std::begin(description), std::end(description), [](const auto& d) { return !d.empty(); })) {
        std::string cd = GuidBytes(kContentDescription);
        std::string body;
        for (const auto& d : description) AppendLE16(body, uint16_t(d.size()));
        for (const auto& d : description) body += d;
        AppendLE64(cd, 24 + body.size());
        children += cd + body;
        ++count;
    }
    if (extendedCount > 0) {
        std::string ecd = GuidBytes(kExtendedContentDescription);
        AppendLE64(ecd, 26 + extended.size());
        AppendLE16(ecd, extendedCount);
        children += ecd + extended;
        ++count;
    }
    out = GuidBytes(kHeader);
    AppendLE64(out, 30 + children.size());
    AppendLE32(out, count);
    out.append(b, 28, 2);
    out += children;
    // The file properties carry the size of the whole file.
    const uint64_t total = uint64_t(fileSize - h.End) + out.size();
    for (size_t pos = 30; pos + 24 <= out.size();) {
        const uint64_t n = ReadLE64(out.data() + pos + 16);
        if (Is(out, pos, kFileProperties) && n >= 48) WriteLE64(out.data() + pos + 40, total);
        pos += size_t(n);
    }
    return WMATAGLIBRARY_SUCCESS;
}

}  // namespace

int TWMATag::SaveToFile(const std::string& Name) {
    try {
        char* real = ::realpath(Name.c_str(), nullptr);
        const std::string path = real ? real : Name;
        std::free(real);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return WMATAGLIBRARY_ERROR_FILE_NOT_FOUND;
        if ((st.st_mode & 0222) == 0) return WMATAGLIBRARY_ERROR_READ_ONLY;
        common::removeStaleTemporaries(path);
        auto file = TFileStream::Open(path, TFileMode::fmOpenReadWrite);
        if (!file) return WMATAGLIBRARY_ERROR_FILE_NOT_FOUND;
        Header h;
        if (int rc = ReadHeader(*file, h); rc != WMATAGLIBRARY_SUCCESS) return rc;
        const int64_t size = file->Size();
        std::string header;
        if (int rc = BuildHeader(*this, h, size, header); rc != WMATAGLIBRARY_SUCCESS) return rc;
        int rc = ReplaceFileThroughTemp(path, [&](TFileStream& out) {
            if (!out.WriteBuffer(header.data(), int64_t(header.size()))) return -1;
            return file->SetPosition(h.End) && out.CopyFrom(*file, size - h.End) == size - h.End ? 0 : -1;
        });
        if (rc != 0) return WMATAGLIBRARY_ERROR;
        if (PreserveFileDateTime) {
            const timespec times[2] = {st.st_atim, st.st_mtim};
            ::utimensat(AT_FDCWD, path.c_str(), times, 0);
        }
        return WMATAGLIBRARY_SUCCESS;
    } catch (...) {
        return WMATAGLIBRARY_ERROR;
    }
}

int TWMATag::SaveToStream(TStream& Stream) {
    try {
        Header h;
        if (int rc = ReadHeader(Stream, h); rc != WMATAGLIBRARY_SUCCESS) return rc;
        const int64_t size = Stream.Size();
        std::string header;
        if (int rc = BuildHeader(*this, h, size, header); rc != WMATAGLIBRARY_SUCCESS) return rc;
        TMemoryStream whole(header);
        whole.Seek(0, TSeekOrigin::soEnd);
        if (size > h.End && (!Stream.SetPosition(h.End) || whole.CopyFrom(Stream, size - h.End) != size - h.End))
            return WMATAGLIBRARY_ERROR;
        if (!Stream.SetPosition(0) || !whole.SaveToStream(Stream) || !Stream.SetSize(whole.GetSizeConst()))
            return WMATAGLIBRARY_ERROR;
        Stream.SetPosition(0);
        return WMATAGLIBRARY_SUCCESS;
    } catch (...) {
        return WMATAGLIBRARY_ERROR;
    }
}

}  // namespace tags
