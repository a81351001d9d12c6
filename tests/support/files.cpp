#include "support/files.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>

namespace testenv {

std::string readFile(const std::string& path) {
    std::string bytes;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) bytes.append(buf, n);
    std::fclose(f);
    return bytes;
}

bool writeFile(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    // An empty view may hold a null pointer, which fwrite must not see.
    bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    return writeFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool setModificationTime(const std::string& path, time_t seconds) {
    struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

time_t modificationTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return st.st_mtim.tv_sec;
}

}  // namespace testenv
