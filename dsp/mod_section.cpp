#include "dsp/mod_section.h"

#include "dsp/finite.h"
#include "dsp/runtime_rand.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr const char* kUnknown = "UNKNOWN";
constexpr float kRandomUnit = 3.051851e-05f;
constexpr float kRandomBipolar = 6.103702e-05f;
constexpr float kControllerGlide = 0.125f;

// Values a..d of a normalized x.
float valueOf(float x) { return 4.0f * x - 2.0f; }

const char* const kSourceNames[kModSources] = {
    "Velocity",      "1-Velo",        "Velo^2",        "(1-Velo)^2",    "Note",          "1-Note",
    "Note^2",        "(1-Note)^2",    "Modulation",    "1-Mod.",        "BreathCtrl",    "1-Breath",
    "PitchBend",     "1-PitchBend",   "Aftertouch",    "1-Aftertouch",  "+ModOSC 1",     "- ModOSC 1",
    "+ModOSC 2",     "- ModOSC 2",    "+ModEnv 1",     "- ModEnv 1",    "+ModEnv 2",     "- ModEnv 2",
    "+Comb 1",       "- Comb 1",      "+Comb 2",       "- Comb 2",      "+Comb 3",       "- Comb 3",
    "+Comb 4",       "- Comb 4",      "Rand 0~1",      "Rand -1~1",     "1",             "2",
    "1/2",           "Value a",       "Value b",       "Value c",       "FlipFlop 0/1",  "FlipFlop -1/1",
    "FlipFlop 0/d",  "FlipFlop a/b",  "FlipFlop a/c",  "FlipFlop b/c",  "FlipFlop c/d",  "TripFlop a/b/c",
    "+ModOSC1S",     "- ModOSC1S",    "+ModOSC2S",     "- ModOSC2S",
};

const char* const kOperatorNames[kCombinerOperators] = {"Src1", "+", "x"};

const char* const kOscillatorDestinationNames[kOscillatorDestinations] = {
    "None",        "Weight (1)",  "Weight (2)",  "Weight (3)",  "Weight (12)", "Weight (13)", "Weight (23)",
    "Weight (123)", "Pitch (1)",  "Pitch (2)",   "Pitch (3)",   "Pitch (12)",  "Pitch (13)",  "Pitch (23)",
    "Pitch (123)", "Pulse (1)",   "Pulse (2)",   "Pulse (3)",   "Pulse (12)",  "Pulse (13)",  "Pulse (23)",
    "Pulse (123)", "Symm. (1)",   "Symm. (2)",   "Symm. (3)",   "Symm. (12)",  "Symm. (13)",  "Symm. (23)",
    "Symm. (123)", "ModOSC 1",    "ModOSC 2",
};

const char* const kFilterDestinationNames[kFilterDestinations] = {
    "None",        "Shaper Gain", "Shaper Position", "Shaper Mix", "F+R Freq", "F+R NFreq",
    "Filt.Freq",   "Filt.NFreq",  "Res.Freq",        "Res.NFreq",  "Filt.Param.", "Res.Weight",
    "Resonance",   "Panorama",    "ModOSC 1",        "ModOSC 2",
};

constexpr uint32_t kFilterDestinationBits[kFilterDestinations] = {0,  1,  2,  4,   40,  40,  8,   8,
                                                                  32, 32, 16, 64, 128, 256, 512, 1024};

// Oscillator sets (1), (2), (3), (12), (13), (23), (123) as bits of the oscillators.
constexpr uint32_t kOscillatorSets[7] = {1, 2, 4, 3, 5, 6, 7};

enum class EAmount { Plain, PitchSemitones, Speed, Hertz, Semitones };

EAmount amountKind(ESectionKind kind, int d)
{
    if (kind == ESectionKind::Oscillator) {
        if (d >= 8 && d <= 14)
            return EAmount::PitchSemitones;
        if (d == 29 || d == 30)
            return EAmount::Speed;
        return EAmount::Plain;
    }
    switch (d) {
    case 4:
    case 6:
    case 8:
        return EAmount::Hertz;
    case 5:
    case 7:
    case 9:
        return EAmount::Semitones;
    case 14:
    case 15:
        return EAmount::Speed;
    default:
        return EAmount::Plain;
    }
}

bool isCombinerSource(int s) { return s >= source::Comb1 && s < source::Comb1 + 8; }
int combinerOfSource(int s) { return (s - source::Comb1) / 2; }

} // namespace

int destinationCount(ESectionKind kind)
{
    return kind == ESectionKind::Oscillator ? kOscillatorDestinations : kFilterDestinations;
}

const char* destinationName(ESectionKind kind, int d)
{
    if (d < 0 || d >= destinationCount(kind))
        return kUnknown;
    return kind == ESectionKind::Oscillator ? kOscillatorDestinationNames[d] : kFilterDestinationNames[d];
}

uint32_t destinationTargets(ESectionKind kind, int d)
{
    if (d <= 0 || d >= destinationCount(kind))
        return 0;
    if (kind == ESectionKind::Filter)
        return kFilterDestinationBits[d];
    if (d == 29)
        return osctarget::ModOsc1;
    if (d == 30)
        return osctarget::ModOsc2;
    const int group = (d - 1) / 7; // weight, pitch, pulse, symmetry
    return kOscillatorSets[(d - 1) % 7] << (3 * group);
}

bool amountInSemitones(ESectionKind kind, int d) { return amountKind(kind, d) == EAmount::Semitones; }

float amountFromNormalized(ESectionKind kind, int d, float x)
{
    switch (amountKind(kind, d)) {
    case EAmount::PitchSemitones: {
        const int k = static_cast<int>(x * 127.0f + 0.4f);
        if (k < 4)
            return static_cast<float>(k) * 0.025f;
        if (k < 42)
            return static_cast<float>(k) * 0.05f - 0.1f;
        if (k <= 121)
            return static_cast<float>(k) * 0.1f - 2.2f;
        return static_cast<float>(k) * 0.5f - 51.0f;
    }
    case EAmount::Speed:
        return (1.0f - std::trunc(-128.0f * x)) * 0.0625f;
    case EAmount::Hertz:
        return (std::exp2(4.5f * x) - 1.0f) * 75.0f;
    case EAmount::Semitones:
        return 36.0f * x;
    default:
        return x;
    }
}

float amountToNormalized(ESectionKind kind, int d, float a)
{
    switch (amountKind(kind, d)) {
    case EAmount::PitchSemitones: {
        float k = 0.0f;
        if (a < 0.1f)
            k = 40.0f * a;
        else if (a < 2.0f)
            k = (a + 0.1f) * 20.0f;
        else if (a < 10.0f)
            k = (a + 2.2f) * 10.0f;
        else
            k = (a + 51.0f) * 2.0f;
        return std::trunc(k + 0.4f) * 0.007874016f;
    }
    case EAmount::Speed:
        return (-std::trunc(-16.0f * a) - 1.0f) * 0.0078125f;
    case EAmount::Hertz:
        return std::log2(a * 0.013333334f + 1.0f) / 4.5f;
    case EAmount::Semitones:
        return a * 0.027777778f;
    default:
        return a;
    }
}

const char* sourceName(int s) { return s >= 0 && s < kModSources ? kSourceNames[s] : kUnknown; }

const char* combinerOperatorName(int op) { return op >= 0 && op < kCombinerOperators ? kOperatorNames[op] : kUnknown; }

CModSection::CModSection(ESectionKind kind) : m_kind(kind) { refresh(); }

void CModSection::attach(CModOscillator* osc1, CModOscillator* osc2, CLoopEnvelope* env1, CLoopEnvelope* env2)
{
    m_oscs = {osc1, osc2};
    m_envs = {env1, env2};
}

void CModSection::setSource1(int i, int s)
{
    m_combiners[clampCombiner(i)].source1 = std::clamp(s, 0, kModSources - 1);
    refresh();
}

void CModSection::setSource2(int i, int s)
{
    m_combiners[clampCombiner(i)].source2 = std::clamp(s, 0, kModSources - 1);
    refresh();
}

void CModSection::setOperator(int i, int o)
{
    m_combiners[clampCombiner(i)].op = std::clamp(o, 0, kCombinerOperators - 1);
    refresh();
}

void CModSection::setDestination(int i, int d)
{
    CCombiner& c = m_combiners[clampCombiner(i)];
    const float x = amountToNormalized(m_kind, c.destination, c.amount);
    c.destination = std::clamp(d, 0, destinationCount(m_kind) - 1);
    c.amount = amountFromNormalized(m_kind, c.destination, x);
    refresh();
}

void CModSection::setAmount(int i, float normalized)
{
    CCombiner& c = m_combiners[clampCombiner(i)];
    c.amount = amountFromNormalized(m_kind, c.destination, normalized);
    refresh();
}

void CModSection::setValue(int k, float normalized)
{
    m_values[static_cast<size_t>(std::clamp(k, 0, 3))] = valueOf(normalized);
    refresh();
}

CCombinerSet CModSection::limited(ESectionKind kind, const CCombinerSet& set)
{
    CCombinerSet out;
    for (size_t i = 0; i < kCombiners; ++i) {
        const CCombiner& from = set.combiners[i];
        CCombiner& c = out.combiners[i];
        c.source1 = std::clamp(from.source1, 0, kModSources - 1);
        c.source2 = std::clamp(from.source2, 0, kModSources - 1);
        c.op = std::clamp(from.op, 0, kCombinerOperators - 1);
        c.destination = std::clamp(from.destination, 0, destinationCount(kind) - 1);
        const float x = amountToNormalized(kind, c.destination, from.amount);
        c.amount = x >= 0.0f && x <= 1.0f ? from.amount : amountFromNormalized(kind, c.destination, x > 1.0f ? 1.0f : 0.0f);
    }
    for (size_t k = 0; k < 4; ++k)
        out.values[k] = std::clamp(finiteOr(set.values[k], 0.0f), valueOf(0.0f), valueOf(1.0f));
    return out;
}

void CModSection::assign(const CCombinerSet& set)
{
    const CCombinerSet s = limited(m_kind, set);
    m_combiners = s.combiners;
    m_values = s.values;
    refresh();
}

// ---- derived data ---------------------------------------------------------------------------------

bool CModSection::reads(const CCombiner& c, int firstSource) const
{
    auto is = [firstSource](int s) { return s == firstSource || s == firstSource + 1; };
    return is(c.source1) || (c.op != combine::Source1 && is(c.source2));
}

void CModSection::refresh()
{
    for (int i = 0; i < kCombiners; ++i)
        m_active[static_cast<size_t>(i)] = m_combiners[static_cast<size_t>(i)].destination != 0;
    // A combiner read by an active one is active too, whatever its destination.
    for (bool changed = true; changed;) {
        changed = false;
        for (int i = 0; i < kCombiners; ++i) {
            if (!m_active[static_cast<size_t>(i)])
                continue;
            const CCombiner& c = m_combiners[static_cast<size_t>(i)];
            for (int s : {c.source1, c.op != combine::Source1 ? c.source2 : -1}) {
                if (s < 0 || !isCombinerSource(s) || m_active[static_cast<size_t>(combinerOfSource(s))])
                    continue;
                m_active[static_cast<size_t>(combinerOfSource(s))] = true;
                changed = true;
            }
        }
    }
    m_combinerCount = 0;
    m_usedTargets = 0;
    m_usesOsc = {};
    m_usesEnv = {};
    for (int i = 0; i < kCombiners; ++i) {
        const CCombiner& c = m_combiners[static_cast<size_t>(i)];
        m_usedTargets |= destinationTargets(m_kind, c.destination);
        if (!m_active[static_cast<size_t>(i)])
            continue;
        m_combinerCount = i + 1;
        m_usesOsc[0] = m_usesOsc[0] || reads(c, source::ModOsc1);
        m_usesOsc[1] = m_usesOsc[1] || reads(c, source::ModOsc2);
        m_usesEnv[0] = m_usesEnv[0] || reads(c, source::ModEnv1);
        m_usesEnv[1] = m_usesEnv[1] || reads(c, source::ModEnv2);
    }
    refreshVarying();
}

bool CModSection::sourceVaries(int s) const
{
    if (s >= source::ModWheel && s < source::ModOsc1)
        return m_glide > 0;
    if (s >= source::ModOsc1 && s < source::ModEnv1) {
        const size_t k = static_cast<size_t>((s - source::ModOsc1) / 2);
        return m_usesOsc[k] && m_oscRunning[k];
    }
    if (s >= source::ModEnv1 && s < source::Comb1) {
        const size_t k = static_cast<size_t>((s - source::ModEnv1) / 2);
        return m_usesEnv[k] && m_envRunning[k];
    }
    if (isCombinerSource(s))
        return m_varying[static_cast<size_t>(combinerOfSource(s))];
    return false;
}

void CModSection::refreshVarying()
{
    m_varying = {};
    // Chains may read later combiners, so repeat until the set is stable.
    for (bool changed = true; changed;) {
        changed = false;
        for (int i = 0; i < kCombiners; ++i) {
            const CCombiner& c = m_combiners[static_cast<size_t>(i)];
            const bool varies = m_active[static_cast<size_t>(i)] &&
                                (sourceVaries(c.source1) || (c.op != combine::Source1 && sourceVaries(c.source2)));
            if (varies != m_varying[static_cast<size_t>(i)]) {
                m_varying[static_cast<size_t>(i)] = varies;
                changed = true;
            }
        }
    }
}

bool CModSection::anyVarying() const
{
    for (bool v : m_varying)
        if (v)
            return true;
    return false;
}

// ---- controllers -----------------------------------------------------------------------------------

void CModSection::setController(int index, float value)
{
    m_controllerTarget[static_cast<size_t>(index)] = value;
    const bool started = m_glide == 0;
    m_glide = kControllerGlideUpdates;
    if (started)
        refreshVarying();
}

void CModSection::setModWheel(float x) { setController(0, std::clamp(x, 0.0f, 1.0f)); }
void CModSection::setBreath(float x) { setController(1, std::clamp(x, 0.0f, 1.0f)); }
void CModSection::setPitchBend(float x) { setController(2, std::clamp(x, -1.0f, 1.0f)); }
void CModSection::setAftertouch(float x) { setController(3, std::clamp(x, 0.0f, 1.0f)); }

void CModSection::resetControllers()
{
    m_controller = {};
    m_controllerTarget = {};
    m_glide = 0;
    writeControllerSources();
    refreshVarying();
}

void CModSection::writeControllerSources()
{
    const float wheel = m_controller[0], breath = m_controller[1], bend = m_controller[2], touch = m_controller[3];
    m_sources[source::ModWheel] = wheel;
    m_sources[source::ModWheel + 1] = 1.0f - wheel;
    m_sources[source::Breath] = breath;
    m_sources[source::Breath + 1] = 1.0f - breath;
    m_sources[source::PitchBend] = bend;
    m_sources[source::PitchBend + 1] = 1.0f - bend;
    m_sources[source::Aftertouch] = touch;
    m_sources[source::Aftertouch + 1] = 1.0f - touch;
}

// ---- running ---------------------------------------------------------------------------------------

void CModSection::writeModuleSources()
{
    for (size_t k = 0; k < 2; ++k) {
        const float osc = m_oscs[k] ? m_oscs[k]->value() : 0.0f;
        m_sources[static_cast<size_t>(source::ModOsc1) + 2 * k] = osc;
        m_sources[static_cast<size_t>(source::ModOsc1) + 2 * k + 1] = -osc;
    }
}

void CModSection::evaluate()
{
    for (int i = 0; i < m_combinerCount; ++i) {
        const CCombiner& c = m_combiners[static_cast<size_t>(i)];
        float r = m_sources[static_cast<size_t>(c.source1)];
        if (c.op == combine::Add)
            r += m_sources[static_cast<size_t>(c.source2)];
        else if (c.op == combine::Multiply)
            r *= m_sources[static_cast<size_t>(c.source2)];
        if (i < kCombiners - 1) {
            m_sources[static_cast<size_t>(source::Comb1 + 2 * i)] = r;
            m_sources[static_cast<size_t>(source::Comb1 + 2 * i + 1)] = -r;
        }
        m_outputs[static_cast<size_t>(i)] = r * c.amount;
    }
}

void CModSection::noteStart(float velocity, float note, int count)
{
    for (size_t k = 0; k < 2; ++k) {
        m_oscRunning[k] = m_oscs[k] && m_oscs[k]->wave() != 0;
        m_envRunning[k] = m_envs[k] && !m_envs[k]->isConstant();
    }
    m_controller = m_controllerTarget;
    m_glide = 0;
    refresh();

    const float v = velocity, n = note;
    const float values[8] = {v, 1.0f - v, v * v, (1.0f - v) * (1.0f - v), n, 1.0f - n, n * n, 1.0f - 2.0f * n};
    std::copy(values, values + 8, m_sources.begin());
    writeControllerSources();
    writeModuleSources();
    for (size_t k = 0; k < 2; ++k) {
        const float env = m_envs[k] ? m_envs[k]->currentValue() : 0.0f;
        m_sources[static_cast<size_t>(source::ModEnv1) + 2 * k] = env;
        m_sources[static_cast<size_t>(source::ModEnv1) + 2 * k + 1] = -env;
    }
    m_sources[source::Random01] = static_cast<float>(runtimeRand()) * kRandomUnit;
    m_sources[source::RandomBipolar] = static_cast<float>(runtimeRand()) * kRandomBipolar - 1.0f;
    m_sources[source::One] = 1.0f;
    m_sources[source::One + 1] = 2.0f;
    m_sources[source::One + 2] = 0.5f;
    const float a = m_values[0], b = m_values[1], c = m_values[2], d = m_values[3];
    const bool odd = count % 2 != 0;
    const float derived[11] = {a,           b,           c,           odd ? 1.0f : 0.0f, odd ? 1.0f : -1.0f,
                               odd ? d : 0, odd ? b : a, odd ? c : a, odd ? c : b,       odd ? d : c,
                               count % 3 == 0 ? a : (count % 3 == 1 ? b : c)};
    std::copy(derived, derived + 11, m_sources.begin() + source::ValueA);
    for (size_t k = 0; k < 2; ++k) {
        const float start = m_oscs[k] ? m_oscs[k]->value() : 0.0f;
        m_sources[static_cast<size_t>(source::ModOsc1Start) + 2 * k] = start;
        m_sources[static_cast<size_t>(source::ModOsc1Start) + 2 * k + 1] = -start;
    }
    for (int i = 0; i < 8; ++i)
        m_sources[static_cast<size_t>(source::Comb1 + i)] = 1.0f;
    evaluate();
}

void CModSection::update(bool released)
{
    if (m_glide > 0) {
        --m_glide;
        for (size_t k = 0; k < m_controller.size(); ++k)
            m_controller[k] = m_glide == 0 ? m_controllerTarget[k]
                                           : m_controller[k] + (m_controllerTarget[k] - m_controller[k]) * kControllerGlide;
        writeControllerSources();
        if (m_glide == 0)
            refreshVarying();
    }
    for (size_t k = 0; k < 2; ++k)
        if (m_usesOsc[k] && m_oscRunning[k])
            m_oscs[k]->step();
    writeModuleSources();
    for (size_t k = 0; k < 2; ++k) {
        if (!m_usesEnv[k] || !m_envRunning[k])
            continue;
        const float env = released ? m_envs[k]->advanceRelease() : m_envs[k]->advance();
        m_sources[static_cast<size_t>(source::ModEnv1) + 2 * k] = env;
        m_sources[static_cast<size_t>(source::ModEnv1) + 2 * k + 1] = -env;
    }
    evaluate();
}

void CModSection::noteOff()
{
    for (size_t k = 0; k < 2; ++k) {
        if (!m_envs[k])
            continue;
        m_envs[k]->noteOff();
        m_envRunning[k] = !m_envs[k]->isConstantWithoutRelease();
    }
    refreshVarying();
}

void CModSection::copyFrom(const CModSection& other)
{
    m_combiners = other.m_combiners;
    m_values = other.m_values;
    refresh();
}

} // namespace quorvix
