// Frame-kind classification and genre references in TCON texts.
#include <algorithm>
#include <string>

#include "tags/id3v2/id3v2library.h"
#include "tags/id3v2/id3v2text.h"

namespace tags {

namespace {

// The ID3v1 genre list with its common extensions (numbers 0 to 191).
constexpr const char* kGenres[] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40",
    "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychedelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical",
    "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
    "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock",
    "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad",
    "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall",
    "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk",
    "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover", "Contemporary Christian",
    "Christian Rock", "Merengue", "Salsa", "Trash Metal", "Anime", "JPop", "SynthPop", "Abstract", "Art Rock",
    "Baroque", "Bhangra", "Big Beat", "Breakbeat", "Chillout", "Downtempo", "Dub", "EBM", "Eclectic",
    "Electro", "Electroclash", "Emo", "Experimental", "Garage", "Global", "IDM", "Illbient", "Industro-Goth",
    "Jam Band", "Krautrock", "Leftfield", "Lounge", "Math Rock", "New Romantic", "Nu-Breakz", "Post-Punk",
    "Post-Rock", "Psytrance", "Shoegaze", "Space Rock", "Trop Rock", "World Music", "Neoclassical",
    "Audiobook", "Audio Theatre", "Neue Deutsche Welle", "Podcast", "Indie Rock", "G-Funk", "Dubstep",
    "Garage Rock", "Psybient",
};
static_assert(std::size(kGenres) == 192);

std::string GenreName(int n) {
    if (n < 192) return kGenres[n];
    if (n < 255) return std::to_string(n);
    return {};
}

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
