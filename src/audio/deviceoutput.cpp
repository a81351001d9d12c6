#include "audio/deviceoutput.h"

#include <utility>

#include <SDL.h>

#include "audio/constants.h"
#include "common/log.h"

namespace audio::detail {

DeviceOutput::~DeviceOutput() { close(); }

int DeviceOutput::open(const char* driver, uint32_t freq, Fill fill, void* user) {
    close();
    if (SDL_AudioInit(driver) != 0) {
        common::log::error("audio.output", "no audio driver", driver ? std::string(" \"") + driver + "\"" : "", ": ",
                           SDL_GetError());
        return driver ? ERROR_DRIVER : ERROR_DEVICE;
    }
    audioInit_ = true;
    SDL_AudioSpec want{}, have{};
    want.freq = static_cast<int>(freq ? freq : 44100);
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // 1024 frames: about 23 ms at 44.1 kHz, so pause and volume act well within 100 ms.
    want.samples = 1024;
    want.callback = [](void* u, Uint8* stream, int len) {
        auto* self = static_cast<std::pair<Fill, void*>*>(u);
        self->first(self->second, reinterpret_cast<float*>(stream), static_cast<uint32_t>(len) / 8);
    };
    // SDL holds only one user pointer; keep the pair alive with the device.
    auto* pair = new std::pair<Fill, void*>(fill, user);
    want.userdata = pair;
    SDL_AudioDeviceID id = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (id == 0) {
        common::log::error("audio.output", "cannot open the audio device: ", SDL_GetError());
        delete pair;
        SDL_AudioQuit();
        audioInit_ = false;
        return ERROR_DEVICE;
    }
    id_ = id;
    rate_ = static_cast<uint32_t>(have.freq);
    frames_ = have.samples;
    const char* d = SDL_GetCurrentAudioDriver();
    driver_ = d ? d : "";
    userPair_ = pair;
    return ERROR_OK;
}

void DeviceOutput::close() {
    if (id_) {
        SDL_CloseAudioDevice(id_);  // waits for a callback in progress
        id_ = 0;
    }
    delete static_cast<std::pair<Fill, void*>*>(userPair_);
    userPair_ = nullptr;
    if (audioInit_) {
        SDL_AudioQuit();
        audioInit_ = false;
    }
}

void DeviceOutput::pause(bool paused) {
    if (id_) SDL_PauseAudioDevice(id_, paused ? 1 : 0);
}

std::vector<std::string> DeviceOutput::deviceNames() {
    std::vector<std::string> names;
    int n = SDL_GetNumAudioDevices(0);
    for (int i = 0; i < n; ++i) {
        const char* name = SDL_GetAudioDeviceName(i, 0);
        names.emplace_back(name ? name : "");
    }
    return names;
}

}  // namespace audio::detail
