// Engine values a timbre holds once for all its voices, at their "Init" values.
#pragma once

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

struct CTimbreSettings {
    CShaperTableSettings shaper;
    int polyphony = kMaxPolyphony;
    int quality = 1; // voice rate factor Q: 1 "Normal", 4 "High"
};

} // namespace quorvix
