#include "tags/facade/id3v2frametable.h"

#include "common/text.h"

#include <utility>

namespace tags {

namespace {

using Pair = std::pair<std::string_view, std::string_view>;

// clang-format off
constexpr Pair kFrames[] = {
    {"TPE1", "ARTIST"}, {"TIT2", "TITLE"}, {"TPE2", "ALBUMARTIST"}, {"TCOM", "COMPOSER"},
    {"TIT3", "SUBTITLE"}, {"TPE4", "MIXARTIST"}, {"TALB", "ALBUM"}, {"TCOP", "COPYRIGHT"},
    {"TIT1", "GROUPING"}, {"TCON", "GENRE"}, {"TDRL", "RELEASEDATE"}, {"TDRC", "RECORDINGDATE"},
    {"TYER", "YEAR"}, {"TRCK", "TRACKNUMBER"}, {"TPOS", "DISCNUMBER"}, {"TBPM", "BPM"},
    {"TKEY", "KEY"}, {"TPE3", "CONDUCTOR"}, {"TEXT", "LYRICIST"}, {"TPRO", "PRODUCED"},
    {"TSTU", "STUDIO"}, {"TPUB", "PUBLISHER"}, {"TENC", "ENCODEDBY"}, {"TSSE", "SOFTWARESETTINGS"},
    {"TSRC", "ISRC"}, {"TSST", "DISCSUBTITLE"}, {"TLAN", "LANGUAGE"}, {"TMED", "MEDIA"},
    {"TMOO", "MOOD"}, {"COMM", "COMMENT"}, {"USLT", "LYRICS"}, {"TSOP", "ARTISTSORT"},
    {"TSOT", "TITLESORT"}, {"TSO2", "ALBUMARTISTSORT"}, {"TSOA", "ALBUMSORT"}, {"TOPE", "ORIGINALARTIST"},
    {"TOAL", "ORIGINALTITLE"}, {"TOLY", "ORIGINALLYRICIST"}, {"TOFN", "ORIGINALFILENAME"},
    {"TDOR", "ORIGINALRELEASEDATE"}, {"WOAR", "ARTISTURL"}, {"WOAF", "AUDIOFILEURL"}, {"WCOM", "BUYCDURL"},
    {"WPUB", "PUBLISHERURL"}, {"WORS", "RADIOSTATIONURL"}, {"WCOP", "COPYRIGHTURL"},
    {"WOAS", "OFFICIALAUDIOSOURCEURL"}, {"WPAY", "PAYMENTURL"}, {"TOWN", "FILEOWNER"},
    {"TRSN", "RADIOSTATIONNAME"}, {"TRSO", "RADIOSTATIONOWNER"}, {"TLEN", "PLAYTIME"}, {"TIPL", "TIPL"},
    {"TMCL", "TMCL"},
    // Written only: names that other formats use for the same field.
    {"TYER", "DATE"}, {"TRCK", "TRACK"}, {"TPOS", "DISC"},
};
// clang-format on

}  // namespace

std::string ID3v2FrameToName(std::string_view frameID) {
    for (const Pair& p : kFrames)
        if (p.first == frameID) return std::string(p.second);  // the first pair of a frame is its load name
    return {};
}

std::string ID3v2NameToFrame(std::string_view name) {
    std::string upper = common::asciiUpper(name);
    for (const Pair& p : kFrames)
        if (p.second == upper) return std::string(p.first);
    return {};
}

}  // namespace tags
