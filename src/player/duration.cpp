#include "player/duration.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "app/numbers.h"
#include "common/files.h"
#include "common/text.h"

namespace player {

namespace {
// [sign] digits [separator digits], at least one digit.
bool parseMinutes(std::string_view s, double& out) {
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    double whole = 0, fraction = 0, scale = 1;
    bool digits = false, separator = false;
    for (char c : s) {
        if (c >= '0' && c <= '9') {
            digits = true;
            if (separator) fraction += (c - '0') * (scale /= 10);
            else whole = whole * 10 + (c - '0');
        } else if ((c == '.' || c == ',') && !separator) {
            separator = true;
        } else {
            return false;
        }
    }
    if (!digits) return false;
    out = (negative ? -1 : 1) * (whole + fraction);
    return true;
}

int clampToInt(double seconds) {
    if (!(seconds >= INT32_MIN && seconds <= INT32_MAX)) return -1;
    return static_cast<int>(seconds);
}
}  // namespace

int DurationToSeconds(std::string_view text) {
    std::string_view t = common::trim(text);
    if (t.empty()) return -1;
    if (auto n = app::ParseInt(t)) return *n;
    if (t.find(':') == std::string_view::npos) {
        double minutes = 0;
        if (!parseMinutes(t, minutes)) return -1;
        return clampToInt(std::nearbyint(minutes * 60));
    }
    std::vector<int> parts;
    size_t start = 0;
    for (;;) {
        size_t colon = t.find(':', start);
        auto part =
            app::ParseInt(t.substr(start, colon == std::string_view::npos ? std::string_view::npos : colon - start));
        if (!part) return -1;
        parts.push_back(*part);
        if (colon == std::string_view::npos) break;
        start = colon + 1;
    }
    if (parts.size() == 2) return clampToInt(double(parts[0]) * 60 + parts[1]);
    if (parts.size() == 3) return clampToInt(double(parts[0]) * 3600 + double(parts[1]) * 60 + parts[2]);
    return -1;
}

std::string SecondsToDuration(int seconds) {
    if (seconds < 0) return "0:00";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d:%.2d", seconds / 60, seconds % 60);
    return buf;
}

std::string FormatByteSize(int64_t size) {
    static const char* const units[] = {" B", " kB", " MB", " GB"};
    double value = static_cast<double>(size);
    int unit = 0;
    while (value >= 700 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    if (unit == 0) return std::to_string(size) + units[0];
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.0f", std::nearbyint(value));  // the default rounding is to even
    return buf + std::string(units[unit]);
}

int64_t FileSizeOf(const std::string& path) { return common::fileSize(path); }

}  // namespace player
