#include "player/playbackmath.h"

#include <cmath>
#include <cstdio>

namespace player {

std::string ClockText(double seconds) {
    int64_t s = seconds > 0 && std::isfinite(seconds) ? static_cast<int64_t>(seconds) : 0;
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", static_cast<int>(s / 3600 % 24), static_cast<int>(s / 60 % 60),
                  static_cast<int>(s % 60));
    return buf;
}

int SeekBarPosition(int64_t posMs, int64_t lenMs, int max) {
    if (lenMs <= 0 || posMs <= 0) return 0;
    return static_cast<int>(posMs * max / lenMs);
}

int AverageKbps(int64_t fileBytes, double seconds) {
    if (fileBytes <= 0 || !(seconds > 0) || !std::isfinite(seconds)) return 0;
    return static_cast<int>(static_cast<double>(fileBytes) / (seconds * 125) + 0.5);
}

std::string SampleRateText(double hz) {
    if (!(hz > 0) || !std::isfinite(hz)) return "0";
    // "%g" with enough digits is the shortest exact form of a rate that was an integer.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", std::round(hz) / 1000);
    return buf;
}

std::optional<int> TrackBarClickPosition(int max, int width, int x) {
    if (width <= 28) return std::nullopt;
    return static_cast<int>(std::lround(static_cast<double>(max) / (width - 28) * (x - 14)));
}

std::optional<int> TrackBarClickPositionNoMargin(int min, int max, int width, int x) {
    if (width <= 0) return std::nullopt;
    return static_cast<int>(std::lround(static_cast<double>(x) * (max - min) / width)) + min;
}

int TrackBarWheelPosition(int position, int wheelDelta) { return position + wheelDelta / 120; }

}  // namespace player
