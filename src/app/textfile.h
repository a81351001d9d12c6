// Whole text files with a byte-order mark, or without one in the legacy code
// page: how the settings, language and list files are stored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace app {

// The three Unicode forms are written with their byte-order mark.
enum class TTextEncoding { Legacy, Utf8, Utf16LE, Utf16BE };

struct TDecodedText {
    std::string text;  // UTF-8
    TTextEncoding encoding = TTextEncoding::Legacy;
};

// EF BB BF, FF FE or FE FF pick the form; no mark means the legacy code page.
TDecodedText DecodeText(std::string_view bytes);
std::string EncodeText(std::string_view utf8, TTextEncoding encoding);
// True when the legacy code page can hold every character of the text.
bool FitsEncoding(std::string_view utf8, TTextEncoding encoding);

// Lines end at CR LF, LF or CR; a break at the very end ends the last line.
std::vector<std::string> SplitLines(std::string_view text);
// The first line break of the text, or CR LF when it has none.
std::string_view LineBreakOf(std::string_view text);

}  // namespace app
