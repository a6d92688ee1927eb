// The additive "Sample" waves (ids 36 to 52): a gain, a phase shift per harmonic and a list of partials.
#pragma once

#include <cstddef>

namespace quorvix {

struct CPartial {
    int harmonic;
    double amplitude;
    double phase; // radians
};

struct CSampleWave {
    int id;
    float gain;
    double phaseShift; // radians per harmonic number
    const CPartial* partials;
    size_t count;
};

constexpr int kSampleWaveCount = 17;
extern const CSampleWave kSampleWaves[kSampleWaveCount];

} // namespace quorvix
