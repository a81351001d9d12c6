// APEv2 in the facade: item names are the entry names.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

namespace {

bool IsBinaryValue(const std::string& value) { return value.rfind("BINARY", 0) == 0; }

TAPEv2List PairsOf(const std::vector<std::string>& items) {
    TAPEv2List pairs;
    for (const std::string& item : items) {
        size_t eq = item.find('=');
        pairs.emplace_back(item.substr(0, eq), eq == std::string::npos ? "" : item.substr(eq + 1));
    }
    return pairs;
}

}  // namespace

int TAPEv2FormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (!options.OpenFile) return Tag.LoadFromFile(fileName);
    int result = Tag.LoadFromStream(*options.OpenFile);
    if (result == APEV2_SUCCESS || result == APEV2_ERROR_UNSUPPORTED_VERSION) Tag.FileName = fileName;
    return result;
}

int TAPEv2FormatTag::LoadFromStream(TStream& stream, const TFormatLoadOptions&) { return Tag.LoadFromStream(stream); }

int TAPEv2FormatTag::RemoveFromFile(const std::string& fileName) { return RemoveAPEv2TagFromFile(fileName, false); }

bool TAPEv2FormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TAPEv2FormatTag*>(&source);
    return s && Tag.Assign(s->Tag);
}

void TAPEv2FormatTag::Convert(TAPEv2Tag& tag, TUnifiedTags& out, bool parseCoverArts) {
    for (int i = 0; i < tag.Count(); ++i) {
        TAPEv2Frame& frame = *tag.Frames[static_cast<size_t>(i)];
        if (frame.IsCoverArt()) {
            out.HasPictures = true;
            if (!parseCoverArts) continue;
            TUnifiedPicture p;
            TMemoryStream image;
            TAPEv2PictureFormat format = pfUnknown;
            if (!tag.GetCoverArtFromFrame(i, image, format, p.Description)) continue;
            p.Name = frame.Name;
            p.Data = std::move(image.Bytes());
            p.CoverType = PictureTypeFromText(frame.Name);
            static const char* const kMIME[] = {"", "image/jpeg", "image/png", "image/bmp", "image/gif"};
            static const TTagPictureFormat kFormat[] = {tpfUnknown, tpfJPEG, tpfPNG, tpfBMP, tpfGIF};
            p.MIMEType = kMIME[format];
            p.PictureFormat = kFormat[format];
            out.Pictures.push_back(std::move(p));
        } else if (frame.Format != ffBinary) {
            TUnifiedEntry e{frame.Name, frame.GetText()};
            if (IsListName(frame.Name)) {
                TAPEv2List pairs;
                frame.GetList(pairs);
                std::vector<std::string> items;
                for (const auto& [n, v] : pairs) items.push_back(n + "=" + v);
                e.Value = ListToLines(items);
            }
            e.Item = i;
            out.Entries.push_back(std::move(e));
        }
    }
}

void TAPEv2FormatTag::DeleteEntry(const TTag& entry) {
    TUnifiedTags native;
    Convert(Tag, native, false);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) Tag.DeleteFrame(static_cast<int>(i));
}

void TAPEv2FormatTag::Prepare(const TTags& tags) {
    Tag.UpperCaseFieldNamesToWrite = tags.UpperCaseFieldNamesToWrite;
    TUnifiedTags native;
    Convert(Tag, native, true);
    const bool samePictures = SamePictures(tags, native);
    const TItemListPlan plan(tags, std::move(native));
    for (int i = Tag.Count(); i-- > 0;) {
        const TAPEv2Frame& frame = *Tag.Frames[static_cast<size_t>(i)];
        // Binary items of a name the entries rewrite go too; pictures are
        // handled below.
        if (plan.Rewrites(i) || (frame.Format == ffBinary && !frame.IsCoverArt() && plan.Writes(frame.Name)))
            Tag.DeleteFrame(i);
    }
    // The numbers and their totals are folded into one item below.
    auto folded = [&](const std::string& name) {
        if (common::equalsNoCase(name, "TRACKNUMBER") || common::equalsNoCase(name, "DISCNUMBER")) return true;
        TNumberKind kind = TotalKindOf(name);
        return kind != TNumberKind::None &&
               (common::equalsNoCase(name, TotalName(kind)) || NumberHoldsTotal(tags, kind));
    };
    for (const auto& e : tags.Tags) {
        if (!plan.Writes(e->Name) || IsBinaryValue(e->Value) || folded(e->Name)) continue;
        if (IsListName(e->Name)) {
            std::vector<std::string> items;
            e->GetList(items);
            Tag.AddFrame(e->Name)->SetList(PairsOf(items));
        } else {
            Tag.AddTextFrame(e->Name, e->Value);
        }
    }
    // Track and disc numbers live in one item each, with their totals.
    for (TNumberKind kind : {TNumberKind::Track, TNumberKind::Disc}) {
        const char* number = NumberName(kind);
        bool changed = plan.Writes(number) || plan.Writes(TotalName(kind)) ||
                       plan.Writes(kind == TNumberKind::Track ? "TRACKTOTAL" : "DISCTOTAL");
        if (changed && tags.Exists(number) >= 0)
            Tag.SetText(kind == TNumberKind::Track ? "TRACK" : number,
                        NumberWithTotal(tags, tags.GetText(number), kind));
    }

    if (samePictures) return;
    Tag.DeleteAllCoverArts();
    for (const auto& c : tags.CoverArts) {
        TMemoryStream image(c->Stream.Bytes());
        Tag.AddCoverArtFrame("Cover Art (Front)", image, c->Description);
    }
}

std::vector<TNativeItem> TAPEv2FormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    for (const auto& frame : Tag.Frames) {
        // GetText only marks the item as read.
        std::string value = frame->Format == ffBinary ? "" : const_cast<TAPEv2Frame&>(*frame).GetText();
        items.push_back({frame->Name, value});
    }
    return items;
}

}  // namespace tags
