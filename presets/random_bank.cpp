#include "presets/random_bank.h"

#include "dsp/loop_envelope.h"
#include "dsp/mod_section.h"
#include "dsp/runtime_rand.h"
#include "presets/audition.h"
#include "presets/program_limits.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace quorvix {

namespace {

// The generator's values as 0..1, both ends included.
constexpr float kUnitScale = 1.0f / kRuntimeRandMax;
// A random shaper gain, 0.33333334..1.5, straight from the generator's value.
constexpr float kRandomGainBase = 0.33333334f;
constexpr float kRandomGainStep = 3.560384e-05f;
constexpr int kRandomWaves = 52;  // waves 1..52
constexpr int kRandomShapes = 25;
constexpr int kRandomFilterTypes = 9;
constexpr int kDelayModes = 3;
constexpr int kOversamplingOff = 0;
constexpr int kOversamplingAlways = 2;
// Envelopes this short are mostly replaced by random ones.
constexpr int kShortEnvelopeLastPoint = 3;

// The audition's level: the mean loudness of notes 48 and 72 at main volume 0.5 lands here.
constexpr double kTargetLoudness = 0.07071067690849304;
constexpr float kMeasuredVolume = 0.5f;
constexpr double kQuietestVolume = 0.0039810715; // -48 dB: louder candidates are refused
constexpr double kLoudestVolume = 12.589254;     // +22 dB
constexpr double kRefusedVolume = 24.0;          // beyond this the candidate is nearly silent
// The band booster's wet gain is 10^((mix - 1) x 2.4).
constexpr double kBoosterDecades = 2.4;
constexpr double kInverseQuietest = 251.18865458472206; // 10^2.4
// Volume key slope: the loudness ratio of the two notes, within these bounds.
constexpr double kSlopeRefusedBelow = 0.125;
constexpr double kLowestSlope = 0.5;
constexpr double kHighestSlope = 2.0;
constexpr double kSlopeRefusedAbove = 8.0;
constexpr int kBalancedKeyCentre = 60;
constexpr float kBreedDynamic = 2.0f;
constexpr char kRandomName[] = "Randomized";

// Programs 0..31 come each from one pool section: the current bank for 0..3, bank 0 for 4..6, ...
constexpr int kSectionedPrograms = 32;

float uniform() { return static_cast<float>(runtimeRand()) * kUnitScale; }

bool chance(float probability) { return uniform() < probability; }

// floor(n r); r = 1 gives the last choice rather than one past it.
int choose(int n) { return std::min(static_cast<int>(uniform() * static_cast<float>(n)), n - 1); }

int either() { return chance(0.5f) ? 0 : 1; }

class CPicker {
public:
    CPicker(const CProgramPool& pool, int first, int end) : m_pool(pool), m_first(first), m_end(end) {}
    const CProgram& operator()() const { return m_pool[static_cast<size_t>(m_first + choose(m_end - m_first))]; }

private:
    const CProgramPool& m_pool;
    int m_first;
    int m_end;
};

// The oscillator each target takes for a draw of 0, 1 and 2..4, and the mix that comes with it
// (0 "mix 1&2", 1 "mix 3&12", -1 none).
struct COscillatorDraw {
    int oscillator;
    int mix;
};
constexpr COscillatorDraw kOscillatorDraws[kOscillatorCount][3] = {
    {{2, -1}, {1, -1}, {0, -1}},
    {{0, 0}, {2, 1}, {1, 0}},
    {{0, 0}, {1, 1}, {2, 1}},
};

int mixOf(const CCombinationSettings& c, int mix) { return mix == 0 ? c.operatorA : c.operatorB; }

void breedOscillator(const CPicker& pick, int target, CProgram& p)
{
    const CProgram& from = pick();
    const COscillatorDraw draw = kOscillatorDraws[target][std::min(choose(5), 2)];
    COscillatorSettings& o = p.oscillators[static_cast<size_t>(target)];
    o = from.oscillators[static_cast<size_t>(draw.oscillator)];
    p.combination.weights[static_cast<size_t>(target)] = from.combination.weights[static_cast<size_t>(draw.oscillator)];
    // Oscillator 2 brings the new "mix 1&2", oscillator 3 the new "mix 3&12".
    if (draw.mix >= 0)
        (target == 1 ? p.combination.operatorA : p.combination.operatorB) = mixOf(from.combination, draw.mix);
    if (chance(0.05f)) {
        o.wave1 = 1 + choose(kRandomWaves);
        o.wave2 = chance(0.5f) ? 1 + choose(kRandomWaves) : 0;
    }
}

void breedEnvelopes(const CPicker& pick, CModulationSettings CSound::*section, CProgram& p)
{
    for (CEnvelopeShape& shape : (p.*section).envelopes) {
        shape = (pick().*section).envelopes[static_cast<size_t>(either())];
        if (chance(shape.lastPoint <= kShortEnvelopeLastPoint ? 0.8f : 0.1f)) {
            CLoopEnvelope envelope(EEnvelopeKind::Modulation);
            envelope.randomize();
            shape = envelope.storedShape();
        }
    }
}

void breedCombiners(const CPicker& pick, CModulationSettings CSound::*section, ESectionKind kind, CProgram& p)
{
    CCombinerSet& set = (p.*section).combiners;
    set = (pick().*section).combiners;
    if (!chance(0.2f))
        return;
    CModSection edit(kind);
    edit.assign(set);
    for (int i = 0; i < kCombiners; ++i) {
        if (!chance(0.5f))
            continue;
        edit.setSource1(i, choose(kModSources));
        if (uniform() >= 0.8f) {
            edit.setOperator(i, choose(kCombinerOperators));
            edit.setSource2(i, choose(kModSources));
        } else {
            edit.setOperator(i, combine::Source1);
        }
        edit.setDestination(i, choose(destinationCount(kind)));
    }
    for (int k = 0; k < 4; ++k)
        if (chance(0.5f))
            edit.setValue(k, uniform());
    set = edit.combinerSet();
}

void breedShaper(const CPicker& pick, CProgram& p)
{
    const CProgram& s = pick();
    if (chance(0.25f)) {
        p.shaperTable.shape1 = choose(kRandomShapes);
        p.shaperTable.shape2 = choose(kRandomShapes);
    } else {
        p.shaperTable.shape1 = s.shaperTable.shape1;
        p.shaperTable.shape2 = s.shaperTable.shape2;
    }
    p.shaper = s.shaper;
    p.shaperTable.parameter = s.shaperTable.parameter;
    p.shaperTable.smooth = s.shaperTable.smooth;
    p.shaperTable.limiter = s.shaperTable.limiter;
    if (chance(0.25f)) {
        p.shaperTable.parameter = uniform();
        p.shaperTable.smooth = uniform();
        p.shaper.gain = kRandomGainBase + static_cast<float>(runtimeRand()) * kRandomGainStep;
        p.shaper.position = 0.0f;
        if (chance(0.2f)) {
            const float r = uniform();
            p.shaper.position = chance(0.5f) ? r * r / 4.0f : -r * r / 4.0f;
        }
        p.shaper.mix = uniform();
    }
}

void breedFilter(const CPicker& pick, CProgram& p)
{
    const CFilterSettings& u = pick().filter;
    CFilterSettings& f = p.filter;
    f.type = chance(0.1f) ? choose(kRandomFilterTypes) : u.type;
    const CFilterSettings& stages = chance(0.1f) ? pick().filter : u;
    f.level = stages.level;
    f.parameter = stages.parameter;
    const CFilterSettings& frequencies = chance(0.1f) ? pick().filter : u;
    f.frequency = frequencies.frequency;
    f.resonanceWeight = frequencies.resonanceWeight;
    f.separate = frequencies.separate;
    f.resonanceFrequency = frequencies.resonanceFrequency;
    f.resonance = frequencies.resonance;
    const CFilterSettings& tracking = chance(0.05f) ? pick().filter : u;
    f.keyMid = tracking.keyMid;
    f.keySlope = tracking.keySlope;
}

CProgram breedCandidate(const CPicker& pick)
{
    CProgram p;
    p.setName(kRandomName);
    for (int target = 0; target < kOscillatorCount; ++target)
        breedOscillator(pick, target, p);
    p.oversampling.mode = uniform() > 0.8f ? kOversamplingAlways : kOversamplingOff;
    for (CModOscillatorSettings& osc : p.oscillatorModulation.oscillators) {
        osc = pick().oscillatorModulation.oscillators[static_cast<size_t>(either())];
        if (chance(0.1f))
            osc.delayMode = choose(kDelayModes);
    }
    breedEnvelopes(pick, &CSound::oscillatorModulation, p);
    breedCombiners(pick, &CSound::oscillatorModulation, ESectionKind::Oscillator, p);
    breedShaper(pick, p);
    breedFilter(pick, p);
    for (CModOscillatorSettings& osc : p.filterModulation.oscillators)
        osc = pick().filterModulation.oscillators[static_cast<size_t>(either())];
    breedEnvelopes(pick, &CSound::filterModulation, p);
    breedCombiners(pick, &CSound::filterModulation, ESectionKind::Filter, p);

    const CProgram& amplitude = pick();
    p.amplitudeEnvelope = amplitude.amplitudeEnvelope;
    p.level.dynamic = kBreedDynamic;
    setStandardPlaying(p);
    p.level.dirtyTuning = 0.0f;
    p.level.panAngle = pick().level.panAngle;
    p.level.mainVolume = kMeasuredVolume;
    const CProgram& first = pick();
    p.effects[0] = first.effects[chance(0.4f) ? 1 : 0];
    const CProgram& second = pick();
    p.effects[1] = second.effects[chance(0.6f) ? 1 : 0];
    p.level.volumeKeyMid = kBalancedKeyCentre;
    p.level.volumeKeySlope = 1.0f;
    limitProgram(p);
    return p;
}

// A band booster's wet part is lowered for a candidate too loud for the quietest main volume.
void lowerBoosterMix(CEffectSettings& e, double& volume)
{
    if (e.type != effect::FreqBoost || !(e.mix > 0.0f))
        return;
    const double wetGain = std::pow(10.0, (e.mix - 1.0) * kBoosterDecades);
    const double mix = std::log10(volume * wetGain * kInverseQuietest) / kBoosterDecades + 1.0;
    if (mix < 0.0) {
        e.mix = 0.0f;
        volume *= wetGain * kInverseQuietest;
    } else {
        e.mix = static_cast<float>(mix);
    }
}

// Main volume and volume key slope from the loudness of notes 48 and 72; false when refused.
bool levelCandidate(CProgram& p, double low, double high)
{
    bool accepted = true;
    double volume = kTargetLoudness / ((low + high) / 2.0) * kMeasuredVolume;
    if (std::isnan(volume)) {
        volume = 1.0;
        accepted = false;
    } else if (volume < kQuietestVolume) {
        for (CEffectSettings& e : p.effects)
            lowerBoosterMix(e, volume);
        if (volume < kQuietestVolume) {
            volume = kQuietestVolume;
            accepted = false;
        }
    } else if (volume > kRefusedVolume) {
        volume = 1.0;
        accepted = false;
    } else if (volume > kLoudestVolume) {
        volume = kLoudestVolume;
    }
    p.level.mainVolume = static_cast<float>(volume);

    double slope = std::sqrt(low / high);
    if (std::isnan(slope)) {
        slope = 1.0;
        accepted = false;
    } else if (slope < kSlopeRefusedBelow || slope > kSlopeRefusedAbove) {
        accepted = false;
    }
    p.level.volumeKeySlope = static_cast<float>(std::clamp(slope, kLowestSlope, kHighestSlope));
    return accepted;
}

} // namespace

CProgramPool buildBreedingPool(const CBankPrograms& current,
                               const std::array<const CStoredBank*, kFactoryBankCount>& banks)
{
    CProgramPool pool;
    pool.reserve(kPoolSize);
    pool.insert(pool.end(), current.begin(), current.end());
    auto section = std::make_unique<CBankPrograms>(current);
    for (const CStoredBank* bank : banks) {
        loadStoredBank(bank, *section);
        pool.insert(pool.end(), section->begin(), section->end());
    }
    return pool;
}

int generateRandomProgram(const CProgramPool& pool, int first, int end, CProgram& target, CTimbre& measuring)
{
    first = std::max(first, 0);
    end = std::min(end, static_cast<int>(pool.size()));
    if (first >= end)
        return 0;
    const CPicker pick(pool, first, end);
    for (int attempt = 1; attempt <= kMaxBreedingAttempts; ++attempt) {
        CProgram candidate = breedCandidate(pick);
        const std::array<CLoudness, 2> measured = measureLoudness(measuring, candidate);
        const bool accepted = levelCandidate(candidate, measured[0].loudness, measured[1].loudness);
        target = std::move(candidate);
        if (accepted)
            return attempt;
    }
    return 0;
}

bool generateRandomBank(const CProgramPool& pool, CTimbre& measuring, CBankPrograms& bank,
                        std::array<int, kProgramCount>& attempts)
{
    const int whole = static_cast<int>(pool.size());
    for (int i = 0; i < kProgramCount; ++i) {
        int first = 0;
        int end = whole;
        if (i < kSectionedPrograms) {
            first = kPoolSections * i / kSectionedPrograms * kProgramCount;
            end = first + kProgramCount;
        }
        attempts[static_cast<size_t>(i)] = generateRandomProgram(pool, first, end, bank[static_cast<size_t>(i)], measuring);
        if (attempts[static_cast<size_t>(i)] == 0)
            return false;
    }
    CProgram& last = bank[kProgramCount - 1];
    for (CEffectSettings& e : last.effects)
        e.type = effect::None;
    return true;
}

} // namespace quorvix
