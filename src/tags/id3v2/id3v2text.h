// Reading and writing the strings inside frame data, private to ID3v2Library.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tags/id3v2/id3v2library.h"

namespace tags::id3v2 {

// Walks frame data from the front. Encodings as stored: 0 ISO-8859-1,
// 1 UTF-16 with optional byte-order marks, 2 UTF-16BE, 3 UTF-8.
class TextReader {
public:
    explicit TextReader(std::string_view data) : data_(data) {}

    // Takes the first byte as the encoding when it is 0..3; otherwise the
    // strings are ISO-8859-1 and nothing is consumed.
    void ReadEncoding();
    int Encoding() const { return encoding_; }
    void SetEncoding(int e) { encoding_ = e; }
    // Decodes the legacy code page instead of UTF-8 for encoding 3.
    void SetNative(bool native) { native_ = native; }

    bool AtEnd() const { return pos_ >= data_.size(); }
    size_t Pos() const { return pos_; }
    void Skip(size_t n) { pos_ = std::min(data_.size(), pos_ + n); }
    bool ReadByte(uint8_t& b);
    // Up to n bytes; false when fewer were left.
    bool ReadRaw(size_t n, std::string& out);
    std::string Rest();

    // One string up to its terminator or the end; returns whether a
    // terminator was found. A different encoding may be given for this one.
    bool ReadString(std::string& out);
    bool ReadStringAs(int encoding, std::string& out);

private:
    std::string_view data_;
    size_t pos_ = 0;
    int encoding_ = 0;
    bool native_ = false;
    bool bigEndian_ = false;  // byte order carried to strings without a mark
};

uint8_t EncodingByte(TID3v2TextEncoding e);
// The string's bytes in the encoding, with FF FE in front when bom is set and
// the encoding is teUnicode; no terminator.
std::string EncodeText(std::string_view utf8, TID3v2TextEncoding e, bool bom);
std::string Terminator(TID3v2TextEncoding e);
// Characters as single bytes (Latin-1); others become '?'.
std::string LowBytes(std::string_view utf8);

// Three language bytes, spaces filling what is missing.
std::string LanguageBytes(std::string_view language);

// Strips white space and control characters at both ends.
std::string TrimControl(std::string_view s);
// Splits on CR LF, CR or LF.
std::vector<std::string> SplitLines(std::string_view s);
std::string JoinLines(const std::vector<std::string>& list);

std::string UpperNoCase(std::string_view s);

}  // namespace tags::id3v2
