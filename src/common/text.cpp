#include "common/text.h"

#include <atomic>

#include "common/codepages.h"

namespace common {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

template <bool BigEndian>
std::string utf16BytesToUtf8(std::string_view bytes) {
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        auto b0 = static_cast<unsigned char>(bytes[i]);
        auto b1 = static_cast<unsigned char>(bytes[i + 1]);
        units.push_back(static_cast<char16_t>(BigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0));
    }
    return utf16ToUtf8(units);
}

template <bool BigEndian>
std::string utf8ToUtf16Bytes(std::string_view s) {
    std::u16string units = utf8ToUtf16(s);
    std::string out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        if (BigEndian) {
            out.push_back(hi);
            out.push_back(lo);
        } else {
            out.push_back(lo);
            out.push_back(hi);
        }
    }
    return out;
}

std::atomic<int> gLegacyCodePage{1252};

}  // namespace

char32_t decodeUtf8(std::string_view s, size_t& pos) {
    auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
    unsigned char c = byte(pos);
    if (c < 0x80) {
        ++pos;
        return c;
    }
    int len;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
        len = 2, cp = c & 0x1F, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, cp = c & 0x0F, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, cp = c & 0x07, min = 0x10000;
    } else {
        ++pos;
        return kReplacement;
    }
    if (pos + len > s.size()) {
        ++pos;
        return kReplacement;
    }
    for (int i = 1; i < len; ++i) {
        unsigned char cc = byte(pos + i);
        if ((cc & 0xC0) != 0x80) {
            ++pos;
            return kReplacement;
        }
        cp = (cp << 6) | (cc & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kReplacement;
    }
    pos += len;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool isValidUtf8(std::string_view s) {
    size_t pos = 0;
    while (pos < s.size()) {
        size_t before = pos;
        char32_t cp = decodeUtf8(s, pos);
        // A genuine U+FFFD takes three bytes; a replacement for bad input one.
        if (cp == kReplacement && pos - before != 3) return false;
    }
    return true;
}

std::u16string utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) appendUtf16(out, decodeUtf8(s, pos));
    return out;
}

std::string utf16ToUtf8(std::u16string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        char32_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
                u = 0x10000 + ((u - 0xD800) << 10) + (s[i + 1] - 0xDC00);
                ++i;
            } else {
                u = kReplacement;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            u = kReplacement;
        }
        appendUtf8(out, u);
    }
    return out;
}

std::string utf16leToUtf8(std::string_view bytes) { return utf16BytesToUtf8<false>(bytes); }
std::string utf16beToUtf8(std::string_view bytes) { return utf16BytesToUtf8<true>(bytes); }
std::string utf8ToUtf16le(std::string_view s) { return utf8ToUtf16Bytes<false>(s); }
std::string utf8ToUtf16be(std::string_view s) { return utf8ToUtf16Bytes<true>(s); }

std::string latin1ToUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s) appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

std::string utf8ToLatin1(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        char32_t cp = decodeUtf8(s, pos);
        out.push_back(cp < 0x100 ? static_cast<char>(cp) : '?');
    }
    return out;
}

std::string codePageToUtf8(std::string_view s, int codePage) {
    if (codePage == 28591) return latin1ToUtf8(s);
    const char16_t* table = detail::codePageTable(codePage);
    if (!table) table = detail::codePageTable(1252);
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        auto b = static_cast<unsigned char>(c);
        // Undefined bytes pass through as the C1 control of the same value,
        // so a round trip keeps them.
        char32_t cp = b < 0x80 ? b : (table[b - 0x80] ? table[b - 0x80] : b);
        appendUtf8(out, cp);
    }
    return out;
}

std::string utf8ToCodePage(std::string_view s, int codePage) {
    if (codePage == 28591) return utf8ToLatin1(s);
    const char16_t* table = detail::codePageTable(codePage);
    if (!table) table = detail::codePageTable(1252);
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) {
        char32_t cp = decodeUtf8(s, pos);
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
            continue;
        }
        char byte = '?';
        for (int i = 0; i < 128; ++i) {
            if (table[i] == cp || (table[i] == 0 && cp == static_cast<char32_t>(0x80 + i))) {
                byte = static_cast<char>(0x80 + i);
                break;
            }
        }
        out.push_back(byte);
    }
    return out;
}

int legacyCodePage() { return gLegacyCodePage.load(std::memory_order_relaxed); }
void setLegacyCodePage(int codePage) { gLegacyCodePage.store(codePage, std::memory_order_relaxed); }

char32_t toLowerCp(char32_t c) {
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper/lower on even/odd, except a few runs.
        if (c == 0x130) return 'i';
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
        if (c == 0x178) return 0xFF;
        if (c >= 0x138 && c <= 0x148) return c;
        return (c & 1) ? c : c + 1;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32;
    if (c == 0x386) return 0x3AC;
    if (c >= 0x388 && c <= 0x38A) return c + 37;
    if (c == 0x38C) return 0x3CC;
    if (c == 0x38E || c == 0x38F) return c + 63;
    if (c >= 0x410 && c <= 0x42F) return c + 32;
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    if (c >= 0x460 && c <= 0x4FF) {
        if (c >= 0x482 && c <= 0x489) return c;
        if (c == 0x4C0) return 0x4CF;
        if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c + 1 : c;
        return (c & 1) ? c : c + 1;
    }
    return c;
}

char32_t toUpperCp(char32_t c) {
    if (c < 0x80) return (c >= 'a' && c <= 'z') ? c - 32 : c;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x17F) {
        if (c == 0x131) return 'I';
        if (c == 0x17F) return 'S';
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
        if (c == 0x138 || c == 0x149 || c == 0x178) return c;
        return (c & 1) ? c - 1 : c;
    }
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return c - 32;
    if (c == 0x3C2) return 0x3A3;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 37;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 63;
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    if (c >= 0x460 && c <= 0x4FF) {
        if (c >= 0x482 && c <= 0x489) return c;
        if (c == 0x4CF) return 0x4C0;
        if (c >= 0x4C1 && c <= 0x4CE) return (c & 1) ? c : c - 1;
        return (c & 1) ? c - 1 : c;
    }
    return c;
}

namespace {
template <class F>
std::string mapCase(std::string_view s, F f) {
    std::string out;
    out.reserve(s.size());
    size_t pos = 0;
    while (pos < s.size()) appendUtf8(out, f(decodeUtf8(s, pos)));
    return out;
}
}  // namespace

std::string toLower(std::string_view s) { return mapCase(s, toLowerCp); }
std::string toUpper(std::string_view s) { return mapCase(s, toUpperCp); }

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return out;
}

std::string asciiUpper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return out;
}

int compareNoCase(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        unsigned char ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[j]);
        char32_t x, y;
        if (ca < 0x80 && cb < 0x80) {
            x = toLowerCp(ca), y = toLowerCp(cb);
            ++i, ++j;
        } else {
            x = toLowerCp(decodeUtf8(a, i));
            y = toLowerCp(decodeUtf8(b, j));
        }
        if (x != y) return x < y ? -1 : 1;
    }
    if (i < a.size()) return 1;
    if (j < b.size()) return -1;
    return 0;
}

bool equalsNoCase(std::string_view a, std::string_view b) { return compareNoCase(a, b) == 0; }

size_t findNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty()) return 0;
    std::string h = toLower(haystack);
    std::string n = toLower(needle);
    // Lower-casing keeps byte lengths in the ranges we map, except for a
    // handful of Latin letters; fall back to a code-point scan when it did not.
    if (h.size() == haystack.size()) {
        size_t p = h.find(n);
        return p;
    }
    for (size_t start = 0; start < haystack.size();) {
        if (startsWithNoCase(haystack.substr(start), needle)) return start;
        decodeUtf8(haystack, start);
    }
    return std::string_view::npos;
}

bool startsWithNoCase(std::string_view s, std::string_view prefix) {
    size_t i = 0, j = 0;
    while (j < prefix.size()) {
        if (i >= s.size()) return false;
        if (toLowerCp(decodeUtf8(s, i)) != toLowerCp(decodeUtf8(prefix, j))) return false;
    }
    return true;
}

bool endsWithNoCase(std::string_view s, std::string_view suffix) {
    std::string a = toLower(s), b = toLower(suffix);
    return a.size() >= b.size() && a.compare(a.size() - b.size(), b.size(), b) == 0;
}

std::string_view trim(std::string_view s) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    size_t b = 0, e = s.size();
    while (b < e && isSpace(s[b])) ++b;
    while (e > b && isSpace(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string trimmed(std::string_view s) { return std::string(trim(s)); }

size_t lengthCp(std::string_view s) {
    size_t n = 0;
    for (char c : s)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    return n;
}

}  // namespace common
