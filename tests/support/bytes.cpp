#include "support/bytes.h"

namespace testenv {

std::string le(uint64_t v, int bytes) {
    std::string s(static_cast<size_t>(bytes), '\0');
    for (int i = 0; i < bytes; ++i, v >>= 8) s[static_cast<size_t>(i)] = static_cast<char>(v & 0xFF);
    return s;
}

std::string be(uint64_t v, int bytes) {
    std::string s(static_cast<size_t>(bytes), '\0');
    for (int i = bytes - 1; i >= 0; --i, v >>= 8) s[static_cast<size_t>(i)] = static_cast<char>(v & 0xFF);
    return s;
}

std::string hex(std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) out += {digits[c >> 4], digits[c & 15]};
    return out;
}

}  // namespace testenv
