#include <algorithm>
#include <cmath>

#include "audio/constants.h"
#include "audio/fx/effect.h"

namespace audio::detail {

namespace {
constexpr double kPi = 3.14159265358979323846;
}

ParamEq::ParamEq(uint32_t rate) : rate_(rate) { set(p_); }

int ParamEq::type() const { return FX_DX8_PARAMEQ; }

void ParamEq::set(const DX8ParamEq& p) {
    p_ = p;
    p_.fCenter = std::clamp(p_.fCenter, 80.0f, 16000.0f);
    p_.fBandwidth = std::clamp(p_.fBandwidth, 1.0f, 36.0f);
    p_.fGain = std::clamp(p_.fGain, -15.0f, 15.0f);
    bypass_ = p_.fGain == 0.0f;
    // The centre cannot go past a third of the rate.
    double f = std::min<double>(p_.fCenter, rate_ / 3.0);
    double w0 = 2 * kPi * f / rate_;
    double A = std::pow(10.0, p_.fGain / 40.0);
    double octaves = p_.fBandwidth / 12.0;
    double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * octaves * w0 / std::sin(w0));
    double a0 = 1 + alpha / A;
    b0_ = (1 + alpha * A) / a0;
    b1_ = -2 * std::cos(w0) / a0;
    b2_ = (1 - alpha * A) / a0;
    a1_ = b1_;
    a2_ = (1 - alpha / A) / a0;
}

void ParamEq::reset() {
    for (int c = 0; c < 2; ++c) x1_[c] = x2_[c] = y1_[c] = y2_[c] = 0;
}

void ParamEq::process(float* buf, size_t frames, int chans) {
    if (bypass_) return;
    if (chans == 2) {
        // Both channels in one pass: two independent recursions keep the FPU busy.
        double xl1 = x1_[0], xl2 = x2_[0], yl1 = y1_[0], yl2 = y2_[0];
        double xr1 = x1_[1], xr2 = x2_[1], yr1 = y1_[1], yr2 = y2_[1];
        const double b0 = b0_, b1 = b1_, b2 = b2_, a1 = a1_, a2 = a2_;
        for (size_t i = 0; i < frames; ++i) {
            float* s = buf + 2 * i;
            double xl = s[0], xr = s[1];
            double yl = b0 * xl + b1 * xl1 + b2 * xl2 - a1 * yl1 - a2 * yl2;
            double yr = b0 * xr + b1 * xr1 + b2 * xr2 - a1 * yr1 - a2 * yr2;
            xl2 = xl1;
            xl1 = xl;
            yl2 = yl1;
            yl1 = yl;
            xr2 = xr1;
            xr1 = xr;
            yr2 = yr1;
            yr1 = yr;
            s[0] = static_cast<float>(yl);
            s[1] = static_cast<float>(yr);
        }
        auto flush = [](double v) { return std::fabs(v) < 1e-30 ? 0.0 : v; };
        x1_[0] = xl1;
        x2_[0] = xl2;
        y1_[0] = flush(yl1);
        y2_[0] = flush(yl2);
        x1_[1] = xr1;
        x2_[1] = xr2;
        y1_[1] = flush(yr1);
        y2_[1] = flush(yr2);
        return;
    }
    for (int c = 0; c < chans && c < 2; ++c) {
        double x1 = x1_[c], x2 = x2_[c], y1 = y1_[c], y2 = y2_[c];
        for (size_t i = 0; i < frames; ++i) {
            float* s = buf + i * chans + c;
            double x = *s;
            double y = b0_ * x + b1_ * x1 + b2_ * x2 - a1_ * y1 - a2_ * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            *s = static_cast<float>(y);
        }
        // Keep denormals out of the recursion once the input goes silent.
        if (std::fabs(y1) < 1e-30) y1 = 0;
        if (std::fabs(y2) < 1e-30) y2 = 0;
        x1_[c] = x1;
        x2_[c] = x2;
        y1_[c] = y1;
        y2_[c] = y2;
    }
}

}  // namespace audio::detail
