// Loads arbitrary bytes through the facade and classifies them, directly and
// through the buffered stream, which must agree; then saves what loaded back
// into a copy of the bytes, as every format and by content, and loads that.
// What loaded must also copy and merge into another facade unchanged, a
// deleted entry must be gone from every format a save writes, and a save
// into a file (on a memory file system where there is one) must leave
// nothing beside it.
#include "common/files.h"
#include "common/text.h"
#include "tags/core/bufferedstream.h"
#include "tags/core/readmemorystream.h"
#include "tags/facade/tagslibrary.h"

#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Entries(const tags::TTags& t) {
    std::vector<std::string> out;
    for (const auto& e : t.Tags)
        out.push_back(e->Name + '\0' + e->Value + '\0' + e->Language + '\0' + e->Description + '\0' +
                      std::to_string(e->ExtTagType));
    return out;
}

std::vector<std::string> Pictures(const tags::TTags& t) {
    std::vector<std::string> out;
    for (const auto& c : t.CoverArts)
        out.push_back(c->Name + '\0' + c->Stream.Bytes() + '\0' + c->Description + '\0' + c->MIMEType + '\0' +
                      std::to_string(c->CoverType) + '/' + std::to_string(c->PictureFormat) + '/' +
                      std::to_string(c->Width) + '/' + std::to_string(c->Height) + '/' + std::to_string(c->ColorDepth) +
                      '/' + std::to_string(c->NoOfColors));
    return out;
}

// Names another entry stands in for when it is gone: a format writes the
// year from the dates, the track number from "TRACK", the totals with the
// numbers.
bool Derived(const std::string& name) {
    static const std::set<std::string> kNames = {"YEAR",        "TRACKNUMBER", "TRACK",      "DISCNUMBER", "DISC",
                                                 "TOTALTRACKS", "TRACKTOTAL",  "TOTALDISCS", "DISCTOTAL"};
    return name.empty() || kNames.count(common::toUpper(name)) > 0;
}

void CheckMerging(const tags::TTags& loaded) {
    tags::TTags copy;
    copy.MergeTags(loaded, tags::tlmmClearAll, true, false);
    if (Entries(copy) != Entries(loaded) || Pictures(copy) != Pictures(loaded)) std::abort();
    // Keeping the original takes the first non-empty value of each name.
    tags::TTags kept;
    kept.MergeTags(loaded, tags::tlmmKeepOriginal, true, true);
    std::vector<std::string> expected, got;
    for (const auto& e : loaded.Tags) {
        bool seen = false;
        for (const std::string& n : expected) seen = seen || common::equalsNoCase(n.substr(0, n.find('=')), e->Name);
        if (!seen && !e->Value.empty()) expected.push_back(e->Name + "=" + e->Value);
    }
    for (const auto& e : kept.Tags) got.push_back(e->Name + "=" + e->Value);
    if (got != expected || Pictures(kept) != Pictures(loaded)) std::abort();
}

// Deletes one entry, saves every format that loaded into a copy of the
// file, and loads the copy: the name must be gone.
void CheckDeleting(const uint8_t* data, size_t size, uint8_t choice) {
    tags::TTags facade;
    tags::TReadMemoryStream source(data, static_cast<int64_t>(size));
    facade.LoadFromStream(source, false);
    if (facade.Count() == 0) return;
    const std::string name = facade.Tags[choice % facade.Count()]->Name;
    if (Derived(name) || facade.TypeCount(name) != 1) return;
    std::vector<tags::TTagType> loaded;
    for (tags::TTagType type : tags::kFormatLoadOrder)
        if (facade.FormatTag(type)->Loaded()) loaded.push_back(type);
    if (!facade.Delete(name)) std::abort();
    tags::TMemoryStream copy(std::string(reinterpret_cast<const char*>(data), size));
    for (tags::TTagType type : loaded)
        if (facade.SaveToStream(copy, false, type) != tags::trSuccess) return;
    // A format left empty is removed, and what stood behind it (a second,
    // stacked ID3v2 tag, say) is not ours to judge.
    for (tags::TTagType type : loaded)
        if (facade.FormatTag(type)->Count() == 0) return;
    // Only the formats that were there: stripping one can make a short file
    // look like another (a stream of 128 bytes or less is read whole as ID3v1).
    tags::TTags again;
    again.TagLoadPriority.fill(tags::ttNone);
    std::copy(loaded.begin(), loaded.end(), again.TagLoadPriority.begin());
    again.LoadFromStream(copy, false);
    if (again.Exists(name) >= 0) std::abort();
}

void CheckFileSave(const uint8_t* data, size_t size) {
    static const std::string base = common::directoryExists("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = base + "/orvelin-fuzz-XXXXXX";
    if (!::mkdtemp(pattern.data())) return;
    const std::string dir = pattern + "/", song = dir + "song";
    struct Cleanup {
        std::string dir;
        ~Cleanup() {
            std::error_code ignored;
            std::filesystem::remove_all(dir, ignored);
        }
    } cleanup{dir};
    if (!common::writeFileAtomic(song, std::string_view(reinterpret_cast<const char*>(data), size))) return;
    tags::TTags facade;
    if (facade.LoadFromFile(song) != tags::trSuccess || !facade.Loaded) return;
    facade.SetText("TITLE", "fuzz");
    facade.SaveToFile(song, tags::ttAutomatic);
    size_t files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir)) files += e.path().filename() != "song" ? 1 : 0;
    if (files != 0) std::abort();
    tags::TTags again;
    if (again.LoadFromFile(song) != tags::trSuccess) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static tags::TTags facade;  // reused, as the player reuses its own
    int32_t length = size > INT32_MAX ? INT32_MAX : static_cast<int32_t>(size);
    facade.LoadFromMemory(data, length);
    for (const auto& t : facade.Tags) (void)facade.GetText(t->Name);

    tags::TReadMemoryStream direct(data, length);
    int format = tags::GetAudioFormat(direct);
    tags::TReadMemoryStream inner(data, length);
    tags::TBufferedStream buffered(inner);
    if (tags::GetAudioFormat(buffered) != format) std::abort();
    (void)tags::PicturePointerType(data, size);

    if (!facade.Loaded || size > 64 * 1024) return 0;
    CheckMerging(facade);
    for (tags::TTagType type : {tags::ttAutomatic, tags::ttID3v2, tags::ttFlac, tags::ttAPEv2, tags::ttID3v1}) {
        tags::TMemoryStream copy(std::string(reinterpret_cast<const char*>(data), size));
        facade.SaveToStream(copy, type == tags::ttFlac, type);
        static tags::TTags reader;
        reader.LoadFromStream(copy, false);
    }
    CheckDeleting(data, size, data[size - 1]);
    CheckFileSave(data, size);
    return 0;
}
