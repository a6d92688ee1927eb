#include "engine/engine_context.h"

#include <atomic>

namespace quorvix {

namespace {
std::atomic<double> gLastSampleRate {44100.0};
} // namespace

double lastSampleRate() { return gLastSampleRate.load(); }

void setLastSampleRate(double rate) { gLastSampleRate.store(rate); }

} // namespace quorvix
