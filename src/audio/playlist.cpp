#include "audio/playlist.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace audio::detail {

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

std::string trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

bool isUrl(const std::string& s) {
    std::string l = lower(s);
    return l.rfind("http://", 0) == 0 || l.rfind("https://", 0) == 0;
}

}  // namespace

std::string firstPlaylistEntry(const std::string& text) {
    std::string l = lower(text);
    if (l.find("#ext-x-") != std::string::npos) return "";
    // ASX and WPL: the first href/src attribute holding a URL.
    if (l.find("<asx") != std::string::npos || l.find("<smil") != std::string::npos) {
        for (const char* attr : {"href=\"", "src=\""}) {
            for (size_t at = l.find(attr); at != std::string::npos; at = l.find(attr, at + 1)) {
                size_t b = at + std::char_traits<char>::length(attr), e = text.find('"', b);
                std::string v = e == std::string::npos ? "" : text.substr(b, e - b);
                if (isUrl(v)) return v;
            }
        }
        return "";
    }
    // XSPF: the first <location> holding a URL.
    if (l.find("<playlist") != std::string::npos && l.find("xspf") != std::string::npos) {
        for (size_t at = l.find("<location>"); at != std::string::npos; at = l.find("<location>", at + 1)) {
            size_t b = at + 10, e = l.find("</location>", b);
            std::string raw = e == std::string::npos ? "" : trim(text.substr(b, e - b)), v;
            for (size_t i = 0; i < raw.size(); ++i) {
                v += raw[i];
                if (raw.compare(i, 5, "&amp;") == 0) i += 4;
            }
            if (isUrl(v)) return v;
        }
        return "";
    }
    std::istringstream in(text);
    std::string line;
    bool pls = l.find("[playlist]") != std::string::npos;
    while (std::getline(in, line)) {
        line = trim(line);
        if (pls) {
            // "File1=http://..."
            std::string k = lower(line.substr(0, 4));
            size_t eq = line.find('=');
            if (k == "file" && eq != std::string::npos && isUrl(trim(line.substr(eq + 1))))
                return trim(line.substr(eq + 1));
        } else if (!line.empty() && line[0] != '#' && isUrl(line)) {
            return line;
        }
    }
    return "";
}

bool looksLikePlaylistUrl(const std::string& url) {
    std::string path = lower(url.substr(0, url.find_first_of("?#")));
    for (const char* ext : {".pls", ".m3u", ".m3u8", ".xspf", ".asx", ".wpl", ".wax"}) {
        size_t n = std::char_traits<char>::length(ext);
        if (path.size() > n && path.compare(path.size() - n, n, ext) == 0) return true;
    }
    return false;
}

}  // namespace audio::detail
