// The two fixed stages that join the three oscillators: stage A combines OSC 1 with OSC 2,
// stage B that result with OSC 3, each with one of 21 operators.
#pragma once

#include "dsp/oscillator.h"

#include <array>
#include <cmath>

namespace quorvix {

constexpr int kCombinationOperators = 21;

namespace op {
constexpr int Mix = 0;
constexpr int SqrMix = 1;
constexpr int Ring = 2;
constexpr int Ring2 = 3;
constexpr int Diff = 4;
constexpr int Min = 5;
constexpr int Max = 6;
constexpr int FM = 7;
constexpr int XFM = 8;
constexpr int XFM2 = 9;
constexpr int PM = 10;
constexpr int Reflection = 11;
constexpr int Reflection2 = 12;
constexpr int RateVariation = 13;
constexpr int RateVariation2 = 14;
constexpr int BitDepth = 15;
constexpr int BitDepth2 = 16;
constexpr int Blend = 17;
constexpr int VarBlend = 18;
constexpr int Complex = 19;
constexpr int ComplexSoft = 20;
} // namespace op

// What a program stores of the combination: the three weights and both operators.
struct CCombinationSettings {
    std::array<float, 3> weights = {1.0f, 1.0f, 1.0f};
    int operatorA = op::Mix;
    int operatorB = op::Mix;

    bool operator==(const CCombinationSettings&) const = default;
};

class CCombinationStage {
public:
    using Oscillators = std::array<COscillator, 3>;

    void setOperatorA(int id) { m_operatorA = id; }
    void setOperatorB(int id) { m_operatorB = id; }
    // Parameter values 0..1; the value in use follows unless the weight is a modulation destination.
    void setWeight(int i, float v, bool modulated = false);
    void setWeightInUse(int i, float v) { m_weightEff[static_cast<size_t>(i)] = v; }

    // Called at note start: counters cleared, weights in use back to their parameter values.
    void noteStart();
    // One oversampled step after the three oscillators stepped with outputs o1, o2, o3.
    inline float combine(Oscillators& osc, float o1, float o2, float o3, double stepIndex);
    // Both operators "Mix": combine is a weighted sum that mix computes without choosing.
    bool mixesOnly() const { return m_operatorA == op::Mix && m_operatorB == op::Mix; }
    float mix(float o1, float o2, float o3) const
    {
        return o1 * m_weightEff[0] + m_weightEff[1] * o2 + m_weightEff[2] * o3;
    }

    int operatorA() const { return m_operatorA; }
    int operatorB() const { return m_operatorB; }
    float weight(int i) const { return m_weight[static_cast<size_t>(i)]; }
    float weightInUse(int i) const { return m_weightEff[static_cast<size_t>(i)]; }

    // Both stages' formulas on their own, for the operators that only compute a sample.
    static inline float formula(int id, float a, float b, float w, bool stageB);
    static inline int holdSteps(float steps);

private:
    inline float stageA(Oscillators& osc, float a, float o2, double stepIndex);
    inline float stageB(Oscillators& osc, float a, float o2, float o3, double stepIndex);

    int m_operatorA = op::Mix;
    int m_operatorB = op::Mix;
    std::array<float, 3> m_weight = {1.0f, 1.0f, 1.0f};
    std::array<float, 3> m_weightEff = {1.0f, 1.0f, 1.0f};
    int m_holdCounterA = 0;
    int m_holdCounterB = 0;
    float m_heldB = 0.0f;
};

// Steps a rate variation holds; a standing oscillator (no increment) has endless cycles.
inline int CCombinationStage::holdSteps(float steps)
{
    constexpr float kLongest = 1.0e9f;
    return static_cast<int>(steps < kLongest ? steps : kLongest);
}

inline float CCombinationStage::formula(int id, float a, float b, float w, bool stageB)
{
    const float wb = w * b;
    switch (id) {
    case op::Mix:
        return a + wb;
    case op::SqrMix:
        return stageB ? a + std::copysign(w * b * b, a) : std::copysign((a * a + w * b * b) / 2.0f, a);
    case op::Ring:
        return a * (1.0f + w * (b - 1.0f));
    case op::Ring2:
        return a * (1.0f + wb) / 2.0f;
    case op::Diff: {
        const float t = a + wb;
        return t >= 0.0f ? t - 1.0f : t + 1.0f;
    }
    case op::Min: {
        const float c = std::copysign(wb, a);
        return (a + c - std::copysign(c - a, a)) / 2.0f / (w + 0.001f);
    }
    case op::Max: {
        const float c = std::copysign(wb, a);
        return (a + c + std::copysign(c - a, a)) / 2.0f;
    }
    case op::Reflection:
        return (a >= 0.0f && a > wb) || (a < 0.0f && a < wb) ? 2.0f * wb - a : a;
    case op::Reflection2: {
        const float c = std::fabs(wb);
        if (a >= 0.0f && a > c)
            return 2.0f * c - a;
        if (a < 0.0f && a < -c)
            return -2.0f * c - a;
        return a;
    }
    case op::BitDepth: {
        const float q = (wb + 1.0f) * 0.25f + 1.52587890625e-05f;
        return a - std::fmod(a, q);
    }
    case op::BitDepth2: {
        const float q = std::fabs(wb) * 0.5f + 1.52587890625e-05f;
        return a - std::fmod(a, q);
    }
    case op::Complex:
        return std::atan2(wb, std::fabs(a)) / 3.14159265f;
    case op::ComplexSoft:
        return wb / std::sqrt(a * a + wb * wb + 0.000001f);
    default:
        return a;
    }
}

inline float CCombinationStage::stageA(Oscillators& osc, float a, float o2, double stepIndex)
{
    const float w = m_weightEff[1];
    switch (m_operatorA) {
    case op::FM:
        osc[0].shiftPhase((o2 - osc[1].dcTerm()) * w);
        return a;
    case op::XFM: {
        const float r = (a - osc[0].dcTerm() * m_weightEff[0]) * (1.0f + w * (o2 - osc[1].dcTerm() - 1.0f));
        osc[1].shiftPhase(r);
        return r;
    }
    case op::XFM2: {
        const float r = (a - osc[0].dcTerm() * m_weightEff[0]) * (1.0f + w * (o2 - osc[1].dcTerm())) / 2.0f;
        osc[1].shiftPhase(r);
        return r;
    }
    case op::PM:
        osc[0].setPhaseFromCount(stepIndex, w * o2);
        return a;
    case op::RateVariation:
    case op::RateVariation2:
        if (--m_holdCounterA < 0) {
            const float v = osc[1].currentValue();
            m_holdCounterA = m_operatorA == op::RateVariation
                                 ? holdSteps((v + 1.0f) * osc[0].stepsPerCycle() * w * 0.0625f)
                                 : holdSteps(std::fabs(v) * osc[0].stepsPerCycle() * w * 0.125f);
            osc[1].sampleCurrent();
            osc[0].sampleCurrent();
        }
        return osc[0].currentValue();
    case op::Blend: {
        const float r = osc[1].phase() / osc[1].period();
        return r * w * o2 + (1.0f - r) * a;
    }
    case op::VarBlend:
        return a; // stage A has no blend of its own: OSC 1 passes through
    default:
        return formula(m_operatorA, a, o2, w, false);
    }
}

inline float CCombinationStage::stageB(Oscillators& osc, float a, float o2, float o3, double stepIndex)
{
    const float w = m_weightEff[2];
    switch (m_operatorB) {
    case op::FM: {
        const float d = (o3 - osc[2].dcTerm()) * w;
        osc[0].shiftPhase(d);
        osc[1].shiftPhase(d);
        return a;
    }
    case op::XFM: {
        const float r = a * (1.0f + w * (o3 - osc[2].dcTerm() - 1.0f));
        osc[2].shiftPhase(r);
        return r;
    }
    case op::XFM2: {
        const float r = a * (1.0f + w * (o3 - osc[2].dcTerm())) / 2.0f;
        osc[2].shiftPhase(r);
        return r;
    }
    case op::PM:
        osc[0].setPhaseFromCount(stepIndex, w * o3);
        osc[1].setPhaseFromCount(stepIndex, w * o3);
        return a;
    case op::RateVariation:
    case op::RateVariation2:
        if (--m_holdCounterB < 0) {
            const float s = std::min(osc[0].stepsPerCycle(), osc[1].stepsPerCycle());
            const float v = osc[2].currentValue();
            m_holdCounterB = m_operatorB == op::RateVariation ? holdSteps((v + 1.0f) * s * w * 0.0625f)
                                                              : holdSteps(std::fabs(v) * s * w * 0.125f);
            osc[2].advance(m_holdCounterB + 1);
            osc[2].sampleCurrent();
            m_heldB = a;
            return a;
        }
        return m_heldB;
    case op::Blend: {
        const float r = osc[2].phase() / osc[2].period();
        return r * w * o3 + (1.0f - r) * a;
    }
    case op::VarBlend: {
        const float g = (w * o3 + 1.0f) / 2.0f;
        return g * a + (1.0f - g) * m_weightEff[1] * o2;
    }
    default:
        return formula(m_operatorB, a, o3, w, true);
    }
}

inline float CCombinationStage::combine(Oscillators& osc, float o1, float o2, float o3, double stepIndex)
{
    const float x = stageA(osc, o1 * m_weightEff[0], o2, stepIndex);
    return stageB(osc, x, o2, o3, stepIndex);
}

} // namespace quorvix
