// WAV and RF64 files in the facade: INFO items by the RIFF table, then the
// fields of "bext" and "cart" as "BEXT …" and "CART …" entries.
#include <algorithm>

#include "common/text.h"
#include "tags/facade/formatadapters.h"
#include "tags/facade/riffinfotable.h"
#include "tags/facade/tagslibrary.h"

namespace tags {

namespace {

// "role=person" lines back to the alternating fields an INFO list item holds.
std::string ListItemText(const std::string& lines) {
    std::string out;
    size_t pos = 0;
    while (pos < lines.size()) {
        size_t end = lines.find('\n', pos);
        if (end == std::string::npos) end = lines.size();
        std::string line = lines.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        pos = end + 1;
        if (line.empty()) continue;
        const size_t eq = line.find('=');
        out += line.substr(0, eq) + "\r\n" + (eq == std::string::npos ? "" : line.substr(eq + 1)) + "\r\n";
    }
    return out;
}

// The chunk an entry name addresses ("BEXT Description") and the field.
TFixedChunk* ChunkField(TWAVTag& tag, const std::string& name, std::string& field) {
    if (name.size() > 5 && common::startsWithNoCase(name, "BEXT ")) {
        field = name.substr(5);
        return &tag.BEXT;
    }
    if (name.size() > 5 && common::startsWithNoCase(name, "CART ")) {
        field = name.substr(5);
        return &tag.CART;
    }
    return nullptr;
}

}  // namespace

int TWAVFormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (!options.OpenFile) return Tag.LoadFromFile(fileName);
    int result = Tag.LoadFromStream(*options.OpenFile);
    if (result == WAVTAGLIBRARY_SUCCESS) Tag.FileName = fileName;
    return result;
}

int TWAVFormatTag::RemoveFromFile(const std::string& fileName) { return RemoveWAVTagFromFile(fileName, false); }

bool TWAVFormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TWAVFormatTag*>(&source);
    if (!s) return false;
    Tag.Assign(s->Tag);
    return true;
}

void TWAVFormatTag::Convert(const TWAVTag& tag, TUnifiedTags& out) {
    for (size_t i = 0; i < tag.Frames.size(); ++i) {
        const TWAVTagFrame& f = *tag.Frames[i];
        const std::string name = RiffInfoToName(f.Name);
        if (name.empty()) continue;
        TUnifiedEntry e{name, {}};
        if (IsListName(name)) {
            std::vector<std::string> items;
            f.GetList(items);
            e.Value = ListToLines(items);
        } else {
            e.Value = f.GetText();
        }
        e.Item = static_cast<int64_t>(i);
        out.Entries.push_back(std::move(e));
    }
    for (const auto& [prefix, chunk] :
         {std::pair<const char*, const TFixedChunk*>{"BEXT ", &tag.BEXT}, {"CART ", &tag.CART}}) {
        if (!chunk->Loaded) continue;
        for (const std::string& field : chunk->FieldNames()) {
            TUnifiedEntry e{prefix + field, chunk->Get(field)};
            e.ReplacesExisting = false;
            out.Entries.push_back(std::move(e));
        }
    }
}

void TWAVFormatTag::DeleteEntry(const TTag& entry) {
    std::string field;
    if (TFixedChunk* chunk = ChunkField(Tag, entry.Name, field)) {
        chunk->Set(field, {});
        return;
    }
    TUnifiedTags native;
    Convert(Tag, native);
    for (int64_t i : ItemsShowing(std::move(native), entry.Name)) Tag.DeleteFrame(i);
}

void TWAVFormatTag::Prepare(const TTags& tags) {
    // Items with a unified name are written again from the entries; others stay.
    for (int64_t i = Tag.Count(); i-- > 0;)
        if (!RiffInfoToName(Tag.Frames[static_cast<size_t>(i)]->Name).empty()) Tag.DeleteFrame(i);

    std::vector<std::pair<std::string, std::vector<std::string>>> items;  // identifier, distinct values
    for (const auto& e : tags.Tags) {
        std::string field;
        if (TFixedChunk* chunk = ChunkField(Tag, e->Name, field)) {
            chunk->Set(field, e->Value);
            continue;
        }
        const std::string id = RiffNameToInfo(e->Name);
        if (id.empty() || e->Value.empty()) continue;
        std::string value = e->Value;
        if (NumberKindOf(e->Name) == TNumberKind::Track) value = NumberWithTotal(tags, value, TNumberKind::Track);
        if (IsListName(e->Name)) value = ListItemText(value);
        auto it = std::find_if(items.begin(), items.end(), [&](const auto& p) { return p.first == id; });
        if (it == items.end()) it = items.insert(items.end(), {id, {}});
        if (std::find(it->second.begin(), it->second.end(), value) == it->second.end()) it->second.push_back(value);
    }
    for (const auto& [id, values] : items) {
        std::string joined;
        for (const std::string& v : values) joined += (joined.empty() ? "" : ", ") + v;
        Tag.AddTextFrame(id, joined);
    }
}

std::vector<TNativeItem> TWAVFormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    for (const auto& f : Tag.Frames) items.push_back({f->Name, f->GetText()});
    return items;
}

TAudioAttributes TWAVFormatTag::AudioAttributes() const {
    TAudioAttributes a;
    a.Channels = Tag.Attributes.Channels;
    a.SamplesPerSec = Tag.Attributes.SamplesPerSec;
    a.BitsPerSample = Tag.Attributes.BitsPerSample;
    a.PlayTime = Tag.PlayTime;
    a.SampleCount = static_cast<int64_t>(Tag.SampleCount);
    a.BitRate = static_cast<uint32_t>(Tag.BitRate);
    return a;
}

}  // namespace tags
