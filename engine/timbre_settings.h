// Engine values a timbre holds once for all its voices, at their "Init" values.
#pragma once

#include <array>

namespace quorvix {

constexpr int kEffectUnitCount = 2;
constexpr int kMaxPolyphony = 16;

struct CShaperTableSettings {
    int shape1 = 0;
    int shape2 = 0;
    float parameter = 0.0f;
    float smooth = 0.0f;
    bool limiter = false;
};

struct CEffectSettings {
    int type = 0;
    int time1 = 150; // ms or 1/125 beats
    int time2 = 150;
    float depth1 = 1.0f;
    float depth2 = 1.0f;
    float gain1 = 0.5f;
    float gain2 = 0.5f;
    float spread = 0.5f;
    float mix = 1.0f;
};

struct CTimbreSettings {
    CShaperTableSettings shaper;
    std::array<CEffectSettings, kEffectUnitCount> effects;
    int polyphony = kMaxPolyphony;
    int quality = 1; // voice rate factor Q: 1 "Normal", 4 "High"
};

} // namespace quorvix
