// Byte builders and file helpers for the tests of the blocks at the end of a
// file (APEv2, Lyrics3 v2, ID3v1). The builders know the layouts on their own,
// so a test compares our reader and writer with an independent picture of
// the bytes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace fixtures {

inline std::string Padded(std::string_view text, size_t width) {
    std::string out(text.substr(0, width));
    out.resize(width, '\0');
    return out;
}

// track < 0 writes the original layout (30-byte comment, no track byte).
inline std::string ID3v1Block(std::string_view title, std::string_view artist = "", std::string_view album = "",
                              std::string_view year = "", std::string_view comment = "", int track = -1,
                              uint8_t genre = 255) {
    std::string b = "TAG" + Padded(title, 30) + Padded(artist, 30) + Padded(album, 30) + Padded(year, 4);
    if (track < 0) {
        b += Padded(comment, 30);
    } else {
        b += Padded(comment, 28) + '\0' + static_cast<char>(track);
    }
    return b + static_cast<char>(genre);
}

using Fields = std::vector<std::pair<std::string, std::string>>;

inline std::string Lyrics3Block(const Fields& fields) {
    std::string body = "LYRICSBEGIN";
    char digits[16];
    for (const auto& [id, data] : fields) {
        std::snprintf(digits, sizeof digits, "%05zu", data.size());
        body += id + digits + data;
    }
    std::snprintf(digits, sizeof digits, "%06zu", body.size());
    return body + digits + "LYRICS200";
}

inline void PutLE32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}

struct ApeItem {
    std::string key;
    std::string value;
    uint32_t flags = 0;  // bits 1-2: 0 text, 1 binary, 2 external reference, 3 reserved
};

inline std::string ApeItems(const std::vector<ApeItem>& items) {
    std::string out;
    for (const auto& item : items) {
        PutLE32(out, static_cast<uint32_t>(item.value.size()));
        PutLE32(out, item.flags);
        out += item.key + '\0' + item.value;
    }
    return out;
}

inline std::string ApeHeader(uint32_t version, uint32_t size, uint32_t count, uint32_t flags) {
    std::string out = "APETAGEX";
    PutLE32(out, version);
    PutLE32(out, size);
    PutLE32(out, count);
    PutLE32(out, flags);
    return out + std::string(8, '\0');
}

inline std::string ApeTag(const std::vector<ApeItem>& items, uint32_t version = 2000, bool header = true) {
    std::string body = ApeItems(items);
    auto size = static_cast<uint32_t>(body.size() + 32);
    auto count = static_cast<uint32_t>(items.size());
    std::string out;
    if (header) out = ApeHeader(version, size, count, 0xA0000000u);
    return out + body + ApeHeader(version, size, count, header ? 0x80000000u : 0u);
}

// Deterministic bytes standing in for audio; they contain no tag markers.
inline std::string Audio(size_t size, unsigned seed = 1) {
    std::string out(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (auto& c : out) {
        x = x * 1103515245u + 12345u;
        c = static_cast<char>('a' + (x >> 16) % 26);
    }
    return out;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const std::string& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline void SetModificationTime(const std::string& path, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

inline time_t ModificationTime(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mtim.tv_sec;
}

class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "orvelin-tail-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(std::string_view name) const { return path_ + "/" + std::string(name); }
    std::string Write(std::string_view name, std::string_view bytes) const {
        std::string p = File(name);
        WriteAll(p, bytes);
        return p;
    }
    // Names of everything in the folder, to see that no temporary file stayed.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename());
        return names;
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Makes every write past `bytes` fail with EFBIG for this process, as a full
// disk would; works for root, unlike permission tricks.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{bytes, old_.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        ::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    sighandler_t oldHandler_;
};

}  // namespace fixtures
