#include "audio/fft.h"

#include <cmath>
#include <vector>

#include "audio/constants.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/tx.h>
}

namespace audio::detail {

struct Fft::Impl {
    AVTXContext* tx = nullptr;
    av_tx_fn fn = nullptr;
    std::vector<float> window;
    // The transform wants buffers aligned for the widest vector unit.
    float* in = nullptr;
    AVComplexFloat* out = nullptr;
    ~Impl() {
        av_tx_uninit(&tx);
        av_free(in);
        av_free(out);
    }
};

Fft::Fft(size_t n) : n_(n), p_(std::make_unique<Impl>()) {
    float scale = 1.0f;
    if (av_tx_init(&p_->tx, &p_->fn, AV_TX_FLOAT_RDFT, 0, static_cast<int>(n), &scale, 0) < 0) p_->tx = nullptr;
    p_->window.resize(n);
    for (size_t i = 0; i < n; ++i)  // periodic Hann
        p_->window[i] = static_cast<float>(0.5 * (1 - std::cos(2 * M_PI * static_cast<double>(i) / n)));
    p_->in = static_cast<float*>(av_malloc(n * sizeof(float)));
    p_->out = static_cast<AVComplexFloat*>(av_malloc((n / 2 + 1) * sizeof(AVComplexFloat)));
    if (!p_->in || !p_->out) av_tx_uninit(&p_->tx);
}

Fft::~Fft() = default;

bool Fft::magnitudes(const float* frames, size_t count, int chans, uint32_t flags, float* out) {
    if (!p_->tx || chans < 1) return false;
    const bool individual = flags & DATA_FFT_INDIVIDUAL;
    const int passes = individual ? chans : 1;
    const size_t half = n_ / 2;
    const float norm = 2.0f / static_cast<float>(n_);
    count = std::min(count, n_);
    for (int pass = 0; pass < passes; ++pass) {
        float* x = p_->in;
        for (size_t i = 0; i < n_; ++i) {
            float v = 0;
            if (i < count) {
                const float* f = frames + i * chans;
                if (individual) {
                    v = f[pass];
                } else {
                    for (int c = 0; c < chans; ++c) v += f[c];
                    v /= static_cast<float>(chans);
                }
            }
            x[i] = v;
        }
        if (flags & DATA_FFT_REMOVEDC) {
            double mean = 0;
            for (size_t i = 0; i < n_; ++i) mean += x[i];
            mean /= static_cast<double>(n_);
            for (size_t i = 0; i < n_; ++i) x[i] -= static_cast<float>(mean);
        }
        if (!(flags & DATA_FFT_NOWINDOW))
            for (size_t i = 0; i < n_; ++i) x[i] *= p_->window[i];
        p_->fn(p_->tx, p_->out, x, sizeof(float));
        for (size_t k = 0; k < half; ++k) {
            const AVComplexFloat& c = p_->out[k];
            out[k * passes + pass] = norm * std::hypot(c.re, c.im);
        }
    }
    return true;
}

}  // namespace audio::detail
