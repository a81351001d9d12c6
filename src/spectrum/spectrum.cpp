#include "spectrum/spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace spectrum {

namespace {
constexpr uint32_t kOpaque = 0xFF000000;
// A magnitude of 1/500 is one pixel: 0.09 fills the 45-pixel box the window has.
constexpr float kPixelsPerUnit = 500.0f;
}  // namespace

TSpectrum::TSpectrum(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      visBuff_(static_cast<size_t>(width_) * static_cast<size_t>(height_), kOpaque | clBtnFace) {}

bool TSpectrum::Idle() const {
    auto zero = [](int v) { return v <= 0; };
    return std::all_of(FFTPeacks.begin(), FFTPeacks.end(), zero) &&
           std::all_of(FFTFallOff.begin(), FFTFallOff.end(), zero);
}

bool TSpectrum::Draw(const TFFTData& data, int x, int y, bool pauseStop) {
    const int h = height_;
    for (int i = 0; i < kColumns; ++i) {
        int& peak = FFTPeacks[static_cast<size_t>(i)];
        int& bar = FFTFallOff[static_cast<size_t>(i)];
        if (pauseStop) {
            if (bar > 0) bar -= LineFall;
            if (peak > 0) peak -= PeakFall;
        } else {
            // Truncated in single precision; NaN counts as silence, anything
            // at or above the box's height fills it.
            float v = std::fabs(data[static_cast<size_t>(i)]) * kPixelsPerUnit;
            int e = v >= static_cast<float>(h) ? h : (v > 0 ? static_cast<int>(v) : 0);
            peak = e >= peak ? e : peak - PeakFall;
            bar = e >= bar ? e : bar - LineFall;
        }
        peak = std::max(peak, 0);
        bar = std::max(bar, 0);
    }

    Drawn now{{}, {}, BkColor, PenColor, PeakColor, x, y, ColWidth, FrmClear, ShowPeak, ShowBlock};
    for (int i = 0; i < kColumns && x + i * (ColWidth + 1) < width_; ++i) {
        now.peaks[static_cast<size_t>(i)] = FFTPeacks[static_cast<size_t>(i)];
        now.bars[static_cast<size_t>(i)] = FFTFallOff[static_cast<size_t>(i)];
    }
    if (everDrawn_ && now == drawn_) return false;
    render(x, y);
    drawn_ = now;
    everDrawn_ = true;
    return true;
}

void TSpectrum::fill(int left, int top, int right, int bottom, uint32_t colour) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width_), bottom = std::min(bottom, height_);
    const uint32_t pixel = kOpaque | (colour & 0xFFFFFF);
    for (int row = top; row < bottom; ++row) {
        auto start = visBuff_.begin() + static_cast<std::ptrdiff_t>(row) * width_;
        std::fill(start + left, start + std::max(left, right), pixel);
    }
}

void TSpectrum::render(int x, int y) {
    const int h = height_;
    if (FrmClear) fill(0, 0, width_, h, BkColor);
    for (int i = 0; i < kColumns; ++i) {
        const int left = x + i * (ColWidth + 1);
        if (left >= width_) break;  // computed, but out of sight
        const int peak = FFTPeacks[static_cast<size_t>(i)], bar = FFTFallOff[static_cast<size_t>(i)];
        // The peak goes first: a bar as high covers it.
        if (ShowPeak && peak > 0) fill(left, y + h - peak, left + ColWidth, y + h - peak + 1, PeakColor);
        if (bar > 0) fill(left, y + h - bar, left + ColWidth, y + h, PenColor);
    }
    // Background lines every ColWidth rows cut the bars into blocks.
    if (ShowBlock && ColWidth > 0)
        for (int row = 0; row <= h; row += ColWidth) fill(0, row, width_, row + 1, BkColor);
}

}  // namespace spectrum
