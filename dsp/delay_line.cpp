#include "dsp/delay_line.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {
constexpr float kMinFrequency = 0.05f;
constexpr int kNewLength = 24000;
constexpr float kDampTop = 5.0f;
constexpr float kDampBase = 500.0f;
} // namespace

CDelayLine::CDelayLine() : m_damping(100.0f, 1.0e9f, 16000.0f)
{
    resize(kNewLength, true);
}

void CDelayLine::resize(int cells, bool mayGrow)
{
    m_length = m_storage.request(cells, mayGrow);
    m_write = 0;
}

void CDelayLine::prepareStorage()
{
    if (m_storage.needsGrowth())
        resize(m_storage.wanted(), true);
}

int CDelayLine::lengthFor(float hz) const
{
    const float f = std::min(std::max(hz, kMinFrequency), m_sampleRate / 2.0f);
    return static_cast<int>(std::floor(m_sampleRate / f + 0.5f));
}

void CDelayLine::setSampleRate(float rate, bool mayGrow)
{
    m_damping.setSampleRate(static_cast<int>(rate));
    m_sampleRate = rate;
    refresh(mayGrow);
}

void CDelayLine::setFrequency(float hz, bool mayGrow)
{
    m_frequency = hz;
    refresh(mayGrow);
}

void CDelayLine::retune(float hz, bool mayGrow)
{
    m_frequency = hz;
    // A line that is short of storage tries again even when its length stays.
    const int cells = lengthFor(hz);
    if (cells != m_length || storageShort())
        resize(cells, mayGrow);
}

void CDelayLine::setDamp(float v)
{
    m_damp = std::clamp(v, 0.0f, 1.0f);
    m_damping.setFrequency(std::exp2((1.0f - m_damp) * kDampTop) * kDampBase);
}

void CDelayLine::refresh(bool mayGrow)
{
    m_frequency = std::max(m_frequency, kMinFrequency);
    resize(lengthFor(m_frequency), mayGrow);
    m_damping.clear();
}

void CDelayLine::wrap(bool damped, bool flushed)
{
    m_write = 0;
    if (damped && m_damp > 0.0f)
        m_damping.runOver(data(), m_length);
    if (flushed) {
        m_damping.flushState();
        flushTiny(data(), m_length);
    }
}

} // namespace quorvix
