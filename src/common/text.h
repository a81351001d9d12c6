// Text conversions and comparisons. Strings in memory are UTF-8; file formats
// keep their own encodings and convert at the edge through these functions.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace common {

// --- UTF-8 / UTF-16 -------------------------------------------------------

// Invalid UTF-8 sequences become U+FFFD; lone surrogates in UTF-16 likewise.
std::u16string utf8ToUtf16(std::string_view s);
std::string utf16ToUtf8(std::u16string_view s);

// Raw UTF-16 bytes (no byte-order mark handling) to UTF-8. An odd trailing
// byte is ignored.
std::string utf16leToUtf8(std::string_view bytes);
std::string utf16beToUtf8(std::string_view bytes);
std::string utf8ToUtf16le(std::string_view s);
std::string utf8ToUtf16be(std::string_view s);

// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates,
// nothing above U+10FFFF).
bool isValidUtf8(std::string_view s);

// Decodes one code point at s[pos], advancing pos; invalid input yields
// U+FFFD and advances by one byte.
char32_t decodeUtf8(std::string_view s, size_t& pos);
void appendUtf8(std::string& out, char32_t cp);

// --- Single-byte code pages -----------------------------------------------

// Latin-1 (ISO 8859-1) is a fixed mapping; the "legacy code page" is the
// Windows code page that files written by older players use for 8-bit text.
std::string latin1ToUtf8(std::string_view s);
// Characters outside Latin-1 become '?'.
std::string utf8ToLatin1(std::string_view s);

// Supported: 874, 1250, 1251, 1252, 1253, 1254, 1257 and 28591 (Latin-1).
// Unknown pages are treated as 1252.
std::string codePageToUtf8(std::string_view s, int codePage);
std::string utf8ToCodePage(std::string_view s, int codePage);

// The process-wide legacy code page (1252 until the platform layer sets the
// one that fits the user's locale at start-up).
int legacyCodePage();
void setLegacyCodePage(int codePage);
inline std::string legacyToUtf8(std::string_view s) { return codePageToUtf8(s, legacyCodePage()); }
inline std::string utf8ToLegacy(std::string_view s) { return utf8ToCodePage(s, legacyCodePage()); }

// --- Case ---------------------------------------------------------------

// Simple (one-to-one) case mapping over Latin, Greek and Cyrillic, which is
// what names and user text in this program meet.
char32_t toLowerCp(char32_t c);
char32_t toUpperCp(char32_t c);
std::string toLower(std::string_view s);
std::string toUpper(std::string_view s);
// ASCII-only variants, for identifiers and keys that are ASCII by definition.
std::string asciiLower(std::string_view s);
std::string asciiUpper(std::string_view s);

// Case-insensitive comparison (Unicode-aware as above).
int compareNoCase(std::string_view a, std::string_view b);
bool equalsNoCase(std::string_view a, std::string_view b);
// Position of needle in haystack ignoring case, in bytes of haystack, or npos.
size_t findNoCase(std::string_view haystack, std::string_view needle);
bool startsWithNoCase(std::string_view s, std::string_view prefix);
bool endsWithNoCase(std::string_view s, std::string_view suffix);

// For std::map keys compared without regard to case.
struct LessNoCase {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return compareNoCase(a, b) < 0; }
};

// --- Small helpers ----------------------------------------------------

std::string_view trim(std::string_view s);
std::string trimmed(std::string_view s);
// Number of code points (not bytes).
size_t lengthCp(std::string_view s);

}  // namespace common
