// Frame-kind classification and genre references in TCON texts.
#include <algorithm>
#include <string>

#include "tags/id3v1/id3v1library.h"
#include "tags/id3v2/id3v2library.h"
#include "tags/id3v2/id3v2text.h"

namespace tags {

namespace {

std::string GenreName(int n) { return ID3v1GenreToText(n); }

}  // namespace

int ID3v2FrameKind(std::string_view id) {
    if (id == "PRIV") return 11;
    if (id == "PCNT") return 7;
    if (id == "SESC" || id == "SEBR" || id == "SEFC" || id == "GEOB" || id == "APIC") return 8;
    if (id == "WXXX") return 6;
    if (id.starts_with('W')) return 5;
    if (id == "TIPL" || id == "TMCL") return 4;
    if (id == "COMM" || id == "USLT") return 3;
    if (id == "CHAP") return 10;
    if (id == "CTOC") return 9;
    if (id == "TXXX") return 2;
    if (id.starts_with('T')) return 1;
    return 8;
}

std::string DecodeID3v2Genre(std::string_view text) {
    std::string result;
    auto add = [&](const std::string& name) {
        if (name.empty()) return;
        if (!result.empty()) result += ' ';
        result += name;
    };
    size_t pos = 0;
    while (pos < text.size() && text[pos] == '(') {
        if (text.substr(pos, 2) == "((") {
            ++pos;  // the rest, from the second "(", is literal
            break;
        }
        if (text.substr(pos, 2) == "()") {
            pos += 2;
            continue;
        }
        if (text.substr(pos, 4) == "(CR)") {
            add("Cover");
            pos += 4;
            continue;
        }
        if (text.substr(pos, 4) == "(RX)") {
            add("Remix");
            pos += 4;
            continue;
        }
        size_t close = pos + 1;
        int n = 0;
        for (; close < text.size() && text[close] >= '0' && text[close] <= '9'; ++close)
            n = std::min(n * 10 + (text[close] - '0'), 256);
        if (close == pos + 1 || close >= text.size() || text[close] != ')' || n >= 256) break;
        add(GenreName(n));
        pos = close + 1;
    }
    std::string rest = id3v2::TrimControl(text.substr(pos));
    if (!rest.empty() && rest != result) add(rest);
    return result;
}

}  // namespace tags
