#include "tags/facade/riffinfotable.h"

#include "common/text.h"

namespace tags {

namespace {

struct Row {
    std::string_view id, name;
    bool load, save;
};

// clang-format off
constexpr Row kItems[] = {
    {"IART", "ARTIST", true, true}, {"INAM", "TITLE", true, true}, {"ICOM", "COMPOSER", true, true},
    {"IURL", "URL", true, true}, {"IPRD", "ALBUM", true, true}, {"IALB", "ALBUM", true, false},
    {"ICOP", "COPYRIGHT", true, true}, {"BCPR", "COPYRIGHT", true, false}, {"IGNR", "GENRE", true, true},
    {"ICRD", "RECORDINGDATE", true, true}, {"IYER", "YEAR", true, true}, {"ITRK", "TRACKNUMBER", true, true},
    {"ITRK", "TRACK", false, true}, {"itrk", "TRACKNUMBER", true, false}, {"IBPM", "BPM", true, true},
    {"BKEY", "KEY", true, true}, {"BTPO", "TEMPO", true, true}, {"IENG", "PRODUCED", true, true},
    {"STDO", "STUDIO", true, true}, {"IPUB", "PUBLISHER", true, true}, {"ITCH", "ENCODEDBY", true, true},
    {"ISFT", "ENCODERTOOL", true, true}, {"IKEY", "KEYWORDS", true, true}, {"ISRF", "MEDIA", true, true},
    {"TIPL", "TIPL", true, true}, {"TMCL", "TMCL", true, true}, {"BEND", "MUSICEND", true, true},
    {"BERG", "MUSICENERGY", true, true}, {"BTXR", "MUSICTEXTURE", true, true}, {"HKST", "HOOKSTART", true, true},
    {"HKEN", "HOOKEND", true, true}, {"ICMT", "COMMENT", true, true}, {"ILYR", "LYRICS", true, true},
    {"ISBJ", "SUBJECT", true, true}, {"IARL", "ARCHIVAL LOCATION", true, true},
};
// clang-format on

}  // namespace

std::string RiffInfoToName(std::string_view id) {
    for (const Row& r : kItems)
        if (r.load && r.id == id) return std::string(r.name);
    return {};
}

std::string RiffNameToInfo(std::string_view name) {
    const std::string upper = common::toUpper(name);
    for (const Row& r : kItems)
        if (r.save && r.name == upper) return std::string(r.id);
    return {};
}

}  // namespace tags
