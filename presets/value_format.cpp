#include "presets/value_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvix {

namespace {

constexpr float kChoiceClamp = 0.99999f;
constexpr int kDisplayWidth = 8;
constexpr double kHugePositive = 99999999.0;
constexpr double kHugeNegative = 9999999.0;
constexpr long long kHugeInteger = 100000000;
constexpr const char* kHuge = "Huge!";

} // namespace

int quantizeChoice(float v, int lo, int hi)
{
    if (!(v >= 0.0f))
        v = 0.0f; // NaN lands here too
    if (v > kChoiceClamp)
        v = kChoiceClamp;
    return lo + static_cast<int>(std::floor(v * static_cast<float>(hi - lo + 1)));
}

float choiceToValue(int n, int lo, int hi)
{
    if (n < lo)
        n = lo;
    if (n > hi)
        n = hi;
    return (static_cast<float>(n - lo) + 0.5f) / static_cast<float>(hi - lo + 1);
}

std::string formatInteger(long long n)
{
    if (n >= kHugeInteger)
        return kHuge;
    char text[32];
    std::snprintf(text, sizeof text, "%7lld", n);
    return std::string(text).substr(0, kDisplayWidth);
}

std::string formatDecimal(double x)
{
    if (std::isnan(x))
        x = 0.0;
    if (x > kHugePositive || x < -kHugeNegative)
        return kHuge;
    char text[64];
    int integerWidth = x < 0.0 ? 2 : 1;
    for (double whole = std::floor(std::fabs(x)); whole >= 10.0; whole = std::floor(whole / 10.0))
        ++integerWidth;
    // A carry while rounding may add a digit; then one fraction digit less.
    for (int decimals = std::max(kDisplayWidth - integerWidth - 1, 0);; --decimals) {
        const int width = std::snprintf(text, sizeof text, "%.*f", decimals, x);
        if (width <= kDisplayWidth || decimals == 0)
            break;
    }
    std::string result = text;
    if (result.find('.') == std::string::npos && result.size() < kDisplayWidth)
        result += '.';
    return result;
}

std::string formatDecibel(double x)
{
    if (!(x > 0.0))
        return "-oo";
    return formatDecimal(20.0 * std::log10(x));
}

std::string cutToThreeDecimals(const std::string& text)
{
    const size_t point = text.find('.');
    if (point == std::string::npos || text.size() <= point + 4)
        return text;
    return text.substr(0, point + 4);
}

} // namespace quorvix
