#include "audio/fx/effect.h"

#include <algorithm>
#include <cmath>

#include "audio/constants.h"

namespace audio::detail {

void DelayLine::resize(size_t minSize) {
    size_t n = 1;
    while (n < minSize) n <<= 1;
    buf_.assign(n, 0.0f);
    mask_ = n - 1;
    w_ = 0;
}

void DelayLine::clear() { std::fill(buf_.begin(), buf_.end(), 0.0f); }

std::unique_ptr<Effect> makeEffect(int type, uint32_t rate) {
    switch (type) {
    case FX_DX8_CHORUS: return std::make_unique<Chorus>(rate);
    case FX_DX8_FLANGER: return std::make_unique<Flanger>(rate);
    case FX_DX8_ECHO: return std::make_unique<Echo>(rate);
    case FX_DX8_PARAMEQ: return std::make_unique<ParamEq>(rate);
    case FX_DX8_REVERB: return std::make_unique<Reverb>(rate);
    default: return nullptr;
    }
}

}  // namespace audio::detail
