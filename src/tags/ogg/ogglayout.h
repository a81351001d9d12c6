// Where a stream's header packets lie, as loading finds them and saving
// needs them. Internal to the Ogg unit.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tags/ogg/oggvorbisandopustaglibrary.h"

namespace tags {

struct TOpusTag::Layout {
    TOggFormat Format = ofUnknown;
    int64_t ID3v2Size = 0;
    TOggHeader IdentPage;  // the first page of the stream: the template of new pages
    // The identification packet fills the first page, as every mapping
    // requires; otherwise the pages cannot be replaced alone.
    bool IdentAlone = true;
    std::string Ident, Comment, Setup;
    // Offset and size of every page of the stream that carries the comment
    // (and the setup header after it).
    std::vector<std::pair<int64_t, int64_t>> HeaderPages;
    uint32_t FirstHeaderNumber = 0;  // the sequence number of the first of them
    bool Contiguous = true;          // no page of another stream lies among them
    // The last header packet ends its page: the audio starts on a page of
    // its own, so the header pages can be replaced without touching it.
    bool EndsPage = true;
    bool CommentEndsPage = false;  // the setup header starts a page of its own
    // From the comment packet.
    std::string Vendor;
    std::vector<std::pair<std::string, std::string>> Fields;  // name as stored, value bytes
    std::string OpusExtra;
};

}  // namespace tags
