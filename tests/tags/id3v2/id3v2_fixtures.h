// Byte builders and a scratch folder for the ID3v2 tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace id3v2test {

inline std::string Synchsafe(uint32_t v) {
    return {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F), char(v & 0x7F)};
}
inline std::string BE32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

inline std::string Frame2(const std::string& id, const std::string& data) {
    auto n = uint32_t(data.size());
    return id + std::string{char(n >> 16), char(n >> 8), char(n)} + data;
}
inline std::string Frame3(const std::string& id, const std::string& data, uint16_t flags = 0) {
    return id + BE32(uint32_t(data.size())) + std::string{char(flags >> 8), char(flags)} + data;
}
inline std::string Frame4(const std::string& id, const std::string& data, uint16_t flags = 0) {
    return id + Synchsafe(uint32_t(data.size())) + std::string{char(flags >> 8), char(flags)} + data;
}
// "ID3", version, revision 0, flags, synchsafe size, body, zero padding.
inline std::string Tag(int major, uint8_t flags, const std::string& body, size_t padding = 0) {
    return std::string("ID3") + char(major) + '\0' + char(flags) + Synchsafe(uint32_t(body.size() + padding)) + body +
           std::string(padding, '\0');
}

// Stand-in audio: never starts with "ID3" and contains FF bytes and zeros.
inline std::string Audio(size_t n = 3000) {
    std::string a(n, '\0');
    for (size_t i = 0; i < n; ++i) a[i] = char((i * 131 + 7) % 251);
    a[0] = char(0xFF);
    a[1] = char(0xFB);
    return a;
}

class TempDir {
public:
    TempDir() {
        char tmpl[] = "/tmp/orvelin-id3v2-XXXXXX";
        path_ = ::mkdtemp(tmpl);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }
    size_t EntryCount() const {
        return size_t(std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator()));
    }

private:
    std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace id3v2test
