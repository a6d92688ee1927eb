#include "presets/program_record.h"

#include "base/byte_stream.h"
#include "dsp/finite.h"
#include "dsp/pole_filter.h"
#include "dsp/resonator.h"
#include "presets/block_records.h"
#include "presets/parameter_table.h"
#include "presets/program_limits.h"
#include "presets/value_format.h"
#include "presets/value_names.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quorvix {

namespace {

using CRecordBytes = std::vector<uint8_t>;

constexpr int kRecordVersion = 8;
constexpr size_t kNameField = 25;
constexpr int kMaxOldNameLength = 1000;
constexpr int kOldValueCount = 46;
// Parameters whose conversions the first generation's values share.
constexpr int kModSpeed = 56;
constexpr int kModDelay = 59;
constexpr int kFilterFrequency = 108;
constexpr int kPortamento = 182;
constexpr double kPi = 3.141592653589793;
constexpr float kTiny = 1e-8f;
constexpr float kDefaultOctaves = 4.0f;
constexpr int kOversamplingAlways = 2;
constexpr int kFilterDestinationToClear = 10;
// Effect types inserted over the versions: before version 7 two, in version 0 two more.
constexpr int kOldEffectInsertAfter = 10;
constexpr int kVersion0EffectShift = 5;

// Shape gain, position and mix of magnitude 1e-8 or less read as 0.
float tinyIsZero(float x) { return std::fabs(x) <= kTiny ? 0.0f : x; }

// ---- format 2 ----

void writeName(CByteWriter& out, const std::string& name)
{
    char field[kNameField] = {};
    std::memcpy(field, name.data(), std::min(name.size(), kNameField - 1));
    out.raw(field, kNameField);
}

std::string readName(CByteReader& in)
{
    const uint8_t* field = in.take(kNameField);
    if (!field)
        return {};
    const auto* end = static_cast<const uint8_t*>(std::memchr(field, 0, kNameField));
    return std::string(reinterpret_cast<const char*>(field), end ? static_cast<size_t>(end - field) : kNameField - 1);
}

void writeEffect(CByteWriter& out, const CEffectSettings& e)
{
    out.u8(static_cast<uint8_t>(e.type));
    out.i32(e.time1);
    out.i32(e.time2);
    for (float x : {e.depth1, e.depth2, e.gain1, e.gain2, e.spread, e.mix})
        out.f32(x);
}

CEffectSettings readEffect(CByteReader& in)
{
    CEffectSettings e;
    e.type = in.u8();
    e.time1 = in.i32();
    e.time2 = in.i32();
    for (float* x : {&e.depth1, &e.depth2, &e.gain1, &e.gain2, &e.spread, &e.mix})
        *x = in.f32();
    return e;
}

int convertedEffectType(int type, int version)
{
    if (version >= 7)
        return type;
    if (type > kOldEffectInsertAfter)
        ++type;
    if (type > 0)
        ++type;
    return type;
}

void writeModulation(CByteWriter& out, const CModulationSettings& m)
{
    for (const CModOscillatorSettings& osc : m.oscillators)
        out.block(storeModOscillator(osc));
    for (const CEnvelopeShape& shape : m.envelopes)
        out.block(storeEnvelope(shape));
    out.block(storeCombiners(m.combiners));
}

} // namespace

void writeProgramRecord(CByteWriter& out, const CProgram& p)
{
    out.tag("PROG");
    out.u8(kRecordVersion);
    writeName(out, p.name);
    for (size_t i = 0; i < kOscillatorCount; ++i) {
        out.block(storeOscillator(p.oscillators[i]));
        out.f32(p.combination.weights[i]);
    }
    out.u8(static_cast<uint8_t>(p.combination.operatorA));
    out.u8(static_cast<uint8_t>(p.combination.operatorB));
    out.u8(static_cast<uint8_t>(p.oversampling.mode));
    out.f32(p.oversampling.octaves);
    writeModulation(out, p.oscillatorModulation);
    out.u8(static_cast<uint8_t>(p.shaperTable.shape1));
    out.u8(static_cast<uint8_t>(p.shaperTable.shape2));
    out.f32(p.shaperTable.parameter);
    out.f32(p.shaperTable.smooth);
    out.f32(p.shaper.gain);
    out.f32(p.shaper.position);
    out.f32(p.shaper.mix);
    out.boolean(p.shaper.postFilter);
    out.boolean(p.shaper.limiter);
    const CFilterSettings& f = p.filter;
    out.u8(static_cast<uint8_t>(f.type));
    out.u8(static_cast<uint8_t>(f.level));
    out.f32(f.parameter);
    out.f32(f.frequency);
    out.f32(f.resonanceWeight);
    out.boolean(f.separate);
    out.f32(f.resonanceFrequency);
    out.f32(resonanceQuality(f.resonance));
    out.i32(f.keyMid);
    out.f32(f.keySlope);
    writeModulation(out, p.filterModulation);
    out.block(storeEnvelope(p.amplitudeEnvelope));
    const CLevelSettings& l = p.level;
    out.f32(l.dynamic);
    out.i32(l.volumeKeyMid);
    out.f32(l.volumeKeySlope);
    out.f32(l.portamento);
    out.f32(l.pitchBendRange);
    out.f32(l.dirtyTuning);
    out.f64(l.panAngle);
    out.f32(l.mainVolume);
    out.u8(static_cast<uint8_t>(p.portamentoSync));
    writeEffect(out, p.effects[0]);
    writeEffect(out, p.effects[1]);
}

namespace {

// Reads the blocks of one record into their settings. A block of length 0 or less leaves the
// program's settings as they were; one that does not load takes the "Init" program's.
class CBlockReader {
public:
    explicit CBlockReader(CByteReader& in) : m_in(in) {}

    bool oscillator(COscillatorSettings& target, const COscillatorSettings& init)
    {
        return read(target, init, [](const CRecordBytes& b, COscillatorSettings& s) { return loadOscillator(b, s); });
    }
    bool modulation(CModulationSettings& m, const CModulationSettings& init, ESectionKind kind)
    {
        auto osc = [](const CRecordBytes& b, CModOscillatorSettings& s) { return loadModOscillator(b, s); };
        auto envelope = [](const CRecordBytes& b, CEnvelopeShape& s) { return loadEnvelope(b, s); };
        auto combiners = [kind](const CRecordBytes& b, CCombinerSet& s) { return loadCombiners(b, kind, s); };
        return read(m.oscillators[0], init.oscillators[0], osc) && read(m.oscillators[1], init.oscillators[1], osc) &&
               read(m.envelopes[0], init.envelopes[0], envelope) && read(m.envelopes[1], init.envelopes[1], envelope) &&
               read(m.combiners, init.combiners, combiners);
    }
    bool amplitudeEnvelope(CEnvelopeShape& target, const CEnvelopeShape& init)
    {
        return read(target, init, [](const CRecordBytes& b, CEnvelopeShape& s) { return loadEnvelope(b, s); });
    }
    bool repaired() const { return m_repaired; }

private:
    template <typename Settings, typename Load>
    bool read(Settings& target, const Settings& init, Load load)
    {
        CRecordBytes bytes;
        if (!m_in.block(bytes))
            return !m_in.failed();
        Settings read = target;
        if (load(bytes, read)) {
            target = read;
        } else {
            target = init;
            m_repaired = true;
        }
        return true;
    }

    CByteReader& m_in;
    bool m_repaired = false;
};

// Before version 6 the filter destination 10 meant something only for filter types 3 and 6.
void clearOldFilterDestination(CCombinerSet& set)
{
    for (CCombiner& c : set.combiners)
        if (c.destination == kFilterDestinationToClear)
            c.destination = 0;
}

bool readFormat2(CByteReader& in, CProgram& p, bool& repaired)
{
    const CProgram& init = fallbackProgram();
    CBlockReader blocks(in);
    if (!in.tag("PROG"))
        return false;
    const int version = in.u8();
    if (in.failed() || version > kRecordVersion)
        return false;
    p.setName(readName(in));
    for (size_t i = 0; i < kOscillatorCount; ++i) {
        if (!blocks.oscillator(p.oscillators[i], init.oscillators[i]))
            return false;
        p.combination.weights[i] = in.f32();
    }
    p.combination.operatorA = in.u8();
    p.combination.operatorB = in.u8();
    if (version >= 8) {
        p.oversampling.mode = in.u8();
        p.oversampling.octaves = in.f32();
    } else {
        p.oversampling.mode = version >= 2 && in.boolean() ? kOversamplingAlways : 0;
        p.oversampling.octaves = kDefaultOctaves;
    }
    if (!blocks.modulation(p.oscillatorModulation, init.oscillatorModulation, ESectionKind::Oscillator))
        return false;
    p.shaperTable.shape1 = in.u8();
    p.shaperTable.shape2 = version >= 6 ? in.u8() : 0;
    p.shaperTable.parameter = in.f32();
    p.shaperTable.smooth = version >= 2 ? in.f32() : 0.0f;
    p.shaper.gain = tinyIsZero(in.f32());
    p.shaper.position = tinyIsZero(version >= 6 ? in.f32() : 0.0f);
    p.shaper.mix = tinyIsZero(version >= 3 ? in.f32() : 1.0f);
    p.shaper.postFilter = in.boolean();
    p.shaper.limiter = in.boolean();
    CFilterSettings& f = p.filter;
    f.type = in.u8();
    f.level = in.u8();
    f.parameter = in.f32();
    if (version < 6)
        f.parameter = f.type == 2 || f.type == 5 ? 0.0f : parameterOfStageA(f.parameter);
    f.frequency = in.f32();
    f.resonanceWeight = in.f32();
    if (version >= 1) {
        f.separate = in.boolean();
        f.resonanceFrequency = in.f32();
    } else {
        f.separate = false;
        f.resonanceFrequency = f.frequency;
    }
    f.resonance = resonanceOfQuality(in.f32());
    f.keyMid = in.i32();
    f.keySlope = in.f32();
    if (!blocks.modulation(p.filterModulation, init.filterModulation, ESectionKind::Filter))
        return false;
    if (version < 6 && f.type != 3 && f.type != 6)
        clearOldFilterDestination(p.filterModulation.combiners);
    if (!blocks.amplitudeEnvelope(p.amplitudeEnvelope, init.amplitudeEnvelope))
        return false;
    CLevelSettings& l = p.level;
    l.dynamic = in.f32();
    if (version >= 4) {
        l.volumeKeyMid = in.i32();
        l.volumeKeySlope = in.f32();
    } else {
        l.volumeKeyMid = 36;
        l.volumeKeySlope = 1.0f;
    }
    l.portamento = in.f32();
    l.pitchBendRange = in.f32();
    if (version >= 6)
        l.dirtyTuning = in.f32();
    l.panAngle = version >= 5 ? in.f64() : in.f32() * kPi / 4.0;
    l.mainVolume = in.f32();
    p.portamentoSync = in.u8();
    if (version >= 1) {
        p.effects[0] = readEffect(in);
        p.effects[0].type = convertedEffectType(p.effects[0].type, version);
    } else {
        p.effects[0] = {effect::FreqBoost, 250, 0, 2.5f, 0.0f, 0.49f, 0.0f, 0.0f, 1.0f};
    }
    p.effects[1] = readEffect(in);
    if (version == 0) {
        CEffectSettings& e = p.effects[1];
        if (e.type > kVersion0EffectShift)
            e.type += 2;
        else
            e.depth1 = e.depth2 = 0.0f;
    } else {
        p.effects[1].type = convertedEffectType(p.effects[1].type, version);
    }
    repaired = blocks.repaired();
    return !in.failed();
}

// ---- format 1 ----

float step127(float x) { return std::floor(127.0f * x + 0.5f) / 127.0f; }

int oldWave(float x)
{
    int w = quantizeChoice(x, 0, 24);
    if (w > 1)
        w += 3;
    if (w > 5)
        w += 3;
    if (w > 9)
        w += 3;
    if (w >= 14)
        w += 2;
    return w;
}

// The destination of an old routing switch: off, or one of three destinations.
int oldDestination(float x, int a, int b, int c)
{
    switch (quantizeChoice(x, 0, 6)) {
    case 0:
        return 0;
    case 3:
    case 4:
        return a;
    case 5:
    case 6:
        return b;
    default:
        return c;
    }
}

bool oldRunOnce(float routing)
{
    const int e = quantizeChoice(routing, 0, 6);
    return e != 1 && e != 3 && e != 5;
}

// An oscillator of the first generation: one wave, pulse and symmetry, on the host clock.
COscillatorSettings oldOscillator(float wave, float pulse, float symmetry)
{
    COscillatorSettings osc;
    osc.wave1 = oldWave(wave);
    osc.wave2 = 0;
    osc.pulse = pulse;
    osc.symmetry = symmetry;
    return osc;
}

CCombinerSet oldCombiners(ESectionKind kind, std::initializer_list<CCombiner> combiners)
{
    CCombinerSet set;
    size_t i = 0;
    for (CCombiner c : combiners) {
        c.amount = amountFromNormalized(kind, c.destination, c.amount);
        set.combiners[i++] = c;
    }
    return CModSection::limited(kind, set);
}

CModOscillatorSettings oldModOscillator(int wave, float speed, float phase, float delay, bool once, int sync)
{
    CModOscillatorSettings osc;
    osc.wave = wave;
    osc.speed = static_cast<float>(engineValue(kModSpeed, speed));
    osc.phase = phase;
    osc.delay = delay;
    osc.delayMode = delaymode::Delay;
    osc.once = once;
    osc.syncKind = sync;
    return osc;
}

CEnvelopeShape oldAmplitudeEnvelope(float attack, float sustainLevel, float sustain, float release)
{
    auto seconds = [](float x) { return (std::exp2(4.0f * step127(x)) - 1.0f) * 0.13333333333333333f; };
    const float a = seconds(attack), s = seconds(sustain), r = seconds(release), t = a + s + r;
    const int sync = t <= 1.6f ? 11 : t <= 4.0f ? 10 : t <= 5.4f ? 9 : 8;
    CTempoClock clock;
    clock.setKind(sync);
    const float f = clock.rate(); // beats per second of the fixed rate
    CEnvelopeShape shape;
    shape.lastPoint = 3;
    shape.points[0].time = f * a;
    shape.points[0].value = 0.0f;
    shape.points[1].time = f * s;
    shape.points[1].value = step127(sustainLevel);
    shape.points[2].time = f * r;
    shape.points[2].value = 0.16666667f;
    shape.points[3].value = 0.0f;
    shape.points[3].time = 0.0f;
    shape.loopOn = false;
    shape.loopStart = shape.loopEnd = 2;
    shape.release = false;
    shape.bipolar = false;
    shape.clockKind = sync;
    CLoopEnvelope envelope(EEnvelopeKind::Amplitude);
    envelope.assign(shape);
    return envelope.storedShape();
}

void convertFormat1(const std::array<float, kOldValueCount>& v, CProgram& p)
{
    const int sync = v[45] >= 0.5f ? 0 : 8;
    p.oscillators[0] = oldOscillator(v[0], v[2], v[3]);
    COscillatorSettings& osc2 = p.oscillators[1];
    osc2 = oldOscillator(v[4], v[6], v[7]);
    osc2.phase = v[8] / 2.0f;
    osc2.coarse = static_cast<int>(std::floor(72.0f * v[9])) - 36;
    p.combination.weights[1] = v[10];
    const int mix = quantizeChoice(v[11], 0, 3);
    p.combination.operatorA = mix > 0 ? mix + 1 : 0;
    p.oversampling = {0, kDefaultOctaves};

    CModulationSettings& om = p.oscillatorModulation;
    om.combiners = oldCombiners(ESectionKind::Oscillator, {{16, 0, 0, oldDestination(v[17], 9, 11, 8), v[13]},
                                                           {18, 0, 0, oldDestination(v[22], 23, 25, 22), v[18]}});
    om.oscillators[0] = oldModOscillator(oldWave(v[16]), v[14], 0.0f, static_cast<float>(engineValue(kModDelay, v[15])),
                                         oldRunOnce(v[17]), sync);
    om.oscillators[1] = oldModOscillator(oldWave(v[21]), v[19], v[20], 0.0f, oldRunOnce(v[22]), sync);
    for (CEnvelopeShape& shape : om.envelopes)
        shape.clockKind = sync;

    p.shaperTable.shape1 = 0;
    p.shaperTable.parameter = v[24];
    p.shaper.position = 0.0f;
    p.shaper.gain = v[25] + 0.5f;
    p.shaper.postFilter = v[26] >= 0.5f;
    p.shaper.limiter = true;

    CFilterSettings& f = p.filter;
    f.type = quantizeChoice(v[27], 0, 3);
    f.level = quantizeChoice(v[28], 1, 8);
    f.parameter = f.type == 2 || f.type == 5 ? 0.0f : step127(v[29]);
    f.frequency = f.resonanceFrequency = static_cast<float>(engineValue(kFilterFrequency, step127(v[30])));
    f.separate = false;
    f.resonanceWeight = v[31];
    f.resonance = step127(v[32]);
    f.keyMid = 0;
    f.keySlope = 0.0f;

    CModulationSettings& fm = p.filterModulation;
    fm.combiners = oldCombiners(ESectionKind::Filter, {{16, 0, 0, 4, v[33]}});
    fm.oscillators[0] = oldModOscillator(oldWave(v[36]), v[34], v[35], 0.0f, v[37] >= 0.5f, sync);
    for (CEnvelopeShape& shape : fm.envelopes)
        shape.clockKind = sync;
    // The amplitude envelope keeps the rate its times were measured in.
    p.amplitudeEnvelope = oldAmplitudeEnvelope(v[38], v[39], v[41], v[42]);

    CLevelSettings& l = p.level;
    l.dynamic = 1.0f;
    l.volumeKeyMid = 36;
    l.volumeKeySlope = 1.0f;
    l.portamento = static_cast<float>(engineValue(kPortamento, v[12]));
    l.pitchBendRange = 2.0f;
    l.dirtyTuning = 0.0f;
    l.panAngle = v[43] * kPi / 2.0;
    l.mainVolume = 12.0f * step127(v[44]);
    p.portamentoSync = sync;
}

bool readFormat1(CByteReader& in, CProgram& p)
{
    if (!in.tag("Prog"))
        return false;
    const int length = in.u16();
    if (in.failed() || length > kMaxOldNameLength)
        return false;
    const uint8_t* name = in.take(static_cast<size_t>(length));
    if (in.u16() != kOldValueCount || in.failed())
        return false;
    std::array<float, kOldValueCount> values {};
    for (float& x : values)
        x = std::clamp(finiteOr(in.f32(), 0.0f), 0.0f, 1.0f);
    if (in.failed())
        return false;
    p = CProgram {};
    p.setName(std::string(reinterpret_cast<const char*>(name), strnlen(reinterpret_cast<const char*>(name), length)));
    convertFormat1(values, p);
    return true;
}

} // namespace

bool readProgramRecord(CByteReader& in, int format, CProgram& program, bool* repaired)
{
    CProgram next = program;
    bool repairedBlock = false;
    const bool read = format == kOldProgramFormat ? readFormat1(in, next) : readFormat2(in, next, repairedBlock);
    if (!read || in.failed())
        return false;
    limitProgram(next);
    program = std::move(next);
    if (repaired)
        *repaired = repairedBlock;
    return true;
}

} // namespace quorvix
