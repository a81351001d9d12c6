// What the facade needs from one tag format's reader/writer. Each format
// unit is wired in through an adapter that implements this interface around
// its own class; a format without a unit yet is a TNullFormatTag, which
// never loads anything, so the facade treats files as having no such tag.
#pragma once

#include "tags/core/stream.h"
#include "tags/facade/tagtypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tags {

class TTag;
class TTags;

struct TFormatLoadOptions {
    // Read through a TBufferedStream (FLAC, ID3v2 and MP4 honour it).
    bool Buffered = false;
    // File loads hand the facade's settings over; stream loads leave the
    // object's own (ID3v2 takes both, MP4 the second).
    bool ApplyParseOptions = false;
    bool ParseAudioAttributes = true;
    bool ParseCoverArts = true;
    // A file load's file, already open for reading: adapters read it instead
    // of opening the file again. Null for stream loads.
    TStream* OpenFile = nullptr;
};

// One unified entry or picture as a format's converter produces it.
struct TUnifiedEntry {
    std::string Name{}, Value{}, Language{}, Description{};
    TExtTagType ExtTagType = ettUnknown;
    // Entries of this name from lower-priority formats are dropped first.
    bool ReplacesExisting = true;
    // The native item it shows, for formats that save item by item; -1 when
    // not given.
    int64_t Item = -1;
};

struct TUnifiedPicture {
    std::string Name{};  // empty: "Cover art " + its 1-based number
    std::string Data{};  // the complete image file
    std::string Description{}, MIMEType{};
    uint32_t CoverType = 0;
    TTagPictureFormat PictureFormat = tpfUnknown;  // tpfUnknown: taken from Data
    uint32_t Width = 0, Height = 0, ColorDepth = 0, NoOfColors = 0;
};

struct TUnifiedTags {
    std::vector<TUnifiedEntry> Entries;  // in the format's item order
    // Further names whose entries this format replaces (ID3v1's track
    // number also stands for "TRACK").
    std::vector<std::string> AlsoReplaces;
    // "DISCNUMBER" values of the form "n/total" are split like track numbers.
    bool SplitsDiscNumbers = false;
    // The format holds pictures, whether or not they were converted.
    bool HasPictures = false;
    // Some of them were not read with the tag (their data was skipped).
    bool PicturesSkipped = false;
    std::vector<TUnifiedPicture> Pictures;
};

// An item as the format itself names it, for inspection.
struct TNativeItem {
    std::string Id{}, Value{}, Description{}, Language{};
};

class TFormatTag {
public:
    virtual ~TFormatTag() = default;

    // The key of the native view: "ID3v1", "ID3v2", "APEv2", "FLAC", "Ogg",
    // "MP4", "WMA" or "WAV".
    virtual const char* FormatName() const = 0;

    virtual void Clear() = 0;
    virtual bool Loaded() const = 0;
    // Results are the format's own codes; the facade only looks at Loaded.
    // The ID3v2 adapter removes unsynchronisation from, and decompresses,
    // every frame after a load.
    virtual int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) = 0;
    virtual int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) = 0;
    // The stream holds the whole file; buffered writes go through a
    // TBufferedStream where the format supports it.
    virtual int SaveToFile(const std::string& fileName) = 0;
    virtual int SaveToStream(TStream& stream, bool buffered) = 0;
    // Removes this format's tag from a file without loading it.
    virtual int RemoveFromFile(const std::string& fileName) {
        (void)fileName;
        return trUnknownError;
    }
    // False when source is not of the same format.
    virtual bool Assign(const TFormatTag& source) = 0;
    virtual int64_t Count() const = 0;    // native items
    virtual int64_t TagSize() const = 0;  // bytes the loaded tag takes in the file

    // The converter's input: the loaded items as unified entries and
    // pictures (pictures only when parseCoverArts).
    virtual void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) { (void)out, (void)parseCoverArts; }
    // Removes the native counterparts of an entry the caller deletes, so
    // that a later save does not bring it back.
    virtual void DeleteEntry(const TTag& entry) { (void)entry; }
    // The converter back: brings the native items in line with the facade's
    // entries and pictures before a save.
    virtual void Prepare(const TTags& tags) { (void)tags; }
    virtual std::vector<TNativeItem> NativeItems() const { return {}; }
    // Index into NativeItems(); false when out of range or not supported.
    virtual bool DeleteNativeItem(size_t index) {
        (void)index;
        return false;
    }
    virtual TAudioAttributes AudioAttributes() const { return {}; }
};

// Deletes, from the last, every native item that match accepts; returns the
// number deleted.
template <typename Match>
int DeleteNativeItemsIf(TFormatTag& tag, Match&& match) {
    std::vector<TNativeItem> items = tag.NativeItems();
    int deleted = 0;
    for (size_t i = items.size(); i-- > 0;)
        if (match(items[i]) && tag.DeleteNativeItem(i)) ++deleted;
    return deleted;
}

// The rule of item-list formats (APEv2, FLAC, Ogg) for a deleted entry:
// every item whose name and value equal the entry's, both ignoring case.
int DeleteItemsByNameAndValue(TFormatTag& tag, const std::string& name, const std::string& value);

class TNullFormatTag final : public TFormatTag {
public:
    explicit TNullFormatTag(const char* formatName) : FName(formatName) {}
    const char* FormatName() const override { return FName; }
    void Clear() override {}
    bool Loaded() const override { return false; }
    int LoadFromFile(const std::string&, const TFormatLoadOptions&) override { return trUnknownError; }
    int LoadFromStream(TStream&, const TFormatLoadOptions&) override { return trUnknownError; }
    int SaveToFile(const std::string&) override { return trUnknownError; }
    int SaveToStream(TStream&, bool) override { return trUnknownError; }
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return 0; }
    int64_t TagSize() const override { return 0; }

private:
    const char* FName;
};

}  // namespace tags
