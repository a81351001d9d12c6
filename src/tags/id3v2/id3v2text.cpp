#include "tags/id3v2/id3v2text.h"

#include <algorithm>

#include "common/text.h"

namespace tags::id3v2 {

void TextReader::ReadEncoding() {
    if (pos_ < data_.size() && static_cast<uint8_t>(data_[pos_]) <= 3) {
        encoding_ = static_cast<uint8_t>(data_[pos_]);
        ++pos_;
    } else {
        encoding_ = 0;
    }
}

bool TextReader::ReadByte(uint8_t& b) {
    if (pos_ >= data_.size()) return false;
    b = static_cast<uint8_t>(data_[pos_++]);
    return true;
}

bool TextReader::ReadRaw(size_t n, std::string& out) {
    size_t take = std::min(n, data_.size() - std::min(pos_, data_.size()));
    out.assign(data_.substr(std::min(pos_, data_.size()), take));
    pos_ += take;
    return take == n;
}

std::string TextReader::Rest() {
    std::string out;
    ReadRaw(data_.size(), out);
    return out;
}

bool TextReader::ReadString(std::string& out) { return ReadStringAs(encoding_, out); }

bool TextReader::ReadStringAs(int encoding, std::string& out) {
    out.clear();
    if (pos_ > data_.size()) pos_ = data_.size();
    std::string_view rest = data_.substr(pos_);
    if (encoding == 1 || encoding == 2) {
        bool be = encoding == 2 ? true : bigEndian_;
        size_t start = 0;
        if (encoding == 1 && rest.size() >= 2) {
            auto b0 = static_cast<uint8_t>(rest[0]), b1 = static_cast<uint8_t>(rest[1]);
            if (b0 == 0xFF && b1 == 0xFE) be = false, start = 2;
            else if (b0 == 0xFE && b1 == 0xFF) be = true, start = 2;
        }
        if (encoding == 1) bigEndian_ = be;
        size_t i = start;
        bool terminated = false;
        while (i + 1 < rest.size()) {
            if (rest[i] == 0 && rest[i + 1] == 0) {
                terminated = true;
                break;
            }
            i += 2;
        }
        // An odd byte left at the end holds no whole character.
        size_t end = terminated ? i : start + (rest.size() - start) / 2 * 2;
        std::string_view units = rest.substr(start, end - start);
        out = be ? common::utf16beToUtf8(units) : common::utf16leToUtf8(units);
        pos_ += terminated ? i + 2 : rest.size();
        return terminated;
    }
    size_t z = rest.find('\0');
    std::string_view raw = rest.substr(0, z);
    if (encoding == 3) {
        if (native_) out = common::legacyToUtf8(raw);
        else out = common::isValidUtf8(raw) ? std::string(raw) : common::utf16ToUtf8(common::utf8ToUtf16(raw));
    } else {
        out = common::latin1ToUtf8(raw);
    }
    pos_ += z == std::string_view::npos ? rest.size() : z + 1;
    return z != std::string_view::npos;
}

uint8_t EncodingByte(TID3v2TextEncoding e) {
    switch (e) {
    case teUnicode: return 1;
    case teUTF8: return 3;
    case teANSI: return 0;
    }
    return 0;
}

std::string EncodeText(std::string_view utf8, TID3v2TextEncoding e, bool bom) {
    switch (e) {
    case teUnicode: return (bom ? std::string("\xFF\xFE") : std::string()) + common::utf8ToUtf16le(utf8);
    case teUTF8: return std::string(utf8);
    case teANSI: return common::utf8ToLegacy(utf8);
    }
    return std::string(utf8);
}

std::string Terminator(TID3v2TextEncoding e) { return e == teUnicode ? std::string(2, '\0') : std::string(1, '\0'); }

std::string LowBytes(std::string_view utf8) { return common::utf8ToLatin1(utf8); }

std::string LanguageBytes(std::string_view language) {
    std::string out = LowBytes(language).substr(0, 3);
    out.resize(3, ' ');
    return out;
}

std::string TrimControl(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<uint8_t>(s[b]) <= 0x20) ++b;
    while (e > b && static_cast<uint8_t>(s[e - 1]) <= 0x20) --e;
    return std::string(s.substr(b, e - b));
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> out;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = s.find_first_of("\r\n", i);
        if (j == std::string_view::npos) {
            out.emplace_back(s.substr(i));
            break;
        }
        out.emplace_back(s.substr(i, j - i));
        i = j + (s[j] == '\r' && j + 1 < s.size() && s[j + 1] == '\n' ? 2 : 1);
    }
    return out;
}

std::string JoinLines(const std::vector<std::string>& list) {
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i) out += "\r\n";
        out += list[i];
    }
    return out;
}

std::string UpperNoCase(std::string_view s) { return common::toUpper(s); }

}  // namespace tags::id3v2
