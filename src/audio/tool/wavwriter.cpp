#include "audio/tool/wavwriter.h"

#include <cstring>

namespace audio::tool {

namespace {

void le16(unsigned char* p, uint16_t v) {
    p[0] = v & 0xFF;
    p[1] = v >> 8;
}
void le32(unsigned char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = (v >> (8 * i)) & 0xFF;
}

}  // namespace

WavWriter::WavWriter(std::string path, uint32_t rate, uint16_t chans)
    : path_(std::move(path)), tmp_(path_ + ".part"), rate_(rate), chans_(chans) {
    f_ = std::fopen(tmp_.c_str(), "wb");
    unsigned char header[44] = {};
    if (f_ && std::fwrite(header, 1, sizeof header, f_) != sizeof header) {
        std::fclose(f_);
        f_ = nullptr;
    }
}

WavWriter::~WavWriter() {
    if (f_) {
        std::fclose(f_);
        std::remove(tmp_.c_str());
    }
}

bool WavWriter::write(const float* frames, size_t count) {
    if (!f_) return false;
    // The data chunk size is 32-bit.
    if ((frames_ + count) * chans_ * 4 > 0xFFFFFF00u) return false;
    frames_ += count;
    return std::fwrite(frames, sizeof(float) * chans_, count, f_) == count;
}

bool WavWriter::finish() {
    if (!f_) return false;
    uint32_t data = static_cast<uint32_t>(frames_ * chans_ * 4);
    unsigned char h[44];
    std::memcpy(h, "RIFF", 4);
    le32(h + 4, 36 + data);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    le32(h + 16, 16);
    le16(h + 20, 3);  // IEEE float
    le16(h + 22, chans_);
    le32(h + 24, rate_);
    le32(h + 28, rate_ * chans_ * 4);
    le16(h + 32, static_cast<uint16_t>(chans_ * 4));
    le16(h + 34, 32);
    std::memcpy(h + 36, "data", 4);
    le32(h + 40, data);
    bool good = std::fseek(f_, 0, SEEK_SET) == 0 && std::fwrite(h, 1, sizeof h, f_) == sizeof h;
    good = std::fclose(f_) == 0 && good;
    f_ = nullptr;
    if (!good || std::rename(tmp_.c_str(), path_.c_str()) != 0) {
        std::remove(tmp_.c_str());
        return false;
    }
    return true;
}

}  // namespace audio::tool
