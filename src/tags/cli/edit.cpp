#include "tags/cli/edit.h"

#include "common/text.h"
#include "tags/facade/tagslibrary.h"

#include <cstdio>
#include <cstdlib>

namespace tags::cli {

namespace {

int Failed(const std::string& file, const std::string& what) {
    std::fprintf(stderr, "orvelin-tags: %s: %s\n", file.c_str(), what.c_str());
    return 1;
}

// Loads the file the way the player does, so that a save rewrites the
// formats it already has.
bool Load(TTags& tags, const std::string& file) {
    int result = tags.LoadFromFile(file);
    if (result == trSuccess) return true;
    Failed(file, ErrorCodeToText(result));
    return false;
}

int Save(TTags& tags, const std::string& file) {
    int result = tags.SaveToFile(file, ttAutomatic);
    return result == trSuccess ? 0 : Failed(file, ErrorCodeToText(result));
}

// Splits the arguments into positional ones and "--name value" options.
bool ParseOptions(const std::vector<std::string>& args, const std::vector<std::string>& known,
                  std::vector<std::string>& positional, std::vector<std::pair<std::string, std::string>>& options,
                  std::string& error) {
    bool optionsEnd = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!optionsEnd && a == "--") {
            optionsEnd = true;
        } else if (!optionsEnd && a.size() > 1 && a[0] == '-') {
            bool isKnown = false;
            for (const std::string& k : known) isKnown = isKnown || a == k;
            if (!isKnown) return error = "unknown option " + a, false;
            if (i + 1 >= args.size()) return error = a + " needs a value", false;
            options.emplace_back(a, args[++i]);
        } else {
            positional.push_back(a);
        }
    }
    return true;
}

}  // namespace

int SetCommand(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
    if (!ParseOptions(args, {}, positional, options, error)) return UsageError(error);
    if (positional.size() < 2) return UsageError("set needs a file and at least one NAME=VALUE");
    for (size_t i = 1; i < positional.size(); ++i) {
        size_t eq = positional[i].find('=');
        if (eq == std::string::npos || eq == 0) return UsageError("'" + positional[i] + "' is not NAME=VALUE");
    }
    const std::string& file = positional[0];
    TTags tags;
    if (!Load(tags, file)) return 1;
    for (size_t i = 1; i < positional.size(); ++i) {
        size_t eq = positional[i].find('=');
        tags.SetText(positional[i].substr(0, eq), positional[i].substr(eq + 1));
    }
    return Save(tags, file);
}

int RemoveCommand(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
    if (!ParseOptions(args, {"--type"}, positional, options, error)) return UsageError(error);
    if (positional.size() != 1) return UsageError("remove needs exactly one file");
    TTagType type = ttAutomatic;
    for (const auto& [name, value] : options) {
        static const std::pair<const char*, TTagType> kTypes[] = {
            {"ID3v1", ttID3v1},    {"ID3v2", ttID3v2}, {"APEv2", ttAPEv2}, {"FLAC", ttFlac},    {"MP4", ttMP4},
            {"Ogg", ttOpusVorbis}, {"WAV", ttWAV},     {"WMA", ttWMA},     {"all", ttAutomatic}};
        type = ttNone;
        for (const auto& [n, t] : kTypes)
            if (common::equalsNoCase(value, n)) type = t;
        if (type == ttNone) return UsageError("unknown tag type '" + value + "'");
    }
    int result = RemoveTag(positional[0], type);
    return result == trSuccess ? 0 : Failed(positional[0], ErrorCodeToText(result));
}

int AddPictureCommand(const std::vector<std::string>& args) {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> options;
    std::string error;
    if (!ParseOptions(args, {"--type", "--description"}, positional, options, error)) return UsageError(error);
    if (positional.size() != 2) return UsageError("add-picture needs a file and an image");
    long coverType = 3;  // front cover
    const std::string* description = nullptr;
    for (const auto& [name, value] : options) {
        if (name == "--description") {
            description = &value;
            continue;
        }
        char* end = nullptr;
        coverType = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || coverType < 0 || coverType > 20)
            return UsageError("--type takes a picture type from 0 to 20");
    }
    const std::string& file = positional[0];
    const std::string& image = positional[1];
    TTags tags;
    if (!Load(tags, file)) return 1;
    TCoverArt* picture = tags.AddCoverArt("Cover art " + std::to_string(tags.CoverArtCount() + 1), image);
    if (!picture) return Failed(image, "the image cannot be read");
    if (picture->MIMEType.empty()) {
        picture->Delete();
        return Failed(image, "not a JPEG, PNG, GIF, BMP or TIFF image");
    }
    picture->CoverType = static_cast<uint32_t>(coverType);
    if (description) picture->Description = *description;
    return Save(tags, file);
}

}  // namespace tags::cli
