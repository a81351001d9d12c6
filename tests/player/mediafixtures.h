// Small real media files for the adding tests, written in code.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "audio/engine.h"
#include "common/files.h"
#include "kit/dispatcher.h"

namespace testenv {

// A 16-bit mono PCM WAV of `seconds` at 8 kHz, silent; `pad` bytes after it
// change the size without changing the length.
inline std::string wavBytes(double seconds, size_t pad = 0) {
    auto le = [](std::string& s, uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    };
    uint32_t data = static_cast<uint32_t>(seconds * 8000) * 2;
    std::string w = "RIFF";
    le(w, 36 + data + static_cast<uint32_t>(pad), 4);
    w += "WAVEfmt ";
    le(w, 16, 4), le(w, 1, 2), le(w, 1, 2), le(w, 8000, 4), le(w, 16000, 4), le(w, 2, 2), le(w, 16, 2);
    w += "data";
    le(w, data, 4);
    w.append(data, '\0');
    w.append(pad, '\0');
    return w;
}

// An engine on the offline device with every decoder family loaded, as the
// program has it after start-up.
struct TestEngine {
    audio::Engine e;
    TestEngine() {
        e.Init(audio::DEVICE_OFFLINE, 44100, 0);
        for (const audio::AddOnInfo& a : e.AddOns()) e.PluginLoad(a.name, 0);
    }
};

// Runs the UI thread's queue until done() holds or a few seconds pass.
inline bool pumpUntil(ui::QueueDispatcher& ui, const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        ui.processMessages();
        if (!done()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace testenv
