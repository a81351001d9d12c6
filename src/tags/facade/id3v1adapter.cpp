// ID3v1 (with Lyrics3) in the facade: seven fixed fields.
#include "tags/facade/formatadapters.h"

#include "common/text.h"
#include "tags/facade/tagslibrary.h"

#include <cstdlib>

namespace tags {

namespace {

struct Field {
    const char* Native;  // as --native lists it
    const char* Unified;
    std::string TID3v1Tag::*Text;  // null for the track number
};
constexpr Field kFields[] = {
    {"Title", "TITLE", &TID3v1Tag::Title},       {"Artist", "ARTIST", &TID3v1Tag::Artist},
    {"Album", "ALBUM", &TID3v1Tag::Album},       {"Year", "YEAR", &TID3v1Tag::Year},
    {"Comment", "COMMENT", &TID3v1Tag::Comment}, {"Track", "TRACKNUMBER", nullptr},
    {"Genre", "GENRE", &TID3v1Tag::Genre},
};
constexpr size_t kFieldCount = sizeof kFields / sizeof kFields[0];

// A decimal number at the start of the text, 0 when there is none; track
// numbers past 255 do not fit the byte.
int LeadingNumber(const std::string& text) {
    const char* s = text.c_str();
    while (*s == ' ') ++s;
    if (*s < '0' || *s > '9') return 0;
    long n = std::strtol(s, nullptr, 10);
    return n > 255 ? 0 : static_cast<int>(n);
}

}  // namespace

int TID3v1FormatTag::LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) {
    if (!options.OpenFile) return Tag.LoadFromFile(fileName);
    int result = Tag.LoadFromStream(*options.OpenFile);
    if (result == ID3V1_SUCCESS) Tag.SourceFileName = fileName;
    return result;
}

int TID3v1FormatTag::LoadFromStream(TStream& stream, const TFormatLoadOptions&) { return Tag.LoadFromStream(stream); }

int TID3v1FormatTag::SaveToFile(const std::string& fileName) {
    return Tag.SaveToFile(fileName, !Tag.LyricsFrames.empty());
}

int TID3v1FormatTag::SaveToStream(TStream& stream, bool) { return Tag.SaveToStream(stream, !Tag.LyricsFrames.empty()); }

int TID3v1FormatTag::RemoveFromFile(const std::string& fileName) { return RemoveID3v1TagFromFile(fileName, false); }

bool TID3v1FormatTag::Assign(const TFormatTag& source) {
    auto* s = dynamic_cast<const TID3v1FormatTag*>(&source);
    return s && Tag.Assign(s->Tag);
}

int64_t TID3v1FormatTag::Count() const { return static_cast<int64_t>(NativeItems().size()); }

void TID3v1FormatTag::GetUnifiedTags(TUnifiedTags& out, bool) {
    for (const Field& f : kFields) {
        if (!f.Text) {
            if (Tag.Track == 0) continue;
            out.Entries.push_back({f.Unified, std::to_string(Tag.Track)});
            out.AlsoReplaces.push_back("TRACK");
        } else if (!(Tag.*f.Text).empty()) {
            out.Entries.push_back({f.Unified, Tag.*f.Text});
        }
    }
}

void TID3v1FormatTag::DeleteEntry(const TTag& entry) {
    std::string name = common::toUpper(entry.Name);
    if (name == "TRACKNUMBER" || name == "TRACK") {
        Tag.Track = 0;
        Tag.TrackString.clear();
        return;
    }
    for (const Field& f : kFields)
        if (f.Text && name == f.Unified) (Tag.*f.Text).clear();
}

void TID3v1FormatTag::Prepare(const TTags& tags) {
    Tag.Revision1 = true;
    Tag.Title = tags.GetText("TITLE");
    Tag.Artist = tags.GetText("ARTIST");
    Tag.Album = tags.GetText("ALBUM");
    Tag.Year = tags.GetText("YEAR");
    if (Tag.Year.empty()) Tag.Year = tags.GetText("RELEASEDATE");
    if (Tag.Year.empty()) Tag.Year = tags.GetText("RECORDINGDATE");
    Tag.Comment = tags.GetText("COMMENT");
    int track = LeadingNumber(tags.GetText("TRACKNUMBER"));
    if (track == 0) track = LeadingNumber(tags.GetText("TRACK"));
    Tag.Track = static_cast<uint8_t>(track);
    Tag.TrackString = track ? std::to_string(track) : std::string();
    Tag.Genre = tags.GetText("GENRE");
}

std::vector<TNativeItem> TID3v1FormatTag::NativeItems() const {
    std::vector<TNativeItem> items;
    for (const Field& f : kFields)
        items.push_back({f.Native, f.Text ? Tag.*f.Text : (Tag.Track ? std::to_string(Tag.Track) : "")});
    for (const auto& frame : Tag.LyricsFrames) items.push_back({frame->ID, frame->Data});
    return items;
}

bool TID3v1FormatTag::DeleteNativeItem(size_t index) {
    if (index < kFieldCount) {
        if (kFields[index].Text) (Tag.*kFields[index].Text).clear();
        else Tag.Track = 0, Tag.TrackString.clear();
        return true;
    }
    return Tag.DeleteLyricsFrame(static_cast<int>(index - kFieldCount));
}

}  // namespace tags
