#include "tags/apev2/apev2library.h"

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "tags/apev2/apev2text.h"
#include "tags/core/filetail.h"

#include <algorithm>

namespace tags {

namespace {

constexpr std::string_view kPreamble = "APETAGEX";
constexpr int64_t kFooterSize = 32;
constexpr uint32_t kFlagHasHeader = 0x80000000u;
constexpr uint32_t kFlagIsHeader = 0x20000000u;

struct TFooter {
    uint32_t Version = 0, Size = 0, Count = 0, Flags = 0;
    bool ReservedZero = true;
};

// Where the footer belongs: in front of a Lyrics3 block and an ID3v1 tag,
// whichever of them the file ends with.
struct TPlacement {
    int64_t FooterPos = 0;
    int64_t TrailingSize = 0;  // Lyrics3 block and ID3v1 tag behind the tag
};

TPlacement locate(TStream& stream) {
    int64_t size = stream.Size();
    int64_t end = HasID3v1At(stream, size) ? size - kID3v1BlockSize : size;
    TPlacement p;
    p.TrailingSize = size - end + Lyrics3BlockSizeAt(stream, end);
    p.FooterPos = size - p.TrailingSize - kFooterSize;
    return p;
}

int readFooter(TStream& stream, int64_t pos, TFooter& footer) {
    if (!BytesAt(stream, pos, kPreamble)) return APEV2_ERROR_NO_TAG;
    unsigned char b[24];
    if (!ReadAt(stream, pos + 8, b, 24)) return APEV2_ERROR_READING_FOOTER;
    footer.Version = GetLE32(b);
    footer.Size = GetLE32(b + 4);
    footer.Count = GetLE32(b + 8);
    footer.Flags = GetLE32(b + 12);
    footer.ReservedZero = std::all_of(b + 16, b + 24, [](unsigned char c) { return c == 0; });
    if (footer.Version != 2000 && footer.Version != 1000) return APEV2_ERROR_UNSUPPORTED_VERSION;
    return APEV2_SUCCESS;
}

// Start of the existing tag, its header included; -1 when the sizes do not
// fit the file. A header flag without the header's preamble is not trusted,
// so no audio byte is taken for a header.
int64_t tagStart(TStream& stream, int64_t footerPos, const TFooter& footer) {
    int64_t items = footerPos + kFooterSize - footer.Size;
    if (footer.Size < kFooterSize || items < 0) return -1;
    bool header = (footer.Flags & kFlagHasHeader) && BytesAt(stream, items - kFooterSize, kPreamble);
    return header ? items - kFooterSize : items;
}

int removalPlan(TStream& stream, TTailPlan& plan) {
    TPlacement where = locate(stream);
    TFooter footer;
    int result = readFooter(stream, where.FooterPos, footer);
    if (result != APEV2_SUCCESS) return result;
    if (!footer.ReservedZero) return APEV2_ERROR_READING_FOOTER;
    plan.Keep = tagStart(stream, where.FooterPos, footer);
    if (plan.Keep < 0) return APEV2_ERROR_CORRUPT;
    int64_t size = stream.Size();
    if (!stream.SetPosition(size - where.TrailingSize) || !stream.ReadBytes(plan.Tail, where.TrailingSize))
        return APEV2_ERROR;
    return APEV2_SUCCESS;
}

std::string writtenKey(const TAPEv2Frame& frame, bool upperCase) {
    // A zero byte ends the key in the file.
    std::string key = frame.Name.substr(0, frame.Name.find('\0'));
    return upperCase ? common::asciiUpper(key) : key;
}

int resultOf(TTailStatus status, int planResult) {
    switch (status) {
    case TTailStatus::tsDone: return APEV2_SUCCESS;
    case TTailStatus::tsPlanRefused: return planResult;
    case TTailStatus::tsReadOnly: return APEV2_ERROR_FILE_READONLY;
    case TTailStatus::tsMissing:
    case TTailStatus::tsOpenFailed: return APEV2_ERROR_OPENING_FILE;
    case TTailStatus::tsWriteFailed: break;
    }
    return APEV2_ERROR;
}

void putHeader(std::string& out, uint32_t size, uint32_t count, uint32_t flags) {
    out += kPreamble;
    PutLE32(out, 2000);
    PutLE32(out, size);
    PutLE32(out, count);
    PutLE32(out, flags);
    out.append(8, '\0');
}

}  // namespace

void TAPEv2Tag::Clear() {
    Frames.clear();
    Loaded = false;
    Version = Flags = Size = 0;
    FFileSize = 0;
    FileName.clear();
}

int TAPEv2Tag::LoadFromFile(const std::string& fileName) {
    Clear();
    if (!common::fileExists(fileName)) return APEV2_ERROR_OPENING_FILE;
    auto file = TFileStream::Open(fileName, TFileMode::fmOpenRead);
    if (!file) return APEV2_ERROR_OPENING_FILE;
    int result = LoadFromStream(*file);
    if (result == APEV2_SUCCESS || result == APEV2_ERROR_UNSUPPORTED_VERSION) FileName = fileName;
    return result;
}

int TAPEv2Tag::LoadFromStream(TStream& TagStream) {
    Clear();
    int64_t position = TagStream.Position();
    int result;
    try {
        result = ParseTag(TagStream);
    } catch (const std::exception&) {
        common::log::caught("tags.apev2", "reading the tag");
        result = APEV2_ERROR;
    }
    TagStream.SetPosition(position);
    return result;
}

int TAPEv2Tag::ParseTag(TStream& stream) {
    FFileSize = stream.Size();
    TPlacement where = locate(stream);
    TFooter footer;
    int result = readFooter(stream, where.FooterPos, footer);
    if (result == APEV2_ERROR_NO_TAG || result == APEV2_ERROR_READING_FOOTER) return result;
    Version = footer.Version;
    Size = footer.Size;
    Flags = footer.Flags;
    if (result != APEV2_SUCCESS) return result;

    int64_t itemsStart = where.FooterPos + kFooterSize - footer.Size;
    if (footer.Size < kFooterSize || itemsStart < 0) return APEV2_ERROR_CORRUPT;
    std::string items;
    if (!stream.SetPosition(itemsStart) || !stream.ReadBytes(items, footer.Size - kFooterSize)) return APEV2_ERROR;

    // Every size is checked against what the tag still holds; what was read
    // before a bad item is kept.
    result = APEV2_SUCCESS;
    std::string_view rest(items);
    for (uint32_t i = 0; i < footer.Count; ++i) {
        if (rest.size() < 8) return APEV2_ERROR_CORRUPT;
        auto* head = reinterpret_cast<const unsigned char*>(rest.data());
        uint32_t valueSize = GetLE32(head);
        uint32_t itemFlags = GetLE32(head + 4);
        if (valueSize > footer.Size) return APEV2_ERROR_CORRUPT;
        size_t keyEnd = rest.find('\0', 8);
        if (keyEnd == std::string_view::npos || rest.size() - keyEnd - 1 < valueSize) return APEV2_ERROR_CORRUPT;
        std::string_view key = rest.substr(8, keyEnd - 8);
        std::string_view value = rest.substr(keyEnd + 1, valueSize);
        rest.remove_prefix(keyEnd + 1 + valueSize);

        switch ((itemFlags >> 1) & 3) {
        case 0:
        case 1: {
            TAPEv2Frame* frame = AddFrame(DecodeUtf8OrLegacy(key));
            frame->Format = ((itemFlags >> 1) & 3) == 0 ? ffText : ffBinary;
            frame->Stream.Bytes() = std::string(value);
            if (footer.Version == 1000 && frame->Format == ffText) frame->Stream.Bytes() = common::legacyToUtf8(value);
            Loaded = true;
            break;
        }
        case 2: break;  // external reference: a locator, not tag data
        default: result = APEV2_ERROR_CORRUPT; break;
        }
    }
    return result;
}

std::string TAPEv2Tag::BuildTag() const {
    std::string items;
    for (const auto& frame : Frames) {
        const std::string& value = frame->Stream.Bytes();
        PutLE32(items, static_cast<uint32_t>(value.size()));
        PutLE32(items, frame->Format == ffBinary ? 2u : 0u);
        items += writtenKey(*frame, UpperCaseFieldNamesToWrite);
        items += '\0';
        items += value;
    }
    std::string tag;
    auto size = static_cast<uint32_t>(items.size() + kFooterSize);
    auto count = static_cast<uint32_t>(Frames.size());
    putHeader(tag, size, count, kFlagHasHeader | kFlagIsHeader);
    tag += items;
    putHeader(tag, size, count, kFlagHasHeader);
    return tag;
}

namespace {

int savePlan(TStream& stream, const std::string& tag, TTailPlan& plan) {
    TPlacement where = locate(stream);
    int64_t size = stream.Size();
    TFooter footer;
    int result = readFooter(stream, where.FooterPos, footer);
    if (result == APEV2_SUCCESS) {
        plan.Keep = tagStart(stream, where.FooterPos, footer);
        if (plan.Keep < 0) return APEV2_ERROR_CORRUPT;
    } else if (result == APEV2_ERROR_NO_TAG) {
        plan.Keep = size - where.TrailingSize;
    } else {
        return result;
    }
    std::string trailing;
    if (!stream.SetPosition(size - where.TrailingSize) || !stream.ReadBytes(trailing, where.TrailingSize))
        return APEV2_ERROR;
    plan.Tail = tag + trailing;
    return APEV2_SUCCESS;
}

}  // namespace

int TAPEv2Tag::SaveToStream(TStream& Stream) {
    try {
        RemoveEmptyFrames();
        if (Frames.empty()) return RemoveAPEv2TagFromStream(Stream);
        TTailPlan plan;
        int result = savePlan(Stream, BuildTag(), plan);
        if (result != APEV2_SUCCESS) return result;
        return ApplyTailPlan(Stream, plan) ? APEV2_SUCCESS : APEV2_ERROR;
    } catch (const std::exception&) {
        common::log::caught("tags.apev2", "saving the tag");
        return APEV2_ERROR;
    }
}

int TAPEv2Tag::SaveToFile(const std::string& fileName) {
    try {
        RemoveEmptyFrames();
        if (Frames.empty()) return RemoveAPEv2TagFromFile(fileName, PreserveFileDateTime);
        std::string tag = BuildTag();
        int planResult = 0;
        auto status = RewriteFileTail(
            fileName, {.CreateIfMissing = true, .PreserveFileDateTime = PreserveFileDateTime},
            [&](TStream& file, TTailPlan& plan) { return savePlan(file, tag, plan); }, planResult);
        return resultOf(status, planResult);
    } catch (const std::exception&) {
        common::log::caught("tags.apev2", "saving the tag");
        return APEV2_ERROR;
    }
}

TAPEv2Frame* TAPEv2Tag::AddFrame(std::string_view Name) {
    auto frame = std::make_unique<TAPEv2Frame>(this);
    frame->Name = Name;
    Frames.push_back(std::move(frame));
    return Frames.back().get();
}

int TAPEv2Tag::AddTextFrame(std::string_view Name, std::string_view Text) {
    AddFrame(Name)->SetText(Text);
    return Count() - 1;
}

int TAPEv2Tag::AddBinaryFrame(std::string_view Name, TStream& BinaryStream, int64_t DataSize) {
    TAPEv2Frame* frame = AddFrame(Name);
    frame->Format = ffBinary;
    if (DataSize > 0 && BinaryStream.SetPosition(0)) frame->Stream.CopyFrom(BinaryStream, DataSize);
    return Count() - 1;
}

bool TAPEv2Tag::DeleteFrame(int FrameIndex) {
    if (FrameIndex < 0 || FrameIndex >= Count()) return false;
    Frames.erase(Frames.begin() + FrameIndex);
    return true;
}

bool TAPEv2Tag::DeleteFrameByName(std::string_view Name) {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (common::equalsNoCase(Frames[i]->Name, Name)) return DeleteFrame(static_cast<int>(i));
    return false;
}

void TAPEv2Tag::DeleteAllFrames() { Frames.clear(); }

void TAPEv2Tag::DeleteAllCoverArts() {
    std::erase_if(Frames, [](const auto& frame) { return frame->IsCoverArt(); });
}

int TAPEv2Tag::CoverArtCount() const {
    return static_cast<int>(std::count_if(Frames.begin(), Frames.end(), [](const auto& f) { return f->IsCoverArt(); }));
}

int TAPEv2Tag::GetFrameIndexOfCoverArtIndex(int CoverArtIndex) const {
    int seen = 0;
    for (size_t i = 0; i < Frames.size(); ++i)
        if (Frames[i]->IsCoverArt() && seen++ == CoverArtIndex) return static_cast<int>(i);
    return -1;
}

int TAPEv2Tag::FrameExists(std::string_view Name) const {
    for (size_t i = 0; i < Frames.size(); ++i)
        if (Frames[i]->Name == Name) return static_cast<int>(i);
    return -1;
}

int TAPEv2Tag::FrameTypeCount(std::string_view Name) const {
    return static_cast<int>(std::count_if(Frames.begin(), Frames.end(),
                                          [&](const auto& f) { return common::equalsNoCase(f->Name, Name); }));
}

TAPEv2Frame* TAPEv2Tag::FindFrame(std::string_view Name) const {
    for (const auto& frame : Frames)
        if (common::equalsNoCase(frame->Name, Name)) return frame.get();
    return nullptr;
}

void TAPEv2Tag::SetText(std::string_view Name, std::string_view Text) {
    TAPEv2Frame* frame = FindFrame(Name);
    if (frame && Text.empty()) DeleteFrameByName(Name);
    else if (frame) frame->SetText(Text);
    else if (!Text.empty()) AddTextFrame(Name, Text);
}

std::string TAPEv2Tag::GetText(std::string_view Name) {
    TAPEv2Frame* frame = FindFrame(Name);
    return frame && frame->Format != ffBinary ? frame->GetText() : std::string();
}

void TAPEv2Tag::SetList(std::string_view Name, const TAPEv2List& List) {
    TAPEv2Frame* frame = FindFrame(Name);
    (frame ? frame : AddFrame(Name))->SetList(List);
}

bool TAPEv2Tag::GetList(std::string_view Name, TAPEv2List& List) {
    TAPEv2Frame* frame = FindFrame(Name);
    if (!frame) {
        List.clear();
        return false;
    }
    return frame->GetList(List);
}

void TAPEv2Tag::RemoveEmptyFrames() {
    std::erase_if(Frames, [](const auto& frame) { return frame->Stream.Bytes().empty(); });
}

int TAPEv2Tag::AddCoverArtFrame(std::string_view Name, TStream& PictureStream, std::string_view Description) {
    AddFrame(Name);
    SetCoverArtFrame(Count() - 1, PictureStream, Description);
    return Count() - 1;
}

bool TAPEv2Tag::SetCoverArtFrame(int Index, TStream& PictureStream, std::string_view Description) {
    if (Index < 0 || Index >= Count()) return false;
    TAPEv2Frame& frame = *Frames[static_cast<size_t>(Index)];
    frame.Format = ffBinary;
    frame.Stream.Clear();
    frame.Stream.Bytes() = std::string(Description) + '\0';
    frame.Stream.Seek(0, TSeekOrigin::soEnd);
    frame.Stream.CopyFrom(PictureStream, 0);
    return true;
}

bool TAPEv2Tag::GetCoverArtInfoPointer(int Index, TAPEv2PictureFormat& PictureFormat, const char*& Description,
                                       const char*& Data, int64_t& DataSize) {
    PictureFormat = pfUnknown;
    Description = Data = nullptr;
    DataSize = 0;
    if (Index < 0 || Index >= Count()) return false;
    std::string_view value(Frames[static_cast<size_t>(Index)]->Stream.Bytes());
    size_t zero = value.find('\0');
    if (zero == std::string_view::npos) return false;
    for (size_t at = zero; at < value.size(); ++at) {
        TAPEv2PictureFormat format = PictureFormatAt(value.substr(at));
        if (format == pfUnknown) continue;
        PictureFormat = format;
        Description = value.data();
        Data = value.data() + at;
        DataSize = static_cast<int64_t>(value.size() - at);
        return true;
    }
    return false;
}

bool TAPEv2Tag::GetCoverArtInfo(int Index, TAPEv2PictureFormat& PictureFormat, std::string& Description) {
    const char *description, *data;
    int64_t size;
    Description.clear();
    if (!GetCoverArtInfoPointer(Index, PictureFormat, description, data, size)) return false;
    Description = DecodeUtf8OrLegacy(description);
    return true;
}

bool TAPEv2Tag::GetCoverArtFromFrame(int Index, TStream& PictureStream, TAPEv2PictureFormat& PictureFormat,
                                     std::string& Description) {
    const char *description, *data;
    int64_t size;
    Description.clear();
    if (!GetCoverArtInfoPointer(Index, PictureFormat, description, data, size)) return false;
    Description = DecodeUtf8OrLegacy(description);
    PictureStream.WriteBuffer(data, size);
    PictureStream.Seek(0, TSeekOrigin::soBeginning);
    return true;
}

int64_t TAPEv2Tag::CalculateTotalFramesSize() const {
    int64_t total = 0;
    for (const auto& frame : Frames)
        total += static_cast<int64_t>(writtenKey(*frame, false).size()) + frame->Stream.GetSizeConst() + 9;
    return total;
}

bool TAPEv2Tag::Assign(const TAPEv2Tag& Source) {
    if (&Source == this) return true;
    Clear();
    FFileSize = Source.FFileSize;
    FileName = Source.FileName;
    Loaded = Source.Loaded;
    Version = Source.Version;
    Flags = Source.Flags;
    Size = Source.Size;
    UpperCaseFieldNamesToWrite = Source.UpperCaseFieldNamesToWrite;
    PreserveFileDateTime = Source.PreserveFileDateTime;
    for (const auto& frame : Source.Frames) AddFrame(frame->Name)->Assign(frame.get());
    return true;
}

void TAPEv2Tag::ReSetAlreadyParsedState() {
    for (auto& frame : Frames) frame->AlreadyParsed = false;
}

int RemoveAPEv2TagFromStream(TStream& Stream) {
    try {
        TTailPlan plan;
        int result = removalPlan(Stream, plan);
        if (result != APEV2_SUCCESS) return result;
        return ApplyTailPlan(Stream, plan) ? APEV2_SUCCESS : APEV2_ERROR;
    } catch (const std::exception&) {
        common::log::caught("tags.apev2", "removing the tag");
        return APEV2_ERROR;
    }
}

int RemoveAPEv2TagFromFile(const std::string& FileName, bool PreserveFileDateTime) {
    try {
        int planResult = 0;
        TTailOptions options{.CreateIfMissing = false, .PreserveFileDateTime = PreserveFileDateTime};
        TTailStatus status = RewriteFileTail(FileName, options, removalPlan, planResult);
        return resultOf(status, planResult);
    } catch (const std::exception&) {
        common::log::caught("tags.apev2", "removing the tag");
        return APEV2_ERROR;
    }
}

}  // namespace tags
