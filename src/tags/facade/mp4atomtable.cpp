#include "tags/facade/mp4atomtable.h"

#include "common/text.h"

namespace tags {

namespace {

struct Row {
    std::string_view atom, name;
    bool load, save;
};

// clang-format off
constexpr Row kAtoms[] = {
    {"\xA9" "ART", "ARTIST", true, true}, {"\xA9" "nam", "TITLE", true, true},
    {"aART", "ALBUMARTIST", true, true}, {"\xA9" "wrt", "COMPOSER", true, true},
    {"\xA9" "alb", "ALBUM", true, true}, {"cprt", "COPYRIGHT", true, true},
    {"\xA9" "grp", "GROUPING", true, true}, {"\xA9" "day", "RELEASEDATE", true, true},
    {"pgap", "GAPLESSPLAYBACK", true, true}, {"cpil", "PARTOFCOMPILATION", true, true},
    {"tmpo", "BPM", true, true}, {"SErg", "RATING", true, false},
    {"tvnn", "TVNETWORK", true, true}, {"tvsh", "SHOW", true, true},
    {"tven", "EPISODE", true, true}, {"tvsn", "SEASONNUMBER", true, true},
    {"tves", "EPISODENUMBER", true, true}, {"hdvd", "HDVIDEO", true, true},
    {"desc", "DESCRIPTION", true, true}, {"ldes", "LONGDESCRIPTION", true, true},
    {"\xA9" "cmt", "COMMENT", true, true}, {"stdo", "STUDIO", true, true},
    {"TPUB", "PUBLISHER", true, false}, {"\xA9" "enc", "ENCODEDBY", true, true},
    {"\xA9" "too", "ENCODERTOOL", true, true}, {"\xA9" "lyr", "LYRICS", true, true},
    {"soar", "ARTISTSORT", true, true}, {"sonm", "TITLESORT", true, true},
    {"soaa", "ALBUMARTISTSORT", true, true}, {"soal", "ALBUMSORT", true, true},
    {"soco", "COMPOSERSORT", true, true}, {"sosn", "SHOWSORT", true, true},
    {"pcst", "PODCAST", true, true}, {"purl", "PODCASTURL", true, true},
    {"keyw", "PODCASTKEYWORDS", true, true}, {"catg", "PODCASTCATEGORY", true, true},
    {"apID", "PURCHASEACCOUNT", true, true}, {"akID", "PURCHASEACCOUNTTYPE", true, true},
    {"purd", "PURCHASEDATE", true, true}, {"SEpc", "PLAYCOUNT", true, false},
    {"plID", "ITUNESALBUMID", true, true}, {"atID", "ITUNESARTISTID", true, true},
    {"cmID", "ITUNESCOMPOSERID", true, true}, {"sfID", "ITUNESCOUNTRYID", true, true},
    {"geID", "ITUNESGENREID", true, true}, {"xid ", "XID", true, true},
    {"TIPL", "TIPL", true, true}, {"TMCL", "TMCL", true, true},
    // Written only: names that other formats use for the same field.
    {"aART", "ALBUM ARTIST", false, true}, {"\xA9" "day", "RELEASE DATE", false, true},
    {"\xA9" "day", "DATE_RELEASED", false, true}, {"\xA9" "day", "YEAR", false, true},
    {"cpil", "PART OF COMPILATION", false, true},
};

struct Width {
    std::string_view atom;
    int bytes;
};
// Written as big-endian integers of type 21, as the store writes them.
constexpr Width kIntegers[] = {
    {"tmpo", 2}, {"tvsn", 4}, {"tves", 4}, {"akID", 1}, {"plID", 8}, {"atID", 4}, {"cmID", 4},
    {"sfID", 4}, {"geID", 4}, {"stik", 1}, {"rtng", 1}, {"pgap", 1}, {"cpil", 1}, {"hdvd", 1}, {"pcst", 1},
};
// clang-format on

}  // namespace

std::string MP4AtomToName(std::string_view atom) {
    for (const Row& r : kAtoms)
        if (r.load && r.atom == atom) return std::string(r.name);
    return {};
}

std::string MP4NameToAtom(std::string_view name) {
    std::string upper = common::asciiUpper(name);
    for (const Row& r : kAtoms)
        if (r.save && r.name == upper) return std::string(r.atom);
    return {};
}

int MP4IntegerWidth(std::string_view atom) {
    for (const Width& w : kIntegers)
        if (w.atom == atom) return w.bytes;
    return 0;
}

bool MP4IsFlagAtom(std::string_view atom) {
    return atom == "pgap" || atom == "cpil" || atom == "hdvd" || atom == "pcst";
}

}  // namespace tags
