// FLAC and Ogg FLAC in the facade: Vorbis comment names are the entry names,
// PICTURE blocks the pictures.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

TFlacFormatTag::TFlacFormatTag() { Tag.PaddingSizeToWrite = kTagsLibraryDefaults.PaddingToWrite; }

int TFlacFormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (!options.OpenFile) return Tag.LoadFromFile(fileName, options.Buffered);
    int result = Tag.LoadFromStream(*options.OpenFile, options.Buffered);
    Tag.FileName = fileName;
    return result;
}

int TFlacFormatTag::LoadFromStream(TStream& stream, const TFormatLoadOptions& options) {
    return Tag.LoadFromStream(stream, options.Buffered);
}

// A removal leaves no room for a later tag: the file should end up as small
// as the tag-less stream.
int TFlacFormatTag::RemoveFromFile(const std::string& fileName) { return RemoveFlacTagFromFile(fileName, 0, false); }

bool TFlacFormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TFlacFormatTag*>(&source);
    if (!s) return false;
    Tag.Assign(s->Tag);
    return true;
}

void TFlacFormatTag::Convert(TFlacTag& tag, TUnifiedTags& out, bool parseCoverArts) {
    for (size_t i = 0; i < tag.Tags.size(); ++i) {
        TVorbisComment& c = *tag.Tags[i];
        if (c.Format != vcfText) continue;
        TUnifiedEntry e{c.Name, {}};
        if (IsListName(c.Name)) {
            std::vector<std::string> items;
            c.GetList(items);
            e.Value = ListToLines(items);
        } else {
            e.Value = c.GetText();
        }
        e.Item = static_cast<int64_t>(i);
        out.Entries.push_back(std::move(e));
    }
    out.HasPictures = tag.CoverArtCount() > 0;
    if (!parseCoverArts) return;
    for (int i = 0; i < tag.CoverArtCount(); ++i) {
        TMemoryStream image;
        TFlacTagCoverArtInfo info;
        if (!tag.GetCoverArt(i, image, info)) continue;
        out.Pictures.push_back(UnifiedPictureOf(info, std::move(image.Bytes()), "Cover art " + std::to_string(i + 1)));
    }
}

void TFlacFormatTag::DeleteEntry(const TTag& entry) {
    TUnifiedTags native;
    Convert(Tag, native, false);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) Tag.DeleteFrame(static_cast<int>(i));
}

void TFlacFormatTag::Prepare(const TTags& tags) {
    Tag.UpperCaseFieldNamesToWrite = tags.UpperCaseFieldNamesToWrite;
    TUnifiedTags native;
    Convert(Tag, native, true);
    const bool samePictures = SamePictures(tags, native);
    PrepareFields(
        tags, std::move(native), Tag.Count(), [&](int i) { Tag.DeleteFrame(i); },
        [&](const TTag& e, const std::vector<std::string>* list) {
            if (list) Tag.AddTag(e.Name)->SetList(*list);
            else Tag.AddTextTag(e.Name, e.Value);
        });

    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts) {
        TMemoryStream image(c->Stream.Bytes());
        Tag.SetCoverArt(Tag.AddMetaDataCoverArt(nullptr, 0), image, PictureInfoOf(*c));
    }
}

std::vector<TNativeItem> TFlacFormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    // GetText only marks the field as read.
    for (const auto& c : Tag.Tags) items.push_back({c->Name, const_cast<TVorbisComment&>(*c).GetText()});
    return items;
}

TAudioAttributes TFlacFormatTag::AudioAttributes() const {
    TAudioAttributes a;
    a.Channels = Tag.FChannels;
    a.SamplesPerSec = Tag.FSampleRate;
    a.BitsPerSample = Tag.FBitsPerSample;
    a.SampleCount = Tag.FSamples;
    a.BitRate = Tag.FBitrate;
    a.PlayTime = Tag.Playtime();
    return a;
}

}  // namespace tags
