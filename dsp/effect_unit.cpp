#include "dsp/effect_unit.h"

#include "dsp/finite.h"
#include "dsp/level_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quorvix {

namespace {

constexpr int kTypes = 22;
constexpr float kTimeScale = 500.0f;
constexpr float kDepthScale = 5.0f;
constexpr float kGainScale = 0.98f;
constexpr float kHeldChange = 0.01f;
constexpr float kBeatsPerTimeStep = 0.008f;
constexpr float kFullMix = 0.99f;
constexpr float kActive = 0.01f;
constexpr float kUnityLow = 0.99f;
constexpr float kUnityHigh = 1.01f;
// Synchronised lines are kept for tempos down to 30 BPM; slower tempos give the same length.
constexpr float kSlowestBeatsPerSecond = 0.5f;

// Multi-Delay taps: position in the line and weight.
constexpr double kTapPosition[4] = {0.6560603575528948, 0.7310226519552419, 0.28145229383619474, 0.4440497335701599};
constexpr float kTapWeight[4] = {0.48f, 0.65f, 0.14f, 0.25f};
constexpr float kMultiDelayGain = 0.45f;

float bandAmount(float v) { return static_cast<float>(levelGain(v)); }

// Amounts within 0.99..1.01 count as exactly 1.
float unityAware(float amount) { return amount > kUnityLow && amount < kUnityHigh ? 1.0f : amount; }

} // namespace

CEffectUnit::CEffectUnit()
    : m_lowBands {CBesselLowpass(100.0f, 1000.0f, 300.0f), CBesselLowpass(100.0f, 1000.0f, 300.0f)},
      m_highBands {CBesselLowpass(3000.0f, 5000.0f, 4000.0f), CBesselLowpass(3000.0f, 5000.0f, 4000.0f)}
{
    reservePlainTimes();
    load(CEffectSettings {}, true);
}

float CEffectUnit::lineFrequency(int time) const
{
    if (time == 0)
        return std::numeric_limits<float>::infinity();
    if (synchronised())
        return m_sampleRate / (static_cast<float>(time) * kBeatsPerTimeStep * m_samplesPerBeat);
    return 1000.0f / static_cast<float>(time);
}

// A line is never longer than its time at the slowest tempo kept.
float CEffectUnit::delayFrequency(int time) const
{
    const float f = lineFrequency(time);
    return time > 0 ? std::max(f, kSlowestBeatsPerSecond / (static_cast<float>(time) * kBeatsPerTimeStep)) : f;
}

// One modulation period lasts four times time2 in ms, or twice its beats when synchronised.
float CEffectUnit::modulationRate() const { return lineFrequency(m_time2) * (synchronised() ? 0.5f : 0.25f); }

void CEffectUnit::applyTimes(bool mayGrow)
{
    m_lines[0].setFrequency(delayFrequency(m_time1), mayGrow);
    m_lines[1].setFrequency(delayFrequency(m_time2), mayGrow);
    for (CModDelay& d : m_modDelays) {
        d.setTime(static_cast<float>(m_time1), m_type, mayGrow);
        d.setRate(modulationRate());
    }
}

void CEffectUnit::clearBands()
{
    for (int c = 0; c < 2; ++c) {
        m_lowBands[static_cast<size_t>(c)].clear();
        m_midBands[static_cast<size_t>(c)].clear();
        m_highBands[static_cast<size_t>(c)].clear();
    }
}

void CEffectUnit::flushBands()
{
    for (int c = 0; c < 2; ++c) {
        m_lowBands[static_cast<size_t>(c)].flushState();
        m_midBands[static_cast<size_t>(c)].flushState();
        m_highBands[static_cast<size_t>(c)].flushState();
    }
}

float CEffectUnit::engineValue(int s, float v)
{
    switch (s) {
    case slot::Type:
        return static_cast<float>(std::min(static_cast<int>(v * kTypes), kTypes - 1));
    case slot::Time1:
    case slot::Time2:
        return std::floor(kTimeScale * v + 0.5f);
    case slot::Depth1:
    case slot::Depth2:
        return kDepthScale * v;
    case slot::Gain1:
    case slot::Gain2:
        return kGainScale * v;
    default:
        return v;
    }
}

float CEffectUnit::normalizedValue(int s, float x)
{
    switch (s) {
    case slot::Type:
        return (x + 0.5f) / static_cast<float>(kTypes);
    case slot::Time1:
    case slot::Time2:
        return x / kTimeScale;
    case slot::Depth1:
    case slot::Depth2:
        return x / kDepthScale;
    case slot::Gain1:
    case slot::Gain2:
        return x / kGainScale;
    default:
        return x;
    }
}

void CEffectUnit::setParameter(int s, float v, bool mayGrow) { apply(s, engineValue(s, v), v, false, mayGrow); }

void CEffectUnit::load(const CEffectSettings& e, bool mayGrow)
{
    // Stored values lie between what normalized 0 and 1 give.
    auto limited = [](int s, float x) { return std::clamp(finiteOr(x, 0.0f), engineValue(s, 0.0f), engineValue(s, 1.0f)); };
    const float x[9] = {limited(slot::Type, static_cast<float>(e.type)),
                        limited(slot::Time1, static_cast<float>(e.time1)),
                        limited(slot::Time2, static_cast<float>(e.time2)),
                        limited(slot::Depth1, e.depth1),
                        limited(slot::Depth2, e.depth2),
                        limited(slot::Gain1, e.gain1),
                        limited(slot::Gain2, e.gain2),
                        limited(slot::Spread, e.spread),
                        limited(slot::Mix, e.mix)};
    // The type comes last so that the lines are sized once, for the new type's times.
    for (int s : {slot::Time1, slot::Time2, slot::Depth1, slot::Depth2, slot::Gain1, slot::Gain2, slot::Spread,
                  slot::Mix, slot::Type})
        apply(s, x[s], normalizedValue(s, x[s]), true, mayGrow);
}

CEffectSettings CEffectUnit::settings() const
{
    return {m_type, m_time1, m_time2, m_depth1, m_depth2, gain1(), gain2(), spread(), m_mix};
}

// x is the engine value, v the normalized one the band frequencies and amounts follow; force
// applies held values even when they moved by less than their threshold.
void CEffectUnit::apply(int s, float x, float v, bool force, bool mayGrow)
{
    switch (s) {
    case slot::Type:
        m_type = static_cast<int>(x);
        applyTimes(mayGrow);
        clearBands();
        return;
    case slot::Time1: {
        const int t = static_cast<int>(x);
        if (force || t != m_time1) {
            m_time1 = t;
            m_lines[0].setFrequency(delayFrequency(t), mayGrow);
            for (CModDelay& d : m_modDelays)
                d.setTime(x, m_type, mayGrow);
        }
        for (CBesselLowpass& band : m_lowBands)
            band.setFrequency(kLowBand.frequency(v));
        return;
    }
    case slot::Time2: {
        const int t = static_cast<int>(x);
        if (force || t != m_time2) {
            m_time2 = t;
            m_lines[1].setFrequency(delayFrequency(t), mayGrow);
            for (CModDelay& d : m_modDelays)
                d.setRate(modulationRate());
        }
        m_lowAmount = bandAmount(v);
        return;
    }
    case slot::Depth1:
    case slot::Depth2: {
        const size_t c = s == slot::Depth1 ? 0 : 1;
        float& held = c == 0 ? m_depth1 : m_depth2;
        if (force || std::fabs(x - held) > kHeldChange) {
            held = x;
            m_modDelays[c].setDepth(x, m_type, mayGrow);
        }
        m_lines[c].setDamp(v);
        if (c == 0) {
            for (CBandpass& band : m_midBands)
                band.setFrequency(kMidBand.frequency(v));
        } else {
            m_midAmount = bandAmount(v);
        }
        return;
    }
    case slot::Gain1:
    case slot::Gain2: {
        const size_t c = s == slot::Gain1 ? 0 : 1;
        m_lines[c].setGain(x);
        m_modDelays[c].setFeedback(x);
        if (c == 0) {
            for (CBesselLowpass& band : m_highBands)
                band.setFrequency(kHighBand.frequency(v));
        } else {
            m_highAmount = bandAmount(v);
        }
        return;
    }
    case slot::Spread:
        if (force || std::fabs(x - m_lines[0].spread()) > kHeldChange) {
            for (CDelayLine& line : m_lines)
                line.setSpread(x);
            m_modDelays[0].setPhaseOffset(0.0f);
            m_modDelays[1].setPhaseOffset(x);
            for (CModDelay& d : m_modDelays)
                d.setRate(modulationRate());
        }
        return;
    case slot::Mix:
        m_mix = x;
        m_volume = static_cast<float>(std::pow(10.0, 2.4 * (x - 1.0)));
        return;
    default:
        return;
    }
}

void CEffectUnit::setSampleRate(float rate, bool mayGrow)
{
    m_sampleRate = rate;
    for (CDelayLine& line : m_lines)
        line.setSampleRate(rate, mayGrow);
    for (CModDelay& d : m_modDelays)
        d.setSampleRate(rate, mayGrow);
    for (int c = 0; c < 2; ++c) {
        m_lowBands[static_cast<size_t>(c)].setSampleRate(static_cast<int>(rate));
        m_highBands[static_cast<size_t>(c)].setSampleRate(static_cast<int>(rate));
        m_midBands[static_cast<size_t>(c)].setSampleRate(rate);
    }
    // The lines take their lengths from the times at the new rate.
    applyTimes(mayGrow);
}

// What the longest plain time and the deepest depth ask for is there before any change can ask
// for it on the audio thread; only synchronised lines, which follow the tempo, grow later.
void CEffectUnit::reservePlainTimes()
{
    const float longest = engineValue(slot::Time1, 1.0f);
    for (CDelayLine& line : m_lines)
        line.reserve(1000.0f / longest);
    for (CModDelay& d : m_modDelays)
        d.reserve(longest, engineValue(slot::Depth1, 1.0f));
}

void CEffectUnit::clear(bool mayGrow)
{
    for (CDelayLine& line : m_lines)
        line.refresh(mayGrow);
    for (CModDelay& d : m_modDelays)
        d.refresh(mayGrow);
    clearBands();
}

void CEffectUnit::tempoChanged(bool mayGrow)
{
    if (!synchronised())
        return;
    m_lines[0].retune(delayFrequency(m_time1), mayGrow);
    m_lines[1].retune(delayFrequency(m_time2), mayGrow);
    for (CModDelay& d : m_modDelays)
        d.retuneRate(modulationRate());
}

bool CEffectUnit::usesLines() const
{
    const int t = processingType();
    return t >= effect::OneShotDelay && t <= effect::MultiDelay;
}

bool CEffectUnit::usesModDelays() const
{
    const int t = processingType();
    return t >= effect::Chorus && t <= effect::Phaser;
}

void CEffectUnit::prepareStorage()
{
    reservePlainTimes();
    if (usesLines())
        for (CDelayLine& line : m_lines)
            line.prepareStorage();
    if (usesModDelays())
        for (CModDelay& d : m_modDelays)
            d.prepareStorage();
}

bool CEffectUnit::storageShort() const
{
    if (usesLines())
        return m_lines[0].storageShort() || m_lines[1].storageShort();
    if (usesModDelays())
        return m_modDelays[0].storageShort() || m_modDelays[1].storageShort();
    return false;
}

bool CEffectUnit::takeAllocationFailure()
{
    bool failed = false;
    for (CDelayLine& line : m_lines)
        failed = line.takeAllocationFailure() || failed;
    for (CModDelay& d : m_modDelays)
        failed = d.takeAllocationFailure() || failed;
    return failed;
}

bool CEffectUnit::active() const
{
    if (m_type <= effect::None || m_type > effect::Last)
        return false;
    if (m_type == effect::FreqBoost)
        return m_lowAmount * m_volume > kActive || m_midAmount * m_volume > kActive ||
               m_highAmount * m_volume > kActive || m_volume < kFullMix;
    return m_mix >= kActive;
}

// ---- processing ------------------------------------------------------------------------------------

void CEffectUnit::processInPlace(float* left, float* right, int frames) { run(left, right, nullptr, nullptr, frames); }

void CEffectUnit::processInto(float* inLeft, float* inRight, float* outLeft, float* outRight, int frames)
{
    run(inLeft, inRight, outLeft, outRight, frames);
}

// The result goes into the buffers themselves, or is added to the outputs.
static inline void emit(float* in, float* out, int i, float y)
{
    if (out)
        out[i] += y;
    else
        in[i] = y;
}

template <int Type>
void CEffectUnit::runDelay(float* left, float* right, float* outLeft, float* outRight, int frames, float x)
{
    CDelayLine& lineL = m_lines[0];
    CDelayLine& lineR = m_lines[1];
    const float gL = lineL.gain(), gR = lineR.gain(), s = lineL.spread();
    // Diff. and Pan.Diff. leave the right line undamped and unflushed.
    constexpr bool rightTreated = Type != effect::DiffDelay && Type != effect::PanDiffDelay;
    for (int i = 0; i < frames; ++i) {
        const float inL = left[i], inR = right[i];
        const float L = lineL.output(), R = lineR.output();
        float yL = inL + x * L, yR = inR + x * R, wL = 0.0f, wR = 0.0f;
        if constexpr (Type == effect::OneShotDelay) {
            yL = inL + x * gL * L;
            yR = inR + x * gR * R;
            wL = inL;
            wR = inR;
        } else if constexpr (Type == effect::Delay) {
            wL = gL * (inL + L);
            wR = gR * (inR + R);
        } else if constexpr (Type == effect::XDelay) {
            wL = gL * (inR + R);
            wR = gR * (inL + L);
        } else if constexpr (Type == effect::SpreadDelay) {
            wL = gL * ((1.0f - s) * (inL + L) + s * (inR + R));
            wR = gR * ((1.0f - s) * (inR + R) + s * (inL + L));
        } else { // Diff. and Pan.Diff.: the right channel takes the left line by 1 - s or by s
            const float l = gL * L + (1.0f - s) * gR * R;
            const float r = gR * R + (Type == effect::DiffDelay ? 1.0f - s : s) * gL * L;
            yL = inL + x * l;
            yR = inR + x * r;
            wL = l + inL;
            wR = r + inR;
        }
        lineL.store(wL, true, true);
        lineR.store(wR, rightTreated, rightTreated);
        emit(left, outLeft, i, yL);
        emit(right, outRight, i, yR);
    }
}

void CEffectUnit::runMultiDelay(float* left, float* right, float* outLeft, float* outRight, int frames, float x)
{
    float* in[2] = {left, right};
    float* out[2] = {outLeft, outRight};
    for (size_t c = 0; c < 2; ++c) {
        CDelayLine& line = m_lines[c];
        const int n = line.length();
        if (n <= 0)
            continue;
        int taps[4];
        for (int k = 0; k < 4; ++k) {
            taps[k] = line.writePosition() + static_cast<int>(n * kTapPosition[k]);
            if (taps[k] >= n)
                taps[k] -= n;
        }
        const float g = kMultiDelayGain * line.gain();
        for (int i = 0; i < frames; ++i) {
            float sum = line.output();
            for (int k = 0; k < 4; ++k) {
                sum += kTapWeight[k] * line.tap(taps[k]);
                if (++taps[k] >= n)
                    taps[k] = 0;
            }
            const float wet = g * sum;
            const float y = in[c][i] + x * wet;
            line.store(line.damping(in[c][i] + wet), false, true);
            emit(in[c], out[c], i, y);
        }
    }
}

template <int Kind>
void CEffectUnit::runModulated(float* left, float* right, float* outLeft, float* outRight, int frames, float x)
{
    float* in[2] = {left, right};
    float* out[2] = {outLeft, outRight};
    for (size_t c = 0; c < 2; ++c) {
        CModDelay& d = m_modDelays[c];
        for (int i = 0; i < frames; ++i) {
            const float s = in[c][i];
            float y = 0.0f;
            if constexpr (Kind == effect::Chorus)
                y = d.chorus(s, x);
            else if constexpr (Kind == effect::Phaser)
                y = d.phaser(s, x);
            else
                y = d.flanger(s, x);
            emit(in[c], out[c], i, y);
        }
    }
}

void CEffectUnit::runBooster(float* left, float* right, float* outLeft, float* outRight, int frames)
{
    const bool low = m_lowAmount * m_volume > kActive;
    const bool high = m_highAmount * m_volume > kActive;
    const bool mid = m_midAmount * m_volume > kActive;
    const bool scaled = m_volume < kFullMix;
    const float lowAmount = unityAware(m_lowAmount), highAmount = unityAware(m_highAmount),
                midAmount = unityAware(m_midAmount);
    float* in[2] = {left, right};
    float* out[2] = {outLeft, outRight};
    for (size_t c = 0; c < 2; ++c) {
        for (int i = 0; i < frames; ++i) {
            float z = in[c][i];
            if (low)
                z += lowAmount * m_lowBands[c].tick(z);
            if (high)
                z += highAmount * (z - m_highBands[c].tick(z));
            if (mid)
                z += midAmount * m_midBands[c].tick(z);
            if (scaled)
                z *= m_volume;
            emit(in[c], out[c], i, z);
        }
    }
    flushBands();
}

void CEffectUnit::run(float* left, float* right, float* outLeft, float* outRight, int frames)
{
    // Until its storage has grown the unit passes the signal on dry rather than read missing cells.
    if (storageShort()) {
        if (outLeft)
            for (int i = 0; i < frames; ++i) {
                outLeft[i] += left[i];
                outRight[i] += right[i];
            }
        return;
    }
    const float x = m_mix >= kFullMix ? 1.0f : m_mix;
    switch (processingType()) {
    // One loop per type: the type is chosen once per block, not per sample.
    case effect::OneShotDelay:
        return runDelay<effect::OneShotDelay>(left, right, outLeft, outRight, frames, x);
    case effect::Delay:
        return runDelay<effect::Delay>(left, right, outLeft, outRight, frames, x);
    case effect::XDelay:
        return runDelay<effect::XDelay>(left, right, outLeft, outRight, frames, x);
    case effect::SpreadDelay:
        return runDelay<effect::SpreadDelay>(left, right, outLeft, outRight, frames, x);
    case effect::DiffDelay:
        return runDelay<effect::DiffDelay>(left, right, outLeft, outRight, frames, x);
    case effect::PanDiffDelay:
        return runDelay<effect::PanDiffDelay>(left, right, outLeft, outRight, frames, x);
    case effect::MultiDelay:
        return runMultiDelay(left, right, outLeft, outRight, frames, x);
    case effect::Chorus:
        return runModulated<effect::Chorus>(left, right, outLeft, outRight, frames, x);
    case effect::Flanger:
        return runModulated<effect::Flanger>(left, right, outLeft, outRight, frames, x);
    case effect::Phaser:
        return runModulated<effect::Phaser>(left, right, outLeft, outRight, frames, x);
    case effect::FreqBoost:
        return runBooster(left, right, outLeft, outRight, frames);
    default:
        return;
    }
}

} // namespace quorvix
