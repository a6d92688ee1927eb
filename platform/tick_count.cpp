#include "platform/tick_count.h"

#include <time.h>

namespace quorvix::platform {

uint64_t tickCount()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
}

void sleepMilliseconds(uint64_t ms)
{
    timespec ts {static_cast<time_t>(ms / 1000), static_cast<long>((ms % 1000) * 1000000)};
    while (nanosleep(&ts, &ts) != 0) {
    }
}

} // namespace quorvix::platform
