// The wave shaper's transfer curve: 4001 points over -1..1 built from two shapes, a parameter,
// smoothing and the limiter option. One per timbre; voices read the published table while a
// rebuild writes the other one, so no voice ever reads a half-built curve.
#pragma once

#include <array>
#include <cstddef>
#include <atomic>

namespace quorvix {

constexpr int kShapeIds = 25;
constexpr int kShaperHalf = 2000;           // points -2000..2000 stand for -1..1
constexpr int kShaperPoints = 2 * kShaperHalf + 3; // with a guard at each end

// The curve's settings; programs keep the limiter switch with the voice values.
struct CShaperTableSettings {
    int shape1 = 0;
    int shape2 = 0;
    float parameter = 0.0f;
    float smooth = 0.0f;
    bool limiter = false;

    bool operator==(const CShaperTableSettings&) const = default;
};

class CShaperTable {
public:
    // The straight line y = x, limiter on.
    CShaperTable();

    // Rebuilds unless the shapes are unchanged and param and smooth moved less than their thresholds.
    void build(int shape1, int shape2, float param, float smooth);
    void setLimiter(bool on);

    // y for x, x limited to -1..1; safe to call while another thread builds.
    inline float lookup(float x) const;

    float value(int k) const { return current().value[index(k)]; }
    bool limiter() const { return m_limiter; }

private:
    struct CCurve {
        std::array<float, kShaperPoints> value {};
        std::array<float, kShaperPoints> slope {};
        float naturalLow = -1.0f;
        float naturalHigh = 1.0f;
    };
    static size_t index(int k) { return static_cast<size_t>(k + kShaperHalf + 1); }
    const CCurve& current() const { return m_curves[static_cast<size_t>(m_front.load(std::memory_order_acquire))]; }
    void fill(CCurve& curve) const;
    void smoothCurve(CCurve& curve) const;
    void applyLimiter(CCurve& curve) const;

    std::array<CCurve, 2> m_curves;
    std::atomic<int> m_front {0};
    int m_shape1 = -1;
    int m_shape2 = -1;
    float m_param = 0.0f;
    float m_smooth = 0.0f;
    bool m_limiter = true;
};

inline float CShaperTable::lookup(float x) const
{
    const CCurve& c = current();
    float a = (__builtin_fabsf(x + 1.0f) - __builtin_fabsf(x - 1.0f)) * 2000.0f;
    a = a == a ? a : 0.0f; // NaN reads the middle rather than outside the table
    const int i = static_cast<int>(a) & ~1;
    const float fr = a - static_cast<float>(i);
    const size_t k = index(i / 2);
    return c.value[k] + fr * c.slope[k];
}

} // namespace quorvix
