// Attribute values, the frame list and pictures.
#include <algorithm>
#include <cstdio>

#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/wma/wmataglibrary.h"

namespace tags {

namespace {

// UTF-16LE units up to the end, zero units dropped.
std::string FromUtf16(std::string_view bytes) {
    std::string units;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        if (bytes[i] || bytes[i + 1]) units.append(bytes.substr(i, 2));
    return common::utf16leToUtf8(units);
}

// One zero-terminated UTF-16LE string at pos; pos moves past its terminator.
std::string TakeUtf16(const std::string& b, size_t& pos) {
    size_t end = pos;
    while (end + 1 < b.size() && (b[end] || b[end + 1])) end += 2;
    std::string s = common::utf16leToUtf8(std::string_view(b).substr(pos, end - pos));
    pos = end + 2;
    return s;
}

bool SameName(const std::string& a, const std::string& b) { return common::toUpper(a) == common::toUpper(b); }

}  // namespace

// --- frames -----------------------------------------------------------------------

std::string TWMATagFrame::GetText() const {
    if (Format == WMT_TYPE_STRING) return FromUtf16(Stream);
    if (Format == WMT_TYPE_GUID && Stream.size() == 16) {
        const auto* g = reinterpret_cast<const uint8_t*>(Stream.data());
        char buf[40];
        std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", ReadLE32(g),
                      ReadLE16(g + 4), ReadLE16(g + 6), g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
        return buf;
    }
    if (Format == WMT_TYPE_BINARY || Format == WMT_TYPE_UNKNOWN) return {};
    return std::to_string(GetInteger());
}

void TWMATagFrame::SetText(const std::string& Text) {
    Format = WMT_TYPE_STRING;
    Stream = common::utf8ToUtf16le(Text) + std::string(2, '\0');
}

uint64_t TWMATagFrame::GetInteger() const {
    const char* p = Stream.data();
    switch (Format) {
    case WMT_TYPE_DWORD:
    case WMT_TYPE_BOOL: return Stream.size() >= 4 ? ReadLE32(p) : Stream.size() >= 2 ? ReadLE16(p) : 0;
    case WMT_TYPE_QWORD: return Stream.size() >= 8 ? ReadLE64(p) : 0;
    case WMT_TYPE_WORD: return Stream.size() >= 2 ? ReadLE16(p) : 0;
    default: return 0;
    }
}

bool TWMATagFrame::SetInteger(WMT_ATTR_DATATYPE Type, uint64_t Value) {
    Stream.clear();
    switch (Type) {
    case WMT_TYPE_DWORD:
    case WMT_TYPE_BOOL: AppendLE32(Stream, uint32_t(Type == WMT_TYPE_BOOL ? Value != 0 : Value)); break;
    case WMT_TYPE_QWORD: AppendLE64(Stream, Value); break;
    case WMT_TYPE_WORD: AppendLE16(Stream, uint16_t(Value)); break;
    default: return false;
    }
    Format = Type;
    return true;
}

void TWMATagFrame::GetList(std::vector<std::string>& List) const {
    std::vector<std::string> fields;
    std::string units;
    for (size_t i = 0; i + 1 < Stream.size(); i += 2) {
        if (Stream[i] == '\x0D' && Stream[i + 1] == '\x0A') {
            fields.push_back(FromUtf16(units));
            units.clear();
        } else {
            units.append(Stream, i, 2);
        }
    }
    if (!units.empty()) fields.push_back(FromUtf16(units));
    for (size_t i = 0; i + 1 < fields.size(); i += 2)
        if (!common::trimmed(fields[i]).empty() && !common::trimmed(fields[i + 1]).empty())
            List.push_back(fields[i] + "=" + fields[i + 1]);
}

void TWMATagFrame::SetList(const std::vector<std::string>& List) {
    Format = WMT_TYPE_STRING;
    Stream.clear();
    for (const std::string& entry : List) {
        const size_t eq = entry.find('=');
        Stream += common::utf8ToUtf16le(entry.substr(0, eq)) + "\x0D\x0A";
        Stream += common::utf8ToUtf16le(eq == std::string::npos ? "" : entry.substr(eq + 1)) + "\x0D\x0A";
    }
}

// --- the list ---------------------------------------------------------------------

int64_t TWMATag::FrameExists(const std::string& Name) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (common::equalsNoCase(Frames[i]->Name, Name)) return int64_t(i);
    return -1;
}

TWMATagFrame* TWMATag::AddFrame(const std::string& Name) {
    Frames.push_back(std::make_unique<TWMATagFrame>());
    Frames.back()->Name = Name;
    return Frames.back().get();
}

bool TWMATag::DeleteFrame(int64_t Index) {
    if (Index < 0 || Index >= Count()) return false;
    Frames.erase(Frames.begin() + Index);
    return true;
}

bool TWMATag::DeleteFrameByName(const std::string& Name) { return DeleteFrame(FrameExists(Name)); }

void TWMATag::Clear() {
    Frames.clear();
    FileName.clear();
    Loaded = false;
    Duration = 0, BitRate = 0, Channels = 0, BitsPerSample = 0, SampleRate = 0;
}

bool TWMATag::Assign(const TWMATag& Source) {
    if (&Source == this) return true;
    Clear();
    FileName = Source.FileName;
    Loaded = Source.Loaded;
    for (const auto& f : Source.Frames) Frames.push_back(std::make_unique<TWMATagFrame>(*f));
    Duration = Source.Duration, BitRate = Source.BitRate, Channels = Source.Channels;
    BitsPerSample = Source.BitsPerSample, SampleRate = Source.SampleRate;
    return true;
}

void TWMATag::ReSetAlreadyParsedState() {
    for (auto& f : Frames) f->AlreadyParsed = false;
}

std::string TWMATag::GetText(const std::string& Name) const {
    for (const auto& f : Frames)
        if (SameName(f->Name, Name)) return f->GetText();
    return {};
}

void TWMATag::SetText(const std::string& Name, const std::string& Text) {
    for (size_t i = 0; i < Frames.size(); ++i) {
        if (!SameName(Frames[i]->Name, Name)) continue;
        if (Text.empty()) DeleteFrame(int64_t(i));
        else Frames[i]->SetText(Text);
        return;
    }
    if (!Text.empty()) AddFrame(Name)->SetText(Text);
}

uint64_t TWMATag::GetInteger(const std::string& Name) const {
    for (const auto& f : Frames)
        if (SameName(f->Name, Name)) return f->GetInteger();
    return 0;
}

void TWMATag::SetInteger(const std::string& Name, WMT_ATTR_DATATYPE Type, uint64_t Value) {
    for (const auto& f : Frames)
        if (SameName(f->Name, Name)) {
            f->SetInteger(Type, Value);
            return;
        }
    AddFrame(Name)->SetInteger(Type, Value);
}

// --- pictures: 17 bytes (MIME address, type, description address, data length,
// data address), the MIME type and description in UTF-16LE with their
// terminators, the data; addresses count from the start of the value.

int TWMATag::CoverArtCount() const {
    return int(std::count_if(Frames.begin(), Frames.end(), [](const auto& f) { return f->IsCoverArt(); }));
}

int64_t TWMATag::GetFrameIndexOfCoverArtIndex(int Index) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (Frames[i]->IsCoverArt() && Index-- == 0) return int64_t(i);
    return -1;
}

int64_t TWMATag::AddCoverArtFrame(const std::string& Picture, const std::string& MIMEType,
                                  const std::string& Description, uint8_t PictureType) {
    TWMATagFrame* f = AddFrame("WM/Picture");
    f->Format = WMT_TYPE_BINARY;
    const std::string mime = common::utf8ToUtf16le(MIMEType) + std::string(2, '\0');
    const std::string desc = common::utf8ToUtf16le(Description) + std::string(2, '\0');
    std::string& v = f->Stream;
    AppendLE32(v, 17);
    v += char(PictureType);
    AppendLE32(v, uint32_t(17 + mime.size()));
    AppendLE32(v, uint32_t(Picture.size()));
    AppendLE32(v, uint32_t(17 + mime.size() + desc.size()));
    v += mime + desc + Picture;
    return Count() - 1;
}

bool TWMATag::GetCoverArtFromFrame(int64_t Index, std::string& Picture, std::string& MIMEType, uint8_t& PictureType,
                                   std::string& Description) const {
    if (Index < 0 || Index >= Count() || Frames[size_t(Index)]->Format != WMT_TYPE_BINARY) return false;
    const std::string& v = Frames[size_t(Index)]->Stream;
    if (v.size() < 17) return false;
    PictureType = uint8_t(v[4]);
    const uint32_t length = ReadLE32(v.data() + 9);
    size_t pos = 17;
    MIMEType = TakeUtf16(v, pos);
    Description = TakeUtf16(v, pos);
    if (pos > v.size() || length > v.size() - pos) return false;
    Picture = v.substr(pos, length);
    return true;
}

void TWMATag::DeleteAllCoverArts() {
    std::erase_if(Frames, [](const auto& f) { return f->IsCoverArt(); });
}

int64_t TWMATag::CalculateTagSize() const {
    int64_t size = 0;
    for (const auto& f : Frames) size += int64_t(f->Stream.size() + 2 * f->Name.size() + 7);
    return size;
}

}  // namespace tags
