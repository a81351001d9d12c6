#pragma once

#include <memory>
#include <string>

#include "audio/source.h"

struct openmpt_module;

namespace audio::detail {

// Tracker music (MOD, S3M, XM, IT, MTM, UMX, MO3), rendered at a rate of our choice.
class ModuleSource final : public Source {
public:
    // nullptr with error set. prescan makes length() exact; without it the
    // length is unknown, as it is for tracker music that was not scanned.
    static std::unique_ptr<ModuleSource> open(const std::string& path, uint64_t offset, uint64_t length, uint32_t rate,
                                              bool mono, bool prescan, int& error);
    ~ModuleSource() override;

    size_t read(float* out, size_t frames) override;
    bool seek(int64_t frame) override;
    int64_t length() const override { return length_; }
    double bitrate() const override { return -1; }
    const std::string& title() const { return title_; }

private:
    ModuleSource() = default;

    ::openmpt_module* mod_ = nullptr;
    int64_t pos_ = 0;
    int64_t length_ = -1;
    std::string title_;
};

}  // namespace audio::detail
