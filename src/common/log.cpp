#include "common/log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <mutex>

#include "common/text.h"

namespace common::log {

namespace detail {

std::atomic<int> threshold{-1};

int initialThreshold() {
    setLevelFromEnvironment();
    return threshold.load(std::memory_order_relaxed);
}

void appendNumber(std::string& out, long long n) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

void appendNumber(std::string& out, unsigned long long n) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, n);
    out.append(buf, r.ptr);
}

void append(std::string& out, double d) {
    char buf[32];
    int n = std::snprintf(buf, sizeof buf, "%g", d);
    if (n > 0) out.append(buf, static_cast<size_t>(std::min<int>(n, sizeof buf - 1)));
}

}  // namespace detail

namespace {

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        ssize_t n = ::write(fd, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        text.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// "2024-05-31 14:02:03.127"
std::string timestamp() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local{};
    ::localtime_r(&now.tv_sec, &local);
    char buf[96];  // room for any int the compiler can imagine, so no truncation warning
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(now.tv_nsec / 1000000));
    return buf;
}

std::string formatLine(Level level, std::string_view source, std::string_view message) {
    std::string line = timestamp();
    line += ' ';
    line += levelName(level);
    line += ' ';
    line += source;
    line += ": ";
    size_t start = line.size();
    line += message;
    for (size_t i = start; i < line.size(); ++i)
        if (static_cast<unsigned char>(line[i]) < 0x20 || line[i] == 0x7F) line[i] = ' ';
    line += '\n';
    return line;
}

// The log file; its mutex also keeps the lines on standard error in order.
class FileSink {
public:
    std::mutex mu;

    void reset(std::string path, size_t maxBytes) {
        close();
        path_ = std::move(path);
        maxBytes_ = maxBytes;
        failed_ = false;
    }

    void append(std::string_view line) {
        if (path_.empty() || failed_) return;
        if (fd_ < 0 && !open(O_APPEND)) return;
        if (size_ > 0 && size_ + line.size() > maxBytes_) rotate();
        if (fd_ >= 0 && writeAll(fd_, line)) size_ += line.size();
    }

private:
    bool open(int mode) {
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | mode, 0600);
        if (fd_ < 0) {
            // Said once; standard error goes on carrying every line.
            failed_ = true;
            writeAll(STDERR_FILENO, formatLine(Level::warning, "common.log",
                                               "cannot write the log file \"" + path_ + "\": " + systemError(errno)));
            return false;
        }
        struct stat st {};
        size_ = ::fstat(fd_, &st) == 0 ? static_cast<size_t>(st.st_size) : 0;
        return true;
    }

    void rotate() {
        close();
        // When the rename fails the file starts afresh all the same: small matters more.
        ::rename(path_.c_str(), (path_ + ".1").c_str());
        open(O_TRUNC);
    }

    void close() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        size_ = 0;
    }

    std::string path_;
    size_t maxBytes_ = kDefaultMaxFileBytes;
    int fd_ = -1;
    size_t size_ = 0;
    bool failed_ = false;
};

// Never destroyed: a line may still be logged while static objects go.
FileSink& sink() {
    static FileSink* s = new FileSink;
    return *s;
}

// strerror_r comes in two forms; only one of these is used.
[[maybe_unused]] std::string fromStrerror(const char* text, const char*) { return text; }
[[maybe_unused]] std::string fromStrerror(int result, const char* buf) { return result == 0 ? buf : "unknown error"; }

}  // namespace

std::optional<Level> parseLevel(std::string_view text) {
    std::string t = asciiLower(trim(text));
    if (t == "debug") return Level::debug;
    if (t == "info") return Level::info;
    if (t == "warning" || t == "warn") return Level::warning;
    if (t == "error") return Level::error;
    if (t == "off") return Level::off;
    return std::nullopt;
}

std::string_view levelName(Level level) {
    switch (level) {
    case Level::debug: return "debug";
    case Level::info: return "info";
    case Level::warning: return "warning";
    case Level::error: return "error";
    case Level::off: return "off";
    }
    return "?";
}

void setLevelFromEnvironment(Level fallback) {
    const char* env = std::getenv("ORVELIN_LOG");
    setLevel(parseLevel(env ? env : "").value_or(fallback));
}

void setLevel(Level level) { detail::threshold.store(static_cast<int>(level), std::memory_order_relaxed); }

Level threshold() {
    int t = detail::threshold.load(std::memory_order_relaxed);
    return static_cast<Level>(t < 0 ? detail::initialThreshold() : t);
}

void setFile(std::string path, size_t maxBytes) {
    FileSink& s = sink();
    std::lock_guard lock(s.mu);
    s.reset(std::move(path), maxBytes);
}

void write(Level level, std::string_view source, std::string_view message) {
    if (!enabled(level)) return;
    std::string line = formatLine(level, source, message);
    FileSink& s = sink();
    std::lock_guard lock(s.mu);
    writeAll(STDERR_FILENO, line);
    s.append(line);
}

void caught(std::string_view source, std::string_view doing) noexcept {
    if (!enabled(Level::error)) return;
    try {
        std::string what = "an unknown exception";
        try {
            throw;
        } catch (const std::exception& e) {
            what = e.what();
        } catch (...) {}
        error(source, doing, ": ", what);
    } catch (...) {}
}

std::string systemError(int code) {
    char buf[256] = {};
    return fromStrerror(::strerror_r(code, buf, sizeof buf), buf);
}

}  // namespace common::log
