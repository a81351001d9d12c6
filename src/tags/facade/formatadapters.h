// The adapters that wire the ID3v1, ID3v2, APEv2, FLAC, Ogg, MP4, WAV and WMA units
// into the facade. Each owns the unit's object (public, for callers that drive the
// format directly) and holds that format's converters both ways.
#pragma once

#include "tags/apev2/apev2library.h"
#include "tags/facade/converterrules.h"
#include "tags/facade/formattag.h"
#include "tags/flac/flactaglibrary.h"
#include "tags/id3v1/id3v1library.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/mp4/mp4taglibrary.h"
#include "tags/ogg/oggvorbisandopustaglibrary.h"
#include "tags/wav/wavtaglibrary.h"
#include "tags/wma/wmataglibrary.h"

namespace tags {

class TID3v1FormatTag final : public TFormatTag {
public:
    TID3v1Tag Tag;

    const char* FormatName() const override { return "ID3v1"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) override;
    int SaveToFile(const std::string& fileName) override;
    int SaveToStream(TStream& stream, bool buffered) override;
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override;
    int64_t TagSize() const override { return 128; }
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override;
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override;
};

class TID3v2FormatTag final : public TFormatTag {
public:
    TID3v2FormatTag();
    TID3v2Tag Tag;

    const char* FormatName() const override { return "ID3v2"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) override;
    int SaveToFile(const std::string& fileName) override;
    int SaveToStream(TStream& stream, bool buffered) override;
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.FrameCount(); }
    int64_t TagSize() const override;
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override { Convert(Tag, out, parseCoverArts); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override { return Tag.DeleteFrame(static_cast<int64_t>(index)); }
    TAudioAttributes AudioAttributes() const override;

    static void Convert(const TID3v2Tag& tag, TUnifiedTags& out, bool parseCoverArts);
};

class TAPEv2FormatTag final : public TFormatTag {
public:
    TAPEv2Tag Tag;

    const char* FormatName() const override { return "APEv2"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) override;
    int SaveToFile(const std::string& fileName) override { return Tag.SaveToFile(fileName); }
    int SaveToStream(TStream& stream, bool) override { return Tag.SaveToStream(stream); }
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.Count(); }
    int64_t TagSize() const override { return Tag.CalculateTagSize(); }
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override { Convert(Tag, out, parseCoverArts); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override { return Tag.DeleteFrame(static_cast<int>(index)); }

    static void Convert(TAPEv2Tag& tag, TUnifiedTags& out, bool parseCoverArts);
};

class TFlacFormatTag final : public TFormatTag {
public:
    TFlacFormatTag();
    TFlacTag Tag;

    const char* FormatName() const override { return "FLAC"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) override;
    int SaveToFile(const std::string& fileName) override { return Tag.SaveToFile(fileName, true); }
    int SaveToStream(TStream& stream, bool buffered) override { return Tag.SaveToStream(stream, buffered); }
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.Count(); }
    int64_t TagSize() const override { return Tag.CalculateTagSize(true); }
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override { Convert(Tag, out, parseCoverArts); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override { return Tag.DeleteFrame(static_cast<int>(index)); }
    TAudioAttributes AudioAttributes() const override;

    static void Convert(TFlacTag& tag, TUnifiedTags& out, bool parseCoverArts);
};

class TOggFormatTag final : public TFormatTag {
public:
    TOggFormatTag();
    TOpusTag Tag;

    const char* FormatName() const override { return "Ogg"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions&) override { return Tag.LoadFromStream(stream); }
    int SaveToFile(const std::string& fileName) override { return Tag.SaveToFile(fileName); }
    int SaveToStream(TStream& stream, bool) override { return Tag.SaveToStream(stream); }
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.Count(); }
    int64_t TagSize() const override { return Tag.CalculateTagSize(); }
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override { Convert(Tag, out, parseCoverArts); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override { return Tag.DeleteFrame(static_cast<int>(index)); }
    TAudioAttributes AudioAttributes() const override;

    static void Convert(TOpusTag& tag, TUnifiedTags& out, bool parseCoverArts);
};

class TMP4FormatTag final : public TFormatTag {
public:
    TMP4FormatTag();
    TMP4Tag Tag;
    // Copied from the facade before a save (its MP4KeepPadding).
    bool KeepPadding = true;

    const char* FormatName() const override { return "MP4"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded(); }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) override;
    int SaveToFile(const std::string& fileName) override;
    int SaveToStream(TStream& stream, bool buffered) override;
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.Count(); }
    int64_t TagSize() const override { return Tag.CalculateSize(); }
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override { Convert(Tag, out, parseCoverArts); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    // The items, then the Xtra fields (their names, "Xtra" as description).
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override;
    TAudioAttributes AudioAttributes() const override;

    static void Convert(TMP4Tag& tag, TUnifiedTags& out, bool parseCoverArts);
};

class TWAVFormatTag final : public TFormatTag {
public:
    TWAVTag Tag;

    const char* FormatName() const override { return "WAV"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions&) override { return Tag.LoadFromStream(stream); }
    int SaveToFile(const std::string& fileName) override { return Tag.SaveToFile(fileName); }
    int SaveToStream(TStream& stream, bool) override { return Tag.SaveToStream(stream); }
    int RemoveFromFile(const std::string& fileName) override;
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.Count(); }
    int64_t TagSize() const override { return Tag.CalculateTagSize(); }
    void GetUnifiedTags(TUnifiedTags& out, bool) override { Convert(Tag, out); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override { return Tag.DeleteFrame(static_cast<int64_t>(index)); }
    TAudioAttributes AudioAttributes() const override;

    static void Convert(const TWAVTag& tag, TUnifiedTags& out);
};

class TWMAFormatTag final : public TFormatTag {
public:
    TWMATag Tag;

    const char* FormatName() const override { return "WMA"; }
    void Clear() override { Tag.Clear(); }
    bool Loaded() const override { return Tag.Loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override;
    int LoadFromStream(TStream& stream, const TFormatLoadOptions&) override { return Tag.LoadFromStream(stream); }
    int SaveToFile(const std::string& fileName) override { return Tag.SaveToFile(fileName); }
    int SaveToStream(TStream& stream, bool) override { return Tag.SaveToStream(stream); }
    bool Assign(const TFormatTag& source) override;
    int64_t Count() const override { return Tag.Count(); }
    int64_t TagSize() const override { return Tag.CalculateTagSize(); }
    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override { Convert(Tag, out, parseCoverArts); }
    void DeleteEntry(const TTag& entry) override;
    void Prepare(const TTags& tags) override;
    std::vector<TNativeItem> NativeItems() const override;
    bool DeleteNativeItem(size_t index) override { return Tag.DeleteFrame(static_cast<int64_t>(index)); }
    TAudioAttributes AudioAttributes() const override;

    static void Convert(const TWMATag& tag, TUnifiedTags& out, bool parseCoverArts);
};

}  // namespace tags
