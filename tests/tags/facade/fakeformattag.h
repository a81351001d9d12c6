// Hand-built format objects for the facade tests: each "finds" the items it
// was given and records how the facade drove it.
#pragma once

#include "tags/facade/formatfactory.h"
#include "tags/facade/tag.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tags::testing {

class FakeFormatTag : public TFormatTag {
public:
    explicit FakeFormatTag(const char* name) : FName(name) {}

    // What a load finds.
    std::vector<TNativeItem> fileItems;
    std::vector<TUnifiedPicture> filePictures;
    TAudioAttributes audio;
    int64_t tagSize = 0;
    bool throwOnLoad = false;

    // What the facade did.
    std::vector<TFormatLoadOptions> loads;
    std::vector<int64_t> loadPositions;  // stream position when a stream load began
    std::vector<std::string> loadedFiles;
    std::vector<std::string> deletedEntries;  // "Name=Value"
    bool wroteToStream = false;
    std::vector<std::string> saves;  // "file:NAME" or "stream" (buffered: "stream+b")
    int prepares = 0;
    int saveResult = 0;  // what every save returns, in this format's own codes

    // The loaded state.
    std::vector<TNativeItem> items;
    std::vector<TUnifiedPicture> pictures;
    bool loaded = false;

    const char* FormatName() const override { return FName; }
    void Clear() override {
        items.clear();
        pictures.clear();
        loaded = false;
    }
    bool Loaded() const override { return loaded; }
    int LoadFromFile(const std::string& fileName, const TFormatLoadOptions& options) override {
        loadedFiles.push_back(fileName);
        return Load(options);
    }
    int LoadFromStream(TStream& stream, const TFormatLoadOptions& options) override {
        loadPositions.push_back(stream.Position());
        char c;
        stream.Read(&c, 1);  // moves on, as every reader does
        wroteToStream = stream.Write("x", 1) == 1;
        stream.Seek(-1, TSeekOrigin::soCurrent);
        return Load(options);
    }
    int SaveToFile(const std::string& fileName) override {
        saves.push_back("file:" + fileName.substr(fileName.rfind('/') + 1));
        return saveResult;
    }
    int SaveToStream(TStream&, bool buffered) override {
        saves.push_back(buffered ? "stream+b" : "stream");
        return saveResult;
    }
    void Prepare(const TTags&) override { ++prepares; }
    bool Assign(const TFormatTag&) override { return false; }
    int64_t Count() const override { return static_cast<int64_t>(items.size()); }
    int64_t TagSize() const override { return tagSize; }

    void GetUnifiedTags(TUnifiedTags& out, bool parseCoverArts) override {
        for (const TNativeItem& i : items) out.Entries.push_back({i.Id, i.Value, i.Language, i.Description});
        out.HasPictures = !pictures.empty();
        if (parseCoverArts) out.Pictures = pictures;
    }
    void DeleteEntry(const TTag& entry) override {
        deletedEntries.push_back(entry.Name + "=" + entry.Value);
        DeleteItemsByNameAndValue(*this, entry.Name, entry.Value);
    }
    std::vector<TNativeItem> NativeItems() const override { return items; }
    bool DeleteNativeItem(size_t index) override {
        if (index >= items.size()) return false;
        items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
        return true;
    }
    TAudioAttributes AudioAttributes() const override { return audio; }

private:
    int Load(const TFormatLoadOptions& options) {
        loads.push_back(options);
        if (throwOnLoad) throw std::runtime_error("broken file");
        items = fileItems;
        pictures = filePictures;
        loaded = !items.empty() || !pictures.empty();
        return loaded ? 0 : 1;
    }
    const char* FName;
};

class FakePropertiesReader : public TStreamPropertiesReader {
public:
    bool valid = false;
    TAudioAttributes audio;
    std::vector<std::pair<int64_t, int64_t>> sizes;  // leading, trailing per load

    bool LoadFromFile(const std::string&, int64_t leading, int64_t trailing) override {
        sizes.emplace_back(leading, trailing);
        return valid;
    }
    bool LoadFromStream(TStream&, int64_t leading, int64_t trailing) override {
        sizes.emplace_back(leading, trailing);
        return valid;
    }
    bool Valid() const override { return valid; }
    TAudioAttributes AudioAttributes() const override { return audio; }
};

// Builds a fake for every format and, when configured, for the readers;
// keeps pointers to them for the test to arrange and inspect.
struct Fakes {
    std::map<TTagType, FakeFormatTag*> format;
    std::map<TStreamPropertiesKind, FakePropertiesReader> readerTemplate;  // kinds a reader exists for
    std::map<TStreamPropertiesKind, int> readersCreated;

    FakeFormatTag& operator[](TTagType type) { return *format.at(type); }

    TFormatFactory Factory() {
        TFormatFactory f;
        f.FormatTag = [this](TTagType type) -> std::unique_ptr<TFormatTag> {
            std::unique_ptr<TFormatTag> real = CreateFormatTag(type);
            if (!real) return nullptr;
            auto fake = std::make_unique<FakeFormatTag>(real->FormatName());
            format[type] = fake.get();
            return fake;
        };
        f.PropertiesReader = [this](TStreamPropertiesKind kind) -> std::unique_ptr<TStreamPropertiesReader> {
            auto it = readerTemplate.find(kind);
            if (it == readerTemplate.end()) return nullptr;
            ++readersCreated[kind];
            return std::make_unique<FakePropertiesReader>(it->second);
        };
        return f;
    }
};

}  // namespace tags::testing
