// Engine values a voice holds for its synthesis blocks, at their "Init" values. Each group
// becomes the settings of its block once the block exists.
#pragma once

#include <array>

namespace quorvix {

constexpr int kOscillatorCount = 3;
constexpr int kModOscillatorCount = 4; // two in the oscillator section, two in the filter section
constexpr double kInitPanAngle = 0.7853981633974483; // pi / 4, the middle

struct COversamplingSettings {
    int mode = 1;          // 0 "OFF", 1 "Frequency", 2 "Always"
    float octaves = 4.0f;  // threshold of "Frequency"

    bool operator==(const COversamplingSettings&) const = default;
};

struct CShaperVoiceSettings {
    float gain = 0.33333334f;
    float position = 0.0f;
    float mix = 1.0f;
    bool postFilter = false;
    bool limiter = false;

    bool operator==(const CShaperVoiceSettings&) const = default;
};

struct CFilterSettings {
    int type = 0;
    int level = 1;                      // sections 1..8
    float parameter = 0.0f;
    float frequency = 2330.0f;          // Hz
    float resonanceWeight = 0.0f;
    bool separate = true;
    float resonanceFrequency = 2330.0f; // Hz
    float resonance = 0.0f;             // r = v squared
    int keyMid = 0;
    float keySlope = 0.0f;              // v / 6

    bool operator==(const CFilterSettings&) const = default;
};

struct CLevelSettings {
    float dynamic = 2.0f;
    int volumeKeyMid = 36;
    float volumeKeySlope = 1.0f; // factor per octave
    float mainVolume = 2.0f;     // gain
    double panAngle = kInitPanAngle;
    float portamento = 1.0f;     // beats
    float pitchBendRange = 2.0f; // semitones, -1 means the tuning's destination
    float dirtyTuning = 0.0f;    // semitones

    bool operator==(const CLevelSettings&) const = default;
};

struct CVoiceSettings {
    COversamplingSettings oversampling;
    CShaperVoiceSettings shaper;
    CFilterSettings filter;
    CLevelSettings level;
};

} // namespace quorvix
