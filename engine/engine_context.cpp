#include "engine/engine_context.h"

#include <atomic>

namespace quorvix {

namespace {
std::atomic<double> gLastSampleRate {44100.0};
std::atomic<int> gLastNoteKey {60};
std::atomic<double> gLastNoteFrequency {261.6255653005986};
} // namespace

double lastSampleRate() { return gLastSampleRate.load(); }

void setLastSampleRate(double rate) { gLastSampleRate.store(rate); }

void setLastNote(int key, double frequency)
{
    gLastNoteKey.store(key);
    gLastNoteFrequency.store(frequency);
}

int lastNoteKey() { return gLastNoteKey.load(); }

double lastNoteFrequency() { return gLastNoteFrequency.load(); }

} // namespace quorvix
