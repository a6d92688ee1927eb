#include "dsp/loop_envelope.h"

#include "dsp/finite.h"
#include "dsp/runtime_rand.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr float kCellsPerBeat = 16.0f;
constexpr double kCellBeats = 0.0625;
constexpr float kMinSegment = 0.00001f;
constexpr float kMinLength = 0.00001f;
constexpr double kCellRounding = 0.01;
constexpr float kMinAttackSeconds = 0.003f;
const double kFadeConstant = 1.0 / (1.0 - std::exp(-4.001));
constexpr double kFadeExponent = -4.0;
constexpr double kQuickFadeUnits = 0.0005005005005005005;
constexpr int kQuickFadeStep = 6;
constexpr int kAmplitudeClockKind = 11; // "10 BPS"
constexpr int kModulationClockKind = 0; // "MIDI"
constexpr float kHandleMinimum = 0.01f;
constexpr int kRandomMax = 32768;
constexpr int kMaxRandomPoints = 20;
constexpr int kMaxSubdividedPoint = 49;
constexpr int kMaxFailedTries = 20;
// Longer than any envelope needs (the tables end at 16 beats), and small enough that sums stay exact.
constexpr float kMaxStoredTime = 10000.0f;

float roundToSixteenth(float beats) { return std::floor(beats * kCellsPerBeat + 0.5f) / kCellsPerBeat; }

// Draws of the runtime generator: r in 0..32767, u = r / 32768 and u' = r / 32767.
int r() { return runtimeRand(); }
float u() { return static_cast<float>(runtimeRand()) / 32768.0f; }
float uPrime() { return static_cast<float>(runtimeRand()) / 32767.0f; }
int pick(int count) { return static_cast<int>(static_cast<long long>(count) * r() / kRandomMax); }

} // namespace

CLoopEnvelope::CLoopEnvelope(EEnvelopeKind kind) : m_kind(kind)
{
    reset();
    setSampleRate(m_sampleRate);
}

void CLoopEnvelope::resetPoints()
{
    m_time.fill(0.5f);
    m_value.fill(0.5f);
    m_curved.fill(0);
    m_startDx.fill(-1.0f);
    m_startDy.fill(0.0f);
    m_endDx.fill(1.0f);
    m_endDy.fill(0.0f);
}

void CLoopEnvelope::reset()
{
    resetPoints();
    m_release = true;
    m_bipolar = false;
    m_loopOn = false;
    if (isAmplitude()) {
        const float times[] = {0.0f, 0.5f, 0.25f, 0.0f};
        const float values[] = {0.0f, 0.5f, 0.375f, 0.0f};
        for (int k = 0; k < 4; ++k) {
            m_time[static_cast<size_t>(k)] = times[k];
            m_value[static_cast<size_t>(k)] = values[k];
        }
        m_lastPoint = 3;
        m_loopStart = m_loopEnd = 2;
        m_clock.setKind(kAmplitudeClockKind);
    } else {
        const float times[] = {0.5f, 0.5f, 0.0f};
        const float values[] = {0.5f, 0.5f, 0.0f};
        for (int k = 0; k < 3; ++k) {
            m_time[static_cast<size_t>(k)] = times[k];
            m_value[static_cast<size_t>(k)] = values[k];
        }
        m_lastPoint = 2;
        m_loopStart = 0;
        m_loopEnd = 1;
        m_clock.setKind(kModulationClockKind);
    }
    rebuild();
}

// ---- editing ---------------------------------------------------------------------------------

void CLoopEnvelope::setTime(int k, float beats)
{
    if (!validPoint(k) || std::isnan(beats))
        return;
    m_time[index(k)] = std::max(beats, 0.0f);
    clampHandles(k);
    clampHandles(k - 1);
    rebuild();
}

void CLoopEnvelope::setValue(int k, float value)
{
    if (!validPoint(k) || std::isnan(value))
        return;
    m_value[index(k)] = std::clamp(value, 0.0f, 1.0f);
    clampHandles(k);
    clampHandles(k - 1);
    rebuild();
}

void CLoopEnvelope::shiftPointsUp(int from)
{
    for (int k = m_lastPoint; k >= from; --k) {
        const size_t s = index(k), d = index(k + 1);
        m_time[d] = m_time[s];
        m_value[d] = m_value[s];
        m_curved[d] = m_curved[s];
        m_startDx[d] = m_startDx[s];
        m_startDy[d] = m_startDy[s];
        m_endDx[d] = m_endDx[s];
        m_endDy[d] = m_endDy[s];
    }
    ++m_lastPoint;
    if (m_loopStart >= from)
        ++m_loopStart;
    if (m_loopEnd >= from)
        ++m_loopEnd;
}

int CLoopEnvelope::insertPoint(float time, float value)
{
    if (!(time > 0.0f && time < m_startTime[index(m_lastPoint)]) || m_lastPoint >= kEnvelopePoints - 1)
        return -1;
    int i = 0;
    while (i <= m_lastPoint && m_startTime[index(i)] < time)
        ++i;
    const float oldLength = m_time[index(i - 1)];
    shiftPointsUp(i);
    m_time[index(i - 1)] = time - m_startTime[index(i - 1)];
    m_time[index(i)] = oldLength - m_time[index(i - 1)];
    m_value[index(i)] = value;
    m_curved[index(i)] = 0;
    m_startDx[index(i)] = -1.0f;
    m_startDy[index(i)] = 0.0f;
    m_endDx[index(i)] = 1.0f;
    m_endDy[index(i)] = 0.0f;
    clampHandles(i - 1);
    rebuild();
    return i;
}

bool CLoopEnvelope::deletePoint(int k)
{
    if (k <= 0 || k > m_lastPoint)
        return false;
    const bool allowed = (m_loopEnd < k && m_loopEnd < m_lastPoint - 1) || (m_loopEnd >= k && m_loopEnd > 1);
    if (!allowed)
        return false;
    m_time[index(k - 1)] += m_time[index(k)];
    for (int j = k; j < m_lastPoint; ++j) {
        const size_t s = index(j + 1), d = index(j);
        m_time[d] = m_time[s];
        m_value[d] = m_value[s];
        m_curved[d] = m_curved[s];
        m_startDx[d] = m_startDx[s];
        m_startDy[d] = m_startDy[s];
        m_endDx[d] = m_endDx[s];
        m_endDy[d] = m_endDy[s];
    }
    --m_lastPoint;
    if (m_loopStart >= k)
        --m_loopStart;
    if (m_loopEnd >= k)
        --m_loopEnd;
    if (m_loopStart == m_loopEnd)
        m_loopOn = false;
    clampHandles(k - 1);
    rebuild();
    return true;
}

void CLoopEnvelope::setLoop(int start, int end)
{
    // Loop points must be points of the envelope, or the tables would read past its end.
    if (start < 0 || end > m_lastPoint || start > end)
        return;
    m_loopStart = start;
    m_loopEnd = end;
    m_loopOn = start < end;
    rebuild();
}

void CLoopEnvelope::setCurved(int k, bool on)
{
    if (!validSegment(k))
        return;
    const size_t i = index(k);
    if (on && !m_curved[i]) {
        m_startDx[i] = m_time[i] / 3.0f;
        m_startDy[i] = (m_value[i + 1] - m_value[i]) / 3.0f;
        m_endDx[i] = -m_startDx[i];
        m_endDy[i] = -m_startDy[i];
    }
    m_curved[i] = on ? 1 : 0;
    clampHandles(k);
    rebuild();
}

void CLoopEnvelope::setHandles(int k, float startDx, float startDy, float endDx, float endDy)
{
    if (!validSegment(k))
        return;
    const size_t i = index(k);
    m_startDx[i] = startDx;
    m_startDy[i] = startDy;
    m_endDx[i] = endDx;
    m_endDy[i] = endDy;
    clampHandles(k);
    rebuild();
}

void CLoopEnvelope::setRelease(bool on)
{
    m_release = on;
    rebuild();
}

void CLoopEnvelope::setBipolar(bool on)
{
    m_bipolar = on;
    rebuild();
}

void CLoopEnvelope::clampHandles(int k)
{
    if (!validSegment(k))
        return;
    const size_t i = index(k);
    const float t = m_time[i];
    if (t <= 0.0f) {
        m_curved[i] = 0;
        return;
    }
    m_startDx[i] = std::min(std::max(m_startDx[i], kHandleMinimum), t);
    m_startDy[i] = std::clamp(m_startDy[i], -m_value[i], 1.0f - m_value[i]);
    m_endDx[i] = std::max(std::min(m_endDx[i], -kHandleMinimum), -t);
    m_endDy[i] = std::clamp(m_endDy[i], -m_value[i + 1], 1.0f - m_value[i + 1]);
}

void CLoopEnvelope::setConstant(float value)
{
    resetPoints();
    const float v = std::clamp(std::isnan(value) ? 0.0f : value, -1.0f, 1.0f);
    const float times[] = {0.5f, 0.5f, 0.0f};
    for (int k = 0; k < 3; ++k) {
        m_time[static_cast<size_t>(k)] = times[k];
        m_value[static_cast<size_t>(k)] = v;
    }
    m_lastPoint = 2;
    m_loopStart = m_loopEnd = 1;
    m_loopOn = false;
    m_release = true;
    m_bipolar = true;
    m_clock.setKind(kAmplitudeClockKind);
    rebuild();
}

bool CLoopEnvelope::isConstant() const
{
    for (int k = 0; k <= m_lastPoint; ++k)
        if (m_value[index(k)] != m_value[0] || (k < m_lastPoint && m_curved[index(k)]))
            return false;
    return true;
}

void CLoopEnvelope::copyFrom(const CLoopEnvelope& other)
{
    const EEnvelopeKind kind = m_kind;
    const int samplesPerUpdate = m_samplesPerUpdate;
    const float sampleRate = m_sampleRate;
    *this = other;
    m_kind = kind;
    m_samplesPerUpdate = samplesPerUpdate;
    const int clockKind = other.m_clock.kind();
    setSampleRate(sampleRate);
    m_clock.setKind(clockKind);
    recomputeBeatsPerUpdate();
}

void CLoopEnvelope::assign(const CEnvelopeShape& shape)
{
    m_lastPoint = std::clamp(shape.lastPoint, 0, kEnvelopePoints - 1);
    for (size_t i = 0; i < kEnvelopePoints; ++i) {
        const CEnvelopePoint& p = shape.points[i];
        m_time[i] = std::clamp(finiteOr(p.time, 0.0f), 0.0f, kMaxStoredTime);
        m_value[i] = std::clamp(finiteOr(p.value, 0.0f), -1.0f, 1.0f);
        m_curved[i] = p.curved ? 1 : 0;
        m_startDx[i] = finiteOr(p.startDx, -1.0f);
        m_startDy[i] = finiteOr(p.startDy, 0.0f);
        m_endDx[i] = finiteOr(p.endDx, 1.0f);
        m_endDy[i] = finiteOr(p.endDy, 0.0f);
    }
    for (int k = 0; k < m_lastPoint; ++k)
        if (m_curved[index(k)])
            clampHandles(k);
    m_loopEnd = std::clamp(shape.loopEnd, 0, m_lastPoint);
    m_loopStart = shape.loopOn ? std::clamp(shape.loopStart, 0, m_lastPoint) : m_loopEnd;
    m_loopOn = shape.loopOn;
    if (m_loopStart >= m_loopEnd) {
        m_loopOn = false;
        m_loopEnd = m_loopStart;
    }
    m_release = shape.release;
    m_bipolar = shape.bipolar;
    m_clock.setKind(std::clamp(shape.clockKind, 0, kTempoClockKinds - 1));
    recomputeBeatsPerUpdate();
    rebuild();
}

CEnvelopeShape CLoopEnvelope::storedShape() const
{
    CEnvelopeShape shape;
    for (size_t i = 0; i < kEnvelopePoints; ++i)
        shape.points[i] = {m_time[i],    m_value[i],   m_curved[i] != 0, m_startDx[i],
                           m_startDy[i], m_endDx[i],   m_endDy[i]};
    shape.lastPoint = m_lastPoint;
    shape.loopOn = m_loopOn;
    // With the loop off its start means nothing; stored, it is the end, as loading makes it.
    shape.loopStart = m_loopOn ? m_loopStart : m_loopEnd;
    shape.loopEnd = m_loopEnd;
    shape.release = m_release;
    shape.bipolar = m_bipolar;
    shape.clockKind = m_clock.kind();
    return shape;
}

// ---- tables ----------------------------------------------------------------------------------

void CLoopEnvelope::computeCurve(int k, float startValue)
{
    const size_t i = index(k);
    const float vs = startValue, ve = m_value[i + 1], t = m_time[i];
    const float m0 = m_startDy[i] * t / m_startDx[i];
    const float m1 = m_endDy[i] * t / m_endDx[i];
    m_c0[i] = vs;
    m_c1[i] = m0;
    m_c2[i] = 3.0f * ve - m1 - 2.0f * m0 - 3.0f * vs;
    m_c3[i] = m0 + m1 + 2.0f * vs - 2.0f * ve;
    const float s1 = m_startDx[i] * m_startDx[i] / (t * t) + m_startDy[i] * m_startDy[i] + 0.01f;
    const float s2 = m_endDx[i] * m_endDx[i] / (t * t) + m_endDy[i] * m_endDy[i] + 0.01f;
    m_w1[i] = s1 / s2 - 1.0f;
    m_w2[i] = s2 / s1;
}

void CLoopEnvelope::rebuild()
{
    const float d = m_clock.beatsPerSecond() * kMinAttackSeconds;
    float s = 0.0f;
    bool raised = false;
    for (int k = 0; k < kEnvelopePoints; ++k) {
        m_startTime[index(k)] = s;
        s += m_time[index(k)];
        if (raised) {
            s -= d;
            raised = false;
        }
        if (isAmplitude() && k == 0 && s < d) {
            s = d;
            raised = true;
        }
    }
    m_shortened.fill(0);
    for (int k = 0; k < kEnvelopePoints - 1; ++k) {
        const size_t i = index(k);
        const float diff = m_value[i + 1] - m_value[i];
        if (isAmplitude() && k == 0 && m_time[0] < d) {
            m_rate[0] = diff / d;
            m_shortened[1] = 1;
        } else if (m_time[i] <= kMinSegment) {
            m_rate[i] = 0.0f;
        } else if (m_shortened[i]) {
            const float t = m_time[i] - d;
            m_rate[i] = t > kMinSegment ? diff / t : 0.0f;
        } else {
            m_rate[i] = diff / m_time[i];
        }
        if (k < m_lastPoint && m_curved[i] && m_time[i] > kMinSegment)
            computeCurve(k, m_value[i]);
    }

    m_loopStartTime = m_startTime[index(m_loopStart)];
    m_loopEndTime = m_startTime[index(m_loopEnd)];
    m_loopLength = std::max(m_loopEndTime - m_loopStartTime, kMinLength);
    m_releaseLength = std::max(m_startTime[index(m_lastPoint)] - m_loopEndTime, kMinLength);
    m_endCell = std::min(static_cast<int>(std::floor(m_loopEndTime * kCellsPerBeat + kCellRounding)), kLastEnvelopeCell);
    m_loopStartCell =
        std::min(static_cast<int>(std::floor(m_loopStartTime * kCellsPerBeat + kCellRounding)), m_endCell);
    // At least one cell, so that wrapping the loop never divides by zero.
    m_loopLengthCells = std::clamp(static_cast<int>(std::floor(m_loopLength * kCellsPerBeat + kCellRounding)), 1,
                                   std::max(1, m_endCell - m_loopStartCell));
    m_releaseCells = std::min(m_releaseLength * kCellsPerBeat, static_cast<float>(kLastEnvelopeCell));
    m_fadeShape = kFadeExponent / m_releaseLength;

    for (int m = 0; m <= m_endCell; ++m)
        m_mainValue[static_cast<size_t>(m)] = shape(m / 16.0);
    for (int m = 0; m < m_endCell; ++m)
        m_mainSlope[static_cast<size_t>(m)] = m_mainValue[static_cast<size_t>(m + 1)] - m_mainValue[static_cast<size_t>(m)];
    // A loop returns to its start; without one the sustain value holds.
    m_mainSlope[static_cast<size_t>(m_endCell)] =
        m_loopOn ? m_mainValue[static_cast<size_t>(m_loopStartCell)] - m_mainValue[static_cast<size_t>(m_endCell)] : 0.0f;
}

float CLoopEnvelope::segmentValue(int k, float x, float pointValue) const
{
    const size_t i = index(k);
    if (!m_curved[i] || m_time[i] <= kMinSegment)
        return pointValue + (x - m_startTime[i]) * m_rate[i];
    const float t = std::clamp((x - m_startTime[i]) / m_time[i], 0.0f, 1.0f);
    const float w1 = m_w1[i], w2 = m_w2[i];
    const float v = w1 > 0.0f ? t * (t + (1.0f - t) * w2) : t * (w1 * (t - 1.0f) + 1.0f);
    return ((m_c3[i] * v + m_c2[i]) * v + m_c1[i]) * v + m_c0[i];
}

float CLoopEnvelope::shape(double beats) const
{
    const float x = static_cast<float>(beats);
    int k = 0;
    while (k < m_loopEnd && m_startTime[index(k + 1)] <= x)
        ++k;
    float value = k < m_loopEnd ? segmentValue(k, x, m_value[index(k)]) : m_value[index(k)];
    if (m_bipolar)
        value = (value - 0.5f) * 2.0f;
    return value;
}

float CLoopEnvelope::releaseShape(double beats) const
{
    const float x = m_loopEndTime + static_cast<float>(beats);
    int k = m_loopEnd;
    while (k < m_lastPoint && m_startTime[index(k + 1)] <= x)
        ++k;
    const float pointValue = k == m_loopEnd ? m_releaseStartValue : m_value[index(k)];
    float value = k < m_lastPoint ? segmentValue(k, x, pointValue) : pointValue;
    if (m_bipolar)
        value = (value - 0.5f) * 2.0f;
    return value;
}

// ---- running ---------------------------------------------------------------------------------

void CLoopEnvelope::recomputeBeatsPerUpdate()
{
    m_beatsPerUpdate = static_cast<double>(m_samplesPerUpdate) / m_clock.samplesPerBeat();
}

void CLoopEnvelope::setSampleRate(float rate)
{
    m_sampleRate = rate;
    m_clock.setSampleRate(rate);
    recomputeBeatsPerUpdate();
    m_quickFadeLength = static_cast<int>(std::floor(rate * kQuickFadeUnits)) * kQuickFadeStep + kQuickFadeStep;
    m_quickFadeShape = kFadeExponent / (double(m_quickFadeLength) * m_quickFadeLength);
}

void CLoopEnvelope::tempoChanged() { recomputeBeatsPerUpdate(); }

void CLoopEnvelope::noteStart(int samplesPerUpdate)
{
    m_samplesPerUpdate = samplesPerUpdate;
    recomputeBeatsPerUpdate();
    rebuild();
    m_cell = 0;
    m_fraction = 0.0;
    m_base = m_mainValue[0];
    m_slope = m_mainSlope[0] * kCellsPerBeat;
    m_releaseCell = 0;
    m_releaseFraction = 0.0;
}

float CLoopEnvelope::advance()
{
    m_fraction += m_beatsPerUpdate;
    if (m_fraction < kCellBeats)
        return static_cast<float>(m_fraction * m_slope + m_base);
    m_cell += static_cast<int>(m_fraction * kCellsPerBeat);
    m_fraction = std::fmod(m_fraction, kCellBeats);
    if (m_cell >= m_endCell)
        m_cell = m_loopOn ? m_loopStartCell + (m_cell - m_loopStartCell) % m_loopLengthCells : m_endCell;
    m_base = m_mainValue[static_cast<size_t>(m_cell)];
    m_slope = m_mainSlope[static_cast<size_t>(m_cell)] * kCellsPerBeat;
    return static_cast<float>(m_fraction * m_slope + m_base);
}

void CLoopEnvelope::noteOff()
{
    float start = currentValue();
    if (m_bipolar)
        start = (start + 1.0f) / 2.0f;
    m_releaseStartValue = start;

    if (m_loopEnd < m_lastPoint) {
        const size_t i = index(m_loopEnd);
        const float t = m_time[i];
        m_rate[i] = t > kMinSegment ? (m_value[i + 1] - start) / t : 0.0f;
        if (m_curved[i] && t > kMinSegment) {
            // Re-aim the first release segment's tangents from the value at note-off.
            const float vs = m_value[i], ve = m_value[i + 1];
            float scale = 1.0f;
            if ((ve - vs) * (ve - start) < 0.0f)
                scale = -1.0f;
            if (std::fabs(ve - vs) > std::fabs(ve - start))
                scale *= std::fabs((ve - start) / (ve - vs));
            computeCurve(m_loopEnd, start);
            m_c1[i] *= scale;
            const float m0 = m_c1[i];
            const float m1 = m_endDy[i] * t / m_endDx[i] * scale;
            m_c2[i] = 3.0f * ve - m1 - 2.0f * m0 - 3.0f * start;
            m_c3[i] = m0 + m1 + 2.0f * start - 2.0f * ve;
        }
    }

    const int cells = std::min(static_cast<int>(m_releaseCells + 0.01f), kLastEnvelopeCell);
    for (int j = 0; j <= cells; ++j)
        m_releaseValue[static_cast<size_t>(j)] = releaseShape(j / 16.0);
    m_releaseValue[static_cast<size_t>(cells + 1)] = m_releaseValue[static_cast<size_t>(cells)];
    for (int j = 0; j <= cells; ++j)
        m_releaseSlope[static_cast<size_t>(j)] =
            m_releaseValue[static_cast<size_t>(j + 1)] - m_releaseValue[static_cast<size_t>(j)];
    m_releaseSlope[static_cast<size_t>(cells + 1)] = 0.0f;

    if (m_release) {
        m_cell = 0;
        m_fraction = 0.0;
        m_base = m_releaseValue[0];
        m_slope = m_releaseSlope[0] * kCellsPerBeat;
        m_releaseCell = 0;
        m_releaseFraction = 0.0;
    }
}

float CLoopEnvelope::advanceRelease()
{
    m_releaseFraction += m_beatsPerUpdate;
    if (m_releaseFraction > kCellBeats) {
        m_releaseCell += static_cast<int>(m_releaseFraction * kCellsPerBeat);
        m_releaseFraction = std::fmod(m_releaseFraction, kCellBeats);
        m_releaseCell = std::min(m_releaseCell, static_cast<int>(m_releaseCells));
        if (m_release) {
            m_base = m_releaseValue[static_cast<size_t>(m_releaseCell)];
            m_slope = m_releaseSlope[static_cast<size_t>(m_releaseCell)] * kCellsPerBeat;
        }
    }
    if (m_release)
        return static_cast<float>(m_releaseFraction * m_slope + m_base);
    return advance();
}

float CLoopEnvelope::releaseFade() const
{
    if (m_releaseCell >= static_cast<int>(m_releaseCells))
        return 0.0f;
    const double x = (m_releaseCell / 16.0 + m_releaseFraction) * m_fadeShape;
    return static_cast<float>(1.0 - (1.0 - std::exp(x)) * kFadeConstant);
}

float CLoopEnvelope::quickFade(int a) const
{
    if (a >= m_quickFadeLength)
        return 0.0f;
    return static_cast<float>(1.0 - (1.0 - std::exp(m_quickFadeShape * double(a) * a)) * kFadeConstant);
}

// ---- random shapes ---------------------------------------------------------------------------

float CLoopEnvelope::randomLevel(float x, float y, float spread, bool squared) const
{
    x = std::clamp(x, -1.0f, 1.0f);
    y = std::clamp(y, -1.0f, 1.0f);
    spread = std::clamp(spread, -8.0f, 8.0f);
    const float g = static_cast<float>(r()) * 2.0f / 32767.0f - 1.0f;
    float v = squared ? g * spread * std::fabs(g) : g * spread;
    v += (x + y) / 2.0f;
    for (;;) {
        v = std::fabs(v);
        if (v <= 1.0f)
            return v;
        v = 2.0f - v;
    }
}

void CLoopEnvelope::randomHandles(int i)
{
    const size_t s = index(i);
    auto tweak = []() { return uPrime() > 0.5f ? 0.025f + r() * 2.2888883e-6f : r() * 2.2888883e-6f - 0.1f; };
    auto limitSlope = [](float w) { return std::clamp(w, -3.0f, 3.0f); };

    const int ds = i == 0 ? pick(3) + 2 : pick(5);
    if (ds <= 1) {
        const float w = limitSlope(m_curved[s - 1] ? m_endDy[s - 1] / m_endDx[s - 1]
                                                   : (m_value[s] - m_value[s - 1]) / (m_time[s - 1] + 0.001f));
        float room = w >= 0.0f ? (1.0f - m_value[s]) / (w + 0.01f) : m_value[s] / (0.01f - w);
        room = std::max(std::min(room, m_time[s] / 2.0f), 0.25f);
        m_startDx[s] = 0.25f + (room - 0.25f) * uPrime();
        m_startDy[s] = m_startDx[s] * w;
    } else if (ds <= 3) {
        m_startDx[s] = 0.125f + (m_time[s] - 0.125f) * u() * 0.5f;
        m_startDy[s] = ds == 2 ? uPrime() - m_value[s] : 0.0f;
    } else {
        m_startDx[s] = m_time[s] * 0.33333334f;
        m_startDy[s] = (0.33333334f + tweak()) * (m_value[s + 1] - m_value[s]);
    }

    const int de = i == m_lastPoint - 1 ? pick(3) + 2 : pick(5);
    if (de <= 1) {
        const float w = limitSlope(m_curved[s + 1] ? m_startDy[s + 1] / m_startDx[s + 1]
                                                   : (m_value[s + 2] - m_value[s + 1]) / (m_time[s + 1] + 0.001f));
        float room = w >= 0.0f ? m_value[s + 1] / (w + 0.01f) : (1.0f - m_value[s + 1]) / (0.01f - w);
        room = std::max(std::min(room, m_time[s] / 2.0f), 0.125f);
        m_endDx[s] = -0.125f - (room - 0.125f) * uPrime();
        m_endDy[s] = m_endDx[s] * w;
    } else if (de <= 3) {
        m_endDx[s] = -(0.125f + (m_time[s] - 0.125f) * u() * 0.5f);
        m_endDy[s] = de == 2 ? m_value[s + 1] - uPrime() : 0.0f;
    } else {
        m_endDx[s] = -m_time[s] * 0.33333334f;
        m_endDy[s] = -(0.33333334f + tweak()) * (m_value[s + 1] - m_value[s]);
    }
    clampHandles(i);
}

void CLoopEnvelope::randomize()
{
    reset();
    const float length = 4.0f + 2.0f * static_cast<float>(pick(7));
    const float splitMinimum = static_cast<float>(pick(9) + 2) * 0.25f;
    const int target = std::min(kMaxRandomPoints, pick(static_cast<int>(length / splitMinimum) - 1) + 2);
    const float stepChance = u() < 0.3f ? static_cast<float>(r()) / 65536.0f : 0.0f;
    const float spreadBase = u();
    const float spread = spreadBase * spreadBase * 0.8f + 0.2f;
    const bool squared = u() < 0.5f;
    int form = pick(6);
    float start = 0.0f, end = 0.0f;
    if (isAmplitude()) {
        form = form == 2 || form == 3 ? 1 : (form == 4 ? 5 : form);
    } else {
        const int j = pick(9);
        float h = static_cast<float>(j / 3 - 1), e = static_cast<float>(j % 3 - 1);
        const float a = u(), b = u();
        const int m = r() / 8192;
        if (m == 0) {
            h *= a;
            e *= a;
        } else if (m == 1) {
            h *= a;
            e *= b;
        }
        start = (h + 1.0f) / 2.0f;
        end = (e + 1.0f) / 2.0f;
    }
    m_bipolar = !isAmplitude();

    const int L = static_cast<int>(length);
    const int quarter = L / 4;
    auto split = [&]() { return static_cast<float>(quarter + pick((3 * L) / 4 - quarter + 1)); };
    auto points = [&](std::initializer_list<std::pair<float, float>> list, int loopStart, int loopEnd, bool release) {
        int k = 0;
        for (const auto& [t, v] : list) {
            m_time[index(k)] = t;
            m_value[index(k)] = v;
            ++k;
        }
        m_lastPoint = k - 1;
        m_loopStart = loopStart;
        m_loopEnd = loopEnd;
        m_loopOn = loopStart < loopEnd;
        m_release = release;
    };
    switch (form) {
    case 0:
        points({{length, start}, {0.0f, end}}, 1, 1, false);
        break;
    case 1: {
        const float t0 = split();
        const float v = randomLevel(start, end, length * spread, squared);
        points({{t0, start}, {length - t0, v}, {0.0f, end}}, 1, 1, true);
        break;
    }
    case 2:
        points({{length, start}, {0.0f, start}}, 0, 1, false);
        break;
    case 3: {
        const float t0 = split();
        const float v = randomLevel(start, end, length * spread, squared);
        points({{t0, start}, {length - t0, v}, {0.0f, v}}, 1, 2, false);
        break;
    }
    case 4: {
        const float t0 = split();
        points({{t0, start}, {length - t0, start}, {0.0f, end}}, 0, 1, true);
        break;
    }
    default: {
        const float v = randomLevel(start, end, length * spread * 0.6666667f, squared);
        const float t1 = split();
        const float t2 = static_cast<float>(pick(static_cast<int>(length - t1 - 1.0f)) + 1);
        points({{length - t1 - t2, start}, {t1, v}, {t2, v}, {0.0f, end}}, 1, 2, true);
        break;
    }
    }
    for (int k = 0; k <= m_lastPoint; ++k)
        m_time[index(k)] = roundToSixteenth(m_time[index(k)]);

    int failed = 0;
    while (m_lastPoint < target && m_lastPoint < kMaxSubdividedPoint) {
        const int b = pick(m_lastPoint);
        if (m_time[index(b)] < splitMinimum) {
            if (++failed > kMaxFailedTries)
                break;
            continue;
        }
        failed = 0;
        const int k = b + 1;
        shiftPointsUp(k);
        m_value[index(k)] = randomLevel(m_value[index(k - 1)], m_value[index(k + 1)], spread * m_time[index(k - 1)], squared);
        if (u() < stepChance && m_time[index(k - 1)] > 0.0625f && m_time[index(k + 1)] > 0.0625f) {
            m_time[index(k)] = 0.0f;
        } else {
            m_time[index(k)] = m_time[index(k - 1)] * 0.5f;
            m_time[index(k - 1)] -= m_time[index(k)];
            m_time[index(k)] = roundToSixteenth(m_time[index(k)]);
            m_time[index(k - 1)] = roundToSixteenth(m_time[index(k - 1)]);
        }
    }

    m_curved.fill(0);
    if (uPrime() < 0.75f * splitMinimum) {
        for (int i = 0; i < m_lastPoint; ++i) {
            if (m_time[index(i)] < 2.0f || !(uPrime() < 0.8f))
                continue;
            m_curved[index(i)] = 1;
            randomHandles(i);
        }
    }
    rebuild();
}

} // namespace quorvix
