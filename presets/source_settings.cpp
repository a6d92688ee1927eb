#include "presets/source_settings.h"

#include "dsp/effect_unit.h"
#include "dsp/tempo_clock.h"
#include "presets/editor_text.h"
#include "presets/factory_bank.h"
#include "presets/parameter_table.h"
#include "presets/value_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>

namespace quorvix {

namespace {

// A value the program holds may differ from the written one by this much (relative, at least
// this absolute); decibels are compared to a twentieth of a dB.
constexpr double kTolerance = 1e-4;
constexpr double kDecibelTolerance = 0.05;
constexpr double kPercent = 100.0;
constexpr double kDegrees = 360.0;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr double kSixteenthsPerBeat = 16.0;
constexpr double kLastFine = 0.49999;     // the fine detune's last value below the beat range
constexpr double kBeatingSteps = 256.0;   // sixteenths of the longest beating
// Key tracking in percent: 100 % moves the cutoff an octave per octave (1/12 per key).
constexpr double kKeyTrackPercent = 1200.0;
constexpr double kValueLimit = 2.0; // combiner values a..d
constexpr float kRandomPhase = 1.0f;
// Envelope tables hold 16 beats before the sustain (or loop end) and 16 beats of release.
constexpr double kEnvelopeBeats = 16.0;

// Parameter numbers of the first of each group.
constexpr int kOscillatorFirst[kOscillatorCount] = {25, 33, 41};
constexpr int kLfoFirst[2][2] = {{53, 60}, {115, 122}};
constexpr int kEffectFirst[kEffectUnitCount] = {163, 172};

enum EOrder { Clocks = 0, Values = 1, Shapes = 2 };

using Reader = std::function<bool(CTokenReader&, CProgram&, std::string&)>;

struct CSetting {
    int order = Values;
    Reader apply;
};

std::string number(double x)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", x);
    return text;
}

std::string withUnit(double x, const std::string& unit) { return number(x) + (unit.empty() ? "" : " " + unit); }

// ---- units -----------------------------------------------------------------------------------

// A unit of a parameter: how a written value becomes the parameter's normalized value and back.
// refuse says why the unit cannot be used in this program ("" when it can).
struct CUnit {
    std::string name; // "" for a plain number
    std::function<double(double, const CProgram&)> toValue;
    std::function<double(double, const CProgram&)> fromValue;
    std::function<std::string(const CProgram&)> refuse = nullptr;
    double tolerance = kTolerance;
};

// Engine values of the parameter times factor are the written values.
CUnit scaled(int n, const char* name, double factor)
{
    return {name, [n, factor](double x, const CProgram&) { return normalizedValue(n, x / factor); },
            [n, factor](double v, const CProgram&) { return engineValue(n, static_cast<float>(v)) * factor; }};
}

CUnit same(int n, const char* name) { return scaled(n, name, 1.0); }

// The engine value is a gain (or a gain per octave); written in dB.
CUnit decibels(int n, const char* name = "dB")
{
    return {name, [n](double db, const CProgram&) { return normalizedValue(n, std::pow(10.0, db / 20.0)); },
            [n](double v, const CProgram&) { return 20.0 * std::log10(engineValue(n, static_cast<float>(v))); },
            nullptr, kDecibelTolerance};
}

// The written value is the normalized value itself (times factor).
CUnit normalized(const char* name, double factor)
{
    return {name, [factor](double x, const CProgram&) { return x / factor; },
            [factor](double v, const CProgram&) { return v * factor; }};
}

std::string needsFixedClock(int kind, const std::string& unit)
{
    if (fixedClockRate(kind) > 0.0f)
        return "";
    return "\"" + unit + "\" needs a fixed-rate sync; this one runs at \"" + syncKindName(kind) + "\" (write beats)";
}

// Seconds per unit of the times a fixed-rate clock's values may be written in.
double secondsPer(const std::string& unit) { return unit == "ms" ? 1.0 / kMillisecondsPerSecond : 1.0; }

using ClockOf = std::function<int(const CProgram&)>;

// A time the parameter holds in beats of a fixed-rate clock, written in ms or s.
CUnit clockTime(int n, const char* name, ClockOf clock)
{
    return {name,
            [n, name, clock](double t, const CProgram& p) {
                return normalizedValue(n, t * secondsPer(name) * fixedClockRate(clock(p)));
            },
            [n, name, clock](double v, const CProgram& p) {
                return engineValue(n, static_cast<float>(v)) / fixedClockRate(clock(p)) / secondsPer(name);
            },
            [name, clock](const CProgram& p) { return needsFixedClock(clock(p), name); }};
}

// A rate in Hz of something that lasts the parameter's beats per cycle of a fixed-rate clock.
CUnit clockRate(int n, ClockOf clock)
{
    return {"Hz",
            [n, clock](double hz, const CProgram& p) { return normalizedValue(n, fixedClockRate(clock(p)) / hz); },
            [n, clock](double v, const CProgram& p) {
                return fixedClockRate(clock(p)) / engineValue(n, static_cast<float>(v));
            },
            [clock](const CProgram& p) { return needsFixedClock(clock(p), "Hz"); }};
}

// ---- readers ---------------------------------------------------------------------------------

bool readNumber(CTokenReader& in, double& x, std::string& unit, std::string& error)
{
    if (!in.number(x)) {
        error = "expects a number";
        return false;
    }
    unit.clear();
    in.word(unit);
    return true;
}

template <typename T>
using Field = std::function<T&(CProgram&)>;

// A number in one of the units, as the parameter's engine value.
bool readValue(CTokenReader& in, const CProgram& p, int n, const std::vector<CUnit>& units, double& engine,
               std::string& error)
{
    double x = 0.0;
    std::string unit;
    if (!readNumber(in, x, unit, error))
        return false;
    const auto u = std::find_if(units.begin(), units.end(), [&unit](const CUnit& c) { return c.name == unit; });
    if (u == units.end()) {
        error = unit.empty() ? "needs a unit:" : "\"" + unit + "\" is not a unit of this setting; it takes";
        for (const CUnit& c : units)
            error += c.name.empty() ? " a plain number" : " \"" + c.name + "\"";
        return false;
    }
    if (u->refuse) {
        error = u->refuse(p);
        if (!error.empty())
            return false;
    }
    const double v = u->toValue(x, p);
    if (!std::isfinite(v)) {
        error = withUnit(x, unit) + " is out of range";
        return false;
    }
    engine = engineValue(n, static_cast<float>(v));
    const double held = u->fromValue(normalizedValue(n, engine), p);
    if (!(std::fabs(held - x) <= std::max(u->tolerance, kTolerance * std::fabs(x)))) {
        error = withUnit(x, unit) + " is not a value it can hold; the nearest is " + withUnit(held, unit);
        return false;
    }
    return true;
}

template <typename T>
Reader numberReader(int n, std::vector<CUnit> units, Field<T> field)
{
    return [n, units, field](CTokenReader& in, CProgram& p, std::string& error) {
        double engine = 0.0;
        if (!readValue(in, p, n, units, engine, error))
            return false;
        field(p) = static_cast<T>(engine);
        return true;
    };
}

// One of count names.
bool readChoice(CTokenReader& in, int count, const std::function<const char*(int)>& nameOf, int& id,
                std::string& error)
{
    std::string text;
    if (!in.name(text)) {
        error = "expects a name in quotes";
        return false;
    }
    for (int i = 0; i < count; ++i)
        if (text == nameOf(i)) {
            id = i;
            return true;
        }
    error = "\"" + text + "\" is not one of";
    for (int i = 0; i < count; ++i)
        error += std::string(i ? ", \"" : " \"") + nameOf(i) + "\"";
    return false;
}

Reader choiceReader(int count, std::function<const char*(int)> nameOf, Field<int> field)
{
    return [count, nameOf, field](CTokenReader& in, CProgram& p, std::string& error) {
        return readChoice(in, count, nameOf, field(p), error);
    };
}

Reader switchReader(Field<bool> field)
{
    return [field](CTokenReader& in, CProgram& p, std::string& error) {
        if (in.keyword("on"))
            field(p) = true;
        else if (in.keyword("off"))
            field(p) = false;
        else
            error = "expects on or off";
        return error.empty();
    };
}

// Sync kinds that the factory load keeps: the fixed rates.
Reader fixedSyncReader(const char* what, std::function<void(CProgram&, int)> store)
{
    return [what, store](CTokenReader& in, CProgram& p, std::string& error) {
        int kind = 0;
        if (!readChoice(in, kSyncKindCount, syncKindName, kind, error))
            return false;
        if (clockFollowsHost(kind)) {
            error = std::string("a factory load plays ") + what + " at \"" + syncKindName(fixedClockKind(kind)) +
                    "\" instead of \"" + syncKindName(kind) + "\"; write a fixed rate";
            return false;
        }
        store(p, kind);
        return true;
    };
}


// ---- envelopes -------------------------------------------------------------------------------

enum class ECurve { Straight, Fast, Slow, Handles };

struct CSegmentText {
    double beats = 0.0;
    ECurve curve = ECurve::Straight;
    double handles[4] = {}; // start dx (fraction of the segment), dy; end dx, dy (written levels)
};

bool readSegment(CTokenReader& in, int clockKind, CSegmentText& segment, std::string& error)
{
    double t = 0.0;
    std::string unit;
    if (!readNumber(in, t, unit, error) || t < 0.0) {
        error = "a segment starts with its time (beats, or ms or s at a fixed-rate sync)";
        return false;
    }
    if (unit == "ms" || unit == "s") {
        error = needsFixedClock(clockKind, unit);
        if (!error.empty())
            return false;
        segment.beats = t * secondsPer(unit) * fixedClockRate(clockKind);
    } else if (unit == "beats" || unit == "beat") {
        segment.beats = t;
    } else {
        error = "segment times are in beats, ms or s";
        return false;
    }
    if (in.keyword("fast"))
        segment.curve = ECurve::Fast;
    else if (in.keyword("slow"))
        segment.curve = ECurve::Slow;
    else if (in.keyword("curve")) {
        segment.curve = ECurve::Handles;
        for (double& h : segment.handles)
            if (!in.number(h)) {
                error = "a curve takes four numbers: the start handle (fraction of the segment, level change) and "
                        "the end handle (negative fraction, level change)";
                return false;
            }
    }
    if (!in.mark("]")) {
        error = "a segment is [time unit], optionally with fast, slow or curve before the ]";
        return false;
    }
    return true;
}

// The handles of a curved segment in the envelope's stored levels (0..1). Fast and slow give the
// steep handle three times the mean slope and the flat one a length that balances it, so the
// curve's timing is not warped: fast runs as 1 - (1 - t)^3, slow as t^3 (for a full change).
void curveSegment(CEnvelopePoint& point, const CSegmentText& s, double change, double levelScale)
{
    constexpr double kSteep = 0.3;      // fraction of the segment
    constexpr double kSteepRise = 0.9;  // of the change: three times the mean slope
    constexpr double kFlat = 0.95;      // about the steep handle's length for a full change
    double h[4] = {s.handles[0], s.handles[1] * levelScale, s.handles[2], s.handles[3] * levelScale};
    if (s.curve == ECurve::Fast)
        h[0] = kSteep, h[1] = kSteepRise * change, h[2] = -kFlat, h[3] = 0.0;
    else if (s.curve == ECurve::Slow)
        h[0] = kFlat, h[1] = 0.0, h[2] = -kSteep, h[3] = -kSteepRise * change;
    point.curved = true;
    point.startDx = static_cast<float>(h[0] * point.time);
    point.startDy = static_cast<float>(h[1]);
    point.endDx = static_cast<float>(h[2] * point.time);
    point.endDy = static_cast<float>(h[3]);
}

// "level [time unit] level ..." with "|" after the sustain point, or "{" and "}" around the looped
// points; the clock, release and bipolar switches of the shape stay.
bool readEnvelope(CTokenReader& in, CEnvelopeShape& shape, std::string& error)
{
    const double low = shape.bipolar ? -1.0 : 0.0;
    std::vector<double> levels;
    std::vector<CSegmentText> segments;
    int sustain = -1, loopStart = -1, loopEnd = -1;
    for (;;) {
        const int point = static_cast<int>(levels.size());
        if (in.mark("{")) {
            if (loopStart >= 0) {
                error = "an envelope has one loop";
                return false;
            }
            loopStart = point;
        }
        double level = 0.0;
        if (!in.number(level)) {
            error = "expects the level of point " + std::to_string(point);
            return false;
        }
        if (level < low || level > 1.0) {
            error = "level " + number(level) + " is outside " + number(low) + "..1";
            return false;
        }
        levels.push_back(shape.bipolar ? (level + 1.0) / 2.0 : level);
        if (in.mark("}")) {
            if (loopStart < 0 || loopStart >= point || loopEnd >= 0) {
                error = "a loop is { before a point and } after a later one";
                return false;
            }
            loopEnd = point;
        }
        if (in.mark("|")) {
            if (sustain >= 0) {
                error = "an envelope has one sustain point";
                return false;
            }
            sustain = point;
        }
        if (in.atEnd())
            break;
        CSegmentText segment;
        if (!in.mark("[")) {
            error = "expects a segment [time unit] after point " + std::to_string(point) + ", not " + in.rest();
            return false;
        }
        if (!readSegment(in, shape.clockKind, segment, error))
            return false;
        segments.push_back(segment);
    }
    if ((sustain >= 0) == (loopStart >= 0) || (loopStart >= 0 && loopEnd < 0)) {
        error = "an envelope has either a sustain point (| after it) or a loop ({ before a point, } after a later one)";
        return false;
    }
    const int last = static_cast<int>(levels.size()) - 1;
    if (last >= kEnvelopePoints) {
        error = "an envelope has at most " + std::to_string(kEnvelopePoints) + " points";
        return false;
    }
    const int end = sustain >= 0 ? sustain : loopEnd;
    double before = 0.0, after = 0.0;
    for (int k = 0; k < last; ++k)
        (k < end ? before : after) += segments[static_cast<size_t>(k)].beats;
    // The table holds a value per 1/16 beat: a sustain point within the first cell skips the
    // points before it, and a note that starts at 0 there ends at once.
    if (end > 0 && before < 1.0 / kSixteenthsPerBeat) {
        error = "the " + std::string(sustain >= 0 ? "sustain point" : "loop end") +
                " comes within the first 1/16 beat of the sync (" + number(before) +
                " beats): the points before it would never sound";
        return false;
    }
    if (before > kEnvelopeBeats || after > kEnvelopeBeats) {
        error = "an envelope runs at most " + number(kEnvelopeBeats) + " beats of its sync up to its " +
                (sustain >= 0 ? "sustain point" : "loop end") + " and as many after it, not " + number(before) +
                " and " + number(after) + "; choose a slower sync";
        return false;
    }
    for (int k = 0; k < kEnvelopePoints; ++k) {
        CEnvelopePoint& point = shape.points[static_cast<size_t>(k)];
        point = CEnvelopePoint {};
        if (k > last)
            continue;
        point.value = static_cast<float>(levels[static_cast<size_t>(k)]);
        point.time = k < last ? static_cast<float>(segments[static_cast<size_t>(k)].beats) : 0.0f;
        if (k < last && segments[static_cast<size_t>(k)].curve != ECurve::Straight)
            curveSegment(point, segments[static_cast<size_t>(k)],
                         levels[static_cast<size_t>(k + 1)] - levels[static_cast<size_t>(k)],
                         shape.bipolar ? 0.5 : 1.0);
    }
    shape.lastPoint = last;
    shape.loopOn = loopStart >= 0;
    shape.loopStart = shape.loopOn ? loopStart : sustain;
    shape.loopEnd = end;
    // The envelope must hold the points as written: handles within their segment and the levels.
    CLoopEnvelope envelope;
    envelope.assign(shape);
    const CEnvelopeShape held = envelope.storedShape();
    for (int k = 0; k < last; ++k)
        if (!(held.points[static_cast<size_t>(k)] == shape.points[static_cast<size_t>(k)])) {
            error = "the curve of segment " + std::to_string(k) +
                    " does not fit: a handle leaves its segment or the levels, or the segment is too short";
            return false;
        }
    return true;
}

// ---- combiners -------------------------------------------------------------------------------

// "source [+ or x source] -> destination amount unit"
bool readCombiner(CTokenReader& in, ESectionKind kind, CCombiner& c, std::string& error)
{
    if (!readChoice(in, kModSources, sourceName, c.source1, error))
        return false;
    c.op = combine::Source1;
    c.source2 = 0;
    if (const CToken* t = in.peek(); t && t->kind != ETokenKind::Name)
        for (int op : {combine::Add, combine::Multiply})
            if (t->text == combinerOperatorName(op) && (in.mark(t->text.c_str()) || in.keyword(t->text.c_str()))) {
                c.op = op;
                if (!readChoice(in, kModSources, sourceName, c.source2, error))
                    return false;
                break;
            }
    if (!in.mark("->")) {
        error = "expects -> and the destination after the sources";
        return false;
    }
    auto destination = [kind](int d) { return destinationName(kind, d); };
    if (!readChoice(in, destinationCount(kind), destination, c.destination, error))
        return false;
    double amount = 0.0;
    std::string unit;
    if (!readNumber(in, amount, unit, error))
        return false;
    const std::string expected = amountUnit(kind, c.destination);
    if (unit != expected) {
        error = "the amount of \"" + std::string(destination(c.destination)) + "\" is " +
                (expected.empty() ? "a plain number" : "in " + expected);
        return false;
    }
    const float v = amountToNormalized(kind, c.destination, static_cast<float>(amount));
    const float held = amountFromNormalized(kind, c.destination, std::clamp(v, 0.0f, 1.0f));
    if (!(std::fabs(held - amount) <= std::max(kTolerance, kTolerance * std::fabs(amount)))) {
        error = "amount " + withUnit(amount, unit) + " is not one the combiner can hold; the nearest is " +
                withUnit(held, unit) + " (range " + withUnit(amountFromNormalized(kind, c.destination, 0.0f), unit) +
                " to " + withUnit(amountFromNormalized(kind, c.destination, 1.0f), unit) + ")";
        return false;
    }
    c.amount = held;
    return true;
}
// ---- effects ---------------------------------------------------------------------------------

// Held to the nearest step: musical lengths such as half a beat lie between two steps.
CUnit synchronisedTime(int n)
{
    return {"beats", [n](double beats, const CProgram&) { return normalizedValue(n, beats / kBeatsPerTimeStep); },
            [n](double v, const CProgram&) { return engineValue(n, static_cast<float>(v)) * kBeatsPerTimeStep; },
            nullptr, kBeatsPerTimeStep / 2.0};
}

CUnit bandFrequency(const CBandScale& scale)
{
    return {"Hz", [&scale](double hz, const CProgram&) { return hz > 0.0 ? scale.position(hz) : -1.0; },
            [&scale](double v, const CProgram&) { return double(scale.frequency(static_cast<float>(v))); }};
}

CUnit bandBoost()
{
    return {"dB", [](double db, const CProgram&) { return static_cast<double>(bandBoostValue(db)); },
            [](double v, const CProgram&) { return bandBoostDecibels(static_cast<float>(v)); }, nullptr,
            kDecibelTolerance};
}

CUnit wetLevel()
{
    return {"dB", [](double db, const CProgram&) { return static_cast<double>(wetValue(db)); },
            [](double v, const CProgram&) { return wetDecibels(static_cast<float>(v)); }, nullptr, kDecibelTolerance};
}

// What a slot of the unit means for its type: the units it is written in, or why it has no meaning.
std::vector<CUnit> effectUnits(int n, int s, int type, std::string& refusal)
{
    const int plain = plainEffectType(type);
    const bool delay = plain >= effect::OneShotDelay && plain <= effect::MultiDelay;
    const bool spreads = plain == effect::SpreadDelay || plain == effect::DiffDelay || plain == effect::PanDiffDelay;
    const CUnit time = isSynchronisedEffect(type) ? synchronisedTime(n) : same(n, "ms");
    if (type == effect::None) {
        refusal = "has no meaning while the type is \"None\"";
        return {};
    }
    if (plain == effect::FreqBoost) {
        const CUnit units[] = {bandFrequency(kLowBand), bandBoost(), bandFrequency(kMidBand), bandBoost(),
                               bandFrequency(kHighBand), bandBoost(), CUnit {}, wetLevel()};
        if (s == slot::Spread)
            refusal = "has no meaning for \"Freq-Boost\"";
        return s == slot::Spread ? std::vector<CUnit> {} : std::vector<CUnit> {units[s - 1]};
    }
    switch (s) {
    case slot::Time1:
        return {delay ? time : same(n, "ms")};
    case slot::Time2:
        return {time};
    case slot::Depth1:
    case slot::Depth2:
        return {delay ? normalized("%", kPercent) : same(n, "ms")};
    case slot::Gain1:
    case slot::Gain2:
        if (!delay && plain != effect::Flanger) {
            refusal = std::string("has no meaning for \"") + effectTypeName(type) + "\"";
            return {};
        }
        return {same(n, "")};
    case slot::Spread:
        if (delay && !spreads) {
            refusal = std::string("has no meaning for \"") + effectTypeName(type) + "\"";
            return {};
        }
        return {scaled(n, "%", kPercent)};
    default:
        return {scaled(n, "%", kPercent)};
    }
}

void storeSlot(CEffectSettings& e, int s, double engine)
{
    const float x = static_cast<float>(engine);
    switch (s) {
    case slot::Time1:
        e.time1 = static_cast<int>(engine);
        break;
    case slot::Time2:
        e.time2 = static_cast<int>(engine);
        break;
    case slot::Depth1:
        e.depth1 = x;
        break;
    case slot::Depth2:
        e.depth2 = x;
        break;
    case slot::Gain1:
        e.gain1 = x;
        break;
    case slot::Gain2:
        e.gain2 = x;
        break;
    case slot::Spread:
        e.spread = x;
        break;
    default:
        e.mix = x;
        break;
    }
}

Reader effectSlotReader(int unit, int s)
{
    return [unit, s](CTokenReader& in, CProgram& p, std::string& error) {
        CEffectSettings& e = p.effects[static_cast<size_t>(unit)];
        const int n = kEffectFirst[unit] + s;
        const std::vector<CUnit> units = effectUnits(n, s, e.type, error);
        double engine = 0.0;
        if (units.empty() || !readValue(in, p, n, units, engine, error))
            return false;
        storeSlot(e, s, engine);
        return true;
    };
}

// ---- the settings ----------------------------------------------------------------------------

CModulationSettings& section(CProgram& p, ESectionKind kind)
{
    return kind == ESectionKind::Oscillator ? p.oscillatorModulation : p.filterModulation;
}

const CModulationSettings& section(const CProgram& p, ESectionKind kind)
{
    return kind == ESectionKind::Oscillator ? p.oscillatorModulation : p.filterModulation;
}

// A field of a block of the program.
template <typename Block, typename T>
Field<T> fieldOf(std::function<Block&(CProgram&)> block, T Block::*member)
{
    return [block, member](CProgram& p) -> T& { return block(p).*member; };
}

CUnit percent(int n) { return scaled(n, "%", kPercent); }

// Below one semitone a fine detune of 2v semitones; in beats the period of a tempo-locked beating.
std::vector<CUnit> fineDetuneUnits()
{
    const CUnit semitones {"st", [](double st, const CProgram&) { return std::clamp(st / 2.0, 0.0, kLastFine); },
                           [](double v, const CProgram&) { return 2.0 * v; }};
    const CUnit beating {
        "beats",
        [](double beats, const CProgram&) {
            const long steps = std::lround(std::clamp(beats * kSixteenthsPerBeat, 1.0, kBeatingSteps));
            return static_cast<double>(beatDetuneValue(static_cast<int>(steps)));
        },
        [](double v, const CProgram&) { return beatDetuneSixteenths(static_cast<float>(v)) / kSixteenthsPerBeat; }};
    return {semitones, beating};
}

class CSettings {
public:
    CSettings()
    {
        addOscillators();
        addModulation("oscmod.", ESectionKind::Oscillator);
        addModulation("filtermod.", ESectionKind::Filter);
        addShaperAndFilter();
        addAmplitude();
        addEffects();
    }
    const CSetting* find(const std::string& key) const
    {
        const auto it = m_settings.find(key);
        return it == m_settings.end() ? nullptr : &it->second;
    }
    const std::map<std::string, CSetting>& all() const { return m_settings; }

private:
    void add(const std::string& key, Reader r, int order = Values) { m_settings[key] = {order, std::move(r)}; }
    template <typename T>
    void number(const std::string& key, int n, std::vector<CUnit> units, Field<T> field)
    {
        add(key, numberReader<T>(n, std::move(units), std::move(field)));
    }
    void choice(const std::string& key, int count, std::function<const char*(int)> names, Field<int> field,
                int order = Values)
    {
        add(key, choiceReader(count, std::move(names), std::move(field)), order);
    }
    void onOff(const std::string& key, Field<bool> field, int order = Values)
    {
        add(key, switchReader(std::move(field)), order);
    }

    void addOscillators()
    {
        using O = COscillatorSettings;
        for (size_t i = 0; i < kOscillatorCount; ++i) {
            const std::string o = "osc" + std::to_string(i + 1) + ".";
            const int n = kOscillatorFirst[i];
            const std::function<O&(CProgram&)> osc = [i](CProgram& p) -> O& { return p.oscillators[i]; };
            choice(o + "wave1", kOscillatorWaveCount, waveName, fieldOf(osc, &O::wave1));
            choice(o + "wave2", kOscillatorWaveCount, waveName, fieldOf(osc, &O::wave2));
            number(o + "pulse", n + 2, {percent(n + 2)}, fieldOf(osc, &O::pulse));
            number(o + "symmetry", n + 3, {percent(n + 3)}, fieldOf(osc, &O::symmetry));
            number(o + "phase", n + 4, {scaled(n + 4, "deg", kDegrees)}, fieldOf(osc, &O::phase));
            number(o + "coarse", n + 5, {same(n + 5, "st")}, fieldOf(osc, &O::coarse));
            number(o + "fine", n + 6, fineDetuneUnits(), fieldOf(osc, &O::fine));
            number<float>(o + "weight", n + 7, {percent(n + 7)},
                          [i](CProgram& p) -> float& { return p.combination.weights[i]; });
        }
        add("osc.sync", fixedSyncReader("the oscillators' beat detune", [](CProgram& p, int kind) {
                for (COscillatorSettings& o : p.oscillators)
                    o.syncKind = kind;
            }), Clocks);
        const std::function<CCombinationSettings&(CProgram&)> mix = [](CProgram& p) -> auto& { return p.combination; };
        choice("osc.mix12", kOperatorCount, operatorName, fieldOf(mix, &CCombinationSettings::operatorA));
        choice("osc.mix3", kOperatorCount, operatorName, fieldOf(mix, &CCombinationSettings::operatorB));
        using S = COversamplingSettings;
        const std::function<S&(CProgram&)> over = [](CProgram& p) -> S& { return p.oversampling; };
        choice("osc.oversampling", kOversamplingModeCount, oversamplingModeName, fieldOf(over, &S::mode));
        number("osc.oversamplingOctaves", 186, {same(186, "oct")}, fieldOf(over, &S::octaves));
    }

    void addModulation(const std::string& prefix, ESectionKind kind)
    {
        using L = CModOscillatorSettings;
        const size_t sectionIndex = kind == ESectionKind::Oscillator ? 0 : 1;
        for (size_t k = 0; k < 2; ++k) {
            const std::string o = prefix + "lfo" + std::to_string(k + 1) + ".";
            const int n = kLfoFirst[sectionIndex][k];
            const std::function<L&(CProgram&)> lfo = [kind, k](CProgram& p) -> L& {
                return section(p, kind).oscillators[k];
            };
            const ClockOf clock = [kind, k](const CProgram& p) { return section(p, kind).oscillators[k].syncKind; };
            choice(o + "wave", kModOscillatorWaveCount, waveName, fieldOf(lfo, &L::wave));
            onOff(o + "once", fieldOf(lfo, &L::once));
            choice(o + "sync", kSyncKindCount, syncKindName, fieldOf(lfo, &L::syncKind), Clocks);
            number(o + "speed", n + 3, {same(n + 3, "beats"), clockRate(n + 3, clock)}, fieldOf(lfo, &L::speed));
            const Reader phase = numberReader<float>(n + 4, {scaled(n + 4, "deg", kDegrees)}, fieldOf(lfo, &L::phase));
            add(o + "phase", [phase, lfo](CTokenReader& in, CProgram& p, std::string& error) {
                if (!in.keyword("random"))
                    return phase(in, p, error);
                lfo(p).phase = kRandomPhase;
                return true;
            });
            choice(o + "delayMode", kDelayModeCount, delayModeName, fieldOf(lfo, &L::delayMode));
            const std::vector<CUnit> delayUnits = {same(n + 6, "beats"), clockTime(n + 6, "ms", clock),
                                                   clockTime(n + 6, "s", clock)};
            number(o + "delay", n + 6, delayUnits, fieldOf(lfo, &L::delay));
        }
        for (size_t k = 0; k < 2; ++k) {
            const std::string e = prefix + "env" + std::to_string(k + 1);
            const std::function<CEnvelopeShape&(CProgram&)> env = [kind, k](CProgram& p) -> CEnvelopeShape& {
                return section(p, kind).envelopes[k];
            };
            addEnvelope(e, env, choiceReader(kSyncKindCount, syncKindName, fieldOf(env, &CEnvelopeShape::clockKind)));
            onOff(e + ".bipolar", fieldOf(env, &CEnvelopeShape::bipolar), Clocks);
        }
        for (size_t c = 0; c < kCombiners; ++c)
            add(prefix + "comb" + std::to_string(c + 1), [kind, c](CTokenReader& in, CProgram& p, std::string& error) {
                return readCombiner(in, kind, section(p, kind).combiners.combiners[c], error);
            });
        const char* const kValueNames[] = {"a", "b", "c", "d"};
        for (size_t k = 0; k < 4; ++k)
            add(prefix + kValueNames[k], [kind, k](CTokenReader& in, CProgram& p, std::string& error) {
                double x = 0.0;
                if (!in.number(x) || std::fabs(x) > kValueLimit) {
                    error = "values a..d are plain numbers from -2 to 2";
                    return false;
                }
                section(p, kind).combiners.values[k] = static_cast<float>(x);
                return true;
            });
    }

    void addEnvelope(const std::string& key, const std::function<CEnvelopeShape&(CProgram&)>& env, Reader sync)
    {
        add(key, [env](CTokenReader& in, CProgram& p, std::string& error) { return readEnvelope(in, env(p), error); },
            Shapes);
        add(key + ".sync", std::move(sync), Clocks);
        onOff(key + ".release", fieldOf(env, &CEnvelopeShape::release), Clocks);
    }

    void addShaperAndFilter()
    {
        using T = CShaperTableSettings;
        using V = CShaperVoiceSettings;
        const std::function<T&(CProgram&)> table = [](CProgram& p) -> T& { return p.shaperTable; };
        const std::function<V&(CProgram&)> shaper = [](CProgram& p) -> V& { return p.shaper; };
        choice("shaper.shape1", kShapeCount, [](int i) { return shapeName(i, false); }, fieldOf(table, &T::shape1));
        choice("shaper.shape2", kShapeCount, [](int i) { return shapeName(i, true); }, fieldOf(table, &T::shape2));
        number("shaper.param", 98, {percent(98)}, fieldOf(table, &T::parameter));
        number("shaper.smooth", 99, {percent(99)}, fieldOf(table, &T::smooth));
        number("shaper.gain", 100, {decibels(100)}, fieldOf(shaper, &V::gain));
        number("shaper.position", 101, {same(101, "")}, fieldOf(shaper, &V::position));
        onOff("shaper.postFilter", fieldOf(shaper, &V::postFilter));
        onOff("shaper.limiter", fieldOf(shaper, &V::limiter));
        number("shaper.mix", 104, {percent(104)}, fieldOf(shaper, &V::mix));

        using F = CFilterSettings;
        const std::function<F&(CProgram&)> filter = [](CProgram& p) -> F& { return p.filter; };
        choice("filter.type", kFilterTypeCount, filterTypeName, fieldOf(filter, &F::type));
        number("filter.level", 106, {same(106, "")}, fieldOf(filter, &F::level));
        number("filter.param", 107, {percent(107)}, fieldOf(filter, &F::parameter));
        number("filter.cutoff", 108, {same(108, "Hz")}, fieldOf(filter, &F::frequency));
        number("filter.resWeight", 109, {percent(109)}, fieldOf(filter, &F::resonanceWeight));
        onOff("filter.resSeparate", fieldOf(filter, &F::separate));
        number("filter.resFrequency", 111, {same(111, "Hz")}, fieldOf(filter, &F::resonanceFrequency));
        // Written as the knob shows it; the engine holds its square.
        number("filter.resonance", 112, {normalized("", 1.0)}, fieldOf(filter, &F::resonance));
        number("filter.keyMid", 113, {same(113, "")}, fieldOf(filter, &F::keyMid));
        number("filter.keyTrack", 114, {scaled(114, "%", kKeyTrackPercent)}, fieldOf(filter, &F::keySlope));
    }

    void addAmplitude()
    {
        addEnvelope("amp.env", [](CProgram& p) -> CEnvelopeShape& { return p.amplitudeEnvelope; },
                    fixedSyncReader("the amplitude envelope",
                                    [](CProgram& p, int kind) { p.amplitudeEnvelope.clockKind = kind; }));
        using L = CLevelSettings;
        const std::function<L&(CProgram&)> level = [](CProgram& p) -> L& { return p.level; };
        number("amp.volume", 161, {decibels(161)}, fieldOf(level, &L::mainVolume));
        number("amp.dynamic", 158, {same(158, "")}, fieldOf(level, &L::dynamic));
        number("amp.keyMid", 159, {same(159, "")}, fieldOf(level, &L::volumeKeyMid));
        number("amp.keySlope", 160, {decibels(160, "dB/oct")}, fieldOf(level, &L::volumeKeySlope));
        // -100 % is left, 0 the middle, 100 % right.
        const CUnit position {"%", [](double x, const CProgram&) { return (x / kPercent + 1.0) / 2.0; },
                              [](double v, const CProgram&) { return (2.0 * v - 1.0) * kPercent; }};
        number("amp.pan", 162, {position}, fieldOf(level, &L::panAngle));
        number("play.dirtyTuning", 184, {same(184, "st")}, fieldOf(level, &L::dirtyTuning));
        for (const char* fixed : {"play.portamento", "play.portamentoSync", "play.pitchBend"})
            add(fixed, [](CTokenReader&, CProgram&, std::string& error) {
                error = "a factory load sets portamento 1 beat at \"MIDI\" and a bend range of 2 st; a bank cannot "
                        "change them";
                return false;
            });
    }

    void addEffects()
    {
        const char* const kSlots[] = {"time1", "time2", "depth1", "depth2", "gain1", "gain2", "spread", "mix"};
        for (int u = 0; u < kEffectUnitCount; ++u) {
            const std::string o = "fx" + std::to_string(u + 1) + ".";
            choice(o + "type", kEffectTypeCount, effectTypeName,
                   [u](CProgram& p) -> int& { return p.effects[static_cast<size_t>(u)].type; }, Clocks);
            for (int s = slot::Time1; s <= slot::Mix; ++s)
                add(o + kSlots[s - 1], effectSlotReader(u, s));
        }
    }

    std::map<std::string, CSetting> m_settings;
};

const CSettings& settings()
{
    static const CSettings table;
    return table;
}

size_t editDistance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

int settingOrder(const std::string& key)
{
    const CSetting* s = settings().find(key);
    return s ? s->order : Values;
}

bool isSetting(const std::string& key) { return settings().find(key) != nullptr; }

std::string nearestSetting(const std::string& key)
{
    std::string best;
    size_t bestDistance = std::max<size_t>(2, key.size() / 3) + 1;
    for (const auto& [name, setting] : settings().all()) {
        const size_t d = editDistance(key, name);
        if (d < bestDistance)
            bestDistance = d, best = name;
    }
    return best;
}

bool applySetting(const std::string& key, const std::vector<CToken>& value, CProgram& program, std::string& error)
{
    const CSetting* s = settings().find(key);
    if (!s) {
        const std::string near = nearestSetting(key);
        error = "unknown setting \"" + key + "\"" + (near.empty() ? "" : "; did you mean \"" + near + "\"?");
        return false;
    }
    CTokenReader in(value);
    if (!s->apply(in, program, error))
        return false;
    if (!in.atEnd()) {
        error = "unexpected " + in.rest() + " after the value";
        return false;
    }
    return true;
}

CProgram sourceBaseProgram()
{
    CProgram p;
    adjustFactoryProgram(p);
    return p;
}

} // namespace quorvix
