#include "dsp/mod_oscillator.h"

#include "dsp/runtime_rand.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {
constexpr int kMidiKind = 0;
constexpr double kCycle = kWaveTableLength;
constexpr float kRandomPhase = 3.0517578125e-05f; // 1 / 32768
constexpr int kLastWaveId = 53;
} // namespace

CModOscillator::CModOscillator() { m_clock.setKind(kMidiKind); }

void CModOscillator::attach(const CWaveTableSet* tables) { m_tables = tables; }

void CModOscillator::load(const CModOscillatorSettings& s)
{
    setWave(s.wave);
    m_clock.setKind(s.syncKind);
    setSpeed(s.speed);
    setPhase(s.phase);
    setDelayMode(s.delayMode);
    setOnce(s.once);
    setDelay(s.delay);
}

CModOscillatorSettings CModOscillator::settings() const
{
    return {m_wave, m_once, m_clock.kind(), m_speed, m_phase, m_delayMode, m_delay};
}

void CModOscillator::setWave(int id)
{
    if (id < 0 || id > kLastWaveId)
        return;
    m_wave = id;
}

void CModOscillator::setOnce(bool on)
{
    m_once = on;
    m_oneShot = m_delayMode == delaymode::Continue ? false : on;
}

void CModOscillator::setDelayMode(int mode)
{
    m_delayMode = mode;
    m_oneShot = mode == delaymode::Continue ? false : m_once;
}

void CModOscillator::setSampleRate(float rate)
{
    m_sampleRate = rate;
    m_clock.setSampleRate(rate);
    recomputeFrequency(std::clamp(m_speed + m_speedMod, kMinModSpeed, kMaxModulatedSpeed));
}

void CModOscillator::recomputeFrequency(float speed)
{
    m_frequency = m_clock.beatsPerSecond() / speed * static_cast<float>(m_updateFactor);
    m_increment = m_frequency * kCycle / m_sampleRate;
}

void CModOscillator::modulateSpeed(float amount)
{
    m_speedMod = amount;
    recomputeFrequency(std::clamp(m_speed + amount, kMinModSpeed, kMaxModulatedSpeed));
}

float CModOscillator::read(double position) const
{
    if (!m_tables)
        return 0.0f;
    const CWavePair* pairs = m_tables->pairs(m_wave);
    const int j = static_cast<int>(position);
    const float f = static_cast<float>(position - j);
    return pairs[j].value + f * pairs[j].slope;
}

void CModOscillator::setReaderPhase(float p)
{
    if (p >= 1.0f)
        p = static_cast<float>(runtimeRand()) * kRandomPhase;
    m_position = p * kCycle;
}

void CModOscillator::noteStart(const CSongPosition& song, int updateFactor)
{
    m_updateFactor = updateFactor;
    m_tempoAtStart = m_clock.beatsPerSecond();
    m_speedMod = 0.0f;
    recomputeFrequency(m_speed);
    if (m_delayMode != delaymode::Continue) {
        setReaderPhase(m_phase);
        if (m_delayMode == delaymode::Hold) {
            m_heldValue = read(m_position);
            m_endValue = m_tables ? m_tables->table(m_wave).value(kWaveTableLength - 1) : 0.0f;
        } else {
            m_heldValue = 0.0f;
            m_endValue = 0.0f;
        }
        m_delayLeft = m_delay / m_tempoAtStart * m_sampleRate / static_cast<float>(updateFactor);
        m_delayCount = static_cast<int>(m_delayLeft);
    } else {
        // The phase follows the song: from the program change, or from the first key with "FirstKey".
        double beats = 0.0;
        if (m_clock.followsHost())
            beats = (m_once ? song.beatsSinceFirstKey : song.beatsSinceProgram) * m_clock.rate();
        else
            beats = (m_once ? song.secondsSinceFirstKey : song.secondsSinceProgram) * m_clock.rate();
        double p = std::fmod(beats / m_speed, 1.0) + m_phase;
        if (p >= 1.0)
            p -= 1.0;
        setReaderPhase(static_cast<float>(p));
        m_delayLeft = 0.0;
        m_delayCount = 0;
    }
    m_value = currentValue();
}

float CModOscillator::currentValue() const
{
    if (m_delayCount > 0)
        return m_heldValue;
    if (m_position >= kCycle)
        return m_oneShot ? m_endValue : read(std::fmod(m_position, kCycle));
    return read(m_position);
}

float CModOscillator::step()
{
    if (m_delayCount > 0) {
        --m_delayCount;
        m_value = m_heldValue;
        return m_value;
    }
    m_position += m_increment;
    if (m_position >= kCycle) {
        if (m_oneShot) {
            m_value = m_endValue;
            return m_value;
        }
        m_position -= std::trunc(m_position / kCycle) * kCycle;
    }
    m_value = read(m_position);
    return m_value;
}

void CModOscillator::tempoChanged()
{
    recomputeFrequency(std::clamp(m_speed + m_speedMod, kMinModSpeed, kMaxModulatedSpeed));
    double remaining = m_delayCount + (m_delayLeft - std::trunc(m_delayLeft));
    remaining = remaining * m_tempoAtStart / m_clock.beatsPerSecond();
    m_delayLeft = remaining;
    m_delayCount = static_cast<int>(remaining);
    m_tempoAtStart = m_clock.beatsPerSecond();
}

void CModOscillator::copyFrom(const CModOscillator& other)
{
    const CWaveTableSet* tables = m_tables;
    const float rate = m_sampleRate;
    *this = other;
    m_tables = tables;
    setSampleRate(rate);
}

} // namespace quorvix
