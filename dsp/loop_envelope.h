// The breakpoint envelope of every voice ("LEnv"): up to 51 points, an optional loop, a release
// part after the loop end, tabulated at 1/16 beat of its own tempo clock.
#pragma once

#include "dsp/tempo_clock.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvix {

constexpr int kEnvelopePoints = 51;
constexpr int kEnvelopeCells = 258;
// Table cells cover 16 beats; longer parts are cut there.
constexpr int kLastEnvelopeCell = kEnvelopeCells - 2;

enum class EEnvelopeKind { Modulation, Amplitude };

// A point with the segment that starts at it, as programs store it.
struct CEnvelopePoint {
    float time = 0.5f; // beats to the next point
    float value = 0.5f;
    bool curved = false;
    float startDx = -1.0f, startDy = 0.0f, endDx = 1.0f, endDy = 0.0f;

    bool operator==(const CEnvelopePoint&) const = default;
};

// Everything of an envelope that programs store.
struct CEnvelopeShape {
    std::array<CEnvelopePoint, kEnvelopePoints> points {};
    int lastPoint = 0;
    bool loopOn = false;
    int loopStart = 0;
    int loopEnd = 0;
    bool release = true;
    bool bipolar = false;
    int clockKind = 0;

    bool operator==(const CEnvelopeShape&) const = default;
};

class CLoopEnvelope {
public:
    explicit CLoopEnvelope(EEnvelopeKind kind = EEnvelopeKind::Modulation);

    // Back to the defaults of this kind.
    void reset();

    // ---- editing (each call ends with a rebuild; indexes outside the envelope are ignored) ----
    void setTime(int k, float beats);
    void setValue(int k, float value);
    // Returns the new point's index, or -1 when refused.
    int insertPoint(float time, float value);
    bool deletePoint(int k);
    void setLoop(int start, int end);
    void setCurved(int k, bool on);
    void setHandles(int k, float startDx, float startDy, float endDx, float endDy);
    void setRelease(bool on);
    void setBipolar(bool on);
    void setConstant(float value);
    // A random shape from the runtime generator (random presets).
    void randomize();
    void copyFrom(const CLoopEnvelope& other);
    // A stored shape; values that no editing could make (non-finite, loop points beyond the
    // last point, handles outside their segment) are brought into range.
    void assign(const CEnvelopeShape& shape);
    CEnvelopeShape storedShape() const;

    // ---- running ----
    void setSampleRate(float rate);
    void tempoChanged();
    void noteStart(int samplesPerUpdate);
    float currentValue() const { return static_cast<float>(m_fraction * m_slope + m_base); }
    float advance();
    void noteOff();
    float advanceRelease();
    bool releaseRunning() const { return m_releaseCell < static_cast<int>(m_releaseCells); }
    float releaseFade() const;
    // Quick fade over N samples for voices that must stop at once; a is the samples since it began.
    float quickFade(int a) const;
    bool quickFadeRunning(int a) const { return a < m_quickFadeLength; }
    int quickFadeLength() const { return m_quickFadeLength; }

    // ---- reading ----
    bool isAmplitude() const { return m_kind == EEnvelopeKind::Amplitude; }
    CTempoClock& clock() { return m_clock; }
    const CTempoClock& clock() const { return m_clock; }
    int lastPoint() const { return m_lastPoint; }
    float time(int k) const { return m_time[index(k)]; }
    float value(int k) const { return m_value[index(k)]; }
    bool curved(int k) const { return m_curved[index(k)] != 0; }
    float startDx(int k) const { return m_startDx[index(k)]; }
    float startDy(int k) const { return m_startDy[index(k)]; }
    float endDx(int k) const { return m_endDx[index(k)]; }
    float endDy(int k) const { return m_endDy[index(k)]; }
    float startTime(int k) const { return m_startTime[index(k)]; }
    // Segment k's value at a time in beats from the start, without the bipolar mapping: the curve
    // the editor draws.
    float segmentValueAt(int k, float beats) const { return segmentValue(k, beats, m_value[index(k)]); }
    int loopStart() const { return m_loopStart; }
    int loopEnd() const { return m_loopEnd; }
    bool loopOn() const { return m_loopOn; }
    bool release() const { return m_release; }
    bool bipolar() const { return m_bipolar; }
    int endCell() const { return m_endCell; }
    // The held run has reached the end cell (the sustain, or the loop's return cell).
    bool atEndCell() const { return m_cell >= m_endCell; }
    int loopStartCell() const { return m_loopStartCell; }
    int loopLengthCells() const { return m_loopLengthCells; }
    float mainValue(int m) const { return m_mainValue[static_cast<size_t>(m)]; }
    bool isConstant() const;
    bool isConstantWithoutRelease() const { return isConstant() && !m_release; }

private:
    static size_t index(int k) { return static_cast<size_t>(k < 0 ? 0 : (k >= kEnvelopePoints ? kEnvelopePoints - 1 : k)); }
    bool validPoint(int k) const { return k >= 0 && k <= m_lastPoint; }
    bool validSegment(int k) const { return k >= 0 && k < m_lastPoint; }
    void resetPoints();
    void clampHandles(int k);
    void rebuild();
    void computeCurve(int k, float startValue);
    float segmentValue(int k, float x, float pointValue) const;
    float shape(double x) const;
    float releaseShape(double x) const;
    void recomputeBeatsPerUpdate();
    void shiftPointsUp(int from);
    float randomLevel(float x, float y, float spread, bool squared) const;
    void randomHandles(int i);

    EEnvelopeKind m_kind;
    CTempoClock m_clock;
    int m_samplesPerUpdate = 6;
    double m_beatsPerUpdate = 0.0;
    float m_sampleRate = 44100.0f;

    // points
    std::array<float, kEnvelopePoints> m_time {};
    std::array<float, kEnvelopePoints> m_value {};
    std::array<uint8_t, kEnvelopePoints> m_curved {};
    std::array<float, kEnvelopePoints> m_startDx {};
    std::array<float, kEnvelopePoints> m_startDy {};
    std::array<float, kEnvelopePoints> m_endDx {};
    std::array<float, kEnvelopePoints> m_endDy {};
    int m_lastPoint = 0;
    int m_loopStart = 0;
    int m_loopEnd = 0;
    bool m_loopOn = false;
    bool m_release = true;
    bool m_bipolar = false;

    // derived
    std::array<float, kEnvelopePoints> m_startTime {};
    std::array<float, kEnvelopePoints> m_rate {};
    std::array<uint8_t, kEnvelopePoints> m_shortened {}; // follows the raised 3 ms attack
    std::array<float, kEnvelopePoints> m_c0 {}, m_c1 {}, m_c2 {}, m_c3 {}, m_w1 {}, m_w2 {};
    float m_loopStartTime = 0.0f;
    float m_loopEndTime = 0.0f;
    float m_loopLength = 0.0f;
    float m_releaseLength = 0.0f;
    int m_loopStartCell = 0;
    int m_loopLengthCells = 1;
    int m_endCell = 0;
    float m_releaseCells = 0.0f;
    std::array<float, kEnvelopeCells> m_mainValue {};
    std::array<float, kEnvelopeCells> m_mainSlope {};
    std::array<float, kEnvelopeCells> m_releaseValue {};
    std::array<float, kEnvelopeCells> m_releaseSlope {};
    double m_fadeShape = 0.0;
    int m_quickFadeLength = 6;
    double m_quickFadeShape = 0.0;

    // run state
    int m_cell = 0;
    double m_fraction = 0.0;
    double m_base = 0.0;
    double m_slope = 0.0;
    int m_releaseCell = 0;
    double m_releaseFraction = 0.0;
    float m_releaseStartValue = 0.0f;
};

} // namespace quorvix
