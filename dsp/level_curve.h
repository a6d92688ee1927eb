// The level curve of the volume and band-amount knobs: a normalized v (0..1) as a gain,
// 10^(3.5 (v - 24/35)), so 24/35 is 0 dB; and back.
#pragma once

#include <cmath>

namespace quorvix {

constexpr double kLevelCentre = 0.6857142857142857;
constexpr double kLevelDecades = 3.5;
constexpr double kLevelPerDecade = 1.0 / kLevelDecades;

inline double levelGain(double v) { return std::pow(10.0, kLevelDecades * (v - kLevelCentre)); }
inline double levelOfGain(double gain) { return std::log10(gain) * kLevelPerDecade + kLevelCentre; }

} // namespace quorvix
