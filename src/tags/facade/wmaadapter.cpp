// WMA attributes in the facade: names by the WMA table (others keep their
// own), "WM/Track" as a 0-based track number, "WM/Picture" as pictures.
#include <algorithm>

#include "common/text.h"
#include "tags/facade/coverart.h"
#include "tags/facade/formatadapters.h"
#include "tags/facade/tagslibrary.h"
#include "tags/facade/wmaattributetable.h"

namespace tags {

namespace {

uint64_t Number(const std::string& s) {
    uint64_t v = 0;
    for (char c : common::trimmed(s)) {
        if (c < '0' || c > '9') break;
        v = v * 10 + uint64_t(c - '0');
    }
    return v;
}

}  // namespace

int TWMAFormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions&) {
    return Tag.LoadFromFile(fileName);
}

bool TWMAFormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TWMAFormatTag*>(&source);
    if (!s) return false;
    Tag.Assign(s->Tag);
    return true;
}

void TWMAFormatTag::Convert(const TWMATag& tag, TUnifiedTags& out, bool parseCoverArts) {
    out.SplitsDiscNumbers = true;
    int64_t track = -1;
    for (size_t i = 0; i < tag.Frames.size(); ++i) {
        const TWMATagFrame& f = *tag.Frames[i];
        if (f.IsCoverArt()) {
            out.HasPictures = true;
            if (!parseCoverArts) continue;
            TUnifiedPicture p;
            uint8_t type = 0;
            if (!tag.GetCoverArtFromFrame(int64_t(i), p.Data, p.MIMEType, type, p.Description)) continue;
            p.CoverType = type;
            out.Pictures.push_back(std::move(p));
            continue;
        }
        if (f.Name == "WM/Track") {
            track = int64_t(i);
            continue;
        }
        if (WMAIgnoredAttribute(f.Name)) continue;
        TUnifiedEntry e{WMAAttributeToName(f.Name), {}};
        if (IsListName(e.Name)) {
            std::vector<std::string> items;
            f.GetList(items);
            e.Value = ListToLines(items);
        } else {
            e.Value = f.GetText();
        }
        e.Item = int64_t(i);
        out.Entries.push_back(std::move(e));
    }
    const bool haveTrack = std::any_of(out.Entries.begin(), out.Entries.end(),
                                       [](const TUnifiedEntry& e) { return e.Name == "TRACKNUMBER"; });
    if (track >= 0 && !haveTrack) {
        TUnifiedEntry e{"TRACKNUMBER", std::to_string(tag.Frames[size_t(track)]->GetInteger() + 1)};
        e.Item = track;
        out.Entries.push_back(std::move(e));
    }
}

void TWMAFormatTag::DeleteEntry(const TTag& entry) {
    TUnifiedTags native;
    Convert(Tag, native, false);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) Tag.DeleteFrame(i);
}

void TWMAFormatTag::Prepare(const TTags& tags) {
    TUnifiedTags native;
    Convert(Tag, native, true);
    const bool samePictures = SamePictures(tags, native);
    for (const auto& e : tags.Tags) {
        const TNumberKind kind = NumberKindOf(e->Name);
        std::vector<std::string> names{WMANameToAttribute(e->Name)};
        if (kind == TNumberKind::Track) names = {"WM/Track", "WM/TrackNumber"};
        if (kind == TNumberKind::Disc) names = {"WM/PartOfSet"};
        for (const std::string& n : names)
            while (Tag.DeleteFrameByName(n)) {}
    }
    // One track and one disc number: the last entry of each kind (a name
    // typed as "TRACK" after a loaded "TRACKNUMBER" is the newer).
    const TTag* numbers[3] = {};
    for (const auto& e : tags.Tags)
        if (!e->Value.empty() && NumberKindOf(e->Name) != TNumberKind::None)
            numbers[int(NumberKindOf(e->Name))] = e.get();
    // Entries that go to one attribute under different names ("YEAR" and
    // "RECORDINGDATE" both to "WM/Year"): the name that comes last is the
    // one the caller added or changed. Names that differ only in case are one.
    std::vector<std::pair<std::string, std::string>> lastName;  // attribute, upper-case name
    for (const auto& e : tags.Tags) {
        if (e->Value.empty() || NumberKindOf(e->Name) != TNumberKind::None) continue;
        const std::string attribute = WMANameToAttribute(e->Name);
        auto it = std::find_if(lastName.begin(), lastName.end(), [&](const auto& p) { return p.first == attribute; });
        if (it == lastName.end()) lastName.emplace_back(attribute, common::toUpper(e->Name));
        else it->second = common::toUpper(e->Name);
    }
    for (const auto& e : tags.Tags) {
        if (e->Value.empty() || TotalKindOf(e->Name) != TNumberKind::None) continue;
        const TNumberKind kind = NumberKindOf(e->Name);
        if (kind != TNumberKind::None && numbers[int(kind)] != e.get()) continue;
        if (kind == TNumberKind::Track) {
            const std::string value = NumberWithTotal(tags, e->Value, kind);
            const uint64_t number = std::max<uint64_t>(Number(value), 1);
            Tag.AddFrame("WM/Track")->SetInteger(WMT_TYPE_DWORD, number - 1);
            Tag.AddFrame("WM/TrackNumber")->SetText(value);
            continue;
        }
        if (kind == TNumberKind::Disc) {
            Tag.AddFrame("WM/PartOfSet")->SetText(NumberWithTotal(tags, e->Value, kind));
            continue;
        }
        const std::string attribute = WMANameToAttribute(e->Name);
        auto it = std::find_if(lastName.begin(), lastName.end(), [&](const auto& p) { return p.first == attribute; });
        if (it != lastName.end() && it->second != common::toUpper(e->Name)) continue;
        if (IsListName(e->Name)) {
            std::vector<std::string> list;
            tags.GetList(e->Name, list);
            Tag.AddFrame(attribute)->SetList(list);
        } else {
            Tag.AddFrame(attribute)->SetText(e->Value);
        }
    }
    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts)
        Tag.AddCoverArtFrame(c->Stream.Bytes(), MIMETypeToWrite(c->MIMEType, c->PictureFormat, c->Stream.Bytes()),
                             c->Description, uint8_t(c->CoverType));
}

std::vector<TNativeItem> TWMAFormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    for (const auto& f : Tag.Frames) items.push_back({f->Name, f->IsCoverArt() ? std::string() : f->GetText()});
    return items;
}

TAudioAttributes TWMAFormatTag::AudioAttributes() const {
    TAudioAttributes a;
    a.Channels = Tag.Channels;
    a.SamplesPerSec = Tag.SampleRate;
    a.BitsPerSample = Tag.BitsPerSample;
    a.PlayTime = double(Tag.Duration) / 1000;
    a.BitRate = Tag.BitRate;
    return a;
}

}  // namespace tags
