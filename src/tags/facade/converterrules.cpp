#include "tags/facade/converterrules.h"

#include "common/text.h"
#include "tags/facade/coverart.h"
#include "tags/facade/formatadapters.h"
#include "tags/facade/tagslibrary.h"

#include <algorithm>
#include <functional>
#include <map>

namespace tags {

TNumberKind NumberKindOf(const std::string& name) {
    std::string n = common::toUpper(name);
    if (n == "TRACKNUMBER" || n == "TRACK") return TNumberKind::Track;
    if (n == "DISCNUMBER" || n == "DISC") return TNumberKind::Disc;
    return TNumberKind::None;
}

TNumberKind TotalKindOf(const std::string& name) {
    std::string n = common::toUpper(name);
    if (n == "TOTALTRACKS" || n == "TRACKTOTAL") return TNumberKind::Track;
    if (n == "TOTALDISCS" || n == "DISCTOTAL") return TNumberKind::Disc;
    return TNumberKind::None;
}

const char* NumberName(TNumberKind kind) { return kind == TNumberKind::Disc ? "DISCNUMBER" : "TRACKNUMBER"; }
const char* TotalName(TNumberKind kind) { return kind == TNumberKind::Disc ? "TOTALDISCS" : "TOTALTRACKS"; }

std::optional<std::pair<std::string, std::string>> SplitNumber(const std::string& value) {
    size_t slash = value.find('/');
    if (slash == std::string::npos) return std::nullopt;
    return std::pair{value.substr(0, slash), value.substr(slash + 1)};
}

const TTag* NumberEntry(const TTags& tags, TNumberKind kind) {
    if (kind == TNumberKind::None) return nullptr;
    const TTag* t = tags.Tag(NumberName(kind));
    return t ? t : tags.Tag(kind == TNumberKind::Disc ? "DISC" : "TRACK");
}

bool NumberHoldsTotal(const TTags& tags, TNumberKind kind) {
    const TTag* t = NumberEntry(tags, kind);
    return t && SplitNumber(t->Value).has_value();
}

std::string NumberWithTotal(const TTags& tags, const std::string& number, TNumberKind kind) {
    if (SplitNumber(number)) return number;
    std::string total;
    for (const auto& e : tags.Tags)
        if (total.empty() && TotalKindOf(e->Name) == kind) total = e->Value;
    if (total.empty()) return number;
    return (number.empty() ? "0" : number) + "/" + total;
}

std::vector<TShownEntry> ShowEntries(std::vector<TUnifiedEntry> entries, bool splitsDiscNumbers) {
    std::vector<TShownEntry> out;
    std::vector<std::pair<std::string, std::string>> totals;
    auto show = [&](TUnifiedEntry e, bool total) {
        bool repeated = false;
        for (const auto& [name, value] : totals)
            repeated = repeated || (common::equalsNoCase(name, e.Name) && value == e.Value);
        if (total && !repeated) totals.emplace_back(e.Name, e.Value);
        out.push_back({std::move(e), total, !repeated});
    };
    for (TUnifiedEntry& e : entries) {
        TNumberKind kind = NumberKindOf(e.Name);
        if (kind == TNumberKind::Disc && !splitsDiscNumbers) kind = TNumberKind::None;
        auto split = kind == TNumberKind::None ? std::nullopt : SplitNumber(e.Value);
        if (!split) {
            show(std::move(e), false);
            continue;
        }
        TUnifiedEntry number = e, total = std::move(e);
        number.Name = NumberName(kind);
        number.Value = std::move(split->first);
        total.Name = TotalName(kind);
        total.Value = std::move(split->second);
        show(std::move(number), false);
        show(std::move(total), true);
    }
    return out;
}

TItemListPlan::TItemListPlan(const TTags& tags, TUnifiedTags native) {
    // What a load of the items shows, name by name, and the names each item
    // shows under.
    std::vector<std::pair<std::string, std::string>> shown;
    std::map<int64_t, std::set<std::string>> namesOf;
    for (TShownEntry& s : ShowEntries(std::move(native.Entries), native.SplitsDiscNumbers)) {
        std::string name = common::toUpper(s.Entry.Name);
        if (s.Entry.Item >= 0) namesOf[s.Entry.Item].insert(name);
        if (!s.Shown) continue;
        if (s.Total) {
            auto first = std::find_if(shown.begin(), shown.end(), [&](const auto& p) { return p.first == name; });
            if (first != shown.end()) shown.erase(first);
        }
        shown.emplace_back(std::move(name), std::move(s.Entry.Value));
    }
    std::map<std::string, std::vector<std::string>> loaded, wanted;
    for (auto& [name, value] : shown) loaded[name].push_back(value);
    for (const auto& e : tags.Tags) wanted[common::toUpper(e->Name)].push_back(e->Value);
    for (const auto& [name, values] : wanted)
        if (loaded[name] != values) FNames.insert(name);
    // A number holding its own total outranks the total items.
    for (TNumberKind kind : {TNumberKind::Track, TNumberKind::Disc})
        if (NumberHoldsTotal(tags, kind))
            for (const auto& e : tags.Tags)
                if (TotalKindOf(e->Name) == kind) FNames.insert(common::toUpper(e->Name));
    for (bool grown = true; grown;) {
        grown = false;
        for (const auto& [item, names] : namesOf) {
            bool touched = std::any_of(names.begin(), names.end(), [&](const auto& n) { return FNames.count(n) > 0; });
            if (!touched) continue;
            FRewritten.insert(item);
            for (const std::string& n : names) grown = FNames.insert(n).second || grown;
        }
    }
}

bool TItemListPlan::Writes(const std::string& name) const { return FNames.count(common::toUpper(name)) > 0; }

std::vector<int64_t> ItemsShowing(TUnifiedTags native, const std::string& name) {
    std::set<int64_t, std::greater<>> items;
    for (const TShownEntry& s : ShowEntries(std::move(native.Entries), native.SplitsDiscNumbers))
        if (s.Entry.Item >= 0 && common::equalsNoCase(s.Entry.Name, name)) items.insert(s.Entry.Item);
    return {items.begin(), items.end()};
}

bool SamePictures(const TTags& tags, const TUnifiedTags& native) {
    if (tags.CoverArts.size() != native.Pictures.size()) return false;
    for (size_t i = 0; i < native.Pictures.size(); ++i) {
        const TUnifiedPicture& p = native.Pictures[i];
        const TCoverArt& c = *tags.CoverArts[i];
        // As a load names and classifies them.
        std::string name = p.Name.empty() ? "Cover art " + std::to_string(i + 1) : p.Name;
        TTagPictureFormat format =
            p.PictureFormat != tpfUnknown ? p.PictureFormat : PicturePointerType(p.Data.data(), p.Data.size());
        if (c.Name != name || c.Stream.Bytes() != p.Data || c.Description != p.Description ||
            c.MIMEType != p.MIMEType || c.CoverType != p.CoverType || c.PictureFormat != format || c.Width != p.Width ||
            c.Height != p.Height || c.ColorDepth != p.ColorDepth || c.NoOfColors != p.NoOfColors)
            return false;
    }
    return true;
}

std::string ListToLines(const std::vector<std::string>& items) {
    std::string out;
    for (const std::string& item : items) {
        size_t eq = item.find('=');
        out += item.substr(0, eq) + "\r\n" + (eq == std::string::npos ? "" : item.substr(eq + 1)) + "\r\n";
    }
    return out;
}

bool IsListName(const std::string& name) {
    return common::equalsNoCase(name, "TIPL") || common::equalsNoCase(name, "TMCL");
}

void PrepareFields(const TTags& tags, TUnifiedTags native, int fieldCount, const std::function<void(int)>& deleteField,
                   const std::function<void(const TTag&, const std::vector<std::string>* list)>& addField) {
    const TItemListPlan plan(tags, std::move(native));
    for (int i = fieldCount; i-- > 0;)
        if (plan.Rewrites(i)) deleteField(i);
    for (const auto& e : tags.Tags) {
        if (!plan.Writes(e->Name)) continue;
        if (TNumberKind kind = TotalKindOf(e->Name); kind != TNumberKind::None && NumberHoldsTotal(tags, kind))
            continue;
        std::vector<std::string> items;
        if (IsListName(e->Name)) e->GetList(items);
        addField(*e, IsListName(e->Name) ? &items : nullptr);
    }
}

TFlacTagCoverArtInfo PictureInfoOf(const TCoverArt& c) {
    const std::string& data = c.Stream.Bytes();
    TFlacTagCoverArtInfo info;
    info.PictureType = c.CoverType;
    info.MIMEType = MIMETypeToWrite(c.MIMEType, c.PictureFormat, data);
    info.Description = c.Description;
    info.Width = c.Width;
    info.Height = c.Height;
    info.ColorDepth = c.ColorDepth;
    info.NoOfColors = c.NoOfColors;
    info.SizeOfPictureData = static_cast<uint32_t>(data.size());
    return info;
}

TUnifiedPicture UnifiedPictureOf(const TFlacTagCoverArtInfo& info, std::string data, std::string name) {
    TUnifiedPicture p;
    p.Name = std::move(name);
    p.Data = std::move(data);
    p.Description = info.Description;
    p.MIMEType = info.MIMEType;
    p.CoverType = info.PictureType;
    p.Width = info.Width;
    p.Height = info.Height;
    p.ColorDepth = info.ColorDepth;
    p.NoOfColors = info.NoOfColors;
    return p;
}

std::string MIMETypeToWrite(const std::string& mimeType, TTagPictureFormat format, const std::string& data) {
    if (!mimeType.empty()) return mimeType;
    if (format == tpfUnknown) format = PicturePointerType(data.data(), data.size());
    switch (format) {
    case tpfJPEG: return "image/jpeg";
    case tpfPNG: return "image/png";
    case tpfBMP: return "image/bmp";
    case tpfGIF: return "image/gif";
    default: return {};
    }
}

}  // namespace tags
