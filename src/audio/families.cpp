#include "audio/families.h"

#include <algorithm>

namespace audio::detail {

namespace {

bool starts(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
bool isMp4(const std::string& d) { return starts(d, "mov,mp4"); }

}  // namespace

bool coreAccepts(const std::string& d, const std::string& c) {
    if (d == "mp3" || d == "wav" || d == "w64" || d == "aiff") return true;
    return d == "ogg" && c == "vorbis";
}

const char* localDemuxers() {
    // Keep in step with coreAccepts() and the table below.
    return "mp3,wav,w64,aiff,ogg,flac,asf,asf_o,wv,aac,loas,mov,aix,adx,ac3,eac3,ape,mpc,mpc8,tta,dsf,iff,"
           "matroska";
}

const std::vector<Family>& families() {
    // OptimFROG has no decoder in our libraries: the family is listed and refuses every file.
    static const std::vector<Family> table = {
        {AddOn::WMA,
         "libwma.orv",
         "Windows Media Audio",
         {"wma", "wm"},
         [](const std::string& d, const std::string& c) { return starts(d, "asf") && starts(c, "wma"); }},
        {AddOn::FLAC,
         "libflac.orv",
         "Free Lossless Audio Codec",
         {"flac"},
         [](const std::string& d, const std::string& c) { return d == "flac" || (d == "ogg" && c == "flac"); }},
        {AddOn::WV, "libwv.orv", "WavPack", {"wv"}, [](const std::string& d, const std::string&) { return d == "wv"; }},
        {AddOn::OFR,
         "libofr.orv",
         "OptimFROG (not available)",
         {"ofr", "ofs"},
         [](const std::string&, const std::string&) { return false; }},
        {AddOn::AAC,
         "libaac.orv",
         "Advanced Audio Coding (ADTS, LATM, MP4)",
         {"aac", "mp4", "m4a"},
         [](const std::string& d, const std::string& c) {
             return d == "aac" || d == "loas" || (isMp4(d) && starts(c, "aac"));
         }},
        {AddOn::AIX,
         "libaix.orv",
         "CRI AIX",
         {"aix"},
         [](const std::string& d, const std::string&) { return d == "aix"; }},
        {AddOn::ADX,
         "libadx.orv",
         "CRI ADX",
         {"adx"},
         [](const std::string& d, const std::string&) { return d == "adx"; }},
        {AddOn::OPUS,
         "libopus.orv",
         "Opus in Ogg",
         {"opus"},
         [](const std::string& d, const std::string& c) { return d == "ogg" && c == "opus"; }},
        {AddOn::AC3,
         "libac3.orv",
         "Dolby Digital (AC-3, E-AC-3)",
         {"ac3"},
         [](const std::string& d, const std::string&) { return d == "ac3" || d == "eac3"; }},
        {AddOn::ALAC,
         "libalac.orv",
         "Apple Lossless",
         {"alac", "m4a"},
         [](const std::string& d, const std::string& c) { return isMp4(d) && c == "alac"; }},
        {AddOn::APE,
         "libape.orv",
         "Monkey's Audio",
         {"ape"},
         [](const std::string& d, const std::string&) { return d == "ape"; }},
        {AddOn::MPC,
         "libmpc.orv",
         "Musepack SV7 and SV8",
         {"mpc"},
         [](const std::string& d, const std::string&) { return d == "mpc" || d == "mpc8"; }},
        {AddOn::SPX,
         "libspx.orv",
         "Speex",
         {"spx"},
         [](const std::string& d, const std::string& c) { return d == "ogg" && c == "speex"; }},
        {AddOn::TTA,
         "libtta.orv",
         "True Audio",
         {"tta"},
         [](const std::string& d, const std::string&) { return d == "tta"; }},
        {AddOn::DSD,
         "libdsd.orv",
         "Direct Stream Digital (DSF, DSDIFF)",
         {"dsf", "dff"},
         [](const std::string& d, const std::string& c) { return d == "dsf" || (d == "iff" && starts(c, "dsd")); }},
        {AddOn::WEBM,
         "libwebm.orv",
         "WebM and Matroska audio",
         {"webm", "mka"},
         [](const std::string& d, const std::string&) { return d == "matroska,webm"; }},
    };
    return table;
}

const Family* findFamily(AddOn id) {
    const auto& t = families();
    auto it = std::find_if(t.begin(), t.end(), [&](const Family& f) { return f.id == id; });
    return it == t.end() ? nullptr : &*it;
}

const Family* findFamily(const std::string& name) {
    const auto& t = families();
    auto it = std::find_if(t.begin(), t.end(), [&](const Family& f) { return name == f.name; });
    return it == t.end() ? nullptr : &*it;
}

}  // namespace audio::detail
