// orvelin-audio: what the engine makes of a file, and an offline render of it
// through the same chain the player uses.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "audio/engine.h"
#include "audio/icy.h"
#include "audio/tool/wavwriter.h"

using namespace audio;

namespace {

struct Opened {
    Handle h = 0;
    std::string creator;
    bool music = false;
};

const char* familyName(AddOn a) {
    static const char* names[] = {"WMA", "FLAC", "WV",  "OFR", "AAC", "AIX", "ADX", "OPUS",
                                  "AC3", "ALAC", "APE", "MPC", "SPX", "TTA", "DSD", "WEBM"};
    return names[static_cast<int>(a)];
}

// The player's trial order: the core creator, each add-on, then tracker music.
Opened open(Engine& e, const std::string& path) {
    if (Handle h = e.StreamCreateFile(path, 0, 0, UNICODE)) return {h, "StreamCreateFile", false};
    for (int i = 0; i <= static_cast<int>(AddOn::WEBM); ++i) {
        auto a = static_cast<AddOn>(i);
        if (Handle h = e.AddOnStreamCreateFile(a, path, 0, 0, UNICODE))
            return {h, std::string("AddOnStreamCreateFile(") + familyName(a) + ")", false};
    }
    if (Handle h = e.MusicLoad(path, 0, 0, UNICODE | MUSIC_PRESCAN | SAMPLE_FLOAT, 0)) return {h, "MusicLoad", true};
    return {};
}

std::string jsonString(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

int usage() {
    std::fprintf(stderr,
                 "usage: orvelin-audio info FILE|URL\n"
                 "       orvelin-audio render FILE OUT.wav|- [--eq g0,...,g9] [--fx chorus,echo,flanger,reverb]\n"
                 "                            [--seconds N] [--volume V]\n");
    return 2;
}

bool isUrl(const std::string& s) {
    std::string scheme = s.substr(0, s.find("://") == std::string::npos ? 0 : s.find("://") + 3);
    for (char& c : scheme) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return scheme == "http://" || scheme == "https://";
}

// A station: its name, bit rate and current title, as the player would show them.
int urlInfo(Engine& e, const std::string& url) {
    e.SetConfig(CONFIG_NET_PLAYLIST, 1);
    e.SetConfig(CONFIG_NET_TIMEOUT, 10000);
    e.SetConfig(CONFIG_NET_READTIMEOUT, 10000);
    Handle h = e.StreamCreateURL(url, 0, STREAM_BLOCK | STREAM_STATUS);
    if (!h) {
        std::fprintf(stderr, "orvelin-audio: %s: %s\n", url.c_str(), describe(Engine::ErrorGetCode()));
        return 1;
    }
    const char* headers = e.ChannelGetTags(h, TAG_ICY);
    if (!headers) headers = e.ChannelGetTags(h, TAG_HTTP);
    TRadioHeaders station = ParseRadioHeaders(headers);
    std::string bitrate = station.Bitrate;
    float kbps = 0;
    if ((bitrate.empty() || bitrate == "0") && e.ChannelGetAttribute(h, ATTRIB_BITRATE, kbps) && kbps > 0)
        bitrate = std::to_string(static_cast<long>(kbps + 0.5f));
    const char* meta = e.ChannelGetTags(h, TAG_META);
    std::optional<std::string> title = meta ? ParseStreamTitle(meta) : std::nullopt;
    ChannelInfo ci;
    e.ChannelGetInfo(h, ci);
    std::printf("{\"url\": %s, \"station\": %s, \"bitrate_kbps\": %s, \"title\": %s, \"rate\": %u, \"channels\": %u}\n",
                jsonString(url).c_str(), jsonString(station.StationName).c_str(),
                bitrate.empty() ? "null" : jsonString(bitrate).c_str(), title ? jsonString(*title).c_str() : "null",
                ci.freq, ci.chans);
    return 0;
}

int info(const std::string& path) {
    Engine e;
    if (!e.Init(DEVICE_OFFLINE, 44100, 0)) {
        std::fprintf(stderr, "orvelin-audio: %s\n", describe(Engine::ErrorGetCode()));
        return 1;
    }
    if (isUrl(path)) return urlInfo(e, path);
    Opened o = open(e, path);
    if (!o.h) {
        std::fprintf(stderr, "orvelin-audio: %s: no creator accepts it\n", path.c_str());
        return 1;
    }
    ChannelInfo ci;
    e.ChannelGetInfo(o.h, ci);
    QWord len = e.ChannelGetLength(o.h, POS_BYTE);
    std::printf(
        "{\"file\": %s, \"creator\": \"%s\", \"rate\": %u, \"channels\": %u, \"flags\": %u, "
        "\"ctype\": %u, \"length_bytes\": %s, \"length_seconds\": %s}\n",
        jsonString(path).c_str(), o.creator.c_str(), ci.freq, ci.chans, ci.flags, ci.ctype,
        len == kFail64 ? "null" : std::to_string(len).c_str(),
        len == kFail64 ? "null" : std::to_string(e.ChannelBytes2Seconds(o.h, len)).c_str());
    return 0;
}

bool parseList(const std::string& s, std::vector<std::string>& out) {
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ',')) out.push_back(item);
    return !out.empty();
}

int render(int argc, char** argv) {
    std::string path = argv[2], outPath = argv[3];
    std::vector<float> eq;
    std::vector<std::string> fx;
    double seconds = -1, volume = 1;
    for (int i = 4; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) return usage();
        std::string v = argv[++i];
        std::vector<std::string> items;
        char* end = nullptr;
        if (a == "--eq" && parseList(v, items) && items.size() == 10) {
            for (auto& g : items) {
                eq.push_back(std::strtof(g.c_str(), &end));
                if (*end) return usage();
            }
        } else if (a == "--fx" && parseList(v, fx)) {
        } else if (a == "--seconds") {
            seconds = std::strtod(v.c_str(), &end);
            if (*end || seconds < 0) return usage();
        } else if (a == "--volume") {
            volume = std::strtod(v.c_str(), &end);
            if (*end) return usage();
        } else {
            return usage();
        }
    }
    Engine e;
    if (!e.Init(DEVICE_OFFLINE, 44100, 0)) return 1;
    Opened o = open(e, path);
    if (!o.h) {
        std::fprintf(stderr, "orvelin-audio: %s: no creator accepts it\n", path.c_str());
        return 1;
    }
    // The effects in the order and with the priority the player attaches them.
    for (const std::string& name : fx) {
        int type = name == "flanger"  ? FX_DX8_FLANGER
                   : name == "chorus" ? FX_DX8_CHORUS
                   : name == "echo"   ? FX_DX8_ECHO
                   : name == "reverb" ? FX_DX8_REVERB
                                      : -1;
        if (type < 0 || !e.ChannelSetFX(o.h, type, 1)) {
            std::fprintf(stderr, "orvelin-audio: unknown effect %s\n", name.c_str());
            return 2;
        }
    }
    static const float centres[10] = {80, 170, 310, 600, 1000, 3000, 6000, 10000, 12000, 16000};
    for (size_t band = 0; band < eq.size(); ++band) {
        Handle b = e.ChannelSetFX(o.h, FX_DX8_PARAMEQ, 1);
        e.FXSetParameters(b, DX8ParamEq{centres[band], 5, eq[band]});
    }
    e.ChannelSetAttribute(o.h, ATTRIB_VOL, static_cast<float>(volume));
    e.ChannelPlay(o.h, false);

    Info di;
    e.GetInfo(di);
    const bool discard = outPath == "-";
    tool::WavWriter wav(discard ? std::string() : outPath, di.freq, 2);
    if (!discard && !wav.ok()) {
        std::fprintf(stderr, "orvelin-audio: cannot write %s\n", outPath.c_str());
        return 1;
    }
    const uint64_t limit = seconds < 0 ? UINT64_MAX : static_cast<uint64_t>(seconds * di.freq);
    std::vector<float> buf(4096 * 2);
    uint64_t done = 0;
    while (done < limit && e.ChannelIsActive(o.h) == ACTIVE_PLAYING) {
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(4096, limit - done));
        e.Render(buf.data(), n);
        if (!discard && !wav.write(buf.data(), n)) {
            std::fprintf(stderr, "orvelin-audio: write failed\n");
            return 1;
        }
        done += n;
    }
    if (!discard && !wav.finish()) {
        std::fprintf(stderr, "orvelin-audio: cannot write %s\n", outPath.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "info") == 0) return info(argv[2]);
    if (argc >= 4 && std::strcmp(argv[1], "render") == 0) return render(argc, argv);
    return usage();
}
