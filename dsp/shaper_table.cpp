#include "dsp/shaper_table.h"

#include "dsp/bessel_lowpass.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr float kParamThreshold = 0.0009765625f;
constexpr float kSmoothThreshold = 0.01f;
constexpr float kSmoothOff = 0.0001f;
constexpr int kSmoothingRate = 176000;
constexpr float kPoint = 0.0005f;
constexpr double kPi = 3.141592653589793;
constexpr int kTreble = 21;

struct CHalfShape {
    int shape;
    float p;

    // S(t) at point n = 0..2000 of the half, t = n / 2000.
    float at(int n) const
    {
        const float t = static_cast<float>(n) * kPoint;
        const float m9 = 9.0f * p + 1.0f;
        const float m4 = 4.0f * p + 1.0f;
        auto sine = [&] { return std::sin(m9 * static_cast<float>(n) * 0.0007853982007018593f); };
        auto doubleSine = [&] {
            return 0.6666666f * sine() + 0.3333333f * std::sin(m9 * static_cast<float>(n) * 0.0015707964014037186f);
        };
        auto fold = [](float u) {
            const int whole = static_cast<int>(u);
            u -= static_cast<float>(whole - whole % 2);
            return u > 1.0f ? 2.0f - u : u;
        };
        switch (shape) {
        case 1:
            return sine();
        case 2:
            return doubleSine();
        case 3: {
            const float s = sine();
            return s * s;
        }
        case 4:
            return p == 0.0f ? 1.0f : std::pow(t, 2.0f * p);
        case 5: {
            const float u = m4 * t;
            return u - std::trunc(u);
        }
        case 6:
            return fold(m9 * t);
        case 7: {
            const float c = 1.0f - p;
            return t <= c ? (1.0f - c) + std::sqrt(std::max(c * c - (c - t) * (c - t), 0.0f)) : 1.0f;
        }
        case 8:
            return p - t;
        case 9:
            return t + sine();
        case 10:
            return t + doubleSine();
        case 11: {
            const float s = sine();
            return t + s * s;
        }
        case 12: {
            const float q = std::min(p, 0.9995f);
            return std::min(t / (1.0f - q), 1.0f);
        }
        case 13: {
            const float h = static_cast<float>(n) * 0.00025f;
            const float u = h * m4;
            return (u - std::trunc(u)) + h;
        }
        case 14: {
            const float h = t / 2.0f;
            return fold(h * m9) + h;
        }
        case 15:
            return t < p ? std::sqrt(std::max(p * p - (p - t) * (p - t), 0.0f)) * 0.5f + t / 2.0f : t;
        case 16:
            return static_cast<float>(std::sin(2.0 * kPi * t * (10.0f * p + 1.0f) / (10.0f * p * t + 1.0f)));
        case 17:
            return t * (10.0f * p + 1.0f) / (10.0f * p * t + 1.0f);
        case 18: {
            const float a = 3.8f * p + 0.2f;
            const float s = static_cast<float>(std::sin(2.0 * kPi * a * t));
            return s * s * t * (a + 1.0f) / (t * a + 1.0f);
        }
        case 19: {
            const float a = 3.8f * p + 0.2f;
            const float s = std::sin(a * static_cast<float>(n) * 0.003141592802807437f);
            return 1.0f - std::exp(-(s * s)) / (t + 1.0f);
        }
        case 20: {
            const float a = 9.6f * p + 0.4f;
            return std::tan(1.2566370614359172f * std::exp(-(a * t) * (a * t))) * a * t;
        }
        case 22: {
            const int i = static_cast<int>((1.0f - p) * 2000.0f + 0.5f);
            if (n < i)
                return static_cast<float>(n) / static_cast<float>(i);
            if (n == i)
                return 1.0f;
            return 1.0f - static_cast<float>(n - i) / static_cast<float>(2000 - i);
        }
        case 23:
        case 24:
            return morph(t, shape == 24);
        default:
            return t;
        }
    }

    float morph(float t, bool even) const
    {
        const int i = static_cast<int>(4.0f * p);
        const float f = 4.0f * p - static_cast<float>(i);
        const float g = 1.0f - f;
        auto wave = [&](double cycles) { return static_cast<float>(std::sin(cycles * kPi * t)); };
        const float p1 = t + wave(2.0);
        const float p2 = p1 + wave(even ? 4.0 : 3.0);
        const float p3 = p2 + wave(even ? 6.0 : 4.0);
        const float p4 = p3 + wave(even ? 8.0 : 5.0);
        switch (i) {
        case 0:
            return g * t + f * p1 / 2.0f;
        case 1:
            return g * p1 / 2.0f + f * p2 / 3.0f;
        case 2:
            return g * p2 / 3.0f + f * p3 / 4.0f;
        default:
            return g * p3 / 4.0f + f * p4 / 5.0f;
        }
    }
};

// Chebyshev polynomials blended by the parameter; evaluated directly, without mirroring.
float treble(float x, float p)
{
    p = std::min(p, 0.9999f);
    const int i = static_cast<int>(4.0f * p);
    const float f = 4.0f * p - static_cast<float>(i);
    const float x2 = x * x;
    const float t[6] = {0.0f, x, 2.0f * x2 - 1.0f, (4.0f * x2 - 3.0f) * x, (x2 - 1.0f) * x2 * 8.0f + 1.0f,
                        ((16.0f * x2 - 20.0f) * x2 + 5.0f) * x};
    if (i >= 3)
        return (1.0f - f) * t[4] + f * t[5];
    return (1.0f - f) * t[i + 1] + f * t[i + 2];
}

} // namespace

CShaperTable::CShaperTable()
{
    build(0, 0, 0.0f, 0.0f);
}

void CShaperTable::build(int shape1, int shape2, float param, float smooth)
{
    if (shape1 == m_shape1 && shape2 == m_shape2 && std::fabs(param - m_param) < kParamThreshold &&
        std::fabs(smooth - m_smooth) < kSmoothThreshold)
        return;
    m_shape1 = std::clamp(shape1, 0, kShapeIds - 1);
    m_shape2 = std::clamp(shape2, 0, kShapeIds - 1);
    m_param = param;
    m_smooth = smooth;
    const int back = 1 - m_front.load(std::memory_order_relaxed);
    CCurve& curve = m_curves[static_cast<size_t>(back)];
    fill(curve);
    m_front.store(back, std::memory_order_release);
}

void CShaperTable::setLimiter(bool on)
{
    m_limiter = on;
    // The end points change in place: four floats, each a valid end value either way.
    for (CCurve& curve : m_curves)
        applyLimiter(curve);
}

void CShaperTable::fill(CCurve& curve) const
{
    for (int half = 0; half < 2; ++half) {
        const int d = half == 0 ? -1 : 1;
        const int shape = half == 0 ? m_shape1 : (m_shape2 == 0 ? m_shape1 : m_shape2);
        if (shape == kTreble) {
            const int first = half == 0 ? -kShaperHalf : 0;
            const int last = half == 0 ? -1 : kShaperHalf;
            for (int k = first; k <= last; ++k)
                curve.value[index(k)] = treble(static_cast<float>(k) * kPoint, m_param);
            continue;
        }
        const CHalfShape s {shape, m_param};
        for (int n = 0; n <= kShaperHalf; ++n)
            curve.value[index(d * n)] = static_cast<float>(d) * s.at(n);
    }
    if (m_smooth > kSmoothOff)
        smoothCurve(curve);
    curve.value[index(-kShaperHalf - 1)] = curve.value[index(-kShaperHalf)];
    curve.value[index(kShaperHalf + 1)] = curve.value[index(kShaperHalf)];
    for (int k = -kShaperHalf - 1; k <= kShaperHalf; ++k)
        curve.slope[index(k)] = (curve.value[index(k + 1)] - curve.value[index(k)]) * 0.5f;
    curve.naturalLow = curve.value[index(-kShaperHalf)];
    curve.naturalHigh = curve.value[index(kShaperHalf)];
    applyLimiter(curve);
}

void CShaperTable::smoothCurve(CCurve& curve) const
{
    const float cutoff = 100.0f * std::exp2((1.0f - m_smooth) * 6.6666665f);
    CBesselLowpass filter(100.0f, 0.49f * kSmoothingRate, cutoff);
    filter.setSampleRate(kSmoothingRate);
    const float centre = curve.value[index(0)];
    for (int k = 0; k <= kShaperHalf - 1; ++k)
        curve.value[index(k)] = filter.tick(curve.value[index(k)] - centre) + centre;
    filter.clear();
    for (int k = 1; k >= -(kShaperHalf - 1); --k)
        curve.value[index(k)] = filter.tick(curve.value[index(k)] - centre) + centre;
}

void CShaperTable::applyLimiter(CCurve& curve) const
{
    const float low = m_limiter ? -1.0f : curve.naturalLow;
    const float high = m_limiter ? 1.0f : curve.naturalHigh;
    curve.value[index(-kShaperHalf)] = curve.value[index(-kShaperHalf - 1)] = low;
    curve.value[index(kShaperHalf)] = curve.value[index(kShaperHalf + 1)] = high;
}

} // namespace quorvix
