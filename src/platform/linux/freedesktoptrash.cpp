#include "platform/linux/freedesktoptrash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "common/files.h"
#include "common/log.h"

namespace platform {

namespace {

constexpr const char* kSource = "platform.trash";

std::string errorText(int code) { return common::log::systemError(code); }

// A folder of ours (0700), made if missing; false when the path is taken by
// anything else or cannot be made.
bool ensurePrivateDir(const std::string& dir) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    return ::mkdir(dir.c_str(), 0700) == 0 || (errno == EEXIST && common::directoryExists(dir));
}

std::string parentOf(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    std::string parent = common::extractFilePath(p);
    return parent.empty() ? std::string("/") : parent;
}

std::string deletionDate() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &local);
    return buf;
}

// "name.ext", then "name.2.ext", "name.3.ext", ... (a dot file keeps its dot).
std::string candidateName(const std::string& name, int n) {
    if (n == 1) return name;
    size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0) return name + "." + std::to_string(n);
    return name.substr(0, dot) + "." + std::to_string(n) + name.substr(dot);
}

bool writeAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string PercentEncodePath(const std::string& path) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (unsigned char c : path) {
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
                     c == '_' || c == '.' || c == '~' || c == '/';
        if (plain) {
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::optional<TVolume> FreedesktopTrash::VolumeOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    TVolume volume{static_cast<uint64_t>(st.st_dev), {}};
    // Climb while the parent is on the same device: the last folder before
    // the device changes (or "/") is where the volume is mounted.
    std::string dir = S_ISDIR(st.st_mode) ? common::withTrailingSlash(path) : parentOf(path);
    for (;;) {
        if (dir == "/") break;
        std::string up = parentOf(dir);
        struct stat upSt {};
        if (::stat(up.c_str(), &upSt) != 0 || upSt.st_dev != st.st_dev) break;
        dir = up;
    }
    volume.topDir = common::withTrailingSlash(dir);
    return volume;
}

FreedesktopTrash::FreedesktopTrash(std::string dataHome, VolumeLookup volumeOf, uid_t uid)
    : dataHome_(std::move(dataHome)), volumeOf_(volumeOf ? std::move(volumeOf) : VolumeLookup(&VolumeOf)), uid_(uid) {}

std::string FreedesktopTrash::trashFor(const TVolume& volume, std::string& error) {
    // The home trash, when the file shares its volume: a rename is then all it takes.
    if (!dataHome_.empty()) {
        std::string home = common::withTrailingSlash(dataHome_) + "Trash/";
        if (common::makeDirectories(dataHome_) && ensurePrivateDir(home)) {
            std::optional<TVolume> homeVolume = volumeOf_(home);
            if (homeVolume && homeVolume->device == volume.device) return home;
        }
    }
    // Another volume keeps its own trash at its top, never the home one:
    // moving there would copy the whole file across volumes.
    const std::string uid = std::to_string(uid_);
    std::string shared = volume.topDir + ".Trash";
    struct stat st {};
    // A shared trash only counts when it is a real folder with the sticky bit
    // (else anyone could have planted it to catch others' files).
    if (::lstat(shared.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        std::string mine = shared + "/" + uid + "/";
        if (ensurePrivateDir(mine)) return mine;
    }
    std::string own = volume.topDir + ".Trash-" + uid + "/";
    if (ensurePrivateDir(own)) return own;
    error = "no trash can be made on the volume at " + volume.topDir;
    return {};
}

TTrashResult FreedesktopTrash::MoveToTrash(const std::string& given) {
    TTrashResult result;
    std::error_code ec;
    std::string path = std::filesystem::absolute(given, ec).lexically_normal().string();
    if (ec) path = given;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        result.error = errorText(errno);
        return result;
    }
    // The folder the entry lies in decides the volume (a link lies where it is, not where it points).
    std::optional<TVolume> volume = volumeOf_(parentOf(path));
    if (!volume) {
        result.error = errorText(errno ? errno : ENOENT);
        return result;
    }
    std::string trash = trashFor(*volume, result.error);
    if (trash.empty()) return result;
    if (!ensurePrivateDir(trash + "files") || !ensurePrivateDir(trash + "info")) {
        result.error = "cannot use the trash at " + trash;
        return result;
    }

    // A home trash names the file by its absolute path; a volume's trash, by
    // its path below the volume's top, so that the volume may be mounted elsewhere.
    const bool home = !dataHome_.empty() && trash == common::withTrailingSlash(dataHome_) + "Trash/";
    std::string recorded = path;
    if (!home && path.compare(0, volume->topDir.size(), volume->topDir) == 0)
        recorded = path.substr(volume->topDir.size());
    std::string info = "[Trash Info]\nPath=" + PercentEncodePath(recorded) + "\nDeletionDate=" + deletionDate() + "\n";

    const std::string name = common::extractFileName(path);
    for (int n = 1; n < 100000; ++n) {
        std::string candidate = candidateName(name, n);
        std::string infoPath = trash + "info/" + candidate + ".trashinfo";
        std::string filePath = trash + "files/" + candidate;
        // Creating the info file exclusively reserves the name.
        int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            result.error = errorText(errno);
            return result;
        }
        bool written = writeAll(fd, info);
        if (::close(fd) != 0) written = false;
        struct stat taken {};
        if (written && ::lstat(filePath.c_str(), &taken) == 0) {  // a leftover without its info
            ::unlink(infoPath.c_str());
            continue;
        }
        if (written && ::rename(path.c_str(), filePath.c_str()) == 0) {
            result.ok = true;
            result.trashedAs = filePath;
            return result;
        }
        int error = written ? errno : EIO;
        ::unlink(infoPath.c_str());
        result.error = errorText(error);
        common::log::warn(kSource, "cannot move \"", path, "\" to ", trash, ": ", result.error);
        return result;
    }
    result.error = "the trash holds too many files of that name";
    return result;
}

}  // namespace platform
