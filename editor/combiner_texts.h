// What the combiner panel shows of amounts and fixed values, and how it reads typed ones.
#pragma once

#include "dsp/mod_section.h"

#include <string>

namespace quorvix {

// Fixed values a..d are stored as 4x - 2.
constexpr float kFixedScale = 4.0f;
constexpr float kFixedOffset = 2.0f;

// The amount's text and typed-text reader follow the destination.
std::string combinerAmountText(ESectionKind kind, int destination, float normalized);
bool parseCombinerAmount(ESectionKind kind, int destination, const std::string& text, float& normalized);
std::string fixedValueText(float normalized);
bool parseFixedValue(const std::string& text, float& normalized);

} // namespace quorvix
