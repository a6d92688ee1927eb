#include "presets/parameter_table.h"

#include "dsp/level_curve.h"
#include "engine/program_source.h"
#include "engine/timbre.h"
#include "presets/factory_bank.h"
#include "presets/value_format.h"
#include "presets/value_names.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <type_traits>
#include <map>

namespace quorvix {

namespace {

constexpr std::array<int, kAliasCount> kAliasTargets = {
    27, 28, 29, 32, 35, 36, 37, 40, 43, 44, 45, 48, 100, 101, 104, 107, 108, 109, 111, 112, 161, 162, 171, 180, 1011,
};

constexpr double kHalfPi = 1.5707963267948966;
constexpr float kMinPulse = 0.01f;
constexpr float kCoarseScale = 72.0f;
constexpr int kCoarseRange = 36;
constexpr float kCoarseReadOffset = 36.0025f;
constexpr float kFilterBase = 200.0f;
constexpr float kFilterOctaves = 4.75f;
constexpr float kShapeGainScale = 1.3333334f;
constexpr float kShapeGainOffset = 0.16666667f;
constexpr float kShapeGainRead = 0.75f;
constexpr float kDynamicScale = 4.8f;
constexpr float kDynamicOffset = 0.2f;
constexpr float kDynamicRead = 0.20833333f;
constexpr float kSixteenths = 16.0f;
constexpr float kOversamplingOctaveScale = 10.0f;
constexpr float kKeySlopeScale = 6.0f;
constexpr float kKeySlopeDisplay = 1200.0f;
constexpr float kTuningBaseRange = 4.0f;
// Kick buttons act when their value falls below this: on the release of the button.
constexpr float kKickThreshold = 0.5f;

// ---- conversions ----------------------------------------------------------------------------

int listChoice(float v, int count) { return std::min(static_cast<int>(v * static_cast<float>(count)), count - 1); }

float listValue(int n, int count) { return (static_cast<float>(n) + 0.5f) / static_cast<float>(count); }

bool isOn(float v) { return v >= 0.5f; }

float onValue(bool on) { return on ? 1.0f : 0.0f; }

const char* onText(bool on) { return on ? "On" : "Off"; }

float beatsValue(float beats, int lo, int hi) { return choiceToValue(static_cast<int>(kSixteenths * beats), lo, hi); }

float filterFrequency(float v) { return kFilterBase * std::exp2(kFilterOctaves * v); }

float filterFrequencyValue(float hz) { return std::log2(hz / kFilterBase) / kFilterOctaves; }

std::string percentText(float x) { return formatInteger(static_cast<long long>(100.0f * x)); }

std::string truncText(double x) { return formatInteger(static_cast<long long>(x)); }

std::string threeDecimals(float x) { return cutToThreeDecimals(formatDecimal(x)); }

float same(float x) { return x; }

int syncChoice(float v) { return listChoice(v, kSyncKindCount); }

float syncValue(int kind) { return listValue(kind, kSyncKindCount); }

std::string syncText(int kind) { return syncKindName(kind); }

// 0..127 sixteenths of a beat, in beats.
float sixteenthsUpTo127(float v) { return static_cast<float>(quantizeChoice(v, 0, 127)) / kSixteenths; }

// ---- record builders -------------------------------------------------------------------------

template <typename ToEngine>
CEngineRange rangeOf(ToEngine toEngine)
{
    const double a = static_cast<double>(toEngine(0.0f));
    const double b = static_cast<double>(toEngine(1.0f));
    return {std::min(a, b), std::max(a, b)};
}

// The record's conversions between normalized values and engine values of type T.
template <typename T, typename ToEngine, typename ToValue>
void convertWith(CParameterRecord& r, ToEngine toEngine, ToValue toValue)
{
    const CEngineRange range = rangeOf(toEngine);
    r.toEngine = [toEngine](float v) { return static_cast<double>(static_cast<T>(toEngine(v))); };
    // An engine value from outside (typed text) is taken within the range first.
    r.toValue = [toValue, range](double x) {
        return static_cast<float>(toValue(static_cast<T>(std::clamp(x, range.low, range.high))));
    };
    r.range = range;
    r.kind = std::is_same_v<T, bool> ? EValueKind::Switch
             : std::is_integral_v<T> ? EValueKind::Integer
                                     : EValueKind::Continuous;
}

// Groups of voice values without rules of their own, set as a whole.
struct CLevelGroup {
    static const CLevelSettings& read(const CVoice& v) { return v.settings().level; }
    static void write(CVoice& v, const CLevelSettings& s) { v.setLevels(s); }
};

struct COversamplingGroup {
    static const COversamplingSettings& read(const CVoice& v) { return v.settings().oversampling; }
    static void write(CVoice& v, const COversamplingSettings& s) { v.setOversampling(s); }
};

const CVoiceSettings& master(const CTimbre& timbre) { return timbre.masterVoice().settings(); }

struct CTableBuilder {
    std::map<int, CParameterRecord> records;

    CParameterRecord& add(int number, const char* name, const char* label)
    {
        CParameterRecord& r = records[number];
        r.name = name;
        r.label = label;
        return r;
    }
    // A field of type T of a group of voice values: set converts v and writes every voice through
    // the group's setter, get and display read the master.
    template <typename Group, typename T, typename Field, typename ToEngine, typename ToValue, typename Show>
    void voice(int number, const char* name, const char* label, Field field, ToEngine toEngine, ToValue toValue,
               Show show)
    {
        CParameterRecord& r = add(number, name, label);
        convertWith<T>(r, toEngine, toValue);
        auto write = [field](CVoice& voice, T x) {
            auto values = Group::read(voice);
            field(values) = x;
            Group::write(voice, values);
        };
        r.setVoice = [write, toEngine](CVoice& voice, float v) { write(voice, static_cast<T>(toEngine(v))); };
        r.set = [write, toEngine](CTimbre& t, float v) {
            const T x = toEngine(v);
            for (CVoice& voice : t.voices())
                write(voice, x);
        };
        r.get = [field, toValue](const CTimbre& t) { return toValue(field(Group::read(t.masterVoice()))); };
        r.display = [field, show](const CTimbre& t) { return show(field(Group::read(t.masterVoice()))); };
    }
    // A timbre-wide field.
    template <typename T, typename Field, typename ToEngine, typename ToValue, typename Show>
    void timbre(int number, const char* name, const char* label, Field field, ToEngine toEngine, ToValue toValue,
                Show show)
    {
        CParameterRecord& r = add(number, name, label);
        convertWith<T>(r, [toEngine](float v) { return toEngine(v, T {}); }, toValue);
        r.set = [field, toEngine](CTimbre& t, float v) { field(t.settings()) = toEngine(v, field(t.settings())); };
        r.get = [field, toValue](const CTimbre& t) { return toValue(field(t.settings())); };
        r.display = [field, show](const CTimbre& t) { return show(field(t.settings())); };
    }
    // A value of type T of every voice: set converts v once and applies it to each voice through
    // the voice's setter; get and display read the master.
    template <typename T, typename ToEngine, typename ToValue, typename Apply, typename Read, typename Show>
    void block(int number, const char* name, const char* label, ToEngine toEngine, ToValue toValue, Apply apply,
               Read read, Show show)
    {
        CParameterRecord& r = add(number, name, label);
        convertWith<T>(r, toEngine, toValue);
        r.setVoice = [toEngine, apply](CVoice& voice, float v) { apply(voice, static_cast<T>(toEngine(v))); };
        r.set = [toEngine, apply](CTimbre& t, float v) {
            const T x = toEngine(v);
            for (CVoice& voice : t.voices())
                apply(voice, x);
        };
        r.get = [read, toValue](const CTimbre& t) { return toValue(static_cast<T>(read(t.masterVoice()))); };
        r.display = [read, show](const CTimbre& t) { return show(static_cast<T>(read(t.masterVoice()))); };
    }
    CParameterRecord& valueless(int number, const char* name, const char* label, const char* display = "")
    {
        CParameterRecord& r = add(number, name, label);
        r.get = [](const CTimbre&) { return 0.0f; };
        r.display = [display](const CTimbre&) { return std::string(display); };
        return r;
    }
    // An editor command whose value of type T lives in the plug-in: read converts it back.
    template <typename T, typename ToEngine, typename ToValue, typename Read>
    CParameterRecord& answering(int number, const char* name, ToEngine toEngine, ToValue toValue, Read read)
    {
        CParameterRecord& r = valueless(number, name, "");
        convertWith<T>(r, toEngine, toValue);
        r.read = [number, read](const CCommandHost& host) {
            return normalizedValue(number, static_cast<double>(std::invoke(read, host)));
        };
        return r;
    }
    // ... and that the plug-in acts on: run converts v and hands the value to the action.
    template <typename T, typename ToEngine, typename ToValue, typename Act, typename Read>
    void command(int number, const char* name, ToEngine toEngine, ToValue toValue, Act act, Read read)
    {
        CParameterRecord& r = answering<T>(number, name, toEngine, toValue, read);
        r.run = [number, act](CCommandHost& host, float v) {
            return std::invoke(act, host, static_cast<T>(engineValue(number, v)));
        };
    }
    template <typename Act, typename Read>
    void choice(int number, const char* name, int count, Act act, Read read)
    {
        command<int>(
            number, name, [count](float v) { return listChoice(v, count); },
            [count](int n) { return listValue(n, count); }, act, read);
    }
    template <typename Act, typename Read>
    void onOff(int number, const char* name, Act act, Read read)
    {
        command<bool>(number, name, isOn, onValue, act, read);
    }
    // A kick button: the action runs when the value falls below the threshold; it reads 0.
    template <typename Act>
    void kick(int number, const char* name, Act act, const char* label = "", const char* display = "")
    {
        CParameterRecord& r = valueless(number, name, label, display);
        r.run = [act](CCommandHost& host, float v) {
            return v < kKickThreshold ? std::invoke(act, host) : ECommandChange::Nothing;
        };
        r.read = [](const CCommandHost&) { return 0.0f; };
    }
    // A command the editor handles alone; the plug-in only passes it on.
    void passedOn(int number, const char* name)
    {
        CParameterRecord& r = valueless(number, name, "");
        r.run = [](CCommandHost&, float) { return ECommandChange::Nothing; };
        r.read = [](const CCommandHost&) { return 0.0f; };
    }
};

constexpr const char* kWave = " Wave ";
constexpr const char* kPercent = " % ";
constexpr const char* kGrad = " Grad ";
constexpr const char* kHalftones = " Halftones ";
constexpr const char* kMode = " Mode ";
constexpr const char* kSource = " Source ";
constexpr const char* kBoolean = " Boolean ";
constexpr const char* kBeats = " Beats ";
constexpr const char* kModus = " Modus ";
constexpr const char* kShape = " Shape ";
constexpr const char* kType = " Type ";
constexpr const char* kHz = " Hz ";
constexpr const char* kNote = " Note ";
constexpr const char* kDecibel = " dB ";
constexpr const char* kMs = " ms ";
constexpr const char* kBlank = "  ";
constexpr const char* kNoLabel = "";
constexpr const char* kError = "***ERR***";

void addOscillators(CTableBuilder& b)
{
    static const char* const kNames[kOscillatorCount][8] = {
        {"OSC1 1st", "OSC1 2nd", "OSC1Pulse", "O1 Symm.", "O1 Phase", "O1 Detune Coarse", "O1 Detune Fine", "O1 Weight"},
        {"OSC2 1st", "OSC2 2nd", "OSC2Pulse", "O2 Symm.", "O2 Phase", "O2 Detune Coarse", "O2 Detune Fine", "O2 Weight"},
        {"OSC3 1st", "OSC3 2nd", "OSC3Pulse", "O3 Symm.", "O3 Phase", "O3 Detune Coarse", "O3 Detune Fine", "O3 Weight"},
    };
    auto waveChoice = [](float v) { return listChoice(v, kOscillatorWaveCount); };
    auto waveValue = [](int w) { return listValue(w, kOscillatorWaveCount); };
    auto waveText = [](int w) { return std::string(waveName(w)); };
    for (int i = 0; i < kOscillatorCount; ++i) {
        const int base = 25 + 8 * i;
        const char* const* n = kNames[i];
        auto osc = [i](const CVoice& voice) -> const COscillator& { return voice.oscillator(i); };
        b.block<int>(
            base, n[0], kWave, waveChoice, waveValue, [i](CVoice& v, int w) { v.setOscillatorWave1(i, w); },
            [osc](const CVoice& v) { return osc(v).wave1(); }, waveText);
        b.block<int>(
            base + 1, n[1], kWave, waveChoice, waveValue, [i](CVoice& v, int w) { v.setOscillatorWave2(i, w); },
            [osc](const CVoice& v) { return osc(v).wave2(); }, waveText);
        b.block<float>(
            base + 2, n[2], kPercent, same, same, [i](CVoice& v, float x) { v.setPulse(i, x); },
            [osc](const CVoice& v) { return osc(v).pulse(); }, percentText);
        b.block<float>(
            base + 3, n[3], kPercent, same, same, [i](CVoice& v, float x) { v.setSymmetry(i, x); },
            [osc](const CVoice& v) { return osc(v).symmetry(); }, percentText);
        b.block<float>(
            base + 4, n[4], kGrad, same, same, [i](CVoice& v, float x) { v.setOscillatorPhase(i, x); },
            [osc](const CVoice& v) { return osc(v).phaseParameter(); },
            [](float x) { return truncText(360.0f * x); });
        b.block<int>(
            base + 5, n[5], kHalftones, [](float v) { return static_cast<int>(kCoarseScale * v + 0.5f) - kCoarseRange; },
            [](int c) { return (static_cast<float>(c) + kCoarseReadOffset) / kCoarseScale; },
            [i](CVoice& v, int c) { v.setCoarse(i, c); }, [osc](const CVoice& v) { return osc(v).coarse(); },
            [](int c) { return formatInteger(c); });
        b.block<float>(
            base + 6, n[6], kHalftones, same, same, [i](CVoice& v, float x) { v.setFine(i, x); },
            [osc](const CVoice& v) { return osc(v).fine(); }, [](float x) { return truncText(x); });
        b.block<float>(
            base + 7, n[7], kPercent, same, same, [i](CVoice& v, float x) { v.setWeight(i, x); },
            [i](const CVoice& v) { return v.combination().weight(i); }, percentText);
    }
}

void addOscillatorCommon(CTableBuilder& b)
{
    auto toOperator = [](float v) { return quantizeChoice(v, 0, kOperatorCount - 1); };
    auto operatorValue = [](int n) { return listValue(n, kOperatorCount); };
    auto operatorText = [](int n) { return std::string(operatorName(n)); };
    b.block<int>(
        49, "OSC 1&2 Mix", kMode, toOperator, operatorValue, [](CVoice& v, int n) { v.setOperatorA(n); },
        [](const CVoice& v) { return v.combination().operatorA(); }, operatorText);
    b.block<int>(
        50, "OSC 3&12 Mix", kMode, toOperator, operatorValue, [](CVoice& v, int n) { v.setOperatorB(n); },
        [](const CVoice& v) { return v.combination().operatorB(); }, operatorText);

    // One source for all three oscillators, read back from the first.
    b.block<int>(
        51, "OSC Tune Sync", kSource, syncChoice, syncValue, [](CVoice& voice, int kind) { voice.setOscillatorSync(kind); },
        [](const CVoice& voice) { return voice.oscillator(0).clock().kind(); }, syncText);

    b.voice<COversamplingGroup, int>(
        52, "OSC Oversampling", kMode, [](auto& s) -> auto& { return s.mode; },
        [](float v) { return std::min(static_cast<int>(std::floor(3.0f * v)), kOversamplingModeCount - 1); },
        [](int n) { return listValue(n, kOversamplingModeCount); },
        [](int n) { return std::string(oversamplingModeName(n)); });
    b.voice<COversamplingGroup, float>(
        186, "OSC Oversampling", " Octave ", [](auto& s) -> auto& { return s.octaves; },
        [](float v) { return kOversamplingOctaveScale * v; }, [](float x) { return x / kOversamplingOctaveScale; },
        [](float x) { return formatDecimal(x); });
}

void addModOscillators(CTableBuilder& b)
{
    struct CNames {
        int base;
        const char* names[7];
    };
    static const CNames kSets[kModOscillatorCount] = {
        {53, {"Mod1Wave", "Mod1Once/FirstKey", "Mod1Sync", "Mod1Speed", "Mod1Phase", "Mod1DelayModus", "Mod1Delay"}},
        {60, {"Mod2Wave", "Mod2Once/FirstKey", "Mod2Sync", "Mod2Speed", "Mod2Phase", "Mod1DelayModus", "Mod2Delay"}},
        {115, {"FMod Wave", "FModOnce/FirstKey", "FMod Sync", "FModSpeed", "FModPhase", "FMod1DelayModus", "FModDelay"}},
        {122, {"FMod Wave", "FModOnce/FirstKey", "FMod Sync", "FModSpeed", "FModPhase", "FMod2DelayModus", "FModDelay"}},
    };
    for (int i = 0; i < kModOscillatorCount; ++i) {
        const int base = kSets[i].base;
        const char* const* n = kSets[i].names;
        auto mod = [i](const CVoice& voice) -> const CModOscillator& { return voice.modOscillator(i); };
        b.block<int>(
            base, n[0], kWave, [](float v) { return listChoice(v, kModOscillatorWaveCount); },
            [](int w) { return listValue(w, kModOscillatorWaveCount); }, [i](CVoice& v, int w) { v.setModWave(i, w); },
            [mod](const CVoice& v) { return mod(v).wave(); }, [](int w) { return std::string(waveName(w)); });
        // The text names both switches: run once, and whether the delay mode continues.
        b.block<bool>(
            base + 1, n[1], kBoolean, isOn, onValue, [i](CVoice& v, bool on) { v.setModOnce(i, on); },
            [mod](const CVoice& v) { return mod(v).once(); }, [](bool) { return std::string(); });
        b.records[base + 1].display = [mod](const CTimbre& t) {
            const CModOscillator& osc = mod(t.masterVoice());
            const bool continuing = osc.delayMode() == delaymode::Continue;
            return std::string(osc.once() ? (continuing ? "FirstKey" : "Once") : (continuing ? "PresetAge" : "Infinite"));
        };
        b.block<int>(
            base + 2, n[2], kSource, syncChoice, syncValue, [i](CVoice& v, int k) { v.setModSync(i, k); },
            [mod](const CVoice& v) { return mod(v).clock().kind(); }, syncText);
        b.block<float>(
            base + 3, n[3], kBeats, [](float v) { return static_cast<float>(quantizeChoice(v, 1, 128)) / kSixteenths; },
            [](float beats) { return beatsValue(beats, 1, 128); }, [i](CVoice& v, float beats) { v.setModSpeed(i, beats); },
            [mod](const CVoice& v) { return mod(v).speed(); }, [](float beats) { return formatDecimal(beats); });
        b.block<float>(
            base + 4, n[4], kGrad, same, same, [i](CVoice& v, float p) { v.setModPhase(i, p); },
            [mod](const CVoice& v) { return mod(v).phase(); },
            [](float p) { return p >= 1.0f ? std::string("Rand") : truncText(270.0f * p); });
        b.block<int>(
            base + 5, n[5], kModus, [](float v) { return listChoice(v, kDelayModeCount); },
            [](int m) { return listValue(m, kDelayModeCount); }, [i](CVoice& v, int m) { v.setModDelayMode(i, m); },
            [mod](const CVoice& v) { return mod(v).delayMode(); }, [](int m) { return std::string(delayModeName(m)); });
        b.block<float>(
            base + 6, n[6], kBeats, sixteenthsUpTo127, [](float beats) { return beatsValue(beats, 0, 127); },
            [i](CVoice& v, float beats) { v.setModDelay(i, beats); }, [mod](const CVoice& v) { return mod(v).delay(); },
            [](float beats) { return formatDecimal(beats); });
    }
}

void addShaper(CTableBuilder& b)
{
    // The curve belongs to the timbre: a change of its settings rebuilds it.
    auto curve = [](auto field) {
        return [field](auto& s) -> auto& { return field(s.shaper); };
    };
    auto rebuilt = [&b](int number, const char* name, const char* label, auto field, auto toEngine, auto toValue,
                        auto show) {
        b.timbre<decltype(toEngine(0.0f, {}))>(number, name, label, field, toEngine, toValue, show);
        CParameterRecord& r = b.records[number];
        auto set = r.set;
        r.set = [set](CTimbre& t, float v) {
            set(t, v);
            t.rebuildShaper();
        };
    };
    auto shapeChoice = [](float v, int) { return listChoice(v, kShapeCount); };
    auto shapeValue = [](int n) { return listValue(n, kShapeCount); };
    rebuilt(96, "OSC Shape 2", kShape, curve([](auto& s) -> auto& { return s.shape2; }), shapeChoice, shapeValue,
            [](int n) { return std::string(shapeName(n, true)); });
    rebuilt(97, "OSC Shape 1", kShape, curve([](auto& s) -> auto& { return s.shape1; }), shapeChoice, shapeValue,
            [](int n) { return std::string(shapeName(n, false)); });
    auto direct = [](float v, float) { return v; };
    rebuilt(98, "ShapeParam", kPercent, curve([](auto& s) -> auto& { return s.parameter; }), direct, same,
            threeDecimals);
    rebuilt(99, "ShapeSmooth", kPercent, curve([](auto& s) -> auto& { return s.smooth; }), direct, same,
            threeDecimals);

    b.block<float>(
        100, "ShapeGain", kDecibel, [](float v) { return kShapeGainScale * v + kShapeGainOffset; },
        [](float x) { return (x - kShapeGainOffset) * kShapeGainRead; }, [](CVoice& v, float x) { v.setShaperGain(x); },
        [](const CVoice& v) { return v.settings().shaper.gain; },
        [](float x) { return cutToThreeDecimals(formatDecibel(x)); });
    b.block<float>(
        101, "ShapePos.", kBlank, [](float v) { return 2.0f * v - 1.0f; }, [](float x) { return (x + 1.0f) / 2.0f; },
        [](CVoice& v, float x) { v.setShaperPosition(x); }, [](const CVoice& v) { return v.settings().shaper.position; },
        threeDecimals);
    b.block<bool>(
        102, "PostFilter", kBoolean, isOn, onValue, [](CVoice& v, bool on) { v.setPostFilter(on); },
        [](const CVoice& v) { return v.settings().shaper.postFilter; }, onText);

    // Both the timbre's table and the voices keep the limiter switch.
    CParameterRecord& limiter = b.add(103, "LimiterBug", kBoolean);
    limiter.set = [](CTimbre& t, float v) {
        t.settings().shaper.limiter = isOn(v);
        t.shaperTable().setLimiter(isOn(v));
        for (CVoice& voice : t.voices())
            voice.setShaperLimiter(isOn(v));
    };
    limiter.get = [](const CTimbre& t) { return onValue(master(t).shaper.limiter); };
    limiter.display = [](const CTimbre& t) { return std::string(onText(master(t).shaper.limiter)); };
    limiter.kind = EValueKind::Switch;

    b.block<float>(
        104, "ShapeMix", kPercent, same, same, [](CVoice& v, float x) { v.setShaperMix(x); },
        [](const CVoice& v) { return v.settings().shaper.mix; }, percentText);
}

void addFilter(CTableBuilder& b)
{
    auto filter = [](const CVoice& v) -> const CFilterSettings& { return v.settings().filter; };
    b.block<int>(
        105, "Filter", kType, [](float v) { return std::min(static_cast<int>(9.0f * v + 0.4f), kFilterTypeCount - 1); },
        [](int n) { return static_cast<float>(n) / 9.0f; }, [](CVoice& v, int n) { v.setFilterType(n); },
        [filter](const CVoice& v) { return filter(v).type; }, [](int n) { return std::string(filterTypeName(n)); });
    b.block<int>(
        106, "Level", kType, [](float v) { return quantizeChoice(v, 1, 8); },
        [](int n) { return static_cast<float>(n - 1) / 7.0f; }, [](CVoice& v, int n) { v.setFilterLevel(n); },
        [filter](const CVoice& v) { return filter(v).level; }, [](int n) { return formatInteger(n); });
    b.block<float>(
        107, "FiltParam", kPercent, same, same, [](CVoice& v, float p) { v.setFilterParameter(p); },
        [filter](const CVoice& v) { return filter(v).parameter; }, percentText);
    b.block<float>(
        108, "FiltFreq", kHz, filterFrequency, filterFrequencyValue, [](CVoice& v, float hz) { v.setFilterFrequency(hz); },
        [filter](const CVoice& v) { return filter(v).frequency; }, [](float hz) { return truncText(hz); });
    b.block<float>(
        109, "ResWeight", kPercent, same, same, [](CVoice& v, float w) { v.setResonanceWeight(w); },
        [filter](const CVoice& v) { return filter(v).resonanceWeight; }, percentText);
    b.block<bool>(
        110, "Res.Sep.", kBoolean, isOn, onValue, [](CVoice& v, bool on) { v.setResonanceSeparate(on); },
        [filter](const CVoice& v) { return filter(v).separate; }, onText);
    b.block<float>(
        111, "Res.Freq.", kHz, filterFrequency, filterFrequencyValue,
        [](CVoice& v, float hz) { v.setResonanceFrequency(hz); },
        [filter](const CVoice& v) { return filter(v).resonanceFrequency; }, [](float hz) { return truncText(hz); });
    b.block<float>(
        112, "Resonance", kBlank, [](float v) { return v * v; }, [](float r) { return std::sqrt(r); },
        [](CVoice& v, float r) { v.setResonance(r); }, [filter](const CVoice& v) { return filter(v).resonance; },
        [](float r) { return cutToThreeDecimals(formatDecimal(std::sqrt(r))); });
    b.block<int>(
        113, "KeybMid", kNote, [](float v) { return quantizeChoice(v, 0, 127); },
        [](int key) { return choiceToValue(key, 0, 127); }, [](CVoice& v, int key) { v.setKeyMid(key); },
        [filter](const CVoice& v) { return filter(v).keyMid; }, [](int key) { return formatInteger(key); });
    b.block<float>(
        114, "KeybSlope", " %Freq/Note ", [](float v) { return v / kKeySlopeScale; },
        [](float slope) { return kKeySlopeScale * slope; }, [](CVoice& v, float slope) { v.setKeySlope(slope); },
        [filter](const CVoice& v) { return filter(v).keySlope; },
        [](float slope) { return formatDecimal(kKeySlopeDisplay * slope); });
}

void addLevels(CTableBuilder& b)
{
    b.voice<CLevelGroup, float>(
        158, "Dynamic", kBoolean, [](auto& s) -> auto& { return s.dynamic; },
        [](float v) { return kDynamicScale * v + kDynamicOffset; },
        [](float x) { return (x - kDynamicOffset) * kDynamicRead; },
        [](float x) { return formatDecimal((x - kDynamicOffset) * kDynamicRead); });
    b.voice<CLevelGroup, int>(
        159, "VolKeybMid", kNote, [](auto& s) -> auto& { return s.volumeKeyMid; },
        [](float v) { return quantizeChoice(v, 0, 127); }, [](int n) { return choiceToValue(n, 0, 127); },
        [](int n) { return formatInteger(n); });
    b.voice<CLevelGroup, float>(
        160, "VolKeybSlope", kDecibel, [](auto& s) -> auto& { return s.volumeKeySlope; },
        [](float v) { return std::exp2(2.0f * v - 1.0f); }, [](float x) { return (std::log2(x) + 1.0f) / 2.0f; },
        [](float x) { return formatDecimal(20.0 * std::log10(x)); });
    b.voice<CLevelGroup, float>(
        161, "Main Vol.", kDecibel, [](auto& s) -> auto& { return s.mainVolume; },
        [](float v) { return static_cast<float>(levelGain(v)); },
        [](float x) {
            return static_cast<float>(std::clamp(levelOfGain(x), 0.0, 1.0));
        },
        [](float x) { return cutToThreeDecimals(formatDecibel(x)); });
    b.block<double>(
        162, "Pan", " % Left ", [](float v) { return double(v) * kHalfPi; },
        [](double angle) { return static_cast<float>(angle / kHalfPi); }, [](CVoice& voice, double angle) { voice.setPan(angle); },
        [](const CVoice& voice) { return voice.settings().level.panAngle; },
        [](double angle) { return truncText(100.0 * angle / kHalfPi); });
    b.voice<CLevelGroup, float>(
        181, "PitchBend", kHalftones, [](auto& s) -> auto& { return s.pitchBendRange; },
        [](float v) { return static_cast<float>(quantizeChoice(v, 0, 26) - 1); },
        [](float x) { return choiceToValue(static_cast<int>(x + 1.0f), 0, 26); },
        [](float x) { return x < 0.0f ? std::string("TUN") : formatDecimal(x); });
    b.voice<CLevelGroup, float>(
        182, "Portamento", kBeats, [](auto& s) -> auto& { return s.portamento; }, sixteenthsUpTo127,
        [](float x) { return beatsValue(x, 0, 127); }, [](float x) { return formatDecimal(x); });
    b.block<int>(
        183, "PortaSync", kSource, syncChoice, syncValue, [](CVoice& voice, int kind) { voice.setPortamentoSync(kind); },
        [](const CVoice& voice) { return voice.portamentoClock().kind(); }, syncText);
    b.voice<CLevelGroup, float>(
        184, "Dirty Tuning", kHalftones, [](auto& s) -> auto& { return s.dirtyTuning; },
                   [](float v) { return v; }, [](float x) { return x; }, [](float x) { return formatDecimal(x); });
}

void addEffects(CTableBuilder& b)
{
    struct CNames {
        int base;
        const char* names[9];
    };
    static const CNames kUnits[kEffectUnitCount] = {
        {163, {"Effect 1", "FX1 Time 1", "FX1 Time 2", "FX1 Depth 1", "FX1 Depth 2", "FX1 Gain 1", "FX1 Gain 2",
               "FX1 Spread", "FX1 Mix"}},
        {172, {"Effect 2", "FX2 Time 1", "FX2 Time 2", "FX2 Depth 1", "FX2 Depth 2", "FX2 Gain 1", "FX2 Gain 2",
               "FX2 Spread", "FX2 Mix"}},
    };
    // What each slot reads from the unit's engine values, and how it is shown.
    struct CSlotRead {
        const char* label;
        float (*value)(const CEffectUnit&);
        std::string (*text)(float);
    };
    static const CSlotRead kSlots[9] = {
        {kType, [](const CEffectUnit& e) { return static_cast<float>(e.type()); },
         [](float x) { return std::string(effectTypeName(static_cast<int>(x))); }},
        {kMs, [](const CEffectUnit& e) { return static_cast<float>(e.time1()); }, [](float x) { return truncText(x); }},
        {kMs, [](const CEffectUnit& e) { return static_cast<float>(e.time2()); }, [](float x) { return truncText(x); }},
        {kMs, [](const CEffectUnit& e) { return e.depth1(); }, [](float x) { return truncText(x); }},
        {kMs, [](const CEffectUnit& e) { return e.depth2(); }, [](float x) { return truncText(x); }},
        {kPercent, [](const CEffectUnit& e) { return e.gain1(); },
         [](float x) { return percentText(CEffectUnit::normalizedValue(slot::Gain1, x)); }},
        {kPercent, [](const CEffectUnit& e) { return e.gain2(); },
         [](float x) { return percentText(CEffectUnit::normalizedValue(slot::Gain2, x)); }},
        {kPercent, [](const CEffectUnit& e) { return e.spread(); }, percentText},
        {kPercent, [](const CEffectUnit& e) { return e.mix(); }, percentText},
    };
    for (int u = 0; u < kEffectUnitCount; ++u) {
        for (int slot = 0; slot < 9; ++slot) {
            const CSlotRead& read = kSlots[slot];
            CParameterRecord& r = b.add(kUnits[u].base + slot, kUnits[u].names[slot], read.label);
            convertWith<float>(
                r, [slot](float v) { return CEffectUnit::engineValue(slot, v); },
                [slot](float x) { return CEffectUnit::normalizedValue(slot, x); });
            r.set = [u, slot](CTimbre& t, float v) { t.effect(u).setParameter(slot, v, t.mayAllocate()); };
            r.get = [u, slot, value = read.value](const CTimbre& t) {
                return CEffectUnit::normalizedValue(slot, value(t.effect(u)));
            };
            r.display = [u, value = read.value, text = read.text](const CTimbre& t) { return text(value(t.effect(u))); };
        }
    }
}

void addTimbreSettings(CTableBuilder& b)
{
    CParameterRecord& polyphony = b.add(185, "Polyphony", "Voices");
    polyphony.set = [](CTimbre& t, float v) { t.setPolyphony(quantizeChoice(v, 0, kMaxPolyphony)); };
    polyphony.get = [](const CTimbre& t) { return choiceToValue(t.settings().polyphony, 0, kMaxPolyphony); };
    polyphony.display = [](const CTimbre& t) { return formatInteger(t.settings().polyphony); };
    polyphony.range = {0.0, static_cast<double>(kMaxPolyphony)};
    polyphony.kind = EValueKind::Integer;

    CParameterRecord& quality = b.add(cmd::Quality, "Quality", kBlank);
    quality.set = [](CTimbre& t, float v) { t.setQuality(v < 0.5f ? 1 : 4); };
    quality.get = [](const CTimbre& t) { return t.settings().quality >= 2 ? 1.0f : 0.0f; };
    quality.display = [](const CTimbre& t) { return std::string(t.settings().quality >= 2 ? "High" : "Normal"); };
    quality.kind = EValueKind::Switch;
}

void addReserved(CTableBuilder& b)
{
    for (int n = 67; n <= 95; ++n)
        b.valueless(n, "OSCMod Combiner", kError, kError);
    for (int n = 129; n <= 157; ++n)
        b.valueless(n, "FilterMod Combiner", kError, kError);
}

// Editor commands that only the editor uses.
void addEditorCommands(CTableBuilder& b)
{
    static const std::pair<int, const char*> kCommands[] = {
        {1001, "OSCMod LEnv 1"},         {1002, "OSCMod LEnv 2"},      {1003, "FilterMod LEnv 1"},
        {1004, "FilterMod LEnv 2"},      {1005, "ADSR LEnv"},          {1024, "NaviButton Overview"},
        {1025, "NaviButton OSC"},        {1026, "NaviButton OSCMod"},  {1027, "NaviButton WaveShaper"},
        {1028, "NaviButton Filter"},     {1029, "NaviButton FilterMod"}, {1030, "NaviButton Envelope"},
        {1031, "NaviButton Misc"},       {1032, "SkinSelector"},       {1033, "LogoAboutBox"},
    };
    for (const auto& [number, name] : kCommands)
        b.valueless(number, name, kNoLabel);
}

// Editor commands that the plug-in acts on or answers.
void addPluginCommands(CTableBuilder& b)
{
    using H = CCommandHost;
    b.passedOn(cmd::UpdateControls, "Update Controls");
    b.choice(cmd::Channel, "Channel", kTimbreCount, &H::selectTimbre, &H::selectedTimbre);
    b.choice(cmd::Program, "Program", kProgramCount, &H::changeProgram, &H::currentProgram);
    b.kick(cmd::ProgramMinus, "Program -1", [](H& host) { return host.stepProgram(-1); });
    b.kick(cmd::ProgramPlus, "Program +1", [](H& host) { return host.stepProgram(1); });
    b.kick(cmd::StorePreset, "Store Preset", &H::storePreset, "KickButton", "Kickbutton");
    b.kick(cmd::CopyPreset, "Copy Preset", &H::copyPreset);
    b.kick(cmd::PastePreset, "Paste Preset", &H::pastePreset);
    b.kick(cmd::SwapPreset, "Swap Preset", &H::swapPreset);
    b.kick(cmd::InitPreset, "Init Preset", &H::initPreset);
    b.choice(cmd::LoadBankSelector, "LoadBankSelector", kBankSelectorCount, &H::loadBank, &H::bankSelector);
    b.onOff(cmd::KnobMode, "KnobMode", &H::setKnobMode, &H::knobMode);
    b.choice(cmd::TuningSource, "TuningSource", kTuningSourceCount, &H::setTuningSource, &H::tuningSource);
    // Semitones added to every key, -2..2.
    b.command<float>(
        cmd::TuningBase, "TuningBase", [](float v) { return (v - 0.5f) * kTuningBaseRange; },
        [](float x) { return x / kTuningBaseRange + 0.5f; }, &H::setTuningBase, &H::tuningBase);
    b.choice(cmd::OscOversampling, "OSC-Oversampling", kOscOversamplingChoices, &H::setOscOversampling,
             &H::oscOversampling);
    b.onOff(cmd::MonoTimbralMode, "Mono Timbral Mode", &H::setMonoTimbralSetting, &H::monoTimbralSetting);
    b.onOff(cmd::AutoStorePresetChanges, "AutoStorePresetChanges", &H::setAutoStore, &H::autoStoreSetting);
}

class CTable {
public:
    CTable()
    {
        CTableBuilder b;
        addOscillators(b);
        addOscillatorCommon(b);
        addModOscillators(b);
        addShaper(b);
        addFilter(b);
        addLevels(b);
        addEffects(b);
        addTimbreSettings(b);
        addReserved(b);
        addEditorCommands(b);
        addPluginCommands(b);
        m_unknown.display = [](const CTimbre&) { return std::string(kError); };
        m_unknown.get = [](const CTimbre&) { return 0.0f; };
        for (auto& [number, record] : b.records)
            m_slots[slotOf(number)] = std::move(record);
        for (auto& slot : m_slots)
            if (!slot.display)
                slot = m_unknown;
    }
    const CParameterRecord& record(int number) const
    {
        const int slot = slotOf(number);
        return slot < 0 ? m_unknown : m_slots[slot];
    }

private:
    static constexpr int kSlotCount = kParametersPerTimbre + (kLastCommand - kFirstCommand + 1);
    // Numbers 0..199 map to themselves, the commands follow.
    static int slotOf(int number)
    {
        if (number >= 0 && number < kParametersPerTimbre)
            return number;
        if (number >= kFirstCommand && number <= kLastCommand)
            return kParametersPerTimbre + number - kFirstCommand;
        return -1;
    }
    CParameterRecord m_unknown;
    std::array<CParameterRecord, kSlotCount> m_slots;
};

// Built when the library loads, so no parameter call, even the first on the audio thread, allocates.
const CTable gTable;

} // namespace

int resolveParameterNumber(int number)
{
    if (number >= 0 && number < kAliasCount)
        return kAliasTargets[number];
    return number;
}

const CParameterRecord& parameterRecord(int number) { return gTable.record(number); }

EParameterSection parameterSection(int number)
{
    // The first number of each section after the oscillators, in the order of the numbers.
    struct CStart {
        int first;
        EParameterSection section;
    };
    static constexpr CStart kStarts[] = {
        {53, EParameterSection::OscillatorModulation}, {96, EParameterSection::Shaper},
        {105, EParameterSection::Filter},              {115, EParameterSection::FilterModulation},
        {158, EParameterSection::VolumeAndEffects},    {185, EParameterSection::Misc},
    };
    constexpr int kOversamplingOctaves = 186;
    number = resolveParameterNumber(number);
    if (number == kOversamplingOctaves)
        return EParameterSection::Oscillators;
    EParameterSection section = EParameterSection::Oscillators;
    for (const CStart& start : kStarts)
        if (number >= start.first)
            section = start.section;
    return section;
}

const char* sectionName(EParameterSection section)
{
    static const char* const kNames[kParameterSectionCount] = {
        "Oscillators", "Oscillator modulation", "Shaper", "Filter", "Filter modulation", "Volume and effects", "Misc",
    };
    return kNames[static_cast<int>(section)];
}

const CParameterRecord* commandRecord(int index)
{
    return index >= kFirstCommand && index <= kLastCommand ? &gTable.record(index) : nullptr;
}

void setParameterValue(CTimbre& timbre, int number, float value)
{
    if (std::isnan(value))
        return;
    const CParameterRecord& record = parameterRecord(number);
    if (record.set)
        record.set(timbre, std::clamp(value, 0.0f, 1.0f));
}

float parameterValue(const CTimbre& timbre, int number)
{
    const float v = parameterRecord(number).get(timbre);
    return std::isnan(v) ? 0.0f : std::clamp(v, 0.0f, 1.0f);
}

std::string parameterText(const CTimbre& timbre, int number) { return parameterRecord(number).display(timbre); }

void setVoiceParameter(CTimbre& timbre, CVoice& voice, int number, float value)
{
    const CParameterRecord& record = parameterRecord(number);
    if (record.setVoice)
        record.setVoice(voice, value);
    else if (record.set)
        record.set(timbre, value);
}

double limitToParameter(int number, double value, double fallback)
{
    const CParameterRecord& r = parameterRecord(number);
    if (std::isnan(value))
        value = fallback;
    return r.toEngine ? std::clamp(value, r.range.low, r.range.high) : value;
}

double engineValue(int number, float value)
{
    const CParameterRecord& r = parameterRecord(number);
    return r.toEngine ? r.toEngine(std::clamp(value, 0.0f, 1.0f)) : 0.0;
}

float normalizedValue(int number, double engine)
{
    const CParameterRecord& r = parameterRecord(number);
    return r.toValue && !std::isnan(engine) ? std::clamp(r.toValue(engine), 0.0f, 1.0f) : 0.0f;
}

} // namespace quorvix
