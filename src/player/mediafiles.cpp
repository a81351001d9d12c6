#include "player/mediafiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "common/files.h"
#include "common/text.h"

namespace player {

namespace {

// The classic 26, then Opus and MPEG-4 audio: the engine plays both, and a
// file the player plays but cannot add would only puzzle its user.
constexpr const char* kExtensions[] = {".mp3", ".mp2",  ".mp1", ".wav", ".ogg", ".mo3", ".it",   ".xm", ".s3m", ".mtm",
                                       ".mod", ".umx",  ".wma", ".wm",  ".ofr", ".ofs", ".flac", ".wv", ".aac", ".mp4",
                                       ".ac3", ".alac", ".ape", ".mpc", ".spx", ".tta", ".opus", ".m4a"};

bool hasExtension(std::string_view path, std::initializer_list<std::string_view> exts) {
    std::string ext = common::extractFileExt(path);
    return std::any_of(exts.begin(), exts.end(), [&](std::string_view e) { return common::equalsNoCase(ext, e); });
}

// Code point by code point, ignoring case.
bool match(std::string_view name, size_t n, std::string_view mask, size_t m) {
    while (m < mask.size()) {
        if (mask[m] == '*') {
            while (m < mask.size() && mask[m] == '*') ++m;
            if (m == mask.size()) return true;
            for (size_t at = n; at <= name.size();) {
                if (match(name, at, mask, m)) return true;
                if (at == name.size()) break;
                common::decodeUtf8(name, at);
            }
            return false;
        }
        if (n >= name.size()) return false;
        char32_t c = common::decodeUtf8(name, n);
        char32_t want = common::decodeUtf8(mask, m);
        if (want != U'?' && common::toLowerCp(c) != common::toLowerCp(want)) return false;
    }
    return n == name.size();
}

std::string percentDecoded(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
        if (s[i] == '%' && i + 2 < s.size() && hex(s[i + 1]) && hex(s[i + 2])) {
            out.push_back(static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// The target of a desktop entry "[Desktop Entry] Type=Link URL=file:///...".
std::optional<std::string> desktopLinkTarget(const std::string& path) {
    if (common::fileSize(path) > 64 * 1024) return std::nullopt;  // entries are a few lines
    auto text = common::readFile(path);
    if (!text) return std::nullopt;
    bool inEntry = false, isLink = false;
    std::string url;
    size_t pos = 0;
    while (pos < text->size()) {
        size_t end = text->find('\n', pos);
        if (end == std::string::npos) end = text->size();
        std::string_view line = common::trim(std::string_view(*text).substr(pos, end - pos));
        pos = end + 1;
        if (line.starts_with('[')) {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        size_t eq = line.find('=');
        if (!inEntry || eq == std::string_view::npos) continue;
        std::string_view key = common::trim(line.substr(0, eq)), value = common::trim(line.substr(eq + 1));
        if (key == "Type") isLink = value == "Link";
        if (key == "URL") url = value;
    }
    if (!isLink) return std::nullopt;
    if (url.starts_with("file://")) {
        url = percentDecoded(url.substr(7));
        if (!url.starts_with('/')) return std::nullopt;  // file://host/... is not ours to open
    }
    if (!url.starts_with('/')) return std::nullopt;
    return url;
}

// A symbolic link followed to its end, relative targets taken from the
// link's own folder; nothing for a loop or a chain without end.
std::optional<std::string> symlinkTarget(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path at = path;
    bool followed = false;
    for (int hop = 0; hop < 40; ++hop) {
        if (!fs::is_symlink(fs::symlink_status(at, ec))) return followed ? std::optional(at.string()) : std::nullopt;
        fs::path next = fs::read_symlink(at, ec);
        if (ec) return std::nullopt;
        at = (next.is_absolute() ? next : at.parent_path() / next).lexically_normal();
        followed = true;
    }
    return std::nullopt;
}

}  // namespace

const std::vector<std::string>& MediaExtensions() {
    static const std::vector<std::string> list(std::begin(kExtensions), std::end(kExtensions));
    return list;
}

const std::vector<std::string>& MediaMasks() {
    static const std::vector<std::string> list = [] {
        std::vector<std::string> masks;
        for (const char* e : kExtensions) masks.push_back(std::string("*") + e);
        return masks;
    }();
    return list;
}

bool IsMediaFile(std::string_view path) {
    std::string ext = common::extractFileExt(path);
    const auto& list = MediaExtensions();
    return !ext.empty() &&
           std::any_of(list.begin(), list.end(), [&](const std::string& e) { return common::equalsNoCase(ext, e); });
}

bool IsPlaylistFile(std::string_view path) { return hasExtension(path, {".m3u", ".m3u8"}); }

bool MatchesMask(std::string_view name, std::string_view mask) { return match(name, 0, mask, 0); }

bool MatchesAnyMask(std::string_view name, const std::vector<std::string>& masks) {
    return std::any_of(masks.begin(), masks.end(), [&](const std::string& m) { return MatchesMask(name, m); });
}

std::string MediaFileFilter() {
    std::string all;
    for (const std::string& m : MediaMasks()) all += (all.empty() ? "" : ";") + m;
    // The FAAD entry's patterns are "*.aac;*.mp4": a bare ".aac" would list no AAC file at all.
    return "Все форматы|" + all +
           "|MPEG Audio Files (*.mp3;*.mp2;*.mp1)|*.mp3;*.mp2;*.mp1"
           "|Ogg Vorbis Audio (*.ogg)|*.ogg"
           "|Microsoft Wave Audio (*.wav)|*.wav"
           "|MOD Music (*.mo3;*.it;*.xm;*.s3m;*.mtm;*.mod;*.umx)|*.mo3;*.it;*.xm;*.s3m;*.mtm;*.mod;*.umx"
           "|Windows Media Audio (*.wma;*.wm)|*.wma;*.wm"
           "|OptimFROG Audio Files (*.ofr;*.ofs)|*.ofr;*.ofs"
           "|Free Lossless Audio Files (*.flac)|*.flac"
           "|WavPack Audio Files (*.wv)|*.wv"
           "|FAAD Audio Files (.aac;*.mp4)|*.aac;*.mp4"
           "|AC3 Audio Files (*.ac3)|*.ac3"
           "|Apple Lossless Audio Files (*.alac)|*.alac"
           "|Monkeys Audio Audio Files (*.ape)|*.ape"
           "|Musepack Audio Files (*.mpc)|*.mpc"
           "|Speex Audio Files (*.spx)|*.spx"
           "|True Audio Files (*.tta)|*.tta"
           "|Opus Audio Files (*.opus)|*.opus"
           "|MPEG-4 Audio Files (*.m4a)|*.m4a";
}

std::optional<std::string> ResolveShortcut(const std::string& path) {
    std::optional<std::string> target = symlinkTarget(path);
    if (!target && common::endsWithNoCase(path, ".desktop") && common::fileExists(path))
        target = desktopLinkTarget(path);
    struct stat st {};
    if (!target || ::stat(target->c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return std::nullopt;
    return target;
}

}  // namespace player
