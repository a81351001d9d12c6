// One log for every layer: a source name ("tags.flac", "player.m3u"), a level
// and a message, written as one line to standard error and, once the
// program names one, to a small log file that rotates.
//
// Log failures and unusual events, not normal flow. A message below the
// threshold costs one atomic load: its pieces are not even put together.
//
// Threads: any thread may log, except the audio device's callback (the
// engine's mixing thread), which must never wait on a lock or a file; the
// decoding threads and workers may.
#pragma once

#include <atomic>
#include <concepts>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace common::log {

enum class Level { debug, info, warning, error, off };

// "debug", "info", "warning" (or "warn"), "error", "off", in any case.
std::optional<Level> parseLevel(std::string_view text);
std::string_view levelName(Level level);

// The threshold: ORVELIN_LOG when it names a level, else `fallback`. Until
// this or setLevel is called, the first message sets it with the fallback
// `warning`.
void setLevelFromEnvironment(Level fallback = Level::warning);
void setLevel(Level threshold);
Level threshold();

namespace detail {
extern std::atomic<int> threshold;  // a Level, or -1 before the first use
int initialThreshold();
}  // namespace detail

inline bool enabled(Level level) {
    int t = detail::threshold.load(std::memory_order_relaxed);
    if (t < 0) t = detail::initialThreshold();
    return level != Level::off && static_cast<int>(level) >= t;
}

// Also writes to `path` from now on (empty: standard error only). The file is
// opened at the first line; once it would pass maxBytes it is renamed to
// "<path>.1", replacing the previous one, and started afresh. A file that
// cannot be written leaves standard error still written.
inline constexpr size_t kDefaultMaxFileBytes = 256 * 1024;
void setFile(std::string path, size_t maxBytes = kDefaultMaxFileBytes);

// Writes one line when the level passes the threshold. Line breaks and other
// control characters in the message become spaces, so that a line is always
// one entry.
void write(Level level, std::string_view source, std::string_view message);

namespace detail {
inline void append(std::string& out, std::string_view s) { out.append(s); }
inline void append(std::string& out, const char* s) { out.append(s ? s : "(null)"); }
inline void append(std::string& out, char c) { out.push_back(c); }
void appendNumber(std::string& out, long long n);
void appendNumber(std::string& out, unsigned long long n);
void append(std::string& out, double d);
template <std::integral T>
requires(!std::same_as<T, char> && !std::same_as<T, bool>) void append(std::string& out, T n) {
    if constexpr (std::signed_integral<T>) appendNumber(out, static_cast<long long>(n));
    else appendNumber(out, static_cast<unsigned long long>(n));
}
}  // namespace detail

// The message is the parts put together: strings, characters and numbers.
template <typename... Parts>
void line(Level level, std::string_view source, const Parts&... parts) {
    if (!enabled(level)) return;
    std::string message;
    (detail::append(message, parts), ...);
    write(level, source, message);
}
template <typename... Parts>
void debug(std::string_view source, const Parts&... parts) {
    line(Level::debug, source, parts...);
}
template <typename... Parts>
void info(std::string_view source, const Parts&... parts) {
    line(Level::info, source, parts...);
}
template <typename... Parts>
void warn(std::string_view source, const Parts&... parts) {
    line(Level::warning, source, parts...);
}
template <typename... Parts>
void error(std::string_view source, const Parts&... parts) {
    line(Level::error, source, parts...);
}

// Inside a catch block: logs the exception being handled as an error, with
// its what() when it is a std::exception. `doing` says what was interrupted.
void caught(std::string_view source, std::string_view doing) noexcept;

// The text of an errno value, safe on any thread.
std::string systemError(int code);

}  // namespace common::log
