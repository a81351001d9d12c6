#include "common/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <limits>

namespace common {

bool fileExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool directoryExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
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

namespace {

// Long names are cut so that ours stay within the 255 bytes a name may have.
constexpr size_t kNamePart = 200;

std::string folderOf(const std::string& target) {
    std::string folder = extractFilePath(target);
    return folder.empty() ? "./" : folder;
}

// ".orvelin-<name>." (the name cut to fit), what every temporary name of
// target starts with.
std::string temporaryStem(const std::string& target) {
    std::string name = extractFileName(target);
    if (name.size() > kNamePart) name.resize(kNamePart);
    return ".orvelin-" + name + ".";
}

bool allDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

bool writeAll(int fd, const char* p, size_t left) {
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

bool copyAll(int from, int to) {
    char buf[65536];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(from, buf, sizeof buf, at);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (!writeAll(to, buf, static_cast<size_t>(n))) return false;
        at += n;
    }
}

// The permissions (and, where allowed, the owner) of the file it replaces,
// then everything on disk.
bool finish(int fd, const std::string& target) {
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (::fchmod(fd, st.st_mode & 07777) != 0) return false;
        // Best effort: only root may give the file back to another owner.
        [[maybe_unused]] int owned = ::fchown(fd, st.st_uid, st.st_gid);
    } else if (::fchmod(fd, 0644) != 0) {
        return false;
    }
    return ::fsync(fd) == 0;
}

void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::string temporaryPathFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    return folderOf(target) + temporaryStem(target) + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
}

int removeStaleTemporaries(const std::string& target) {
    DIR* dir = ::opendir(folderOf(target).c_str());
    if (!dir) return 0;
    const std::string stem = temporaryStem(target);
    int removed = 0;
    while (const dirent* e = ::readdir(dir)) {
        std::string_view name = e->d_name;
        if (name.size() <= stem.size() + 4 || name.substr(0, stem.size()) != stem ||
            name.substr(name.size() - 4) != ".tmp")
            continue;
        // "<pid>.<n>" and nothing else, so the names of other files never match.
        std::string_view middle = name.substr(stem.size(), name.size() - stem.size() - 4);
        size_t dot = middle.find('.');
        if (dot == std::string_view::npos || dot > 10 || !allDigits(middle.substr(0, dot)) ||
            !allDigits(middle.substr(dot + 1)))
            continue;
        long long number = std::stoll(std::string(middle.substr(0, dot)));
        if (number > std::numeric_limits<pid_t>::max()) continue;
        auto pid = static_cast<pid_t>(number);
        // Its maker may still be writing it.
        if (pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM) continue;
        if (::unlinkat(::dirfd(dir), e->d_name, 0) == 0) ++removed;
    }
    ::closedir(dir);
    return removed;
}

std::unique_ptr<ReplacementFile> ReplacementFile::create(const std::string& target) {
    removeStaleTemporaries(target);
    int fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0) return std::unique_ptr<ReplacementFile>(new ReplacementFile(target, fd, {}));
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return nullptr;
    // No files without a name here: one that marks it as ours.
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string named = temporaryPathFor(target);
        fd = ::open(named.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) return std::unique_ptr<ReplacementFile>(new ReplacementFile(target, fd, named));
        if (errno != EEXIST) return nullptr;
    }
    return nullptr;
}

ReplacementFile::~ReplacementFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!named_.empty()) ::unlink(named_.c_str());
}

bool ReplacementFile::commit() {
    if (fd_ < 0) return false;
    bool ok = finish(fd_, target_);
    // A file without a name gets one of ours just before it is renamed: no
    // call links a file in over another.
    for (int attempt = 0; ok && named_.empty() && attempt < 100; ++attempt) {
        std::string named = temporaryPathFor(target_);
        char self[64];
        std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd_);
        if (::linkat(fd_, "", AT_FDCWD, named.c_str(), AT_EMPTY_PATH) == 0 ||
            (errno != EEXIST && ::linkat(AT_FDCWD, self, AT_FDCWD, named.c_str(), AT_SYMLINK_FOLLOW) == 0)) {
            named_ = std::move(named);
        } else if (errno != EEXIST) {
            // Neither way of linking works here: copy it into a named file.
            int copy = ::open(named.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (copy < 0) {
                ok = errno == EEXIST;
                continue;
            }
            named_ = std::move(named);
            ok = copyAll(fd_, copy) && finish(copy, target_);
            ::close(fd_);
            fd_ = copy;
        }
    }
    ok = ok && !named_.empty() && ::rename(named_.c_str(), target_.c_str()) == 0;
    int error = errno;  // the first failure, for the caller
    if (ok) named_.clear();
    ::close(fd_);
    fd_ = -1;
    if (!named_.empty()) ::unlink(named_.c_str());
    named_.clear();
    if (ok) syncFolder(folderOf(target_));
    errno = ok ? 0 : error;
    return ok;
}

bool writeFileAtomic(const std::string& path, std::string_view content) {
    int error = 0;
    {
        std::unique_ptr<ReplacementFile> file = ReplacementFile::create(path);
        if (!file) return false;
        if (writeAll(file->fd(), content.data(), content.size()) && file->commit()) return true;
        error = errno;
    }
    // Dropping the new file must not hide why it failed.
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
