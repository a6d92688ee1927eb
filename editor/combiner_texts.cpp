#include "editor/combiner_texts.h"

#include "editor/toolkit/typed_number.h"

#include <algorithm>
#include <cstdio>

namespace quorvix {

namespace {

// Pitch amounts from this many semitones on show two decimals.
constexpr float kCoarsePitch = 0.1f;

std::string formatted(const char* format, double value)
{
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

} // namespace

std::string combinerAmountText(ESectionKind kind, int destination, float normalized)
{
    const float a = amountFromNormalized(kind, destination, normalized);
    const std::string unit = amountUnit(kind, destination);
    if (unit == "st") {
        if (kind == ESectionKind::Oscillator)
            return formatted(a >= kCoarsePitch ? "%2.2f H" : "%1.3f H", a);
        return formatted("%1.3f H", a);
    }
    if (unit == "Hz")
        return formatted("%1.1f Hz", a);
    if (unit == "beats")
        return formatted("%1.4f B", a);
    return formatted("%1.2f", a);
}

bool parseCombinerAmount(ESectionKind kind, int destination, const std::string& text, float& normalized)
{
    double amount = 0.0;
    if (!leadingNumber(text, amount))
        return false;
    normalized = std::clamp(amountToNormalized(kind, destination, static_cast<float>(amount)), 0.0f, 1.0f);
    return true;
}

std::string fixedValueText(float normalized) { return formatted("%1.4f", kFixedScale * normalized - kFixedOffset); }

bool parseFixedValue(const std::string& text, float& normalized)
{
    double x = 0.0;
    if (!leadingNumber(text, x))
        return false;
    normalized = std::clamp(static_cast<float>((x + kFixedOffset) / kFixedScale), 0.0f, 1.0f);
    return true;
}

} // namespace quorvix
