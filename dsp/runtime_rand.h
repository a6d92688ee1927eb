// The seedable 15-bit generator of wave generation, random phases and random presets.
// Each thread has its own state, so a reseed gives the same sequence on every machine.
#pragma once

#include <cstdint>

namespace quorvix {

constexpr int kRuntimeRandMax = 0x7FFF;

void runtimeSrand(uint32_t seed);
int runtimeRand();

} // namespace quorvix
