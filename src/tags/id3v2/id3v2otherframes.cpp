// Accessors for pictures, counters, identifiers, objects and private frames.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "common/text.h"
#include "tags/id3v2/id3v2bytes.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/id3v2/id3v2text.h"

namespace tags {

using namespace id3v2;

namespace {

uint32_t FoldBE(std::string_view bytes) {
    uint32_t v = 0;
    for (char c : bytes) v = (v << 8) | static_cast<uint8_t>(c);
    return v;
}

const std::string kTwoZeros(2, '\0');

// 80-bit extended precision, little-endian, as the x87 keeps it in memory.
std::string ToExtended(double v) {
    std::string out(10, '\0');
    if (v == 0 || !std::isfinite(v)) return out;
    int e = 0;
    double m = std::frexp(std::fabs(v), &e);  // 0.5 <= m < 1
    auto mantissa = static_cast<uint64_t>(std::ldexp(m, 64));
    uint16_t exponent = static_cast<uint16_t>((e - 1 + 16383) | (v < 0 ? 0x8000 : 0));
    for (int i = 0; i < 8; ++i) out[size_t(i)] = char(mantissa >> (8 * i));
    out[8] = char(exponent);
    out[9] = char(exponent >> 8);
    return out;
}

double FromExtended(const uint8_t* p) {
    uint64_t mantissa = 0;
    for (int i = 7; i >= 0; --i) mantissa = (mantissa << 8) | p[i];
    int exponent = ((p[9] & 0x7F) << 8) | p[8];
    if (mantissa == 0 && exponent == 0) return 0;
    double v = std::ldexp(double(mantissa), exponent - 16383 - 63);
    return p[9] & 0x80 ? -v : v;
}

}  // namespace

// --- pictures -----------------------------------------------------------------

bool TID3v2Frames::GetCoverPictureInfo(int64_t FrameIndex, std::string& MIMEType, std::string& Description,
                                       uint8_t& CoverType, std::string* Bytes) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    r.ReadStringAs(0, MIMEType);
    CoverType = 0;
    r.ReadByte(CoverType);
    r.ReadString(Description);
    if (Bytes) *Bytes = r.Rest();
    return true;
}

bool TID3v2Frames::GetCoverPictureInfo(std::string_view FrameID, std::string& MIMEType, std::string& Description,
                                       uint8_t& CoverType, std::string* Bytes) const {
    return GetCoverPictureInfo(FrameExists(FrameID), MIMEType, Description, CoverType, Bytes);
}

bool TID3v2Frames::GetCoverPictureStream(int64_t FrameIndex, TStream& PictureStream, std::string& MIMEType,
                                         std::string& Description, uint8_t& CoverType) const {
    std::string bytes;
    if (!GetCoverPictureInfo(FrameIndex, MIMEType, Description, CoverType, &bytes)) return false;
    PictureStream.SetSize(0);
    PictureStream.SetPosition(0);
    bool ok = PictureStream.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    PictureStream.SetPosition(0);
    return ok;
}

bool TID3v2Frames::GetCoverPictureStream(std::string_view FrameID, TStream& PictureStream, std::string& MIMEType,
                                         std::string& Description, uint8_t& CoverType) const {
    return GetCoverPictureStream(FrameExists(FrameID), PictureStream, MIMEType, Description, CoverType);
}

bool TID3v2Frames::GetCoverPictureInfoPointer(int64_t FrameIndex, const uint8_t*& Data, uint64_t& DataSize,
                                              std::string_view& MIMEType, std::string_view& Description, int& Encoding,
                                              uint8_t& CoverType) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    const std::string_view d = f->Data();
    TextReader r(d);
    r.ReadEncoding();
    Encoding = r.Encoding();
    size_t mimeStart = r.Pos();
    std::string scratch;
    bool mimeEnded = r.ReadStringAs(0, scratch);
    MIMEType = d.substr(mimeStart, r.Pos() - mimeStart - (mimeEnded ? 1 : 0));
    CoverType = 0;
    r.ReadByte(CoverType);
    size_t descStart = r.Pos();
    bool descEnded = r.ReadString(scratch);
    size_t terminator = descEnded ? (Encoding == 1 || Encoding == 2 ? 2 : 1) : 0;
    Description = d.substr(descStart, r.Pos() - descStart - terminator);
    Data = Bytes(d) + r.Pos();
    DataSize = d.size() - r.Pos();
    return true;
}

bool TID3v2Frames::SetCoverPictureFromStream(int64_t FrameIndex, std::string_view Description, TStream& PictureStream,
                                             std::string_view MIMEType, uint8_t CoverType) {
    std::string picture;
    if (!Frame(FrameIndex) || !PictureStream.SetPosition(0) || !PictureStream.ReadBytes(picture, PictureStream.Size()))
        return false;
    TID3v2Frame* f = Writable(FrameIndex);
    const TID3v2TextEncoding e = Root ? Root->APICTextEncodingToWrite : teUnicode;
    f->Data() = char(EncodingByte(e)) + common::utf8ToLegacy(MIMEType) + '\0' + char(CoverType) +
                EncodeText(Description, e, true) + Terminator(e) + picture;
    return true;
}

bool TID3v2Frames::SetCoverPictureFromStream(std::string_view FrameID, std::string_view Description,
                                             TStream& PictureStream, std::string_view MIMEType, uint8_t CoverType) {
    return SetCoverPictureFromStream(IndexFor(FrameID, true), Description, PictureStream, MIMEType, CoverType);
}

bool TID3v2Frames::SetCoverPictureFromFile(int64_t FrameIndex, std::string_view Description,
                                           const std::string& PictureFileName, std::string_view MIMEType,
                                           uint8_t CoverType) {
    auto file = TFileStream::Open(PictureFileName, TFileMode::fmOpenRead);
    return file && SetCoverPictureFromStream(FrameIndex, Description, *file, MIMEType, CoverType);
}

bool TID3v2Frames::SetCoverPictureFromFile(std::string_view FrameID, std::string_view Description,
                                           const std::string& PictureFileName, std::string_view MIMEType,
                                           uint8_t CoverType) {
    auto file = TFileStream::Open(PictureFileName, TFileMode::fmOpenRead);
    return file && SetCoverPictureFromStream(FrameID, Description, *file, MIMEType, CoverType);
}

int64_t TID3v2Frames::GetFrameIndexOfCoverArtIndex(int64_t CoverArtIndex) const {
    const TFrameID apic = FrameIDFromString("APIC");
    int64_t n = 0;
    for (int64_t i = 0; i < FrameCount(); ++i)
        if (Frames[size_t(i)]->ID == apic && n++ == CoverArtIndex) return i;
    return -1;
}

// --- counters and ratings -----------------------------------------------------

uint32_t TID3v2Frames::GetPlayCount(int64_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    return f ? FoldBE(f->Data()) : 0;
}

uint32_t TID3v2Frames::GetPlayCount(std::string_view FrameID) const { return GetPlayCount(FrameExists(FrameID)); }

bool TID3v2Frames::SetPlayCount(int64_t FrameIndex, uint32_t PlayCount) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    AppendBE32(f->Data(), PlayCount);
    return true;
}

bool TID3v2Frames::SetPlayCount(std::string_view FrameID, uint32_t PlayCount) {
    return SetPlayCount(IndexFor(FrameID, true), PlayCount);
}

bool TID3v2Frames::GetPopularimeter(int64_t FrameIndex, std::string& Email, uint8_t& Rating,
                                    uint32_t& PlayCounter) const {
    Email.clear();
    Rating = 0;
    PlayCounter = 0;
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadStringAs(0, Email);
    r.ReadByte(Rating);
    PlayCounter = FoldBE(r.Rest());
    return true;
}

int64_t TID3v2Frames::FindPopularimeter(std::string_view Email, uint8_t& Rating, uint32_t& PlayCounter) const {
    const TFrameID popm = FrameIDFromString("POPM");
    for (int64_t i = 0; i < FrameCount(); ++i) {
        std::string email;
        uint8_t rating;
        uint32_t counter;
        if (Frames[size_t(i)]->ID == popm && GetPopularimeter(i, email, rating, counter) && email == Email) {
            Rating = rating;
            PlayCounter = counter;
            return i;
        }
    }
    return -1;
}

bool TID3v2Frames::SetPopularimeter(int64_t FrameIndex, std::string_view Email, uint8_t Rating, uint32_t PlayCounter) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string& d = f->Data();
    d = LowBytes(Email) + '\0' + char(Rating);
    if (PlayCounter != 0) AppendBE32(d, PlayCounter);
    return true;
}

bool TID3v2Frames::SetPopularimeterByEmail(std::string_view Email, uint8_t Rating, uint32_t PlayCounter) {
    uint8_t r;
    uint32_t c;
    int64_t i = FindPopularimeter(Email, r, c);
    if (i < 0) i = AddFrame("POPM");
    return SetPopularimeter(i, Email, Rating, PlayCounter);
}

// --- unique file identifiers --------------------------------------------------

std::string TID3v2Frames::GetUFIDBytes(int64_t FrameIndex, std::string& OwnerIdentifier) const {
    OwnerIdentifier.clear();
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return {};
    TextReader r(f->Data());
    r.ReadStringAs(0, OwnerIdentifier);
    return r.Rest();
}

std::string TID3v2Frames::GetUFID(int64_t FrameIndex, std::string& OwnerIdentifier) const {
    return common::latin1ToUtf8(GetUFIDBytes(FrameIndex, OwnerIdentifier));
}

std::string TID3v2Frames::GetUFID(std::string_view FrameID, std::string& OwnerIdentifier) const {
    return GetUFID(FrameExists(FrameID), OwnerIdentifier);
}

int64_t TID3v2Frames::FindUFIDByOwnerIdentifier(std::string_view OwnerIdentifier, std::string& Identifier) const {
    const TFrameID ufid = FrameIDFromString("UFID");
    const std::string wanted = UpperNoCase(OwnerIdentifier);
    for (int64_t i = 0; i < FrameCount(); ++i) {
        if (Frames[size_t(i)]->ID != ufid) continue;
        std::string owner;
        std::string id = GetUFID(i, owner);
        if (UpperNoCase(owner) == wanted) {
            Identifier = id;
            return i;
        }
    }
    return -1;
}

bool TID3v2Frames::SetUFID(int64_t FrameIndex, std::string_view OwnerIdentifier, std::string_view Identifier) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = LowBytes(OwnerIdentifier) + '\0' + LowBytes(Identifier);
    return true;
}

bool TID3v2Frames::SetUFID(std::string_view FrameID, std::string_view OwnerIdentifier, std::string_view Identifier) {
    return SetUFID(IndexFor(FrameID, true), OwnerIdentifier, Identifier);
}

bool TID3v2Frames::SetUFIDByOwnerIdentifier(std::string_view OwnerIdentifier, std::string_view Identifier) {
    std::string old;
    int64_t i = FindUFIDByOwnerIdentifier(OwnerIdentifier, old);
    if (i < 0) i = AddFrame("UFID");
    return SetUFID(i, OwnerIdentifier, Identifier);
}

// --- objects ------------------------------------------------------------------

bool TID3v2Frames::GetGEOB(int64_t FrameIndex, std::string& MIMEType, std::string& EncapsulatedObjectFilename,
                           std::string& ContentDescription, std::string& EncapsulatedObject) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    r.ReadStringAs(0, MIMEType);
    r.ReadString(EncapsulatedObjectFilename);
    r.ReadString(ContentDescription);
    EncapsulatedObject = r.Rest();
    return true;
}

bool TID3v2Frames::GetGEOB(std::string_view FrameID, std::string& MIMEType, std::string& EncapsulatedObjectFilename,
                           std::string& ContentDescription, std::string& EncapsulatedObject) const {
    return GetGEOB(FrameExists(FrameID), MIMEType, EncapsulatedObjectFilename, ContentDescription, EncapsulatedObject);
}

bool TID3v2Frames::SetGEOB(int64_t FrameIndex, std::string_view MIMEType, std::string_view EncapsulatedObjectFilename,
                           std::string_view ContentDescription, std::string_view EncapsulatedObject) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = '\x01' + common::utf8ToLegacy(MIMEType) + '\0' + common::utf8ToUtf16le(EncapsulatedObjectFilename) +
                kTwoZeros + common::utf8ToUtf16le(ContentDescription) + kTwoZeros + std::string(EncapsulatedObject);
    return true;
}

bool TID3v2Frames::SetGEOB(std::string_view FrameID, std::string_view MIMEType,
                           std::string_view EncapsulatedObjectFilename, std::string_view ContentDescription,
                           std::string_view EncapsulatedObject) {
    return SetGEOB(IndexFor(FrameID, true), MIMEType, EncapsulatedObjectFilename, ContentDescription,
                   EncapsulatedObject);
}

bool TID3v2Frames::GetOWNE(int64_t FrameIndex, std::string& PricePaid, std::string& DateOfPurchase,
                           std::string& Seller) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    r.ReadStringAs(0, PricePaid);
    std::string date;
    r.ReadRaw(8, date);
    DateOfPurchase = common::latin1ToUtf8(date);
    r.ReadString(Seller);
    return true;
}

bool TID3v2Frames::GetOWNE(std::string_view FrameID, std::string& PricePaid, std::string& DateOfPurchase,
                           std::string& Seller) const {
    return GetOWNE(FrameExists(FrameID), PricePaid, DateOfPurchase, Seller);
}

bool TID3v2Frames::SetOWNE(int64_t FrameIndex, std::string_view PricePaid, std::string_view DateOfPurchase,
                           std::string_view Seller) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string date = common::utf8ToLegacy(DateOfPurchase).substr(0, 8);
    date.resize(8, '0');
    f->Data() = '\x01' + common::utf8ToLegacy(PricePaid) + '\0' + date + common::utf8ToUtf16le(Seller);
    return true;
}

bool TID3v2Frames::SetOWNE(std::string_view FrameID, std::string_view PricePaid, std::string_view DateOfPurchase,
                           std::string_view Seller) {
    return SetOWNE(IndexFor(FrameID, true), PricePaid, DateOfPurchase, Seller);
}

bool TID3v2Frames::GetOWNE(int64_t FrameIndex, std::string& PricePaid, TID3v2DateTime& DateOfPurchase,
                           std::string& Seller) const {
    std::string date;
    if (!GetOWNE(FrameIndex, PricePaid, date, Seller)) return false;
    TID3v2DateTime d;
    if (date.size() != 8 || std::sscanf(date.c_str(), "%4d%2d%2d", &d.Year, &d.Month, &d.Day) != 3) return false;
    DateOfPurchase = d;
    return true;
}

bool TID3v2Frames::GetOWNE(std::string_view FrameID, std::string& PricePaid, TID3v2DateTime& DateOfPurchase,
                           std::string& Seller) const {
    return GetOWNE(FrameExists(FrameID), PricePaid, DateOfPurchase, Seller);
}

bool TID3v2Frames::SetOWNE(int64_t FrameIndex, std::string_view PricePaid, const TID3v2DateTime& DateOfPurchase,
                           std::string_view Seller) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d%02d%02d", DateOfPurchase.Year % 10000, DateOfPurchase.Month % 100,
                  DateOfPurchase.Day % 100);
    return SetOWNE(FrameIndex, PricePaid, std::string_view(date), Seller);
}

bool TID3v2Frames::SetOWNE(std::string_view FrameID, std::string_view PricePaid, const TID3v2DateTime& DateOfPurchase,
                           std::string_view Seller) {
    return SetOWNE(IndexFor(FrameID, true), PricePaid, DateOfPurchase, Seller);
}

bool TID3v2Frames::GetUSER(int64_t FrameIndex, std::string& LanguageID, std::string& TermsOfUse) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadEncoding();
    std::string language;
    r.ReadRaw(3, language);
    LanguageID = common::latin1ToUtf8(language);
    r.ReadString(TermsOfUse);
    return true;
}

bool TID3v2Frames::GetUSER(std::string_view FrameID, std::string& LanguageID, std::string& TermsOfUse) const {
    return GetUSER(FrameExists(FrameID), LanguageID, TermsOfUse);
}

bool TID3v2Frames::SetUSER(int64_t FrameIndex, std::string_view LanguageID, std::string_view TermsOfUse) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = '\x01' + LanguageBytes(LanguageID) + common::utf8ToUtf16le(TermsOfUse);
    return true;
}

bool TID3v2Frames::SetUSER(std::string_view FrameID, std::string_view LanguageID, std::string_view TermsOfUse) {
    return SetUSER(IndexFor(FrameID, true), LanguageID, TermsOfUse);
}

bool TID3v2Frames::GetAENC(int64_t FrameIndex, std::string& OwnerIdentifier, uint16_t& PreviewStart,
                           uint16_t& PreviewLength, std::string& EncryptionInfo) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return false;
    TextReader r(f->Data());
    r.ReadStringAs(0, OwnerIdentifier);
    std::string numbers;
    r.ReadRaw(4, numbers);
    numbers.resize(4, '\0');
    PreviewStart = ReadBE16(Bytes(numbers));
    PreviewLength = ReadBE16(Bytes(numbers) + 2);
    EncryptionInfo = r.Rest();
    return true;
}

bool TID3v2Frames::GetAENC(std::string_view FrameID, std::string& OwnerIdentifier, uint16_t& PreviewStart,
                           uint16_t& PreviewLength, std::string& EncryptionInfo) const {
    return GetAENC(FrameExists(FrameID), OwnerIdentifier, PreviewStart, PreviewLength, EncryptionInfo);
}

bool TID3v2Frames::SetAENC(int64_t FrameIndex, std::string_view OwnerIdentifier, uint16_t PreviewStart,
                           uint16_t PreviewLength, std::string_view EncryptionInfo) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string& d = f->Data();
    d = common::utf8ToLegacy(OwnerIdentifier) + '\0';
    AppendBE16(d, PreviewStart);
    AppendBE16(d, PreviewLength);
    d += EncryptionInfo;
    return true;
}

bool TID3v2Frames::SetAENC(std::string_view FrameID, std::string_view OwnerIdentifier, uint16_t PreviewStart,
                           uint16_t PreviewLength, std::string_view EncryptionInfo) {
    return SetAENC(IndexFor(FrameID, true), OwnerIdentifier, PreviewStart, PreviewLength, EncryptionInfo);
}

// --- iXML and XMP blocks --------------------------------------------------------

std::string TID3v2Frames::GetiXML(int64_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || !f->IsiXML()) return {};
    TextReader r(f->Data());
    r.Skip(5);
    std::string xml;
    r.ReadStringAs(3, xml);
    return xml;
}

std::string TID3v2Frames::GetiXML(std::string_view FrameID) const { return GetiXML(FrameExists(FrameID)); }

bool TID3v2Frames::SetiXML(int64_t FrameIndex, std::string_view XMLText) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = std::string("iXML", 4) + '\0' + std::string(XMLText) + '\0';
    return true;
}

bool TID3v2Frames::SetiXML(std::string_view FrameID, std::string_view XMLText) {
    return SetiXML(IndexFor(FrameID, false), XMLText);
}

std::string TID3v2Frames::GetXMP(int64_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || !f->IsXMP()) return {};
    TextReader r(f->Data());
    r.Skip(4);
    std::string xmp;
    r.ReadStringAs(0, xmp);
    return xmp;
}

std::string TID3v2Frames::GetXMP(std::string_view FrameID) const { return GetXMP(FrameExists(FrameID)); }

bool TID3v2Frames::SetXMP(int64_t FrameIndex, std::string_view XMPText) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = std::string("XMP", 3) + '\0' + common::utf8ToLegacy(XMPText) + kTwoZeros;
    return true;
}

bool TID3v2Frames::SetXMP(std::string_view FrameID, std::string_view XMPText) {
    return SetXMP(IndexFor(FrameID, false), XMPText);
}

// --- raw bytes, dates, lengths --------------------------------------------------

std::string TID3v2Frames::GetBytes(int64_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    return f ? f->Data() : std::string();
}

std::string TID3v2Frames::GetBytes(std::string_view FrameID) const { return GetBytes(FrameExists(FrameID)); }

bool TID3v2Frames::GetTime(int64_t FrameIndex, TID3v2DateTime& DateTime) const {
    std::string text = GetText(FrameIndex);
    TID3v2DateTime t;
    int n = std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &t.Year, &t.Month, &t.Day, &t.Hour, &t.Minute, &t.Second);
    if (n < 1) return false;
    DateTime = t;
    return true;
}

bool TID3v2Frames::GetTime(std::string_view FrameID, TID3v2DateTime& DateTime) const {
    return GetTime(FrameExists(FrameID), DateTime);
}

bool TID3v2Frames::SetTime(int64_t FrameIndex, const TID3v2DateTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02dT%02d:%02d:%02d", t.Year, t.Month, t.Day, t.Hour, t.Minute, t.Second);
    return SetText(FrameIndex, text, teANSI);
}

bool TID3v2Frames::SetTime(std::string_view FrameID, const TID3v2DateTime& DateTime) {
    return SetTime(IndexFor(FrameID, true), DateTime);
}

bool TID3v2Frames::SetTLEN(int64_t FrameIndex, uint64_t TLEN) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    f->Data() = '\0' + std::to_string(TLEN);
    return true;
}

bool TID3v2Frames::SetTLEN(std::string_view FrameID, uint64_t TLEN) { return SetTLEN(IndexFor(FrameID, true), TLEN); }

// --- private frames -------------------------------------------------------------

bool TID3v2Frames::GetAlbumColors(int64_t FrameIndex, uint32_t& TitleColor, uint32_t& TextColor) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().size() < 8) return false;
    TitleColor = ReadLE32(Bytes(f->Data()));
    TextColor = ReadLE32(Bytes(f->Data()) + 4);
    return true;
}

bool TID3v2Frames::GetAlbumColors(std::string_view FrameID, uint32_t& TitleColor, uint32_t& TextColor) const {
    return GetAlbumColors(FrameExists(FrameID), TitleColor, TextColor);
}

bool TID3v2Frames::SetAlbumColors(int64_t FrameIndex, uint32_t TitleColor, uint32_t TextColor) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    AppendLE32(f->Data(), TitleColor);
    AppendLE32(f->Data(), TextColor);
    return true;
}

bool TID3v2Frames::SetAlbumColors(std::string_view FrameID, uint32_t TitleColor, uint32_t TextColor) {
    return SetAlbumColors(IndexFor(FrameID, true), TitleColor, TextColor);
}

double TID3v2Frames::GetSEBR(int64_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    return f && f->Data().size() >= 10 ? FromExtended(Bytes(f->Data())) : 0;
}

double TID3v2Frames::GetSEBR(std::string_view FrameID) const { return GetSEBR(FrameExists(FrameID)); }

std::string TID3v2Frames::GetSEBRString(int64_t FrameIndex) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().size() < 10) return {};
    TextReader r(f->Data());
    r.Skip(10);
    std::string text;
    r.ReadStringAs(0, text);
    return text;
}

std::string TID3v2Frames::GetSEBRString(std::string_view FrameID) const { return GetSEBRString(FrameExists(FrameID)); }

bool TID3v2Frames::SetSEBR(int64_t FrameIndex, std::string_view BitRateStr) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string number(BitRateStr.starts_with('~') ? BitRateStr.substr(1) : BitRateStr);
    f->Data() = ToExtended(std::strtod(number.c_str(), nullptr)) + LowBytes(BitRateStr) + '\0';
    return true;
}

bool TID3v2Frames::SetSEBR(std::string_view FrameID, std::string_view BitRateStr) {
    return SetSEBR(IndexFor(FrameID, true), BitRateStr);
}

bool TID3v2Frames::SetSEBR(int64_t FrameIndex, double BitRateValue) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", BitRateValue);
    if (!SetSEBR(FrameIndex, std::string_view(text))) return false;
    // Keep the exact value rather than the one parsed back from the text.
    Frame(FrameIndex)->Data().replace(0, 10, ToExtended(BitRateValue));
    return true;
}

bool TID3v2Frames::SetSEBR(std::string_view FrameID, double BitRateValue) {
    return SetSEBR(IndexFor(FrameID, true), BitRateValue);
}

int64_t TID3v2Frames::GetSEFC(int64_t FrameIndex) const {
    return std::strtoll(GetText(FrameIndex).c_str(), nullptr, 10);
}

int64_t TID3v2Frames::GetSEFC(std::string_view FrameID) const { return GetSEFC(FrameExists(FrameID)); }

bool TID3v2Frames::SetSEFC(int64_t FrameIndex, int64_t SEFC) {
    return SetText(FrameIndex, std::to_string(SEFC), teANSI);
}

bool TID3v2Frames::SetSEFC(std::string_view FrameID, int64_t SEFC) { return SetSEFC(IndexFor(FrameID, true), SEFC); }

std::string TID3v2Frames::GetSampleCache(int64_t FrameIndex, bool ForceDecompression, uint8_t& Version,
                                         uint32_t& Channels) const {
    const TID3v2Frame* f = Frame(FrameIndex);
    if (!f || f->Data().empty()) return {};
    // Works on a copy: reading never changes the frame.
    std::string d = f->Unsynchronised ? RemoveUnsync(f->Data()) : f->Data();
    if (f->Compressed || ForceDecompression) {
        std::string plain;
        if (Inflate(d, plain, kMaxFrameData)) d = std::move(plain);
        else if (f->Compressed) return {};
    }
    if (d.size() < 13 || d.compare(0, 4, "\x55\x55\x55\x55") != 0) return {};
    Version = static_cast<uint8_t>(d[4]);
    Channels = ReadLE32(Bytes(d) + 9);
    return d.substr(13);
}

std::string TID3v2Frames::GetSampleCache(std::string_view FrameID, bool ForceDecompression, uint8_t& Version,
                                         uint32_t& Channels) const {
    return GetSampleCache(FrameExists(FrameID), ForceDecompression, Version, Channels);
}

bool TID3v2Frames::SetSampleCache(int64_t FrameIndex, std::string_view SESC, uint32_t Channels) {
    TID3v2Frame* f = Writable(FrameIndex);
    if (!f) return false;
    std::string& d = f->Data();
    d = "\x55\x55\x55\x55\x02";
    AppendLE32(d, 4);
    AppendLE32(d, Channels);
    d += SESC;
    return f->Compress();
}

bool TID3v2Frames::SetSampleCache(std::string_view FrameID, std::string_view SESC, uint32_t Channels) {
    return SetSampleCache(IndexFor(FrameID, true), SESC, Channels);
}

}  // namespace tags
