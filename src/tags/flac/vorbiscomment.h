// One field of a Vorbis comment block: a name and a UTF-8 value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tags/core/stream.h"

namespace tags {

class TFlacTag;

// A list value as comment fields store it: lines ended by CR LF, alternately
// a name and a value. Items are "name=value" lines; a last unpaired line is
// dropped, invalid UTF-8 reads as U+FFFD.
std::vector<std::string> CommentListItems(const std::string& value);
std::string CommentListValue(const std::vector<std::string>& items);

enum TVorbisCommentFormat { vcfUnknown = 0, vcfText = 1, vcfBinary = 2 };

class TVorbisComment {
public:
    explicit TVorbisComment(TFlacTag* parent = nullptr) : Parent(parent) {}

    std::string Name;  // upper case as loaded
    TVorbisCommentFormat Format = vcfUnknown;
    TMemoryStream Stream;  // the value bytes, UTF-8 for text
    TFlacTag* Parent;
    bool AlreadyParsed = false;

    // Text fields only (others give ""); control characters other than CR
    // and LF read as blanks, invalid UTF-8 as U+FFFD.
    std::string GetText();
    // An empty Text deletes the field from its parent: the object is then
    // destroyed and the result is that of Delete().
    bool SetText(const std::string& Text);
    // The value as CR LF separated lines, alternately a name and a value;
    // List holds one "name=value" line per pair.
    bool GetList(std::vector<std::string>& List);
    bool SetList(const std::vector<std::string>& List);
    void Clear();
    void Assign(const TVorbisComment& Source);
    // name + "=" + value, as a save writes it (without the length word).
    int64_t CalculateTotalFrameSize() const;
    // Removes (and destroys) this field from its parent's list.
    bool Delete();
};

}  // namespace tags
