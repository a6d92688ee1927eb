#pragma once

#include <cstdint>

namespace quorvix::platform {

// Milliseconds of CLOCK_MONOTONIC.
uint64_t tickCount();
void sleepMilliseconds(uint64_t ms);

} // namespace quorvix::platform
