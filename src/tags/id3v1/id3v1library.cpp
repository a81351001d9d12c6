#include "tags/id3v1/id3v1library.h"

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "tags/core/filetail.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tags {

namespace {

constexpr std::string_view kBegin = "LYRICSBEGIN";
constexpr std::string_view kEnd = "LYRICS200";

std::string zeroPadded(size_t value, int digits) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%0*zu", digits, value);
    return buf;
}

// Lyrics3 text is officially Latin-1, but this library and many others write
// UTF-8; reading valid UTF-8 as such keeps a save-and-load cycle stable.
std::string decodeLyricsData(std::string_view raw) {
    return common::isValidUtf8(raw) ? std::string(raw) : common::latin1ToUtf8(raw);
}

int removalPlan(TStream& stream, TTailPlan& plan) {
    int64_t size = stream.Size();
    if (!HasID3v1At(stream, size)) return ID3V1_ERROR;
    int64_t tagStart = size - kID3v1BlockSize;
    plan.Keep = tagStart - Lyrics3BlockSizeAt(stream, tagStart);
    plan.Tail.clear();
    return ID3V1_SUCCESS;
}

}  // namespace

int TID3LyricsFrame::Index() const {
    if (!Parent) return -1;
    const auto& list = Parent->LyricsFrames;
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].get() == this) return static_cast<int>(i);
    return -1;
}

TID3v1Tag::TID3v1Tag() { Clear(); }

void TID3v1Tag::Clear() {
    SourceFileName.clear();
    Loaded = false;
    Revision1 = false;
    Title.clear(), Artist.clear(), Album.clear(), Year.clear(), Comment.clear();
    Track = 0;
    TrackString.clear();
    Genre.clear();
    LyricsFrames.clear();
    LyricsHasTimeStamp = false;
    InhibitTracksForRandomSelection = false;
    FLyricsTagSize = 0;
    FFileSize = 0;
}

int TID3v1Tag::LoadFromFile(const std::string& FileName) {
    if (!common::fileExists(FileName)) return ID3V1_ERROR_OPENING_FILE;
    auto file = TFileStream::Open(FileName, TFileMode::fmOpenRead);
    if (!file) return ID3V1_ERROR_OPENING_FILE;
    int result = LoadFromStream(*file);
    if (result == ID3V1_SUCCESS) SourceFileName = FileName;
    return result;
}

int TID3v1Tag::LoadFromStream(TStream& TagStream) {
    Clear();
    try {
        FFileSize = TagStream.Size();
        if (FFileSize < 0) {
            Clear();
            return ID3V1_ERROR_READING_FILE;
        }
        char block[kID3v1BlockSize] = {};
        if (!TagStream.SetPosition(FFileSize <= kID3v1BlockSize ? 0 : FFileSize - kID3v1BlockSize)) {
            Clear();
            return ID3V1_ERROR_READING_FILE;
        }
        TagStream.Read(block, kID3v1BlockSize);  // a short read leaves zeros
        if (std::memcmp(block, "TAG", 3) != 0) return ID3V1_ERROR;
        if (FFileSize > kID3v1BlockSize && !HasID3v1At(TagStream, FFileSize)) return ID3V1_ERROR;

        auto text = [&](int offset, int width) {
            std::string_view raw(block + offset, static_cast<size_t>(width));
            raw = raw.substr(0, raw.find('\0'));
            std::string decoded = ReturnANSIText ? common::legacyToUtf8(raw) : common::latin1ToUtf8(raw);
            return TrimText ? TrimTagText(decoded) : decoded;
        };
        Title = text(3, 30);
        Artist = text(33, 30);
        Album = text(63, 30);
        Year = text(93, 4);
        Comment = text(97, 30);  // stops at byte 125 when it holds the revision-1 zero
        Genre = ID3v1GenreToText(static_cast<unsigned char>(block[127]), TreatUnknownGenresAsOther);
        if (block[125] == 0) {
            Track = static_cast<uint8_t>(block[126]);
            TrackString = std::to_string(Track);
            Revision1 = true;
        }
        if (FFileSize > kID3v1BlockSize) LoadLyricsTag(TagStream);
        Loaded = true;
        return ID3V1_SUCCESS;
    } catch (const std::exception&) {
        common::log::caught("tags.id3v1", "reading the tag");
        Clear();
        return ID3V1_ERROR_READING_FILE;
    }
}

int TID3v1Tag::LoadFromMemory(const void* MemoryAddress, size_t Size) {
    if (!MemoryAddress) return ID3V1_ERROR;
    std::string block(kID3v1BlockSize, '\0');
    std::memcpy(block.data(), MemoryAddress, std::min<size_t>(Size, kID3v1BlockSize));
    TMemoryStream stream(std::move(block));
    return LoadFromStream(stream);
}

int TID3v1Tag::LoadLyricsTag(TStream& TagStream) {
    int64_t end = TagStream.Size() - kID3v1BlockSize;
    int64_t blockSize = Lyrics3BlockSizeAt(TagStream, end);
    if (blockSize == 0) return ID3V1_ERROR;
    int64_t fieldsStart = end - blockSize + static_cast<int64_t>(kBegin.size());
    std::string fields;
    if (!TagStream.SetPosition(fieldsStart) || !TagStream.ReadBytes(fields, end - 15 - fieldsStart)) return ID3V1_ERROR;

    // Parse everything before changing anything: a damaged block is ignored
    // as a whole and the ID3v1 fields stay as loaded.
    std::vector<std::pair<std::string, std::string>> parsed;
    std::string_view rest(fields);
    while (!rest.empty()) {
        if (rest.size() < 8) return ID3V1_ERROR;
        int64_t length = ParseDecimal(rest.substr(3, 5));
        if (length < 0 || length > static_cast<int64_t>(rest.size()) - 8) return ID3V1_ERROR;
        parsed.emplace_back(std::string(rest.substr(0, 3)),
                            decodeLyricsData(rest.substr(8, static_cast<size_t>(length))));
        rest.remove_prefix(8 + static_cast<size_t>(length));
    }

    FLyricsTagSize = static_cast<uint32_t>(blockSize);
    for (auto& field : parsed) {
        const std::string& id = field.first;
        std::string& data = field.second;
        if (id == "IND") {
            LyricsHasTimeStamp = data.size() > 1 && data[1] == '1';
            InhibitTracksForRandomSelection = data.size() > 2 && data[2] == '1';
        }
        // The extended fields carry the full text of a field that ID3v1 cuts
        // at 30 bytes or could only store with '?' for what the code page lacks.
        auto extend = [&](std::string& shortText) {
            if (shortText.empty() || data.find(shortText) != std::string::npos ||
                common::legacyToUtf8(common::utf8ToLegacy(data)).find(shortText) != std::string::npos)
                shortText = data;
        };
        if (id == "EAL") extend(Album);
        if (id == "EAR") extend(Artist);
        if (id == "ETT") extend(Title);
        auto* frame = AddLyricsFrame(id);
        frame->Data = std::move(data);
    }
    return ID3V1_SUCCESS;
}

std::string TID3v1Tag::BuildTagBlock() const {
    std::string block(kID3v1BlockSize, '\0');
    block.replace(0, 3, "TAG");
    auto put = [&](size_t offset, size_t width, std::string_view text) {
        std::string bytes;
        if (SetANSIText) {
            bytes = common::utf8ToLegacy(text);
        } else {
            for (char16_t unit : common::utf8ToUtf16(text)) bytes.push_back(static_cast<char>(unit & 0xFF));
        }
        block.replace(offset, std::min(width, bytes.size()), bytes, 0, width);
    };
    put(3, 30, Title);
    put(33, 30, Artist);
    put(63, 30, Album);
    put(93, 4, Year);
    put(97, 30, Comment);
    block[127] = static_cast<char>(ID3v1TextToGenre(Genre));
    // A comment of more than 28 bytes leaves no room for the track number.
    if (block[125] == 0) block[126] = static_cast<char>(Track);
    return block;
}

bool TID3v1Tag::BuildLyricsBlock(std::string& block) const {
    std::string body(kBegin);
    body += "IND00003";
    body += FindLyricsFrameConst("LYR") ? '1' : '0';
    body += LyricsHasTimeStamp ? '1' : '0';
    body += InhibitTracksForRandomSelection ? '1' : '0';
    for (const auto& frame : LyricsFrames) {
        if (frame->ID == "IND" || frame->Data.empty()) continue;
        // Any other length would shift every field after it.
        if (frame->ID.size() != 3) continue;
        const std::string& data = frame->ID == "EAL"   ? Album
                                  : frame->ID == "EAR" ? Artist
                                  : frame->ID == "ETT" ? Title
                                                       : frame->Data;
        // Sizes that do not fit their digits would make the whole block
        // unreadable, so such a block is not written at all.
        if (data.size() > 99999) return false;
        body += frame->ID;
        body += zeroPadded(data.size(), 5);
        body += data;
    }
    if (body.size() > 999999) return false;
    block = body + zeroPadded(body.size(), 6) + std::string(kEnd);
    return true;
}

int TID3v1Tag::PlanSave(TStream& stream, bool writeLyricsTag, TTailPlan& plan) const {
    int64_t size = stream.Size();
    if (size < 0) return ID3V1_ERROR_READING_FILE;
    plan.Keep = size;
    plan.Tail.clear();
    if (writeLyricsTag) {
        if (!BuildLyricsBlock(plan.Tail)) return ID3V1_ERROR_WRITING_FILE;
        if (HasID3v1At(stream, plan.Keep)) {
            plan.Keep -= kID3v1BlockSize;
            plan.Keep -= Lyrics3BlockSizeAt(stream, plan.Keep);
        }
        plan.Keep -= Lyrics3BlockSizeAt(stream, plan.Keep);
    } else if (HasID3v1At(stream, plan.Keep)) {
        plan.Keep -= kID3v1BlockSize;  // the old tag is overwritten
    }
    plan.Tail += BuildTagBlock();
    return ID3V1_SUCCESS;
}

int TID3v1Tag::SaveToStream(TStream& TagStream, bool WriteLyricsTag) {
    try {
        TTailPlan plan;
        int result = PlanSave(TagStream, WriteLyricsTag, plan);
        if (result != ID3V1_SUCCESS) return result;
        return ApplyTailPlan(TagStream, plan) ? ID3V1_SUCCESS : ID3V1_ERROR_WRITING_FILE;
    } catch (const std::exception&) {
        common::log::caught("tags.id3v1", "saving the tag");
        return ID3V1_ERROR_WRITING_FILE;
    }
}

int TID3v1Tag::SaveToFile(const std::string& FileName, bool WriteLyricsTag) {
    try {
        int planResult = 0;
        auto status = RewriteFileTail(
            FileName, {.CreateIfMissing = true, .PreserveFileDateTime = PreserveFileDateTime},
            [&](TStream& file, TTailPlan& plan) { return PlanSave(file, WriteLyricsTag, plan); }, planResult);
        switch (status) {
        case TTailStatus::tsDone: SourceFileName = FileName; return ID3V1_SUCCESS;
        case TTailStatus::tsPlanRefused: return planResult;
        case TTailStatus::tsReadOnly: return ID3V1_ERROR_FILE_READONLY;
        case TTailStatus::tsMissing:
        case TTailStatus::tsOpenFailed: return ID3V1_ERROR_OPENING_FILE;
        case TTailStatus::tsWriteFailed: break;
        }
    } catch (const std::exception&) {
        common::log::caught("tags.id3v1", "saving the tag");
    }
    return ID3V1_ERROR_WRITING_FILE;
}

int TID3v1Tag::LyricsTagSaveToStream(TStream& TagStream) {
    try {
        TTailPlan plan;
        if (!BuildLyricsBlock(plan.Tail)) return ID3V1_ERROR;
        int64_t size = TagStream.Size();
        plan.Keep = size - Lyrics3BlockSizeAt(TagStream, size);
        return size >= 0 && ApplyTailPlan(TagStream, plan) ? ID3V1_SUCCESS : ID3V1_ERROR;
    } catch (const std::exception&) {
        common::log::caught("tags.id3v1", "saving the tag");
        return ID3V1_ERROR;
    }
}

TID3LyricsFrame* TID3v1Tag::AddLyricsFrame(std::string_view ID) {
    auto frame = std::make_unique<TID3LyricsFrame>(this);
    frame->ID = ID;
    LyricsFrames.push_back(std::move(frame));
    return LyricsFrames.back().get();
}

const TID3LyricsFrame* TID3v1Tag::FindLyricsFrameConst(std::string_view ID) const {
    for (const auto& frame : LyricsFrames)
        if (frame->ID == ID) return frame.get();
    return nullptr;
}

TID3LyricsFrame* TID3v1Tag::FindLyricsFrame(std::string_view ID) {
    return const_cast<TID3LyricsFrame*>(FindLyricsFrameConst(ID));
}

TID3LyricsFrame* TID3v1Tag::SetLyricsFrame(std::string_view ID, std::string_view Value) {
    TID3LyricsFrame* frame = FindLyricsFrame(ID);
    if (!frame) frame = AddLyricsFrame(ID);
    frame->Data = Value;
    return frame;
}

bool TID3v1Tag::DeleteLyricsFrame(int Index) {
    if (Index < 0 || Index >= static_cast<int>(LyricsFrames.size())) return false;
    LyricsFrames.erase(LyricsFrames.begin() + Index);
    return true;
}

bool TID3v1Tag::DeleteLyricsFrame(std::string_view ID) {
    const TID3LyricsFrame* frame = FindLyricsFrameConst(ID);
    return frame && DeleteLyricsFrame(frame->Index());
}

std::string TID3v1Tag::GetLyrics() const {
    for (auto it = LyricsFrames.rbegin(); it != LyricsFrames.rend(); ++it)
        if ((*it)->ID == "LYR") return (*it)->Data;
    return {};
}

void TID3v1Tag::SetLyrics(std::string_view Text) {
    TID3LyricsFrame* frame = FindLyricsFrame("LYR");
    if (frame && Text.empty()) DeleteLyricsFrame(frame->Index());
    else if (!Text.empty()) (frame ? frame : AddLyricsFrame("LYR"))->Data = Text;
}

bool TID3v1Tag::Assign(const TID3v1Tag& Source) {
    if (&Source == this) return true;
    Clear();
    SourceFileName = Source.SourceFileName;
    Loaded = Source.Loaded;
    Revision1 = Source.Revision1;
    Title = Source.Title;
    Artist = Source.Artist;
    Album = Source.Album;
    Year = Source.Year;
    Comment = Source.Comment;
    Track = Source.Track;
    Genre = Source.Genre;
    for (const auto& frame : Source.LyricsFrames) AddLyricsFrame(frame->ID)->Data = frame->Data;
    LyricsHasTimeStamp = Source.LyricsHasTimeStamp;
    InhibitTracksForRandomSelection = Source.InhibitTracksForRandomSelection;
    return true;
}

int RemoveID3v1TagFromStream(TStream& Stream) {
    try {
        TTailPlan plan;
        if (removalPlan(Stream, plan) != ID3V1_SUCCESS) return ID3V1_ERROR;
        return ApplyTailPlan(Stream, plan) ? ID3V1_SUCCESS : ID3V1_ERROR;
    } catch (const std::exception&) {
        common::log::caught("tags.id3v1", "removing the tag");
        return ID3V1_ERROR;
    }
}

int RemoveID3v1TagFromFile(const std::string& FileName, bool PreserveFileDateTime) {
    try {
        if (!common::fileExists(FileName)) return ID3V1_ERROR;
        int planResult = 0;
        TTailOptions options{.CreateIfMissing = false, .PreserveFileDateTime = PreserveFileDateTime};
        auto status = RewriteFileTail(FileName, options, removalPlan, planResult);
        switch (status) {
        case TTailStatus::tsDone: return ID3V1_SUCCESS;
        case TTailStatus::tsReadOnly: return ID3V1_ERROR_FILE_READONLY;
        case TTailStatus::tsOpenFailed: return ID3V1_ERROR_OPENING_FILE;
        default: break;
        }
    } catch (const std::exception&) {
        common::log::caught("tags.id3v1", "removing the tag");
    }
    return ID3V1_ERROR;
}

}  // namespace tags
