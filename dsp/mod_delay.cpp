#include "dsp/mod_delay.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kReservedCells = 4800;
constexpr float kMinTime = 0.00001f;
constexpr float kMaxTime = 1000.0f;
constexpr float kMinDepth = 0.00001f;
constexpr float kMaxDepth = 100.0f;
constexpr float kMinRate = 0.00001f;
// The longest sweep in samples, so that the sweep counter stays an int at the slowest rate (more
// than six hours at 44.1 kHz: a sweep that slow stands still).
constexpr float kMaxPeriod = 1.0e9f;
constexpr float kDepthToAmplitude = 0.8888889f;
constexpr int kChorus = 8;

struct CScales {
    float time;
    float depth;
};

// Chorus, and every type that is not a modulated one, at 1 and 1; Flanger and Phaser shorter.
CScales scalesOf(int kind)
{
    switch (kind) {
    case 9:
    case 20:
        return {0.02f, 0.33333334f};
    case 10:
    case 21:
        return {0.05f, 0.2f};
    default:
        return {1.0f, 1.0f};
    }
}

} // namespace

CModDelay::CModDelay()
{
    m_storage.request(kReservedCells, true);
    derive();
    resize(true);
    setRate(m_rate);
}

void CModDelay::derive()
{
    const CScales s = scalesOf(m_kind);
    m_delaySamples = m_time * m_sampleRate * 0.001f * s.time;
    m_depthSamples = m_depth * m_sampleRate * 0.001f * s.depth;
    m_amplitude = kDepthToAmplitude * m_depthSamples;
}

int CModDelay::cellsFor(float delaySamples, float depthSamples) const
{
    return static_cast<int>(std::floor(2.02f * depthSamples + delaySamples + 3.5f));
}

void CModDelay::resize(bool mayGrow)
{
    m_cells = m_storage.request(cellsFor(m_delaySamples, m_depthSamples), mayGrow);
    m_write = 0;
}

void CModDelay::reserve(float longestMs, float deepestMs)
{
    // Chorus has the largest scales.
    const CScales s = scalesOf(kChorus);
    const float perMs = m_sampleRate * 0.001f;
    m_storage.reserve(cellsFor(longestMs * perMs * s.time, deepestMs * perMs * s.depth));
}

void CModDelay::prepareStorage()
{
    if (m_storage.needsGrowth())
        resize(true);
}

void CModDelay::setSampleRate(float rate, bool mayGrow)
{
    m_sampleRate = rate;
    refresh(mayGrow);
}

void CModDelay::setTime(float ms, int kind, bool mayGrow)
{
    m_time = std::clamp(ms, kMinTime, kMaxTime);
    m_kind = kind;
    setDepth(m_depth, kind, mayGrow);
}

void CModDelay::setDepth(float ms, int kind, bool mayGrow)
{
    m_depth = std::clamp(ms, kMinDepth, kMaxDepth);
    m_kind = kind;
    derive();
    resize(mayGrow);
}

void CModDelay::setRate(float hz)
{
    m_rate = hz > kMinRate ? hz : kMinRate; // NaN too
    m_period = std::min(m_sampleRate / std::min(m_rate, m_sampleRate / 2.0f), kMaxPeriod);
    m_periodInt = std::max(static_cast<int>(std::floor(m_period + 0.5f)), 1);
    m_step = 2.0f / m_period;
    m_counter = static_cast<int>(std::floor(m_period * m_phaseOffset + 0.5f)) % m_periodInt;
}

void CModDelay::retuneRate(float hz)
{
    const float place = static_cast<float>(m_counter) / m_period;
    const float offset = m_phaseOffset;
    m_phaseOffset = place;
    setRate(hz);
    m_phaseOffset = offset;
}

void CModDelay::refresh(bool mayGrow)
{
    derive();
    setDepth(m_depth, m_kind, mayGrow);
    setRate(m_rate);
}

} // namespace quorvix
