// Playing a sound away from the host: a private timbre at 44100 Hz and 120 BPM for the contact
// sheets and the factory bank tests, and the measurement that random presets are levelled by.
#pragma once

#include "engine/timbre.h"

#include <array>
#include <memory>
#include <vector>

namespace quorvix {

constexpr float kAuditionRate = 44100.0f;
constexpr float kAuditionBeatsPerSecond = 2.0f; // 120 BPM

class CAudition {
public:
    // At 120 BPM; random presets are measured at half the host's rate.
    explicit CAudition(float rate = kAuditionRate);

    // Silences the timbre and loads the sound.
    void load(const CSound& sound);
    // Events of the next render, at frame offsets within it; mono plays the timbre's mono voice.
    void noteOn(int key, int velocity, int offset = 0, bool mono = false);
    void noteOff(int key, int offset = 0, bool mono = false);
    // Replaces left and right by the next frames of the timbre's output.
    void render(float* left, float* right, int frames);
    // Every voice is free.
    bool idle() const;
    CTimbre& timbre() { return *m_timbre; }

private:
    void queue(uint8_t status, int key, int velocity, int offset);

    std::unique_ptr<CEngineContext> m_context;
    std::unique_ptr<CTimbre> m_timbre;
    std::vector<CMidiEvent> m_events;
};

struct CLoudness {
    double peak = 0.0;     // largest absolute sample of both channels
    double loudness = 0.0; // sqrt(sum of squares of both channels / frames) of the loudest half second
};

// The audition of random presets: the amplitude envelope held constant at its largest level (the
// output at that level, not the bipolar mapping of a constant envelope), then notes 48 and 72 at
// velocity 127 on the mono voice, each 2 s from silence.
std::array<CLoudness, 2> measureLoudness(CTimbre& timbre, const CSound& sound);

} // namespace quorvix
