#pragma once

#include <string>
#include <vector>

#include "audio/engine.h"

namespace audio::detail {

// One decoder family: which demuxer/codec pairs it takes. Demuxer and codec
// names are the decoding library's short names ("ogg", "opus").
struct Family {
    AddOn id;
    const char* name;
    const char* description;
    std::vector<std::string> extensions;
    bool (*accepts)(const std::string& demuxer, const std::string& codec);
};

const std::vector<Family>& families();
const Family* findFamily(AddOn id);
const Family* findFamily(const std::string& name);
// The formats StreamCreateFile always takes: MPEG audio, WAV, AIFF, Ogg Vorbis.
bool coreAccepts(const std::string& demuxer, const std::string& codec);
// Every demuxer that the core or a family takes, as a comma list for probing local files.
const char* localDemuxers();

}  // namespace audio::detail
