// Stored values from outside (chunks, files) may be anything: a non-finite one takes a fallback.
#pragma once

#include <cmath>

namespace quorvix {

inline float finiteOr(float x, float fallback) { return std::isfinite(x) ? x : fallback; }

} // namespace quorvix
