// TFlacTag: fields, pictures, sizes and stream properties. Loading and saving
// live in flacload.cpp and flacsave.cpp.
#include <algorithm>
#include <cstring>

#include "common/text.h"
#include "tags/core/bytes.h"
#include "tags/flac/flacpicture.h"
#include "tags/flac/flactaglibrary.h"

namespace tags {

TFlacTag::TFlacTag() { Clear(); }
TFlacTag::~TFlacTag() = default;

void TFlacTag::ClearLayout() {
    FHeader = {};
    FOggFlacHeader = {};
    FPaddingIndex = 0;
    FPaddingLast = false;
    FPaddingFragments = false;
    FVorbisIndex = 0;
    FPadding = 0;
    FVCOffset = 0;
    FAudioOffset = 0;
    FAudioSize = 0;
    FChannels = 0;
    FSampleRate = 0;
    FBitsPerSample = 0;
    FBitrate = 0;
    FFileSize = 0;
    FSamples = 0;
    FTagSize = 0;
    FMetaBlocksSize = 0;
    FExists = false;
    StreamType = fstUnknown;
    aMetaBlockOther.clear();
    FID3v2Size = 0;
    FMetaStart = 0;
    FOggHeaderShared = false;
    FVorbisFragments = false;
    FFilePictures.clear();
}

void TFlacTag::Clear() {
    ClearLayout();
    Tags.clear();
    MetaBlocksCoverArts.clear();
    VendorString.clear();
    FileName.clear();
    Loaded = false;
}

bool TFlacTag::Valid() const {
    const TFlacHeader& h = StreamType == fstOggFlac ? FOggFlacHeader.StreamInfo : FHeader;
    return std::memcmp(h.StreamMarker, "fLaC", 4) == 0 && FChannels > 0 && FSampleRate > 0 && FBitsPerSample > 0 &&
           FSamples > 0;
}

double TFlacTag::Playtime() const { return Valid() ? static_cast<double>(FSamples) / FSampleRate : 0.0; }

double TFlacTag::Ratio() const {
    if (!Valid()) return 0.0;
    double raw = static_cast<double>(FSamples) * FChannels * FBitsPerSample / 8.0;
    return static_cast<double>(FAudioSize) / raw * 100.0;
}

std::string TFlacTag::ChannelMode() const {
    if (!Valid()) return {};
    return FChannels == 1 ? "Mono" : FChannels == 2 ? "Stereo" : "Multi Channel";
}

// --- fields ---------------------------------------------------------------

TVorbisComment* TFlacTag::AddTag(const std::string& Name) {
    Tags.push_back(std::make_unique<TVorbisComment>(this));
    Tags.back()->Name = Name;
    return Tags.back().get();
}

int TFlacTag::AddTextTag(const std::string& Name, const std::string& Text) {
    TVorbisComment* c = AddTag(Name);
    c->Format = vcfText;
    c->Stream.Bytes() = Text;
    return Count() - 1;
}

bool TFlacTag::DeleteFrame(int FrameIndex) {
    if (FrameIndex < 0 || FrameIndex >= Count()) return false;
    Tags.erase(Tags.begin() + FrameIndex);
    return true;
}

void TFlacTag::DeleteAllFrames() { Tags.clear(); }

int TFlacTag::FrameExists(const std::string& Name) const {
    for (int i = 0; i < Count(); ++i)
        if (Tags[i]->Name == Name) return i;
    return -1;
}

namespace {
template <typename List>
int FindNoCase(const List& tags, const std::string& name) {
    for (size_t i = 0; i < tags.size(); ++i)
        if (common::equalsNoCase(tags[i]->Name, name)) return static_cast<int>(i);
    return -1;
}
}  // namespace

std::string TFlacTag::GetText(const std::string& Name) {
    int i = FindNoCase(Tags, Name);
    return i < 0 ? std::string() : Tags[i]->GetText();
}

void TFlacTag::SetText(const std::string& Name, const std::string& Text) {
    int i = FindNoCase(Tags, Name);
    if (i >= 0) Tags[i]->SetText(Text);
    else if (!Text.empty()) AddTextTag(Name, Text);
}

bool TFlacTag::GetList(const std::string& Name, std::vector<std::string>& List) {
    int i = FindNoCase(Tags, Name);
    if (i < 0) {
        List.clear();
        return false;
    }
    return Tags[i]->GetList(List);
}

void TFlacTag::SetList(const std::string& Name, const std::vector<std::string>& List) {
    int i = FindNoCase(Tags, Name);
    if (List.empty()) {
        if (i >= 0) DeleteFrame(i);
        return;
    }
    (i >= 0 ? Tags[i].get() : AddTag(Name))->SetList(List);
}

bool TFlacTag::GetMultipleValues(const std::string& TagName, std::vector<std::string>& List) {
    List.clear();
    for (auto& t : Tags)
        if (common::equalsNoCase(t->Name, TagName)) List.push_back(t->GetText());
    return !List.empty();
}

void TFlacTag::SetMultipleValues(const std::string& TagName, const std::vector<std::string>& List) {
    std::erase_if(Tags, [&](const auto& t) { return common::equalsNoCase(t->Name, TagName); });
    for (const std::string& v : List) AddTextTag(TagName, v);
}

bool TFlacTag::DeleteFrameByName(const std::string& Name) { return DeleteFrame(FindNoCase(Tags, Name)); }

void TFlacTag::ReSetAlreadyParsedState() {
    for (auto& t : Tags) t->AlreadyParsed = false;
}

// --- pictures and other blocks ---------------------------------------------

namespace {

void SetBlockHeader(TMetaData& m, uint32_t type) {
    m.BlockType = type;
    m.MetaDataBlockHeader[0] = static_cast<uint8_t>(type & 0x7F);
    WriteBE24(m.MetaDataBlockHeader + 1, static_cast<uint32_t>(m.Data.Size()) & flacMaxBlockSize);
}

void CopyBlockData(TMetaData& m, TStream* stream, int64_t length) {
    if (stream && length > 0) stream->ReadBytes(m.Data.Bytes(), length);
}

}  // namespace

int TFlacTag::AddMetaDataCoverArt(TStream* Stream, int64_t Blocklength) {
    TMetaData& m = MetaBlocksCoverArts.emplace_back();
    CopyBlockData(m, Stream, Blocklength);
    SetBlockHeader(m, flacBlockPicture);
    ParsePictureBlock(m.Data.Bytes(), m.CoverArtInfo, nullptr);
    return CoverArtCount() - 1;
}

int TFlacTag::AddMetaDataOther(const uint8_t aMetaHeader[4], TStream* Stream, int64_t Blocklength, uint32_t BlockType) {
    TMetaData& m = aMetaBlockOther.emplace_back();
    std::memcpy(m.MetaDataBlockHeader, aMetaHeader, 4);
    m.BlockType = BlockType;
    CopyBlockData(m, Stream, Blocklength);
    return static_cast<int>(aMetaBlockOther.size()) - 1;
}

bool TFlacTag::GetCoverArtInfoPointer(int Index, TFlacTagCoverArtInfo& FlacTagCoverArtInfo) {
    if (Index < 0 || Index >= CoverArtCount()) return false;
    size_t offset = 0;
    const std::string& data = MetaBlocksCoverArts[Index].Data.Bytes();
    if (!ParsePictureBlock(data, FlacTagCoverArtInfo, &offset)) return false;
    FlacTagCoverArtInfo.PictureData = reinterpret_cast<const uint8_t*>(data.data()) + offset;
    return true;
}

bool TFlacTag::GetCoverArtInfo(int Index, TFlacTagCoverArtInfo& FlacTagCoverArtInfo) {
    bool ok = GetCoverArtInfoPointer(Index, FlacTagCoverArtInfo);
    FlacTagCoverArtInfo.PictureData = nullptr;
    return ok;
}

bool TFlacTag::GetCoverArt(int Index, TStream& PictureStream, TFlacTagCoverArtInfo& FlacTagCoverArtInfo) {
    if (!GetCoverArtInfoPointer(Index, FlacTagCoverArtInfo)) return false;
    bool ok = PictureStream.WriteBuffer(FlacTagCoverArtInfo.PictureData, FlacTagCoverArtInfo.SizeOfPictureData);
    PictureStream.SetPosition(0);
    FlacTagCoverArtInfo.PictureData = nullptr;
    return ok;
}

bool TFlacTag::SetCoverArt(int Index, TStream& PictureStream, const TFlacTagCoverArtInfo& FlacTagCoverArtInfo) {
    if (Index < 0 || Index >= CoverArtCount()) return false;
    std::string picture;
    if (!PictureStream.SetPosition(0) || !PictureStream.ReadBytes(picture, PictureStream.Size())) return false;
    TMetaData& m = MetaBlocksCoverArts[Index];
    m.Data.Clear();
    m.Data.Bytes() = BuildPictureBlock(FlacTagCoverArtInfo, picture);
    SetBlockHeader(m, flacBlockPicture);
    ParsePictureBlock(m.Data.Bytes(), m.CoverArtInfo, nullptr);
    return true;
}

bool TFlacTag::DeleteCoverArt(int Index) {
    if (Index < 0 || Index >= CoverArtCount()) return false;
    MetaBlocksCoverArts.erase(MetaBlocksCoverArts.begin() + Index);
    return true;
}

void TFlacTag::DeleteAllCoverArts() { MetaBlocksCoverArts.clear(); }

// --- sizes ------------------------------------------------------------------

std::string TFlacTag::BuildVorbisComment() const {
    std::string fields;
    uint32_t written = 0;
    for (auto& t : Tags) {
        // The stored bytes are written as they are: only display text is
        // cleaned of control characters.
        if (t->Format != vcfText || t->Stream.Bytes().empty()) continue;
        std::string name = UpperCaseFieldNamesToWrite ? common::asciiUpper(t->Name) : t->Name;
        std::string field = name + "=" + t->Stream.Bytes();
        AppendLE32(fields, static_cast<uint32_t>(field.size()));
        fields += field;
        ++written;
    }
    std::string vendor = VendorString.empty() ? "reference libFLAC 1.1.0 20030126" : VendorString;
    std::string out;
    AppendLE32(out, static_cast<uint32_t>(vendor.size()));
    out += vendor;
    AppendLE32(out, written);
    return out + fields;
}

int64_t TFlacTag::CalculateVorbisCommentsSize() const { return static_cast<int64_t>(BuildVorbisComment().size()); }

int64_t TFlacTag::CalculateMetaBlocksSize(bool IncludePadding) const {
    int64_t n = 0;
    for (const TMetaData& m : MetaBlocksCoverArts) n += m.Data.GetSizeConst() + 4;
    for (const TMetaData& m : aMetaBlockOther)
        if (IncludePadding || m.BlockType != flacBlockPadding) n += m.Data.GetSizeConst() + 4;
    return n;
}

int64_t TFlacTag::CalculateTagSize(bool IncludePadding) const {
    return CalculateVorbisCommentsSize() + CalculateMetaBlocksSize(IncludePadding) + (IncludePadding ? FPadding : 0);
}

void TFlacTag::Assign(const TFlacTag& FlacTag) {
    if (&FlacTag == this) return;
    Clear();
    FHeader = FlacTag.FHeader;
    FOggFlacHeader = FlacTag.FOggFlacHeader;
    FPaddingIndex = FlacTag.FPaddingIndex;
    FPaddingLast = FlacTag.FPaddingLast;
    FPaddingFragments = FlacTag.FPaddingFragments;
    FVorbisIndex = FlacTag.FVorbisIndex;
    FPadding = FlacTag.FPadding;
    FVCOffset = FlacTag.FVCOffset;
    FAudioOffset = FlacTag.FAudioOffset;
    FAudioSize = FlacTag.FAudioSize;
    FChannels = FlacTag.FChannels;
    FSampleRate = FlacTag.FSampleRate;
    FBitsPerSample = FlacTag.FBitsPerSample;
    FBitrate = FlacTag.FBitrate;
    FFileSize = FlacTag.FFileSize;
    FSamples = FlacTag.FSamples;
    FTagSize = FlacTag.FTagSize;
    FMetaBlocksSize = FlacTag.FMetaBlocksSize;
    FExists = FlacTag.FExists;
    FID3v2Size = FlacTag.FID3v2Size;
    FMetaStart = FlacTag.FMetaStart;
    FOggHeaderShared = FlacTag.FOggHeaderShared;
    FVorbisFragments = FlacTag.FVorbisFragments;
    FFilePictures = FlacTag.FFilePictures;
    StreamType = FlacTag.StreamType;
    FileName = FlacTag.FileName;
    VendorString = FlacTag.VendorString;
    Loaded = FlacTag.Loaded;
    for (const auto& t : FlacTag.Tags) AddTag(t->Name)->Assign(*t);
    MetaBlocksCoverArts = FlacTag.MetaBlocksCoverArts;
    aMetaBlockOther = FlacTag.aMetaBlockOther;
}

}  // namespace tags
