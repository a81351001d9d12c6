// Ogg Vorbis, Opus and Theora comments in the facade: field names are the
// entry names, picture fields the pictures (named after their field).
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

TOggFormatTag::TOggFormatTag() {
    Tag.PaddingSizeToWrite = kTagsLibraryDefaults.PaddingToWrite;
    Tag.ParsePlayTime = kTagsLibraryDefaults.OggParsePlayTime;
}

int TOggFormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (!options.OpenFile) return Tag.LoadFromFile(fileName);
    int result = Tag.LoadFromStream(*options.OpenFile);
    if (result == oggSuccess) Tag.FileName = fileName;
    return result;
}

// A removal leaves no padding behind: the file ends up as small as it can.
int TOggFormatTag::RemoveFromFile(const std::string& fileName) {
    return RemoveOggVorbisAndOpusTagFromFile(fileName, 0, false);
}

bool TOggFormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TOggFormatTag*>(&source);
    if (!s) return false;
    Tag.Assign(s->Tag);
    return true;
}

void TOggFormatTag::Convert(TOpusTag& tag, TUnifiedTags& out, bool parseCoverArts) {
    for (int i = 0; i < tag.Count(); ++i) {
        TOpusTagFrame& f = *tag.Frames[static_cast<size_t>(i)];
        if (f.IsCoverArt()) {
            out.HasPictures = true;
            if (!parseCoverArts) continue;
            TMemoryStream image;
            TOpusVorbisCoverArtInfo info;
            if (!tag.GetCoverArtFromFrame(i, image, info)) continue;
            out.Pictures.push_back(UnifiedPictureOf(info, std::move(image.Bytes()), f.Name));
            continue;
        }
        if (f.Format != otffText) continue;
        TUnifiedEntry e{f.Name, {}};
        if (IsListName(f.Name)) {
            std::vector<std::string> items;
            f.GetList(items);
            e.Value = ListToLines(items);
        } else {
            e.Value = f.GetText();
        }
        e.Item = i;
        out.Entries.push_back(std::move(e));
    }
}

void TOggFormatTag::DeleteEntry(const TTag& entry) {
    TUnifiedTags native;
    Convert(Tag, native, false);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) Tag.DeleteFrame(static_cast<int>(i));
}

void TOggFormatTag::Prepare(const TTags& tags) {
    Tag.UpperCaseFieldNamesToWrite = tags.UpperCaseFieldNamesToWrite;
    TUnifiedTags native;
    Convert(Tag, native, true);
    const bool samePictures = SamePictures(tags, native);
    PrepareFields(
        tags, std::move(native), Tag.Count(), [&](int i) { Tag.DeleteFrame(i); },
        [&](const TTag& e, const std::vector<std::string>* list) {
            if (list) Tag.AddFrame(e.Name)->SetList(*list);
            else Tag.AddTextFrame(e.Name, e.Value);
        });

    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts) {
        TMemoryStream image(c->Stream.Bytes());
        Tag.AddCoverArtFrame(&image, PictureInfoOf(*c));
    }
}

// Picture fields show their MIME type, as APIC frames do.
std::vector<TNativeItem> TOggFormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    auto& tag = const_cast<TOpusTag&>(Tag);  // reading only marks fields as read
    for (int i = 0; i < tag.Count(); ++i) {
        TOpusTagFrame& f = *tag.Frames[static_cast<size_t>(i)];
        TOpusVorbisCoverArtInfo info;
        if (f.IsCoverArt()) items.push_back({f.Name, tag.GetCoverArtInfo(i, info) ? info.MIMEType : std::string()});
        else items.push_back({f.Name, f.GetText()});
    }
    return items;
}

TAudioAttributes TOggFormatTag::AudioAttributes() const {
    TAudioAttributes a;
    const TOggFileInfo& i = Tag.Info;
    if (Tag.Format == ofOpus) {
        a.Channels = i.OpusParameters.ChannelCount;
        // The rate of the input, when the encoder knew it; Opus itself runs
        // at 48 kHz.
        a.SamplesPerSec = i.OpusParameters.SampleRate ? i.OpusParameters.SampleRate : 48000;
        a.BitRate = i.BitRate;
    } else if (Tag.Format == ofVorbis) {
        a.Channels = i.VorbisParameters.ChannelMode;
        a.SamplesPerSec = i.VorbisParameters.SampleRate;
        a.BitRate =
            i.BitRate ? i.BitRate : static_cast<uint32_t>(std::max(i.VorbisParameters.BitRateNominal, 0) / 1000);
    }
    a.PlayTime = i.PlayTime;
    a.SampleCount = i.SampleCount;
    return a;
}

}  // namespace tags
