#include "editor/effect_knobs.h"

#include <array>

namespace quorvix {

const char* const kUnusedKnobLabel = "- - -";

namespace {

using T = EEffectKnobText;
using CLabels = std::array<const char*, kEffectKnobCount>;

const char* const U = kUnusedKnobLabel;
const CLabels kNoneLabels = {U, U, U, U, U, U, "Spread", "Mix"};
const CLabels kDelayLabels = {"Delay 1", "Delay 2", "HiDamp1", "HiDamp2", "Gain 1", "Gain 2", U, "Mix"};
const CLabels kStereoDelayLabels = {"Delay 1", "Delay 2", "HiDamp1", "HiDamp2", "Gain 1", "Gain 2", "Spread", "Mix"};
const CLabels kChorusLabels = {"Delay", "Speed", "Depth 1", "Depth 2", U, U, "Spread", "Mix"};
const CLabels kFlangerLabels = {"Delay", "Speed", "Depth 1", "Depth 2", "Feedbk.1", "Feedbk.2", "Spread", "Mix"};
const CLabels kBoosterLabels = {"LoFreq", "LoVol", "MidFreq", "MidVol", "HiFreq", "HiVol", U, "Volume"};

struct CTypeKnobs {
    const CLabels* labels;
    // The texts of the first two knobs (the times); the others show plain numbers.
    std::optional<T> time1;
    std::optional<T> time2;
};

CTypeKnobs typeKnobs(int type)
{
    switch (type) {
    case 1: case 2: case 3: case 7:
        return {&kDelayLabels, T::Milliseconds500, T::Milliseconds500};
    case 4: case 5: case 6:
        return {&kStereoDelayLabels, T::Milliseconds500, T::Milliseconds500};
    case 12: case 13: case 14: case 18:
        return {&kDelayLabels, T::ThirtySeconds, T::ThirtySeconds};
    case 15: case 16: case 17:
        return {&kStereoDelayLabels, T::ThirtySeconds, T::ThirtySeconds};
    case 8:
        return {&kChorusLabels, T::Milliseconds500, T::Milliseconds2000};
    case 10:
        return {&kChorusLabels, T::Milliseconds25, T::Milliseconds2000};
    case 19:
        return {&kChorusLabels, T::Milliseconds500, T::Sixteenths};
    case 21:
        return {&kChorusLabels, T::Milliseconds25, T::Sixteenths};
    case 9:
        return {&kFlangerLabels, T::Milliseconds10, T::Milliseconds2000};
    case 20:
        return {&kFlangerLabels, T::Milliseconds10, T::Sixteenths};
    case 11:
        return {&kBoosterLabels, T::HertzLow, T::DecibelBand};
    default:
        return {&kNoneLabels, T::Milliseconds500, T::Milliseconds500};
    }
}

constexpr int kBoosterType = 11;

// The booster's bands: frequency, volume, frequency, volume, frequency, volume, -, volume.
std::optional<T> boosterText(int knob)
{
    static const std::array<std::optional<T>, kEffectKnobCount> kTexts = {
        T::HertzLow, T::DecibelBand, T::HertzMid, T::DecibelBand, T::HertzHigh, T::DecibelBand, std::nullopt,
        T::DecibelWet};
    return kTexts[static_cast<size_t>(knob)];
}

} // namespace

CEffectKnob effectKnob(int type, int knob)
{
    if (knob < 0 || knob >= kEffectKnobCount)
        return {U, std::nullopt};
    const CTypeKnobs k = typeKnobs(type);
    const char* label = (*k.labels)[static_cast<size_t>(knob)];
    if (type == kBoosterType)
        return {label, boosterText(knob)};
    if (knob == 0)
        return {label, k.time1};
    if (knob == 1)
        return {label, k.time2};
    return {label, std::nullopt};
}

} // namespace quorvix
