// Engine values a timbre holds once for all its voices, at their "Init" values.
#pragma once

#include "dsp/shaper_table.h"

namespace quorvix {

constexpr int kEffectUnitCount = 2;
constexpr int kMaxPolyphony = 16;

struct CTimbreSettings {
    CShaperTableSettings shaper;
    int polyphony = kMaxPolyphony;
    int quality = 1; // voice rate factor Q: 1 "Normal", 4 "High"
};

} // namespace quorvix
