// A branch-free limit, as the filters and the flanger's feedback use it.
#pragma once

namespace quorvix {

// Limits y to -limit..limit without a branch.
inline double symmetricClip(double y, double limit)
{
    return (__builtin_fabs(y + limit) - __builtin_fabs(y - limit)) * 0.5;
}

inline float symmetricClip(float y, float limit)
{
    return (__builtin_fabsf(y + limit) - __builtin_fabsf(y - limit)) * 0.5f;
}

} // namespace quorvix
