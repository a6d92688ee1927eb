#include "dsp/runtime_rand.h"

namespace quorvix {

namespace {

constexpr uint32_t kMultiplier = 214013u;
constexpr uint32_t kIncrement = 2531011u;

thread_local uint32_t tState = 1u;

} // namespace

void runtimeSrand(uint32_t seed) { tState = seed; }

int runtimeRand()
{
    tState = tState * kMultiplier + kIncrement;
    return static_cast<int>((tState >> 16) & kRuntimeRandMax);
}

} // namespace quorvix
