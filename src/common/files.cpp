#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

namespace common {

bool fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int64_t fileSize(const std::string& path) {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return -1;
    return st.st_size;
}

std::optional<std::string> readFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string data;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) data.reserve(static_cast<size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            errno = error;
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return data;
}

std::string siblingTempPath(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    for (;;) {
        char suffix[48];
        std::snprintf(suffix, sizeof suffix, ".%u.%u.%08x.tmp", static_cast<unsigned>(::getpid()), counter.fetch_add(1),
                      rd());
        std::string candidate = path + suffix;
        struct stat st {};
        if (::lstat(candidate.c_str(), &st) != 0) return candidate;
    }
}

bool writeFileAtomic(const std::string& path, std::string_view content) {
    std::string tmp = siblingTempPath(path);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    // Keep the permissions of the file being replaced.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) ::fchmod(fd, st.st_mode & 07777);
    const char* p = content.data();
    size_t left = content.size();
    int error = 0;  // the first failure's errno
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    if (!error && ::fsync(fd) != 0) error = errno;
    if (::close(fd) != 0 && !error) error = errno;
    if (!error && ::rename(tmp.c_str(), path.c_str()) != 0) error = errno;
    if (!error) return true;
    ::unlink(tmp.c_str());
    errno = error;
    return false;
}

bool canReplaceFile(const std::string& path) {
    if (!fileExists(path) || ::access(path.c_str(), W_OK) != 0) return false;
    std::string folder = extractFilePath(path);
    return ::access(folder.empty() ? "." : folder.c_str(), W_OK | X_OK) == 0;
}

std::vector<std::string> listFiles(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return names;
    std::string base = withTrailingSlash(folder);
    while (const dirent* e = ::readdir(dir))
        if (fileExists(base + e->d_name)) names.emplace_back(e->d_name);
    ::closedir(dir);
    return names;
}

bool makeDirectories(const std::string& path) {
    if (path.empty()) return false;
    if (directoryExists(path)) return true;
    size_t pos = 0;
    while ((pos = path.find('/', pos + 1)) != std::string::npos) {
        std::string part = path.substr(0, pos);
        if (!part.empty() && !directoryExists(part) && ::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    if (!directoryExists(path) && ::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return directoryExists(path);
}

std::string extractFileName(std::string_view path) {
    size_t p = path.rfind('/');
    return std::string(p == std::string_view::npos ? path : path.substr(p + 1));
}

std::string extractFilePath(std::string_view path) {
    size_t p = path.rfind('/');
    return p == std::string_view::npos ? std::string() : std::string(path.substr(0, p + 1));
}

std::string extractFileExt(std::string_view path) {
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return std::string(path.substr(dot));
}

std::string changeFileExt(std::string_view path, std::string_view ext) {
    std::string old = extractFileExt(path);
    return std::string(path.substr(0, path.size() - old.size())) + std::string(ext);
}

std::string withTrailingSlash(std::string_view path) {
    std::string s(path);
    if (s.empty() || s.back() != '/') s.push_back('/');
    return s;
}

}  // namespace common
