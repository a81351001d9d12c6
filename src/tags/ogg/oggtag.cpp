// TOpusTag: fields, pictures and the comment packet. Loading and saving live
// in oggload.cpp and oggsave.cpp.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/flac/flacpicture.h"
#include "tags/flac/vorbiscomment.h"
#include "tags/ogg/oggvorbisandopustaglibrary.h"

namespace tags {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64Encode(const std::string& in) {
    std::string out;
    out.reserve((in.size() + 2) / 3 * 4);
    for (size_t i = 0; i < in.size(); i += 3) {
        uint32_t v = static_cast<uint8_t>(in[i]) << 16;
        if (i + 1 < in.size()) v |= static_cast<uint8_t>(in[i + 1]) << 8;
        if (i + 2 < in.size()) v |= static_cast<uint8_t>(in[i + 2]);
        out += kAlphabet[v >> 18 & 63];
        out += kAlphabet[v >> 12 & 63];
        out += i + 1 < in.size() ? kAlphabet[v >> 6 & 63] : '=';
        out += i + 2 < in.size() ? kAlphabet[v & 63] : '=';
    }
    return out;
}

int Base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

// Characters outside the alphabet (line breaks, blanks) are skipped; "="
// ends the data.
std::string Base64Decode(const std::string& in) {
    std::string out;
    out.reserve(in.size() / 4 * 3);
    uint32_t acc = 0;
    int bits = 0;
    for (char c : in) {
        if (c == '=') break;
        int v = Base64Value(c);
        if (v < 0) continue;
        acc = (acc << 6) | static_cast<uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    return out;
}

std::string ValidUtf8(const std::string& s) {
    if (common::isValidUtf8(s)) return s;
    std::string out;
    for (size_t pos = 0; pos < s.size();) common::appendUtf8(out, common::decodeUtf8(s, pos));
    return out;
}

// "812 Byte", else the size in the largest unit below it with four
// significant digits and two decimals: "12.35 KB", "123.46 KB".
std::string SizeText(int64_t size) {
    if (size < 1024) return std::to_string(size) + " Byte";
    static const char* const kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB", "ZB", "YB"};
    double v = static_cast<double>(size) / 1024;
    size_t unit = 0;
    while (v >= 1024 && unit + 1 < std::size(kUnits)) v /= 1024, ++unit;
    double scale = std::pow(10.0, 3 - std::floor(std::log10(v)));
    v = std::round(v * scale) / scale;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.2f %s", v, kUnits[unit]);
    return buf;
}

// A bare image's MIME type from its first bytes; empty when unknown.
std::string MIMETypeOfImage(const std::string& b) {
    auto starts = [&](std::string_view magic) { return b.compare(0, magic.size(), magic) == 0; };
    if (starts("\xFF\xD8")) return "image/jpeg";
    if (starts("\x89PNG")) return "image/png";
    if (starts("GIF8")) return "image/gif";
    if (starts("BM")) return "image/bmp";
    return {};
}

}  // namespace

// --- one field ------------------------------------------------------------

std::string TOpusTagFrame::GetText() {
    switch (Format) {
    case otffText: AlreadyParsed = true; return ValidUtf8(Stream.Bytes());
    case otffCoverArt: return "COVER ART BINARY " + SizeText(Stream.GetSizeConst());
    case otffBinary: return "BINARY " + SizeText(Stream.GetSizeConst());
    default: return {};
    }
}

bool TOpusTagFrame::SetText(const std::string& Text) {
    Stream.Clear();
    Stream.Bytes() = Text;
    Format = otffText;
    return true;
}

bool TOpusTagFrame::GetList(std::vector<std::string>& List) {
    List.clear();
    if (Format != otffText) return false;
    AlreadyParsed = true;
    List = CommentListItems(Stream.Bytes());
    return !List.empty();
}

bool TOpusTagFrame::SetList(const std::vector<std::string>& List) {
    Stream.Clear();
    Stream.Bytes() = CommentListValue(List);
    Format = otffText;
    return true;
}

void TOpusTagFrame::Clear() {
    Format = otffUnknown;
    Stream.Clear();
}

bool TOpusTagFrame::Assign(const TOpusTagFrame* Source) {
    Clear();
    if (!Source) return true;
    Format = Source->Format;
    Stream.Bytes() = Source->Stream.Bytes();
    return true;
}

int64_t TOpusTagFrame::CalculateTotalFrameSize() const {
    return static_cast<int64_t>(Name.size()) + 1 + Stream.GetSizeConst();
}

int TOpusTagFrame::GetIndex() const {
    if (!Parent) return -1;
    for (size_t i = 0; i < Parent->Frames.size(); ++i)
        if (Parent->Frames[i].get() == this) return static_cast<int>(i);
    return -1;
}

// --- the tag ----------------------------------------------------------------

TOpusTag::TOpusTag() { Clear(); }

void TOpusTag::Clear() {
    Frames.clear();
    Frames.reserve(256);
    FileName.clear();
    VendorString.clear();
    Loaded = false;
    FFileSize = 0;
    Info = {};
    Format = ofUnknown;
    FirstOGGPage.Clear();
    VorbisData.Clear();
    FOpusExtra.clear();
}

TOpusTagFrame* TOpusTag::AddFrame(const std::string& Name) {
    Frames.push_back(std::make_unique<TOpusTagFrame>(this));
    Frames.back()->Name = Name;
    return Frames.back().get();
}

int TOpusTag::AddTextFrame(const std::string& Name, const std::string& Text) {
    AddFrame(Name)->SetText(Text);
    return Count() - 1;
}

bool TOpusTag::AddBinaryFrame(const std::string& Name, TStream& BinaryStream) {
    AddFrame(Name);
    return SetBinaryFrame(Count() - 1, BinaryStream);
}

bool TOpusTag::SetBinaryFrame(int FrameIndex, TStream& BinaryStream) {
    if (FrameIndex < 0 || FrameIndex >= Count()) return false;
    const int64_t pos = BinaryStream.Position();
    std::string bytes;
    bool read = BinaryStream.SetPosition(0) && BinaryStream.ReadBytes(bytes, BinaryStream.Size());
    BinaryStream.SetPosition(pos);
    if (!read) return false;
    TOpusTagFrame& f = *Frames[static_cast<size_t>(FrameIndex)];
    f.Stream.Clear();
    f.Stream.Bytes() = Base64Encode(bytes);
    f.Format = otffBinary;
    return true;
}

bool TOpusTag::ReadBinaryFrame(int FrameIndex, TStream& BinaryStream) {
    if (FrameIndex < 0 || FrameIndex >= Count()) return false;
    std::string bytes = Base64Decode(Frames[static_cast<size_t>(FrameIndex)]->Stream.Bytes());
    return BinaryStream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}

bool TOpusTag::ReadBinaryFrame(const std::string& Name, TStream& BinaryStream) {
    return ReadBinaryFrame(FrameExists(Name), BinaryStream);
}

bool TOpusTag::DeleteFrame(int FrameIndex) {
    if (FrameIndex < 0 || FrameIndex >= Count()) return false;
    Frames.erase(Frames.begin() + FrameIndex);
    return true;
}

bool TOpusTag::DeleteFrameByName(const std::string& Name) { return DeleteFrame(FrameExists(Name)); }

void TOpusTag::DeleteAllFrames() { Frames.clear(); }

void TOpusTag::DeleteAllCoverArts() {
    Frames.erase(std::remove_if(Frames.begin(), Frames.end(), [](const auto& f) { return f->IsCoverArt(); }),
                 Frames.end());
}

void TOpusTag::RemoveEmptyFrames() {
    Frames.erase(
        std::remove_if(Frames.begin(), Frames.end(), [](const auto& f) { return f->Stream.GetSizeConst() == 0; }),
        Frames.end());
}

int TOpusTag::CoverArtCount() const {
    return static_cast<int>(std::count_if(Frames.begin(), Frames.end(), [](const auto& f) { return f->IsCoverArt(); }));
}

int TOpusTag::GetFrameIndexOfCoverArtIndex(int CoverArtIndex) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (Frames[i]->IsCoverArt() && CoverArtIndex-- == 0) return static_cast<int>(i);
    return -1;
}

int TOpusTag::FrameExists(const std::string& Name) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (common::equalsNoCase(Frames[i]->Name, Name)) return static_cast<int>(i);
    return -1;
}

int TOpusTag::FrameTypeCount(const std::string& Name) const {
    return static_cast<int>(std::count_if(Frames.begin(), Frames.end(),
                                          [&](const auto& f) { return common::equalsNoCase(f->Name, Name); }));
}

std::string TOpusTag::GetText(const std::string& Name) {
    int i = FrameExists(Name);
    return i < 0 ? std::string() : Frames[static_cast<size_t>(i)]->GetText();
}

void TOpusTag::SetText(const std::string& Name, const std::string& Text) {
    int i = FrameExists(Name);
    if (i < 0) {
        if (!Text.empty()) AddTextFrame(Name, Text);
    } else if (Text.empty()) {
        DeleteFrame(i);
    } else {
        Frames[static_cast<size_t>(i)]->SetText(Text);
    }
}

bool TOpusTag::GetList(const std::string& Name, std::vector<std::string>& List) {
    int i = FrameExists(Name);
    return i >= 0 && Frames[static_cast<size_t>(i)]->GetList(List);
}

void TOpusTag::SetList(const std::string& Name, const std::vector<std::string>& List) {
    int i = FrameExists(Name);
    if (List.empty()) {
        if (i >= 0) DeleteFrame(i);
        return;
    }
    (i < 0 ? AddFrame(Name) : Frames[static_cast<size_t>(i)].get())->SetList(List);
}

// --- pictures ----------------------------------------------------------------

int TOpusTag::AddCoverArtFrame(TStream* PictureStream, const TOpusVorbisCoverArtInfo& CoverArtInfo) {
    AddFrame("METADATA_BLOCK_PICTURE");
    if (SetCoverArtFrame(Count() - 1, PictureStream, CoverArtInfo)) return Count() - 1;
    DeleteFrame(Count() - 1);
    return -1;
}

bool TOpusTag::SetCoverArtFrame(int Index, TStream* PictureStream, const TOpusVorbisCoverArtInfo& CoverArtInfo) {
    if (Index < 0 || Index >= Count()) return false;
    std::string picture;
    if (PictureStream) {
        const int64_t pos = PictureStream->Position();
        bool read = PictureStream->SetPosition(0) && PictureStream->ReadBytes(picture, PictureStream->Size());
        PictureStream->SetPosition(pos);
        if (!read) return false;
    }
    TOpusVorbisCoverArtInfo info = CoverArtInfo;
    info.MIMEType = common::asciiLower(CoverArtInfo.MIMEType);
    std::string block = BuildPictureBlock(info, picture);
    // Without a picture the structure ends after the number of colours.
    if (!PictureStream) block.resize(block.size() - 4);
    TOpusTagFrame& f = *Frames[static_cast<size_t>(Index)];
    f.Stream.Clear();
    f.Stream.Bytes() = Base64Encode(block);
    f.Format = otffCoverArt;
    return true;
}

bool TOpusTag::GetCoverArtFromFrame(int Index, TStream& PictureStream, TOpusVorbisCoverArtInfo& CoverArtInfo) {
    CoverArtInfo = {};
    if (Index < 0 || Index >= Count()) return false;
    const TOpusTagFrame& f = *Frames[static_cast<size_t>(Index)];
    if (!f.IsCoverArt()) return false;
    const std::string bytes = Base64Decode(f.Stream.Bytes());
    size_t offset = 0;
    std::string picture;
    if (ParsePictureBlock(bytes, CoverArtInfo, &offset)) {
        picture = bytes.substr(offset, CoverArtInfo.SizeOfPictureData);
    } else if (f.Name == "COVERART" && !bytes.empty()) {
        CoverArtInfo.PictureType = 3;
        CoverArtInfo.MIMEType = GetText("COVERARTMIME");
        if (CoverArtInfo.MIMEType.empty()) CoverArtInfo.MIMEType = MIMETypeOfImage(bytes);
        picture = bytes;
    } else {
        return false;
    }
    CoverArtInfo.SizeOfPictureData = static_cast<uint32_t>(picture.size());
    bool ok = PictureStream.WriteBuffer(picture.data(), static_cast<int64_t>(picture.size()));
    PictureStream.SetPosition(0);
    return ok;
}

bool TOpusTag::GetCoverArtInfo(int Index, TOpusVorbisCoverArtInfo& CoverArtInfo) {
    TMemoryStream ignored;
    return GetCoverArtFromFrame(Index, ignored, CoverArtInfo);
}

// --- sizes and the packet ------------------------------------------------------

int64_t TOpusTag::CalculateTotalFramesSize() const {
    int64_t n = 0;
    for (const auto& f : Frames) n += f->CalculateTotalFrameSize() + 4;
    return n;
}

int64_t TOpusTag::CalculateTagSize() const {
    return static_cast<int64_t>(BuildPacket(Format, VendorString, FOpusExtra, 0).size());
}

std::string TOpusTag::BuildTag(int64_t PaddingSize) const {
    return BuildPacket(Format, VendorString, FOpusExtra, PaddingSize);
}

std::string TOpusTag::BuildPacket(TOggFormat PacketFormat, const std::string& Vendor, const std::string& Extra,
                                  int64_t PaddingSize) const {
    std::string p;
    switch (PacketFormat) {
    case ofOpus: p = "OpusTags"; break;
    case ofVorbis: p = "\x03vorbis"; break;
    case ofTheora: p = "\x81theora"; break;
    default: break;
    }
    AppendLE32(p, static_cast<uint32_t>(Vendor.size()));
    p += Vendor;
    AppendLE32(p, static_cast<uint32_t>(Frames.size()));
    for (const auto& f : Frames) {
        std::string name = UpperCaseFieldNamesToWrite ? common::asciiUpper(f->Name) : f->Name;
        AppendLE32(p, static_cast<uint32_t>(name.size() + 1 + f->Stream.Bytes().size()));
        p += name + "=" + f->Stream.Bytes();
    }
    if (PacketFormat == ofVorbis) p += '\x01';  // the framing bit
    if (PacketFormat == ofOpus) p += Extra;
    return p + std::string(static_cast<size_t>(std::max<int64_t>(PaddingSize, 0)), '\0');
}

void TOpusTag::Assign(const TOpusTag& Source) {
    if (&Source == this) return;
    Clear();
    FileName = Source.FileName;
    Format = Source.Format;
    Loaded = Source.Loaded;
    VendorString = Source.VendorString;
    Info = Source.Info;
    FFileSize = Source.FFileSize;
    FirstOGGPage.Bytes() = Source.FirstOGGPage.Bytes();
    VorbisData.Bytes() = Source.VorbisData.Bytes();
    FOpusExtra = Source.FOpusExtra;
    for (const auto& f : Source.Frames) AddFrame(f->Name)->Assign(f.get());
}

void TOpusTag::ReSetAlreadyParsedState() {
    for (auto& f : Frames) f->AlreadyParsed = false;
}

}  // namespace tags
