// MP4 in the facade: items by the atom table, freeform items by their name,
// track and disc numbers split into number and total, "covr" pictures, and
// the Windows properties of the Xtra atom.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/coverart.h"
#include "tags/facade/mp4atomtable.h"
#include "tags/facade/tagslibrary.h"

#include <cmath>
#include <cstdlib>

namespace tags {

namespace {

constexpr const char* kITunes = "com.apple.iTunes";

// The Xtra fields shown as entries, named by the part after "WM/".
constexpr const char* kXtraFields[] = {"WM/SharedUserRating",
                                       "WM/AuthorURL",
                                       "WM/PromotionURL",
                                       "WM/SubTitle",
                                       "WM/Category",
                                       "WM/Producer",
                                       "WM/EncodedBy",
                                       "WM/Conductor",
                                       "WM/ParentalRating",
                                       "WM/Writer",
                                       "WM/Director",
                                       "WM/Publisher",
                                       "WM/Mood",
                                       "WM/ContentDistributor",
                                       "WM/InitialKey",
                                       "WM/Period",
                                       "WM/PartOfSet",
                                       "WM/MediaClassPrimaryID",
                                       "WM/MediaClassSecondaryID",
                                       "WM/WMContentID",
                                       "WM/WMCollectionID",
                                       "WM/WMCollectionGroupID"};

bool IsListAtom(const std::string& id) { return id == "TIPL" || id == "TMCL"; }

uint64_t Number(const std::string& text) { return std::strtoull(text.c_str(), nullptr, 10); }

std::string MIMETypeOf(TTagPictureFormat format) {
    switch (format) {
    case tpfJPEG: return "image/jpeg";
    case tpfPNG: return "image/png";
    case tpfGIF: return "image/gif";
    case tpfBMP: return "image/bmp";
    default: return {};
    }
}

int IndexOf(const TMP4Tag& tag, const char* id) {
    for (int i = 0; i < tag.Count(); ++i)
        if (tag.Atoms[static_cast<size_t>(i)]->ID == id) return i;
    return -1;
}

}  // namespace

TMP4FormatTag::TMP4FormatTag() {
    Tag.PaddingToWrite = kTagsLibraryDefaults.PaddingToWrite;
    KeepPadding = kTagsLibraryDefaults.MP4KeepPadding;
}

int TMP4FormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (!options.OpenFile) return Tag.LoadFromFile(fileName);
    int result = Tag.LoadFromStream(*options.OpenFile, true);
    Tag.FileName = fileName;
    return result;
}

int TMP4FormatTag::LoadFromStream(TStream& stream, const TFormatLoadOptions& options) {
    return Tag.LoadFromStream(stream, options.Buffered);
}

int TMP4FormatTag::SaveToFile(const std::string& fileName) { return Tag.SaveToFile(fileName, KeepPadding); }

int TMP4FormatTag::SaveToStream(TStream& stream, bool) { return Tag.SaveToStream(stream, KeepPadding); }

// Gapless-playback data and the encoder's name describe the audio, not the
// song: they stay. Nothing else moves in the file.
int TMP4FormatTag::RemoveFromFile(const std::string& fileName) {
    return StripMP4Tag(fileName, true, true, false, Tag.PaddingToWrite, true);
}

bool TMP4FormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TMP4FormatTag*>(&source);
    if (!s) return false;
    Tag.Assign(s->Tag);
    KeepPadding = s->KeepPadding;
    return true;
}

void TMP4FormatTag::Convert(TMP4Tag& tag, TUnifiedTags& out, bool parseCoverArts) {
    for (int i = 0; i < tag.Count(); ++i) {
        const TMP4Atom& a = *tag.Atoms[static_cast<size_t>(i)];
        if (a.ID == "covr") {
            out.HasPictures = out.HasPictures || a.Count() > 0;
            if (!parseCoverArts) continue;
            for (int j = 0; j < a.Count(); ++j) {
                TUnifiedPicture p;
                p.Name = "Cover art " + std::to_string(j + 1);
                p.Data = a.Datas[static_cast<size_t>(j)]->GetBytes();
                p.PictureFormat = PicturePointerType(p.Data.data(), p.Data.size());
                p.MIMEType = MIMETypeOf(p.PictureFormat);
                p.CoverType = 3;
                out.Pictures.push_back(std::move(p));
            }
            continue;
        }
        std::string name = a.ID == "----" ? a.name : MP4AtomToName(a.ID);
        if (name.empty()) continue;
        for (const auto& d : a.Datas) {
            TUnifiedEntry e{name, {}};
            if (IsListAtom(a.ID)) {
                std::vector<std::string> items;
                d->GetList(items);
                e.Value = ListToLines(items);
            } else {
                e.Value = d->GetText();
            }
            e.ReplacesExisting = a.ID != "----";
            e.Item = i;
            out.Entries.push_back(std::move(e));
        }
    }
    auto add = [&](const char* name, const std::string& value, int item) {
        if (value.empty() || value == "0" || item < 0) return;
        TUnifiedEntry e{name, value};
        e.Item = item;
        out.Entries.push_back(std::move(e));
    };
    const int gnre = IndexOf(tag, "gnre");
    add("GENRE", tag.GetGenre(), gnre >= 0 && !tag.GetText("gnre").empty() ? gnre : IndexOf(tag, "\xA9gen"));
    add("MEDIA", tag.GetMediaType(), IndexOf(tag, "stik"));
    const int trkn = IndexOf(tag, "trkn"), disk = IndexOf(tag, "disk");
    add("TRACKNUMBER", std::to_string(tag.GetTrack()), trkn);
    if (tag.GetTrack()) out.AlsoReplaces.push_back("TRACK");
    add("TOTALTRACKS", std::to_string(tag.GetTotalTracks()), trkn);
    add("DISCNUMBER", std::to_string(tag.GetDisc()), disk);
    if (tag.GetDisc()) out.AlsoReplaces.push_back("DISC");
    add("TOTALDISCS", std::to_string(tag.GetTotalDiscs()), disk);
    add("PURCHASECOUNTRY", tag.GetPurchaseCountry(), IndexOf(tag, "sfID"));

    for (const char* field : kXtraFields) {
        int index = -1;
        for (int k = 0; k < tag.XtraCount(); ++k)
            if (tag.Xtras[static_cast<size_t>(k)]->Name == field) index = k;
        std::string value = tag.GetTextXtra(field, std::string_view(field) == "WM/Category");
        if (index < 0 || value.empty()) continue;
        if (std::string_view(field) == "WM/SharedUserRating") {
            char* end = nullptr;
            long v = std::strtol(value.c_str(), &end, 10);
            value = std::to_string(*end == '\0' ? std::lround(v * 255.0 / 99) : 0);
        }
        TUnifiedEntry e{field + 3, value};
        e.Item = tag.Count() + index;
        out.Entries.push_back(std::move(e));
    }
}

void TMP4FormatTag::DeleteEntry(const TTag& entry) {
    TUnifiedTags native;
    Convert(Tag, native, false);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) DeleteNativeItem(static_cast<size_t>(i));
    // A genre may sit in both "gnre" and "\xA9gen" while one shows.
    if (common::equalsNoCase(entry.Name, "GENRE")) Tag.SetGenre({});
}

void TMP4FormatTag::Prepare(const TTags& tags) {
    KeepPadding = tags.MP4KeepPadding;
    TUnifiedTags native;
    Convert(Tag, native, true);
    const bool samePictures = SamePictures(tags, native);
    const TItemListPlan plan(tags, std::move(native));
    const int atoms = Tag.Count();
    for (int i = atoms + Tag.XtraCount(); i-- > 0;)
        if (plan.Rewrites(i)) i < atoms ? Tag.DeleteAtom(i) : Tag.DeleteXtra(i - atoms);

    std::vector<std::string> done;  // upper case
    for (const auto& e : tags.Tags) {
        const std::string upper = common::toUpper(e->Name);
        if (!plan.Writes(upper) || std::find(done.begin(), done.end(), upper) != done.end()) continue;
        done.push_back(upper);
        std::vector<std::string> values;
        tags.GetMultipleList(e->Name, values);
        if (values.empty()) continue;
        const std::string& value = values.front();

        if (TNumberKind kind = TotalKindOf(upper); kind != TNumberKind::None) {
            // Written with its number; alone only when there is none.
            if (!NumberEntry(tags, kind)) {
                if (kind == TNumberKind::Track) Tag.SetTrack(0, static_cast<uint16_t>(Number(value)));
                else Tag.SetDisc(0, static_cast<uint16_t>(Number(value)));
            }
            continue;
        }
        if (TNumberKind kind = NumberKindOf(upper); kind != TNumberKind::None) {
            std::string joined = NumberWithTotal(tags, value, kind);
            auto split = SplitNumber(joined);
            uint16_t number = static_cast<uint16_t>(Number(split ? split->first : joined));
            uint16_t total = static_cast<uint16_t>(split ? Number(split->second) : 0);
            if (kind == TNumberKind::Track) Tag.SetTrack(number, total);
            else Tag.SetDisc(number, total);
            continue;
        }
        if (upper == "GENRE") {
            Tag.SetGenre(value);
            continue;
        }
        if ((upper == "MEDIA" && Tag.SetMediaType(value)) ||
            (upper == "PURCHASECOUNTRY" && Tag.SetPurchaseCountry(value)))
            continue;
        const std::string atom = MP4NameToAtom(upper);
        if (atom.empty() || IsListAtom(atom)) {
            Tag.SetCommon(atom.empty() ? e->Name : atom, values, kITunes);
        } else if (MP4IsFlagAtom(atom)) {
            Tag.SetBool(atom, value != "0");
        } else if (int width = MP4IntegerWidth(atom)) {
            Tag.SetInteger(atom, Number(value), width);
        } else {
            Tag.SetMultipleValues(atom, values);
        }
    }

    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts) Tag.AddCoverArt(c->Stream.Bytes());
}

std::vector<TNativeItem> TMP4FormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    for (const auto& a : Tag.Atoms) {
        TNativeItem item{common::latin1ToUtf8(a->ID), {}};
        if (a->ID == "----") item.Description = a->mean + ":" + a->name;
        for (size_t j = 0; j < a->Datas.size(); ++j) {
            const TMP4AtomData& d = *a->Datas[j];
            std::string text;
            if (a->ID == "covr") text = MIMETypeOf(PicturePointerType(d.GetBytes().data(), d.GetBytes().size()));
            else if (j == 0 && (a->ID == "trkn" || a->ID == "disk" || a->ID == "gnre")) text = a->GetText();
            else text = d.GetText();
            item.Value += (j ? "\n" : "") + text;
        }
        items.push_back(std::move(item));
    }
    for (const auto& x : Tag.Xtras) items.push_back({x->Name, x->GetText(true), "Xtra"});
    return items;
}

bool TMP4FormatTag::DeleteNativeItem(size_t index) {
    const size_t atoms = static_cast<size_t>(Tag.Count());
    return index < atoms ? Tag.DeleteAtom(static_cast<int>(index)) : Tag.DeleteXtra(static_cast<int>(index - atoms));
}

TAudioAttributes TMP4FormatTag::AudioAttributes() const {
    TAudioAttributes a;
    if (!Tag.Valid() || Tag.mdatAtomPosition() < 0) return a;
    a.Channels = Tag.AudioChannelCount();
    a.SamplesPerSec = Tag.AudioSampleRate();
    a.BitsPerSample = Tag.AudioResolution();
    a.PlayTime = Tag.Playtime();
    a.BitRate = Tag.BitRate();
    return a;
}

}  // namespace tags
