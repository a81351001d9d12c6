// Everything of TTags that writes: saving, removal, copying and merging.
#include "tags/facade/tagslibrary.h"

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "tags/facade/formatadapters.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <optional>
#include <tuple>

namespace tags {

namespace {

// Format code -> facade code, by the format's code as index; codes past the
// end give trUnknownError.
using Table = std::array<int, 13>;
constexpr int X = trUnknownError;
constexpr Table kAPEv2 = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, X, X, X};
constexpr Table kFlac = {0, 1, 3, 4, 5, 6, 7, 9, 10, 14, X, X, X};
constexpr Table kOgg = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 14, X, X};
constexpr Table kID3v1 = {0, X, X, 5, 6, 7, X, X, X, X, X, X, X};
constexpr Table kID3v2 = {0, 1, 3, 4, 5, 6, 7, 8, 9, 10, 13, 14, X};
constexpr Table kMP4 = {0, 1, 3, 4, 5, 6, 7, 13, 9, 10, 14, 19, 20};
constexpr Table kWMA = {0, 2, 15, 16, 17, 18, X, X, X, X, X, X, X};

template <typename F>
int GuardedCode(F&& f) noexcept {
    try {
        return f();
    } catch (...) {
        common::log::caught("tags.save", "saving or removing a tag");
        return 0xFFFF;
    }
}

// The caller gets the code; the log keeps it with its text and the file.
void LogRefused(const TFormatTag* tag, std::string_view where, int code) {
    common::log::warn("tags.save", tag ? tag->FormatName() : "unknown", " tag not saved to ", where, ": ", code, " (",
                      ErrorCodeToText(code), ")");
}

// The modification time a save puts back, when asked to.
class ModificationTime {
public:
    ModificationTime(const std::string& path, bool keep) : FPath(path) {
        struct stat st {};
        if (keep && ::stat(path.c_str(), &st) == 0) FTime = st.st_mtim;
    }
    ~ModificationTime() {
        if (!FTime) return;
        const struct timespec times[2] = {{0, UTIME_OMIT}, *FTime};
        ::utimensat(AT_FDCWD, FPath.c_str(), times, 0);
    }

private:
    std::string FPath;
    std::optional<struct timespec> FTime;
};

constexpr TTagType kSaveOrder[] = {ttAPEv2, ttFlac, ttID3v1, ttID3v2, ttMP4, ttOpusVorbis, ttWAV, ttWMA};

// The formats an extension (upper case, with its dot) calls for.
std::vector<TTagType> FormatsOfExtension(const std::string& ext) {
    auto is = [&](std::initializer_list<const char*> list) {
        for (const char* e : list)
            if (ext == e) return true;
        return false;
    };
    if (is({".WAV", ".WAVE", ".RF64", ".BWF"})) return {ttID3v2, ttWAV};
    if (is({".APE", ".MPC", ".WV", ".OFR"})) return {ttAPEv2};
    if (is({".MP4", ".M4A", ".M4B", ".ALAC"})) return {ttMP4};
    if (is({".WMA", ".WMV", ".ASF"})) return {ttWMA};
    if (is({".FLAC", ".FLA", ".FLC", ".OGA"})) return {ttFlac};
    if (is({".OGG", ".OPUS", ".OGV"})) return {ttOpusVorbis};
    if (is({".MPG", ".MP1", ".MP2", ".MP3", ".MPA", ".AIFF", ".AIF", ".AIFC", ".AFC", ".DSF", ".DFF"}))
        return {ttID3v2};
    return {ttAPEv2};
}

// One format of the eight (ttLyrics2 being ID3v1 with its Lyrics3 block).
bool IsOneFormat(TTagType type) { return (type >= ttAPEv2 && type <= ttWMA) || type == ttLyrics2; }

// The format's own code for "error reading file", for refusals that happen
// before the format is asked.
int ReadingErrorCode(TTagType format) {
    for (int code = 0; code < static_cast<int>(std::tuple_size_v<Table>); ++code)
        if (TranslateResult(format, code) == trErrorReadingFile) return code;
    return 0xFFFF;
}

}  // namespace

int TTags::LoadWhatIsMissing() {
    if (!FPicturesMissing && !FEntriesMissing) return trSuccess;
    if (FileName.empty()) return trErrorReadingFile;
    TTags full(FFactory);
    full.TagLoadPriority = TagLoadPriority;
    full.ParseAudioAttributes = false;
    full.ParseCoverArts = true;
    full.OnlyParseCoverArts = false;
    if (full.LoadFromFile(FileName) != trSuccess) return trErrorReadingFile;
    if (FPicturesMissing) {
        // The file's pictures first, then those added since.
        std::vector<std::unique_ptr<TCoverArt>> pictures;
        for (const auto& c : full.CoverArts) {
            pictures.push_back(std::make_unique<TCoverArt>(this));
            pictures.back()->Assign(*c);
        }
        for (auto& c : CoverArts) pictures.push_back(std::move(c));
        CoverArts = std::move(pictures);
    }
    if (FEntriesMissing) {
        // Names the caller set or deleted since are theirs.
        std::set<std::string> own = FDeletedNames;
        for (const auto& e : Tags) own.insert(common::toUpper(e->Name));
        for (const auto& e : full.Tags) {
            if (own.count(common::toUpper(e->Name))) continue;
            TTag* t = Add({});
            t->Assign(*e);
            t->ExtTagType = e->ExtTagType;
        }
    }
    FPicturesMissing = FEntriesMissing = false;
    return trSuccess;
}

int TranslateResult(TTagType format, int code) {
    const Table* table = nullptr;
    switch (format) {
    case ttAPEv2: table = &kAPEv2; break;
    case ttFlac: table = &kFlac; break;
    case ttOpusVorbis: table = &kOgg; break;
    case ttID3v1:
    case ttLyrics2: table = &kID3v1; break;
    case ttID3v2:
    case ttWAV: table = &kID3v2; break;
    case ttMP4: table = &kMP4; break;
    case ttWMA: table = &kWMA; break;
    default: return trUnknownError;
    }
    return code >= 0 && code < static_cast<int>(table->size()) ? (*table)[static_cast<size_t>(code)] : trUnknownError;
}

// --- Preparing and saving one format -------------------------------------------

void TTags::PrepareAPEv2Tag() { APEv2Tag->Prepare(*this); }
void TTags::PrepareFlacTag() { FlacTag->Prepare(*this); }
void TTags::PrepareOggVorbisAndOpusTag() { OggVorbisAndOpusTag->Prepare(*this); }
void TTags::PrepareID3v1Tag() { ID3v1Tag->Prepare(*this); }
void TTags::PrepareID3v2Tag() { ID3v2Tag->Prepare(*this); }
void TTags::PrepareMP4Tag() { MP4Tag->Prepare(*this); }
void TTags::PrepareWAVTag() { WAVTag->Prepare(*this); }
void TTags::PrepareWMATag() { WMATag->Prepare(*this); }

int TTags::SaveFormat(TTagType type, const std::string& fileName, TStream* stream, bool buffered) {
    TFormatTag* tag = FormatTag(type == ttLyrics2 ? ttID3v1 : type);
    if (!tag) return 0xFFFF;
    if (LoadWhatIsMissing() != trSuccess) return ReadingErrorCode(type);
    return GuardedCode([&] {
        tag->Prepare(*this);
        if (!stream) return tag->SaveToFile(fileName);
        return stream->SetPosition(0) ? tag->SaveToStream(*stream, buffered) : 0xFFFF;
    });
}

int TTags::SaveAPEv2Tag(const std::string& f, TStream* s) { return SaveFormat(ttAPEv2, f, s, false); }
int TTags::SaveFlacTag(const std::string& f, TStream* s, bool b) { return SaveFormat(ttFlac, f, s, b); }
int TTags::SaveOggVorbisAndOpusTag(const std::string& f, TStream* s) { return SaveFormat(ttOpusVorbis, f, s, false); }
int TTags::SaveID3v1Tag(const std::string& f, TStream* s) { return SaveFormat(ttID3v1, f, s, false); }
int TTags::SaveID3v2Tag(const std::string& f, TStream* s, bool b) { return SaveFormat(ttID3v2, f, s, b); }
int TTags::SaveMP4Tag(const std::string& f, TStream* s, bool b) { return SaveFormat(ttMP4, f, s, b); }
int TTags::SaveWAVTag(const std::string& f, TStream* s) { return SaveFormat(ttWAV, f, s, false); }
int TTags::SaveWMATag(const std::string& f, TStream* s) { return SaveFormat(ttWMA, f, s, false); }

// --- Saving ----------------------------------------------------------------------

// The formats a file's content calls for; false when the content names none.
bool TTags::SaveByContent(int audioFormat, const std::function<bool(TTagType)>& save, bool forFile) {
    switch (audioFormat) {
    case afMonkeysAudio:
    case afOptimFROG:
    case afMusepack:
    case afWavPack: return save(ttAPEv2);
    case afFlac:
    case afOggFlac: return save(ttFlac);
    case afMPEG:
    case afRIFFWAVE:
    case afRF64:
    case afAIFF:
    case afAIFC:
    case afDSDIFF:
    case afDSF: {
        // Caches and a length that stop being true once the file changes.
        if (TID3v2Frames* frames = ID3v2(); frames && forFile)
            for (const char* id : {"SEFC", "SESC", "TLEN"}) ClearAllID3v2FramesByID(*frames, id);
        bool saved = save(ttID3v2);
        if (audioFormat == afRIFFWAVE || audioFormat == afRF64) saved = save(ttWAV) || saved;
        return saved;
    }
    case afMP4: return save(ttMP4);
    case afOggOpus:
    case afOggVorbis: return save(ttOpusVorbis);
    case afOggTheora: return forFile && save(ttOpusVorbis);
    default: return false;
    }
}

int TTags::SaveToFile(const std::string& fileName, TTagType tagType) {
    if (int missing = LoadWhatIsMissing(); missing != trSuccess) return missing;
    ModificationTime keep(fileName, PreserveFileDateTime);
    int last = trUnknownError;
    auto save = [&](TTagType type) {
        last = TranslateResult(type, SaveFormat(type, fileName, nullptr, true));
        if (last != trSuccess) LogRefused(FormatTag(type == ttLyrics2 ? ttID3v1 : type), "\"" + fileName + "\"", last);
        return last == trSuccess;
    };
    if (IsOneFormat(tagType)) {
        save(tagType);
    } else if (tagType == ttAutomatic) {
        bool saved = false;
        if (!FileName.empty() && common::equalsNoCase(fileName, FileName))
            for (TTagType type : kSaveOrder)
                if (FormatTag(type)->Loaded() && save(type) && type != ttID3v1) saved = true;
        if (!saved) saved = SaveByContent(GetAudioFormat(fileName), save, true);
        if (!saved)
            for (TTagType type : FormatsOfExtension(common::asciiUpper(common::extractFileExt(fileName)))) save(type);
    }
    return last;
}

int TTags::SaveToStream(TStream& stream, bool buffered, TTagType tagType) {
    int last = trUnknownError;
    auto save = [&](TTagType type) {
        last = TranslateResult(type, SaveFormat(type, {}, &stream, buffered));
        if (last != trSuccess) LogRefused(FormatTag(type == ttLyrics2 ? ttID3v1 : type), "a stream", last);
        return last == trSuccess;
    };
    if (tagType == ttWMA) return trUnsupportedFileFormat;
    if (int missing = LoadWhatIsMissing(); missing != trSuccess) return missing;
    if (IsOneFormat(tagType)) save(tagType);
    else if (tagType == ttAutomatic) SaveByContent(GetAudioFormat(stream), save, false);
    return last;
}

// --- Removing --------------------------------------------------------------------

int RemoveTag(const std::string& fileName, TTagType tagType) {
    if (!common::fileExists(fileName)) return trFileNotFound;
    auto remove = [&](TTagType type) {
        std::unique_ptr<TFormatTag> tag = CreateFormatTag(type);
        return TranslateResult(type, GuardedCode([&] { return tag->RemoveFromFile(fileName); }));
    };
    // WMA attributes go by saving an emptied object.
    auto removeWMA = [&] {
        std::unique_ptr<TFormatTag> tag = CreateFormatTag(ttWMA);
        return TranslateResult(ttWMA, GuardedCode([&] {
                                   tag->LoadFromFile(fileName, {});
                                   tag->Clear();
                                   return tag->SaveToFile(fileName);
                               }));
    };
    switch (tagType) {
    case ttAPEv2:
    case ttFlac:
    case ttID3v1:
    case ttID3v2:
    case ttMP4:
    case ttOpusVorbis:
    case ttWAV: return remove(tagType);
    case ttWMA: return removeWMA();
    case ttAutomatic: {
        for (TTagType type : {ttAPEv2, ttFlac, ttID3v1, ttID3v2, ttMP4, ttOpusVorbis, ttWAV}) remove(type);
        std::string ext = common::asciiUpper(common::extractFileExt(fileName));
        if (ext == ".WMA" || ext == ".WMV" || ext == ".ASF") removeWMA();
        return trSuccess;
    }
    default: return trUnknownError;
    }
}

// --- Copying and merging ---------------------------------------------------------

bool TTags::Assign(const TTags& source, bool coverArtsToo) {
    if (&source == this) return true;
    try {
        Clear();
        FileName = source.FileName;
        Loaded = source.Loaded;
        FPicturesMissing = source.FPicturesMissing;
        FEntriesMissing = source.FEntriesMissing;
        FDeletedNames = source.FDeletedNames;
        for (TTagType type : kFormatLoadOrder) {
            const TFormatTag* from = source.FormatTag(type);
            if (from->Loaded()) FormatTag(type)->Assign(*from);
        }
        for (const auto& e : source.Tags) {
            TTag* t = Add({});
            t->Assign(*e);
            // Kept so that a URL frame is not written back as a text frame.
            t->ExtTagType = e->ExtTagType;
        }
        if (coverArtsToo) AssignCoverArts(source, false);
        return true;
    } catch (...) {
        common::log::caught("tags", "copying tags");
        return false;
    }
}

bool TTags::AssignCoverArts(const TTags& source, bool append) {
    if (&source == this) return false;  // would copy the list onto itself
    if (!append) DeleteAllCoverArts();
    for (const auto& c : source.CoverArts) AddCoverArt({})->Assign(*c);
    return !source.CoverArts.empty();
}

void TTags::MergeTags(const TTags& source, TTagsMergeMode mergeMode, bool coverArtsToo, bool coverArtsAppend) {
    if (&source == this) return;
    switch (mergeMode) {
    case tlmmClearAll: Assign(source, coverArtsToo); break;
    case tlmmReplace:
        for (const auto& e : source.Tags) SetText(e->Name, e->Value);
        if (coverArtsToo) AssignCoverArts(source, false);
        break;
    case tlmmKeepOriginal:
        for (const auto& e : source.Tags)
            if (Exists(e->Name) < 0) SetText(e->Name, e->Value);
        if (coverArtsToo) AssignCoverArts(source, coverArtsAppend);
        break;
    default: break;
    }
}

}  // namespace tags
