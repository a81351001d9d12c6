#include "app/numbers.h"

#include <cstdint>

#include "common/text.h"

namespace app {

std::optional<int> ParseInt(std::string_view text, bool allowHex) {
    std::string_view s = common::trim(text);
    bool negative = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    int64_t value = 0;
    if (allowHex && s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        s.remove_prefix(2);
        if (s.size() > 8) return std::nullopt;
        for (char c : s) {
            int d = c >= '0' && c <= '9'   ? c - '0'
                    : c >= 'a' && c <= 'f' ? c - 'a' + 10
                    : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                           : -1;
            if (d < 0) return std::nullopt;
            value = value * 16 + d;
        }
        int64_t bits = static_cast<int32_t>(static_cast<uint32_t>(value));
        return static_cast<int>(static_cast<uint32_t>(negative ? -bits : bits));
    }
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t(INT32_MAX) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int>(value);
}

}  // namespace app
