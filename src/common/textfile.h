// Whole text files with a byte-order mark, or without one in the legacy code
// page: how the settings, language and list files are stored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace common {

// The three Unicode forms are written with their byte-order mark. The NoBom
// forms are files that came without one (hand-made on this desktop, mostly)
// and are written back the way they came.
enum class TTextEncoding { Legacy, Utf8, Utf16LE, Utf16BE, Utf8NoBom, Utf16LENoBom, Utf16BENoBom };

struct TDecodedText {
    std::string text;  // UTF-8
    TTextEncoding encoding = TTextEncoding::Legacy;
};

// EF BB BF, FF FE or FE FF pick the form. Without a mark, NUL bytes mean
// UTF-16 (legacy text has none; the side they fall on gives the byte order),
// and well-formed UTF-8 beyond ASCII means UTF-8; anything else is the
// legacy code page.
TDecodedText DecodeText(std::string_view bytes);
std::string EncodeText(std::string_view utf8, TTextEncoding encoding);
// True when the legacy code page can hold every character of the text.
bool FitsEncoding(std::string_view utf8, TTextEncoding encoding);

// Lines end at CR LF, LF or CR; a break at the very end ends the last line.
std::vector<std::string> SplitLines(std::string_view text);
// The first line break of the text, or CR LF when it has none.
std::string_view LineBreakOf(std::string_view text);

}  // namespace common
