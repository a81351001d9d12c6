#include "tags/id3v2/id3v2bytes.h"
#include "tags/id3v2/id3v2library.h"

namespace tags {

using namespace id3v2;

TFrameID FrameIDFromString(std::string_view id) {
    TFrameID out{};
    for (size_t i = 0; i < 4 && i < id.size(); ++i) out[i] = static_cast<uint8_t>(id[i]);
    return out;
}

std::string FrameIDToString(const TFrameID& id) {
    std::string out;
    for (uint8_t c : id) {
        if (c == 0) break;
        out.push_back(static_cast<char>(c));
    }
    return out;
}

bool ValidFrameID(const TFrameID& id, int length) {
    for (int i = 0; i < length; ++i) {
        uint8_t c = id[static_cast<size_t>(i)];
        if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

TID3v2Frame::TID3v2Frame(TID3v2Frames* _Parent) : Parent(_Parent) {}
TID3v2Frame::~TID3v2Frame() = default;

int64_t TID3v2Frame::Index() const {
    if (!Parent) return -1;
    for (size_t i = 0; i < Parent->Frames.size(); ++i)
        if (Parent->Frames[i].get() == this) return static_cast<int64_t>(i);
    return -1;
}

void TID3v2Frame::DecodeFlags3() {
    TagAlterPreservation = Flags & 0x8000;
    FileAlterPreservation = Flags & 0x4000;
    ReadOnly = Flags & 0x2000;
    Compressed = Flags & 0x0080;
    Encrypted = Flags & 0x0040;
    GroupingIdentity = Flags & 0x0020;
}

void TID3v2Frame::EncodeFlags3() {
    Flags =
        uint16_t((TagAlterPreservation ? 0x8000 : 0) | (FileAlterPreservation ? 0x4000 : 0) | (ReadOnly ? 0x2000 : 0) |
                 (Compressed ? 0x0080 : 0) | (Encrypted ? 0x0040 : 0) | (GroupingIdentity ? 0x0020 : 0));
}

void TID3v2Frame::DecodeFlags4() {
    TagAlterPreservation = Flags & 0x4000;
    FileAlterPreservation = Flags & 0x2000;
    ReadOnly = Flags & 0x1000;
    GroupingIdentity = Flags & 0x0040;
    Compressed = Flags & 0x0008;
    Encrypted = Flags & 0x0004;
    Unsynchronised = Flags & 0x0002;
    DataLengthIndicator = Flags & 0x0001;
}

void TID3v2Frame::EncodeFlags4() {
    Flags = uint16_t((TagAlterPreservation ? 0x4000 : 0) | (FileAlterPreservation ? 0x2000 : 0) |
                     (ReadOnly ? 0x1000 : 0) | (GroupingIdentity ? 0x0040 : 0) | (Compressed ? 0x0008 : 0) |
                     (Encrypted ? 0x0004 : 0) | (Unsynchronised ? 0x0002 : 0) | (DataLengthIndicator ? 0x0001 : 0));
}

bool TID3v2Frame::Compress() {
    std::string packed;
    if (Data().empty() || !Deflate(Data(), packed)) return false;
    DataLengthIndicatorValue = static_cast<uint32_t>(Data().size());
    Data() = std::move(packed);
    Stream.Seek(0, TSeekOrigin::soBeginning);
    Compressed = DataLengthIndicator = true;
    return true;
}

bool TID3v2Frame::DeCompress() {
    std::string plain;
    if (Data().size() <= 4 || !Inflate(Data(), plain, kMaxFrameData)) return false;
    Data() = std::move(plain);
    Stream.Seek(0, TSeekOrigin::soBeginning);
    Compressed = DataLengthIndicator = false;
    return true;
}

bool TID3v2Frame::RemoveUnsynchronisation() {
    FWasUnsynchronised = Unsynchronised;
    Data() = RemoveUnsync(Data());
    Stream.Seek(0, TSeekOrigin::soBeginning);
    Unsynchronised = false;
    return true;
}

bool TID3v2Frame::ApplyUnsynchronisation() {
    Data() = ApplyUnsync(Data());
    Stream.Seek(0, TSeekOrigin::soBeginning);
    Unsynchronised = true;
    return true;
}

bool TID3v2Frame::Assign(const TID3v2Frame* src) {
    Clear();
    if (!src) return true;
    ID = src->ID;
    Size = src->Size;
    Flags = src->Flags;
    TagAlterPreservation = src->TagAlterPreservation;
    FileAlterPreservation = src->FileAlterPreservation;
    ReadOnly = src->ReadOnly;
    Compressed = src->Compressed;
    Encrypted = src->Encrypted;
    GroupingIdentity = src->GroupingIdentity;
    Unsynchronised = src->Unsynchronised;
    DataLengthIndicator = src->DataLengthIndicator;
    FWasUnsynchronised = src->FWasUnsynchronised;
    FDataSkipped = src->FDataSkipped;
    GroupIdentifier = src->GroupIdentifier;
    EncryptionMethod = src->EncryptionMethod;
    DataLengthIndicatorValue = src->DataLengthIndicatorValue;
    AlreadyParsed = src->AlreadyParsed;
    Data() = src->Data();
    auto* mine = dynamic_cast<TID3v2FrameWithSubFrames*>(this);
    auto* theirs = dynamic_cast<const TID3v2FrameWithSubFrames*>(src);
    if (mine && theirs) mine->SubFrames->AssignFrames(*theirs->SubFrames);
    return true;
}

void TID3v2Frame::Delete() {
    if (Parent) Parent->DeleteFrame(Index());
}

void TID3v2Frame::Clear() {
    ID = {};
    Size = 0;
    Flags = 0;
    TagAlterPreservation = FileAlterPreservation = ReadOnly = false;
    Compressed = Encrypted = GroupingIdentity = Unsynchronised = DataLengthIndicator = false;
    FWasUnsynchronised = false;
    FDataSkipped = false;
    GroupIdentifier = EncryptionMethod = 0;
    DataLengthIndicatorValue = 0;
    Stream.Clear();
}

bool TID3v2Frame::IsiXML() const { return Data().starts_with("iXML"); }
bool TID3v2Frame::IsXMP() const { return Data().starts_with("XMP"); }

TID3v2FrameWithSubFrames::TID3v2FrameWithSubFrames(TID3v2Frames* _Parent)
    : TID3v2Frame(_Parent), SubFrames(std::make_unique<TID3v2Frames>(_Parent ? _Parent->Root : nullptr)) {}
TID3v2FrameWithSubFrames::~TID3v2FrameWithSubFrames() = default;

void TID3v2ExtendedHeader3::DecodeExtendedHeaderSize() { Size = ReadSynchsafe(CodedSize.data()); }
void TID3v2ExtendedHeader3::DecodeExtendedHeaderFlags() { CRCPresent = Flags & 0x8000; }

void TID3v2ExtendedHeader4::DecodeExtendedHeaderSize() { Size = ReadSynchsafe(CodedSize.data()); }

void TID3v2ExtendedHeader4::DecodeExtendedHeaderFlags() {
    TagIsAnUpdate = Flags & 0x40;
    CRCPresent = Flags & 0x20;
    TagRestrictions = Flags & 0x10;
}

void TID3v2ExtendedHeader4::CalculateExtendedFlagsDataSize() {
    ExtendedFlagsDataSize = (CRCPresent ? 5 : 0) + (TagRestrictions ? 1 : 0);
}

}  // namespace tags
