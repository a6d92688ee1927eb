// The denormal flush of stored states: floats whose exponent field is below 16 (magnitudes below
// about 2^-111) become 0, so decaying tails never reach denormal numbers.
#pragma once

#include <cstdint>
#include <cstring>

namespace quorvix {

inline bool isTiny(float x)
{
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return ((bits >> 23) & 0xFF) < 16;
}

inline void flushTiny(float& x)
{
    if (isTiny(x))
        x = 0.0f;
}

inline void flushTiny(float* cells, int count)
{
    for (int i = 0; i < count; ++i)
        flushTiny(cells[i]);
}

} // namespace quorvix
