// Conversions between normalized values and choices, and the host display texts.
#pragma once

#include <string>

namespace quorvix {

// Clamp v to 0..0.99999, then lo + floor(v * (hi - lo + 1)).
int quantizeChoice(float v, int lo, int hi);

// Clamp n to lo..hi, then (n - lo + 0.5) / (hi - lo + 1).
float choiceToValue(int n, int lo, int hi);

// printf "%7d" cut to 8 characters; "Huge!" from 100000000.
std::string formatInteger(long long n);

// Exactly 8 characters with sign and point: the integer digits, a point, then fraction digits.
std::string formatDecimal(double x);

// formatDecimal of 20 log10 x, or "-oo" for x <= 0.
std::string formatDecibel(double x);

// Keeps at most three characters after the first point.
std::string cutToThreeDecimals(const std::string& text);

} // namespace quorvix
