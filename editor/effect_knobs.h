// What the eight knobs of an effect unit mean for each effect type: their labels and texts.
#pragma once

#include "presets/editor_text.h"

#include <optional>

namespace quorvix {

// Time 1, Time 2, Depth 1, Depth 2, Gain 1, Gain 2, Spread, Mix.
constexpr int kEffectKnobCount = 8;
// The label of a knob the effect type does not use.
extern const char* const kUnusedKnobLabel;

struct CEffectKnob {
    const char* label;
    // The knob's text; none for the plain number display.
    std::optional<EEffectKnobText> text;
};

// Types outside the list are shown as "None".
CEffectKnob effectKnob(int type, int knob);

} // namespace quorvix
