#include "platform/linux/linuxsystem.h"

#include <fcntl.h>
#include <malloc.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/files.h"
#include "common/log.h"
#include "common/text.h"
#include "platform/buildinfo.h"

namespace platform {

namespace {
std::string envOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : fallback;
}

std::string realPath(const std::string& p) {
    char buf[4096];
    return ::realpath(p.c_str(), buf) ? std::string(buf) : p;
}

std::string homeDir() {
    std::string home = envOr("HOME", "");
    if (home.empty()) {
        if (const passwd* pw = ::getpwuid(::getuid())) home = pw->pw_dir ? pw->pw_dir : "";
    }
    return home;
}
}  // namespace

std::string LinuxSystem::ExecutablePath() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string LinuxSystem::ExecutableDir() {
    std::string exe = ExecutablePath();
    return exe.empty() ? std::string("./") : common::extractFilePath(exe);
}

std::string LinuxSystem::AppDataDir() {
    std::string home = homeDir();
    std::string dir = envOr("XDG_CONFIG_HOME", home.empty() ? std::string() : home + "/.config");
    return dir.empty() ? std::string() : common::withTrailingSlash(dir);
}

std::string LinuxSystem::DataHomeDir() {
    std::string home = homeDir();
    std::string dir = envOr("XDG_DATA_HOME", home.empty() ? std::string() : home + "/.local/share");
    return dir.empty() ? std::string() : common::withTrailingSlash(dir);
}

std::string LinuxSystem::InstalledDataDir() {
    // Beside the executable's own prefix first, so that a relocated
    // installation (or a build tree) finds its data; then where this build
    // was configured to install it.
    for (std::string dir : {ExecutableDir() + "../share/orvelin", std::string(buildinfo::kDataDir)}) {
        dir = realPath(dir);
        if (common::directoryExists(dir)) return common::withTrailingSlash(dir);
    }
    return {};
}

std::string LinuxSystem::MessagesLocale() { return envOr("LC_ALL", envOr("LC_MESSAGES", envOr("LANG", ""))); }

std::string LinuxSystem::TempDir() { return common::withTrailingSlash(envOr("TMPDIR", "/tmp")); }

std::string LinuxSystem::RuntimeDir() {
    std::string dir = envOr("XDG_RUNTIME_DIR", "");
    return dir.empty() || !common::directoryExists(dir) ? TempDir() : common::withTrailingSlash(dir);
}

std::string LinuxSystem::FileVersionText(const std::string& path) {
    // Only our own executable carries version information on this platform.
    if (realPath(path) == realPath("/proc/self/exe")) return buildinfo::kFileVersion;
    return {};
}

std::string LinuxSystem::CompanyName(const std::string& path) {
    return FileVersionText(path).empty() ? std::string() : std::string(buildinfo::kCompanyName);
}

void LinuxSystem::TrimWorkingSet() {
    ::malloc_trim(0);
    // The working set also holds every code and read-only page the start-up
    // touched in the libraries; hand the clean file-backed ones back. They
    // come back from the page cache on demand, so nothing is lost but the
    // pages the program no longer uses.
    FILE* maps = std::fopen("/proc/self/maps", "re");
    if (!maps) return;
    char line[4096];
    while (std::fgets(line, sizeof line, maps)) {
        unsigned long begin = 0, end = 0;
        char perms[8] = {};
        int pathAt = 0;
        if (std::sscanf(line, "%lx-%lx %7s %*s %*s %*s %n", &begin, &end, perms, &pathAt) < 3) continue;
        // Private, not writable, and backed by a file (not the heap, stacks or vdso).
        if (perms[1] == 'w' || perms[3] != 'p' || line[pathAt] != '/') continue;
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_PAGEOUT);
    }
    std::fclose(maps);
}

int LinuxSystem::LegacyCodePage() {
    std::string locale = envOr("LC_ALL", envOr("LC_CTYPE", envOr("LANG", "")));
    std::string lang = common::asciiLower(locale.substr(0, locale.find_first_of("_.@")));
    for (const char* cyrillic : {"ru", "uk", "be", "bg", "sr", "mk", "kk", "ky", "tg", "mn"})
        if (lang == cyrillic) return 1251;
    return 1252;
}

LinuxSingleInstance::~LinuxSingleInstance() {
    if (fd_ >= 0) ::close(fd_);
}

bool LinuxSingleInstance::Acquire(const std::string& name) {
    if (fd_ >= 0) return true;
    std::string path = common::withTrailingSlash(dir_) + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        // No lock file possible: run all the same, unguarded.
        common::log::warn("platform.instance", "cannot open \"", path, "\": ", common::log::systemError(errno));
        return true;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

}  // namespace platform
