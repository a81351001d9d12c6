// The bar spectrum of the main window: 128 columns of FFT magnitudes drawn
// as bars with falling peak marks into an off-screen picture, one frame per
// call.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace spectrum {

// FFT magnitudes as the engine gives them (512 used of 513); only the first
// 128 are drawn.
using TFFTData = std::array<float, 513>;

// Colours are 0xRRGGBB.
inline constexpr uint32_t clBtnFace = 0xF0F0F0;
inline constexpr uint32_t clBlack = 0x000000;
inline constexpr uint32_t clRed = 0xFF0000;
inline constexpr uint32_t clWhite = 0xFFFFFF;
inline constexpr uint32_t clDarkBack = 0x303030;

class TSpectrum {
public:
    static constexpr int kColumns = 128;

    // The picture keeps this size for its life.
    TSpectrum(int width, int height);

    uint32_t BkColor = clBtnFace;  // background and block lines
    uint32_t PenColor = clBlack;   // bars
    uint32_t PeakColor = clRed;    // peak marks
    bool FrmClear = true;          // clear the picture before each frame
    int PeakFall = 1;              // pixels a peak mark sinks per frame
    int LineFall = 2;              // pixels a bar sinks per frame
    int ColWidth = 3;              // bar width, and the spacing of the block lines
    bool ShowPeak = true;
    bool ShowBlock = true;
    std::array<int, kColumns + 1> FFTPeacks{};   // peak height per column, pixels
    std::array<int, kColumns + 1> FFTFallOff{};  // bar height per column, pixels

    // One frame: the bars follow the magnitudes (or, with pauseStop, only
    // sink) and the picture is drawn afresh, offset by (x, y). Returns false
    // when the frame is the same picture as the one before it, so that it
    // need not be shown again.
    bool Draw(const TFFTData& data, int x, int y, bool pauseStop);

    // Forgets the peaks: a new track starts its marks from the bars.
    void ResetPeaks() { FFTPeacks.fill(0); }
    // No bar and no peak left: further frames without data change nothing.
    bool Idle() const;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // 0xAARRGGBB, row by row, opaque.
    const std::vector<uint32_t>& Pixels() const { return visBuff_; }

private:
    void fill(int left, int top, int right, int bottom, uint32_t colour);
    void render(int x, int y);

    int width_, height_;
    std::vector<uint32_t> visBuff_;
    // What the last frame was drawn from, to tell a repeated picture; only
    // the columns in sight count.
    struct Drawn {
        std::array<int, kColumns> peaks{}, bars{};
        uint32_t bk = 0, pen = 0, peak = 0;
        int x = 0, y = 0, colWidth = 0;
        bool frmClear = false, showPeak = false, showBlock = false;
        bool operator==(const Drawn&) const = default;
    };
    Drawn drawn_;
    bool everDrawn_ = false;
};

}  // namespace spectrum
