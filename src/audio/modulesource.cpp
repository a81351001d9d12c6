#include "audio/modulesource.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include <libopenmpt/libopenmpt.h>

#include "audio/constants.h"

namespace audio::detail {

namespace {

// Modules are small; anything past this is not one.
constexpr uint64_t kMaxModuleBytes = 256u << 20;

uint32_t ctypeOf(const std::string& type, const std::string& container) {
    uint32_t t = CTYPE_MUSIC_MOD;
    if (type == "mtm") t = CTYPE_MUSIC_MTM;
    else if (type == "s3m") t = CTYPE_MUSIC_S3M;
    else if (type == "xm") t = CTYPE_MUSIC_XM;
    else if (type == "it") t = CTYPE_MUSIC_IT;
    if (container == "mo3") t |= CTYPE_MUSIC_MO3;
    return t;
}

std::string metadata(openmpt_module* m, const char* key) {
    const char* v = openmpt_module_get_metadata(m, key);
    std::string s = v ? v : "";
    openmpt_free_string(v);
    return s;
}

}  // namespace

ModuleSource::~ModuleSource() {
    if (mod_) openmpt_module_destroy(mod_);
}

std::unique_ptr<ModuleSource> ModuleSource::open(const std::string& path, uint64_t offset, uint64_t length,
                                                 uint32_t rate, bool mono, bool prescan, int& error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = ERROR_FILEOPEN;
        return nullptr;
    }
    std::vector<char> data;
    if (std::fseek(f, 0, SEEK_END) == 0) {
        long size = std::ftell(f);
        uint64_t avail = size > 0 ? static_cast<uint64_t>(size) : 0;
        uint64_t take = offset < avail ? avail - offset : 0;
        if (length && length < take) take = length;
        if (take > 0 && take <= kMaxModuleBytes && std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0) {
            // Look at the header first: whatever reaches this loader last may be large and no module.
            size_t head = std::min<uint64_t>(take, openmpt_probe_file_header_get_recommended_size());
            data.resize(head);
            bool maybe = std::fread(data.data(), 1, head, f) == head &&
                         openmpt_probe_file_header(OPENMPT_PROBE_FILE_HEADER_FLAGS_DEFAULT, data.data(), head, take,
                                                   openmpt_log_func_silent, nullptr, nullptr, nullptr, nullptr,
                                                   nullptr) != OPENMPT_PROBE_FILE_HEADER_RESULT_FAILURE;
            data.resize(maybe ? take : 0);
            if (maybe && std::fread(data.data() + head, 1, take - head, f) != take - head) data.clear();
        }
    }
    std::fclose(f);
    if (data.empty()) {
        error = ERROR_FORMAT;
        return nullptr;
    }
    // Stop at the song's end instead of fading out; looping is the channel's business.
    const openmpt_module_initial_ctl ctls[] = {{"play.at_end", "stop"}, {"seek.sync_samples", "1"}, {nullptr, nullptr}};
    openmpt_module* m = openmpt_module_create_from_memory2(data.data(), data.size(), openmpt_log_func_silent, nullptr,
                                                           nullptr, nullptr, nullptr, nullptr, ctls);
    if (!m) {
        error = ERROR_FORMAT;
        return nullptr;
    }
    std::unique_ptr<ModuleSource> s(new ModuleSource);
    s->mod_ = m;
    openmpt_module_set_repeat_count(m, 0);
    s->info_.rate = rate;
    s->info_.chans = mono ? 1 : 2;
    s->info_.ctype = ctypeOf(metadata(m, "type"), metadata(m, "container"));
    s->info_.origres = 16;
    s->title_ = metadata(m, "title");
    if (prescan) {
        double d = openmpt_module_get_duration_seconds(m);
        if (std::isfinite(d) && d >= 0) s->length_ = std::llround(d * rate);
    }
    error = ERROR_OK;
    return s;
}

size_t ModuleSource::read(float* out, size_t frames) {
    readStart_ = pos_;
    size_t n = info_.chans == 1
                   ? openmpt_module_read_float_mono(mod_, static_cast<int32_t>(info_.rate), frames, out)
                   : openmpt_module_read_interleaved_float_stereo(mod_, static_cast<int32_t>(info_.rate), frames, out);
    pos_ += static_cast<int64_t>(n);
    return n;
}

bool ModuleSource::seek(int64_t frame) {
    double at = openmpt_module_set_position_seconds(mod_, static_cast<double>(frame) / info_.rate);
    pos_ = frame == 0 ? 0 : std::llround(at * info_.rate);
    return true;
}

}  // namespace audio::detail
