// FLAC and Ogg FLAC in the facade: Vorbis comment names are the entry names,
// PICTURE blocks the pictures.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

namespace {

bool IsListName(const std::string& name) {
    return common::equalsNoCase(name, "TIPL") || common::equalsNoCase(name, "TMCL");
}

}  // namespace

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
        TUnifiedPicture p;
        p.Name = "Cover art " + std::to_string(i + 1);
        p.Data = std::move(image.Bytes());
        p.Description = info.Description;
        p.MIMEType = info.MIMEType;
        p.CoverType = info.PictureType;
        p.Width = info.Width;
        p.Height = info.Height;
        p.ColorDepth = info.ColorDepth;
        p.NoOfColors = info.NoOfColors;
        out.Pictures.push_back(std::move(p));
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
    const TItemListPlan plan(tags, std::move(native));
    for (int i = Tag.Count(); i-- > 0;)
        if (plan.Rewrites(i)) Tag.DeleteFrame(i);
    for (const auto& e : tags.Tags) {
        if (!plan.Writes(e->Name)) continue;
        if (TNumberKind kind = TotalKindOf(e->Name); kind != TNumberKind::None && NumberHoldsTotal(tags, kind))
            continue;
        if (IsListName(e->Name)) {
            std::vector<std::string> items;
            e->GetList(items);
            Tag.AddTag(e->Name)->SetList(items);
        } else {
            Tag.AddTextTag(e->Name, e->Value);
        }
    }

    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts) {
        const std::string& data = c->Stream.Bytes();
        TFlacTagCoverArtInfo info;
        info.PictureType = c->CoverType;
        info.MIMEType = MIMETypeToWrite(c->MIMEType, c->PictureFormat, data);
        info.Description = c->Description;
        info.Width = c->Width;
        info.Height = c->Height;
        info.ColorDepth = c->ColorDepth;
        info.NoOfColors = c->NoOfColors;
        info.SizeOfPictureData = static_cast<uint32_t>(data.size());
        TMemoryStream image(data);
        Tag.SetCoverArt(Tag.AddMetaDataCoverArt(nullptr, 0), image, info);
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
