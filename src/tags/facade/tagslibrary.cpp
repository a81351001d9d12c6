#include "tags/facade/tagslibrary.h"

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "tags/core/readmemorystream.h"
#include "tags/facade/converterrules.h"
#include "tags/facade/formatadapters.h"
#include "tags/facade/ownedlist.h"

#include <utility>

namespace tags {

namespace {

constexpr size_t kTagsCapacity = 256;
constexpr size_t kCoverArtsCapacity = 128;

// A broken format must never stop the others.
template <typename F>
void Guarded(F&& f) noexcept {
    try {
        f();
    } catch (...) {
        common::log::caught("tags", "one format stopped");
    }
}

bool SameName(const std::string& a, const std::string& b) { return common::equalsNoCase(a, b); }

}  // namespace

TTags::TTags(TFormatFactory factory) : FFactory(std::move(factory)) {
    auto make = [this](TTagType type) {
        std::unique_ptr<TFormatTag> tag = FFactory.FormatTag ? FFactory.FormatTag(type) : nullptr;
        return tag ? std::move(tag) : CreateFormatTag(type);
    };
    APEv2Tag = make(ttAPEv2);
    FlacTag = make(ttFlac);
    ID3v1Tag = make(ttID3v1);
    ID3v2Tag = make(ttID3v2);
    MP4Tag = make(ttMP4);
    OggVorbisAndOpusTag = make(ttOpusVorbis);
    WAVTag = make(ttWAV);
    WMATag = make(ttWMA);
    ID3v2FramesContext = ID3v2();
    detail::ResetList(Tags, kTagsCapacity);
    detail::ResetList(CoverArts, kCoverArtsCapacity);
}

TTags::~TTags() { Clear(); }

TFormatTag* TTags::FormatTag(TTagType type) const {
    switch (type) {
    case ttAPEv2: return APEv2Tag.get();
    case ttFlac: return FlacTag.get();
    case ttID3v1: return ID3v1Tag.get();
    case ttID3v2: return ID3v2Tag.get();
    case ttMP4: return MP4Tag.get();
    case ttOpusVorbis: return OggVorbisAndOpusTag.get();
    case ttWAV: return WAVTag.get();
    case ttWMA: return WMATag.get();
    default: return nullptr;
    }
}

namespace {
template <typename Adapter>
auto* Unit(const std::unique_ptr<TFormatTag>& tag) {
    auto* a = dynamic_cast<Adapter*>(tag.get());
    return a ? &a->Tag : nullptr;
}
}  // namespace

TID3v1Tag* TTags::ID3v1() const { return Unit<TID3v1FormatTag>(ID3v1Tag); }
TID3v2Tag* TTags::ID3v2() const { return Unit<TID3v2FormatTag>(ID3v2Tag); }
TAPEv2Tag* TTags::APEv2() const { return Unit<TAPEv2FormatTag>(APEv2Tag); }
TFlacTag* TTags::Flac() const { return Unit<TFlacFormatTag>(FlacTag); }
TOpusTag* TTags::Ogg() const { return Unit<TOggFormatTag>(OggVorbisAndOpusTag); }
TMP4Tag* TTags::MP4() const { return Unit<TMP4FormatTag>(MP4Tag); }

bool TTags::AnyFormatLoaded() const {
    for (TTagType type : kFormatLoadOrder)
        if (FormatTag(type)->Loaded()) return true;
    return false;
}

// --- Loading -----------------------------------------------------------------

int TTags::LoadFromFile(const std::string& fileName) {
    Clear();
    if (!common::fileExists(fileName)) return trErrorOpeningFile;
    // Held with a shared lock for the whole load, so no writer changes the
    // file between one format's reader and the next; also tells an
    // unreadable file from one without tags.
    std::unique_ptr<TFileStream> hold = TFileStream::Open(fileName, TFileMode::fmOpenRead);
    if (!hold) return trErrorOpeningFile;

    TFormatLoadOptions options;
    options.ApplyParseOptions = true;
    options.ParseAudioAttributes = ParseAudioAttributes;
    options.ParseCoverArts = ParseCoverArts;
    options.OpenFile = hold.get();
    for (TTagType type : kFormatLoadOrder) {
        if (type == ttWMA) continue;
        options.Buffered = type == ttFlac;
        Guarded([&] {
            if (hold->SetPosition(0)) FormatTag(type)->LoadFromFile(fileName, options);
        });
    }
    // The other readers know the file better; WMA is the last guess.
    options.Buffered = false;
    options.OpenFile = nullptr;
    if (!ID3v2Tag->Loaded() && !WAVTag->Loaded() && GetAudioFormat(*hold) == afUnknown)
        Guarded([&] { WMATag->LoadFromFile(fileName, options); });

    LoadStreamProperties(nullptr, fileName, common::asciiUpper(common::extractFileExt(fileName)));
    FileName = fileName;
    Loaded = AnyFormatLoaded();
    LoadTags();
    return trSuccess;
}

int TTags::LoadFromStream(TStream& stream, bool buffered) {
    Clear();
    if (stream.GetSize() <= 0) return trErrorOpeningFile;
    TFormatLoadOptions options;
    for (TTagType type : kFormatLoadOrder) {
        if (type == ttWMA || !stream.SetPosition(0)) continue;
        options.Buffered = buffered && (type == ttFlac || type == ttID3v2 || type == ttMP4);
        Guarded([&] { FormatTag(type)->LoadFromStream(stream, options); });
    }
    LoadStreamProperties(&stream, {}, {});
    FileName.clear();
    Loaded = AnyFormatLoaded();
    LoadTags();
    return trSuccess;
}

int TTags::LoadFromMemory(const void* address, int32_t size) {
    if (!address || size <= 0) {
        Clear();
        return trFileNotFound;
    }
    TReadMemoryStream stream(address, size);
    return LoadFromStream(stream, true);
}

// A file load runs each reader only on its own extension; a stream load
// runs every reader that is asked for.
void TTags::LoadStreamProperties(TStream* stream, const std::string& fileName, const std::string& extension) {
    int64_t apev2Size = APEv2Tag->Loaded() ? APEv2Tag->TagSize() : 0;
    int64_t id3v2Size = ID3v2Tag->Loaded() ? ID3v2Tag->TagSize() : 0;
    int64_t restSize = apev2Size + (ID3v1Tag->Loaded() ? 128 : 0);
    struct Reader {
        bool wanted;
        const char* extension;
        TStreamPropertiesKind kind;
        std::unique_ptr<TStreamPropertiesReader>& slot;
        int64_t leading, trailing;
    };
    Reader readers[] = {
        {ParseWavPackAudioAttributes, ".WV", spkWavPack, SourceAudioAttributes.WAVPackAttributes, 0, apev2Size},
        {ParseMusePackAudioAttributes, ".MPC", spkMusepack, SourceAudioAttributes.MusePackAttributes, id3v2Size,
         restSize},
        {ParseMonkeyAudioAttributes, ".APE", spkMonkey, SourceAudioAttributes.MonkeyAttributes, id3v2Size, restSize},
    };
    for (Reader& r : readers) {
        if (!r.wanted || (!stream && extension != r.extension) || !FFactory.PropertiesReader) continue;
        std::unique_ptr<TStreamPropertiesReader> reader = FFactory.PropertiesReader(r.kind);
        if (!reader) continue;
        bool valid = false;
        Guarded([&] {
            if (stream) valid = stream->SetPosition(0) && reader->LoadFromStream(*stream, r.leading, r.trailing);
            else valid = reader->LoadFromFile(fileName, r.leading, r.trailing);
            valid = valid && reader->Valid();
        });
        if (valid) r.slot = std::move(reader);
    }
}

void TTags::LoadTags() {
    for (size_t i = TagLoadPriority.size(); i-- > 0;) {
        TTagType type = TagLoadPriority[i];
        TFormatTag* tag = FormatTag(type);
        if (!tag || !tag->Loaded()) continue;
        switch (type) {
        case ttID3v1:
            if (!OnlyParseCoverArts) LoadID3v1Tags();
            else NoteSkippedEntries(*tag);
            break;
        case ttWAV:
            if (!OnlyParseCoverArts) LoadWAVTags();
            else NoteSkippedEntries(*tag);
            break;
        case ttAPEv2: LoadAPEv2Tags(); break;
        case ttOpusVorbis: LoadOggVorbisAndOpusTags(); break;
        case ttWMA: LoadWMATags(); break;
        case ttMP4: LoadMP4Tags(); break;
        case ttID3v2: LoadID3v2Tags(); break;
        case ttFlac: LoadFlacTags(); break;
        default: break;
        }
    }
}

void TTags::NoteSkippedEntries(TFormatTag& tag) {
    TUnifiedTags unified;
    Guarded([&] { tag.GetUnifiedTags(unified, false); });
    FEntriesMissing = FEntriesMissing || !unified.Entries.empty();
}

void TTags::LoadAPEv2Tags() { LoadFormatTags(*APEv2Tag, false); }
void TTags::LoadFlacTags() { LoadFormatTags(*FlacTag, false); }
void TTags::LoadOggVorbisAndOpusTags() { LoadFormatTags(*OggVorbisAndOpusTag, false); }
void TTags::LoadID3v1Tags() { LoadFormatTags(*ID3v1Tag, true); }
void TTags::LoadID3v2Tags() {
    // Stream caches of another program, never shown as entries.
    if (TID3v2Frames* frames = ID3v2(); frames && !OnlyParseCoverArts)
        for (const char* id : {"SESC", "SEFC", "SEBR"}) ClearAllID3v2FramesByID(*frames, id);
    LoadFormatTags(*ID3v2Tag, true);
}
void TTags::LoadMP4Tags() { LoadFormatTags(*MP4Tag, true); }
void TTags::LoadWAVTags() { LoadFormatTags(*WAVTag, true); }
void TTags::LoadWMATags() { LoadFormatTags(*WMATag, true); }

// The rules every converter shares: names this format supplies replace
// those of lower priorities, its pictures replace all earlier ones, and
// "n/total" track (and, where the format says so, disc) numbers become a
// number and a total.
void TTags::LoadFormatTags(TFormatTag& tag, bool setsLoaded) {
    TUnifiedTags unified;
    Guarded([&] { tag.GetUnifiedTags(unified, ParseCoverArts); });
    std::vector<std::string> replaced = unified.AlsoReplaces;
    for (const TUnifiedEntry& e : unified.Entries)
        if (e.ReplacesExisting) replaced.push_back(e.Name);
    std::vector<TShownEntry> entries = ShowEntries(std::move(unified.Entries), unified.SplitsDiscNumbers);
    for (const TShownEntry& s : entries)
        if (s.Entry.ReplacesExisting && !s.Total) replaced.push_back(s.Entry.Name);
    FEntriesMissing = FEntriesMissing || (OnlyParseCoverArts && !entries.empty());
    FPicturesMissing = FPicturesMissing || (unified.HasPictures && (!ParseCoverArts || unified.PicturesSkipped));
    if (!OnlyParseCoverArts) {
        for (const std::string& name : replaced)
            for (size_t i = Tags.size(); i-- > 0;)
                if (SameName(Tags[i]->Name, name)) Remove(static_cast<int>(i));
    }
    if (unified.HasPictures || !unified.Pictures.empty()) {
        DeleteAllCoverArts();
        if (ParseCoverArts)
            for (TUnifiedPicture& p : unified.Pictures) AddPicture(std::move(p));
    }
    if (!OnlyParseCoverArts) {
        for (TShownEntry& s : entries) {
            if (!s.Shown) continue;
            if (s.Total) Remove(Exists(s.Entry.Name));
            TTag* t = Add(s.Entry.Name);
            t->Value = std::move(s.Entry.Value);
            t->Language = std::move(s.Entry.Language);
            t->Description = std::move(s.Entry.Description);
            t->ExtTagType = s.Entry.ExtTagType;
        }
    }
    if (setsLoaded) Loaded = true;
}

// --- Entries -----------------------------------------------------------------

TTag* TTags::Add(const std::string& name) {
    Tags.push_back(std::make_unique<TTag>(this));
    Tags.back()->Name = name;
    return Tags.back().get();
}

TTag* TTags::Tag(const std::string& name) const {
    int i = Exists(name);
    return i < 0 ? nullptr : Tags[static_cast<size_t>(i)].get();
}

int TTags::Exists(const std::string& name) const {
    for (size_t i = 0; i < Tags.size(); ++i)
        if (SameName(Tags[i]->Name, name)) return static_cast<int>(i);
    return -1;
}

int TTags::TypeCount(const std::string& name) const {
    int n = 0;
    for (const auto& t : Tags) n += SameName(t->Name, name);
    return n;
}

std::string TTags::GetText(const std::string& name) const {
    const TTag* t = Tag(name);
    return t ? t->Value : std::string();
}

int TTags::SetText(const std::string& name, const std::string& text) {
    int i = Exists(name);
    if (i >= 0) {
        if (text.empty()) {
            Delete(i);
            return -1;
        }
        Tags[static_cast<size_t>(i)]->Value = text;
        return i;
    }
    if (text.empty()) return -1;
    Add(name)->Value = text;
    return Count() - 1;
}

int TTags::GetList(const std::string& name, std::vector<std::string>& list) const {
    int i = Exists(name);
    if (i >= 0) Tags[static_cast<size_t>(i)]->GetList(list);
    return i;
}

int TTags::SetList(const std::string& name, const std::vector<std::string>& list) {
    int i = Exists(name);
    if (i < 0) {
        if (list.empty()) return -1;
        Add(name)->SetAsList(list);
        return Count() - 1;
    }
    if (list.empty()) {
        Delete(i);
        return -1;
    }
    Tags[static_cast<size_t>(i)]->SetAsList(list);
    return i;
}

bool TTags::GetMultipleList(const std::string& name, std::vector<std::string>& list) const {
    list.clear();
    for (const auto& t : Tags)
        if (SameName(t->Name, name) && !ItemAlreadyOnList(list, t->Value)) list.push_back(t->Value);
    return !list.empty();
}

bool TTags::ItemAlreadyOnList(const std::vector<std::string>& list, const std::string& item) {
    for (const std::string& line : list)
        if (common::equalsNoCase(line, item)) return true;
    return false;
}

bool TTags::Delete(int index) {
    if (index < 0 || index >= Count()) return false;
    const TTag& entry = *Tags[static_cast<size_t>(index)];
    FDeletedNames.insert(common::toUpper(entry.Name));
    for (TFormatTag* tag : {APEv2Tag.get(), FlacTag.get(), OggVorbisAndOpusTag.get(), ID3v1Tag.get(), ID3v2Tag.get(),
                            MP4Tag.get(), WAVTag.get(), WMATag.get()})
        Guarded([&] { tag->DeleteEntry(entry); });
    return detail::EraseAt(Tags, index);
}

bool TTags::Delete(const std::string& name) { return Delete(Exists(name)); }

int TTags::Clear(const std::string& name) {
    int n = 0;
    for (size_t i = Tags.size(); i-- > 0;)
        if (SameName(Tags[i]->Name, name) && Delete(static_cast<int>(i))) ++n;
    return n;
}

bool TTags::Remove(int index) { return detail::EraseAt(Tags, index); }

void TTags::DeleteAllTags() { detail::ResetList(Tags, kTagsCapacity); }

void TTags::RemoveEmptyTags() {
    for (size_t i = Tags.size(); i-- > 0;)
        if (Tags[i]->Value.empty()) Delete(static_cast<int>(i));
}

void TTags::Clear() {
    DeleteAllTags();
    DeleteAllCoverArts();
    for (TTagType type : kFormatLoadOrder)
        if (TFormatTag* tag = FormatTag(type)) Guarded([&] { tag->Clear(); });
    SourceAudioAttributes.Clear();
    FileName.clear();
    Loaded = false;
    FPicturesMissing = FEntriesMissing = false;
    FDeletedNames.clear();
}

// --- Pictures ----------------------------------------------------------------

TCoverArt* TTags::CoverArt(const std::string& name) const {
    for (const auto& c : CoverArts)
        if (SameName(c->Name, name)) return c.get();
    return nullptr;
}

TCoverArt* TTags::AddCoverArt(const std::string& name) {
    CoverArts.push_back(std::make_unique<TCoverArt>(this));
    TCoverArt* c = CoverArts.back().get();
    c->Name = name;
    c->Description = "No description";
    return c;
}

TCoverArt* TTags::AddCoverArt(const std::string& name, TStream& stream, const std::string& mimeType) {
    TCoverArt* c = AddCoverArt(name);
    c->MIMEType = mimeType;
    c->PictureFormat = PictureFormatFromMIMEType(mimeType);
    c->Stream.CopyFrom(stream, 0);
    c->Stream.SetPosition(0);
    return c;
}

TCoverArt* TTags::AddCoverArt(const std::string& name, const std::string& fileName) {
    if (!common::fileExists(fileName)) return nullptr;
    TMemoryStream image;
    if (!image.LoadFromFile(fileName)) return nullptr;  // never a half-read picture
    std::string mime = MIMETypeFromPicture(image.Memory(), static_cast<uint64_t>(image.Size()));
    TCoverArt* c = AddCoverArt(name, image, mime);
    c->Description = common::extractFileName(fileName);
    return c;
}

bool TTags::DeleteCoverArt(int index) { return detail::EraseAt(CoverArts, index); }

void TTags::DeleteAllCoverArts() { detail::ResetList(CoverArts, kCoverArtsCapacity); }

TCoverArt* TTags::AddPicture(TUnifiedPicture&& p) {
    std::string name = p.Name.empty() ? "Cover art " + std::to_string(CoverArts.size() + 1) : std::move(p.Name);
    TCoverArt* c = AddCoverArt(name);
    c->Description = std::move(p.Description);
    c->MIMEType = std::move(p.MIMEType);
    c->CoverType = p.CoverType;
    c->PictureFormat =
        p.PictureFormat != tpfUnknown ? p.PictureFormat : PicturePointerType(p.Data.data(), p.Data.size());
    c->Width = p.Width;
    c->Height = p.Height;
    c->ColorDepth = p.ColorDepth;
    c->NoOfColors = p.NoOfColors;
    c->Stream.Bytes() = std::move(p.Data);
    return c;
}

bool TTags::AppendCoverArts(TUnifiedTags& unified) {
    for (TUnifiedPicture& p : unified.Pictures) AddPicture(std::move(p));
    return !unified.Pictures.empty();
}

bool TTags::AppendCoverArts(TFormatTag& tag) {
    TUnifiedTags unified;
    Guarded([&] { tag.GetUnifiedTags(unified, true); });
    return AppendCoverArts(unified);
}

bool TTags::LoadAPEv2CoverArts(TAPEv2Tag& fromAPEv2Tag) {
    TUnifiedTags unified;
    Guarded([&] { TAPEv2FormatTag::Convert(fromAPEv2Tag, unified, true); });
    return AppendCoverArts(unified);
}

bool TTags::LoadFlacCoverArts(TFlacTag& fromFlacTag) {
    TUnifiedTags unified;
    Guarded([&] { TFlacFormatTag::Convert(fromFlacTag, unified, true); });
    return AppendCoverArts(unified);
}

bool TTags::LoadID3v2CoverArts(TID3v2Tag& fromID3v2Tag) {
    TUnifiedTags unified;
    Guarded([&] { TID3v2FormatTag::Convert(fromID3v2Tag, unified, true); });
    return AppendCoverArts(unified);
}

bool TTags::LoadOggVorbisAndOpusCoverArts(TFormatTag& fromOggTag) { return AppendCoverArts(fromOggTag); }
bool TTags::LoadMP4CoverArts(TFormatTag& fromMP4Tag) { return AppendCoverArts(fromMP4Tag); }
bool TTags::LoadWMACoverArts(TFormatTag& fromWMATag) { return AppendCoverArts(fromWMATag); }

// --- Native frames -----------------------------------------------------------

bool TTags::ClearAllID3v2FramesByID(TID3v2Frames& id3v2Tag, const std::string& frameID) {
    bool any = false;
    while (id3v2Tag.DeleteFrame(std::string_view(frameID))) any = true;
    return any;
}

bool TTags::ClearAllID3v2FramesTXXXByDescription(TID3v2Frames& id3v2Tag, const std::string& description) {
    bool any = false;
    for (int64_t i = id3v2Tag.FrameCount(); i-- > 0;) {
        if (id3v2Tag.Frame(i)->IDString() != "TXXX") continue;
        std::string d;
        id3v2Tag.GetUserDefinedTextInformation(i, d);
        if (common::equalsNoCase(d, description)) any = id3v2Tag.DeleteFrame(i) || any;
    }
    return any;
}

void TTags::ReSetAlreadyParsedState() {
    for (auto& t : Tags) t->AlreadyParsed = false;
    for (auto& c : CoverArts) c->AlreadyParsed = false;
}

int64_t TTags::GetSize() const {
    int64_t size = 0;
    for (TTagType type : kFormatLoadOrder) {
        const TFormatTag* tag = FormatTag(type);
        if (tag->Loaded()) size += tag->TagSize();
    }
    return size;
}

}  // namespace tags
