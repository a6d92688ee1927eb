#include "presets/block_records.h"

#include "base/byte_stream.h"
#include "presets/value_format.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kOscillatorVersion = 2;
constexpr int kModOscillatorVersion = 1;
constexpr int kEnvelopeVersion = 2;
constexpr int kCombinerVersion = 4;
constexpr int kOldFeedbackWave = 36;
constexpr float kOldFineStep = 0.0019607844f;
constexpr int kOldEnvelopePoints = 16;
constexpr int kConstants = 4;

// Reads the tag and the version byte; false for another tag or a version above newest.
bool header(CByteReader& in, const char* tag, int newest, int& version)
{
    if (!in.tag(tag))
        return false;
    version = in.u8();
    return !in.failed() && version <= newest;
}

} // namespace

// ---- oscillator ------------------------------------------------------------------------------

std::vector<uint8_t> storeOscillator(const COscillatorSettings& osc)
{
    CByteWriter out;
    out.tag("OSC_");
    out.u8(kOscillatorVersion);
    out.i32(osc.wave1);
    out.i32(osc.wave2);
    out.f32(osc.pulse);
    out.f32(osc.symmetry);
    out.f32(osc.phase);
    out.i32(osc.coarse);
    out.f32(osc.fine);
    out.u8(static_cast<uint8_t>(osc.syncKind));
    return out.bytes();
}

bool loadOscillator(const std::vector<uint8_t>& record, COscillatorSettings& osc)
{
    CByteReader in(record);
    int version = 0;
    if (!header(in, "OSC_", kOscillatorVersion, version))
        return false;
    int waves[2] = {in.i32(), in.i32()};
    const float pulse = in.f32(), symmetry = in.f32(), phase = in.f32();
    const int coarse = in.i32();
    float fine = in.f32();
    const int sync = in.u8();
    if (in.failed())
        return false;
    if (version == 0)
        for (int& w : waves)
            if (w == kOldFeedbackWave)
                w = kFeedbackWave;
    if (version <= 1 && fine >= 0.5f)
        fine = static_cast<float>(quantizeChoice(2.0f * fine - 1.0f, 0, 127)) * kOldFineStep + 0.5f;
    osc = {waves[0], waves[1], pulse, symmetry, phase, coarse, fine, sync};
    return true;
}

// ---- modulation oscillator -------------------------------------------------------------------

std::vector<uint8_t> storeModOscillator(const CModOscillatorSettings& osc)
{
    CByteWriter out;
    out.tag("MOSC");
    out.u8(kModOscillatorVersion);
    out.i32(osc.wave);
    out.boolean(osc.once);
    out.u8(static_cast<uint8_t>(osc.syncKind));
    out.f32(osc.speed);
    out.f32(osc.phase);
    out.u8(static_cast<uint8_t>(osc.delayMode));
    out.f32(osc.delay);
    return out.bytes();
}

bool loadModOscillator(const std::vector<uint8_t>& record, CModOscillatorSettings& osc)
{
    CByteReader in(record);
    int version = 0;
    if (!header(in, "MOSC", kModOscillatorVersion, version))
        return false;
    const int wave = in.i32();
    const bool once = in.boolean();
    const int sync = in.u8();
    const float speed = in.f32();
    const float phase = in.f32();
    const int delayMode = version >= 1 ? in.u8() : delaymode::Delay;
    const float delay = in.f32();
    if (in.failed())
        return false;
    osc = {wave, once, sync, speed, phase, delayMode, delay};
    return true;
}

// ---- loop envelope ---------------------------------------------------------------------------

std::vector<uint8_t> storeEnvelope(const CEnvelopeShape& shape)
{
    CByteWriter out;
    out.tag("CMLE");
    out.u8(kEnvelopeVersion);
    out.boolean(shape.loopOn);
    out.u8(static_cast<uint8_t>(shape.loopStart));
    out.u8(static_cast<uint8_t>(shape.loopEnd));
    out.u8(static_cast<uint8_t>(shape.lastPoint));
    for (int k = 0; k <= shape.lastPoint; ++k) {
        const CEnvelopePoint& p = shape.points[static_cast<size_t>(k)];
        out.f32(p.time);
        out.f32(p.value);
        out.boolean(p.curved);
        if (p.curved)
            for (float h : {p.startDx, p.startDy, p.endDx, p.endDy})
                out.f32(h);
    }
    out.boolean(shape.release);
    out.boolean(shape.bipolar);
    out.u8(static_cast<uint8_t>(shape.clockKind));
    return out.bytes();
}

namespace {

void readHandles(CByteReader& in, CEnvelopePoint& p)
{
    p.startDx = in.f32();
    p.startDy = in.f32();
    p.endDx = in.f32();
    p.endDy = in.f32();
}

// Version 0: 16 straight points, one switch, then the time and level of the point after them.
bool readEnvelopeVersion0(CByteReader& in, CEnvelopeShape& shape)
{
    if (in.u8() != kOldEnvelopePoints)
        return false;
    shape.loopOn = in.boolean();
    shape.loopStart = in.u8();
    shape.lastPoint = in.u8();
    // The loop of this version runs from its start to the last point; off, the start is the sustain.
    shape.loopEnd = shape.loopOn ? shape.lastPoint : shape.loopStart;
    for (int k = 0; k < kOldEnvelopePoints; ++k) {
        shape.points[static_cast<size_t>(k)].time = in.f32();
        shape.points[static_cast<size_t>(k)].value = in.f32();
    }
    shape.release = in.boolean();
    shape.points[kOldEnvelopePoints].time = in.f32();
    shape.points[kOldEnvelopePoints].value = in.f32();
    return true;
}

// Version 1: all 51 points with their handles, one switch.
bool readEnvelopeVersion1(CByteReader& in, CEnvelopeShape& shape)
{
    if (in.u8() != kEnvelopePoints)
        return false;
    shape.loopOn = in.boolean();
    shape.loopStart = in.u8();
    shape.loopEnd = in.u8();
    shape.lastPoint = in.u8();
    for (CEnvelopePoint& p : shape.points) {
        p.time = in.f32();
        p.value = in.f32();
        p.curved = in.boolean();
        readHandles(in, p);
    }
    shape.release = in.boolean();
    return true;
}

bool readEnvelopeVersion2(CByteReader& in, CEnvelopeShape& shape)
{
    shape.loopOn = in.boolean();
    shape.loopStart = in.u8();
    shape.loopEnd = in.u8();
    shape.lastPoint = in.u8();
    if (shape.lastPoint >= kEnvelopePoints)
        return false;
    for (int k = 0; k <= shape.lastPoint && !in.failed(); ++k) {
        CEnvelopePoint& p = shape.points[static_cast<size_t>(k)];
        p.time = in.f32();
        p.value = in.f32();
        p.curved = in.boolean();
        if (p.curved)
            readHandles(in, p);
    }
    shape.release = in.boolean();
    return true;
}

} // namespace

bool loadEnvelope(const std::vector<uint8_t>& record, CEnvelopeShape& stored)
{
    CByteReader in(record);
    int version = 0;
    if (!header(in, "CMLE", kEnvelopeVersion, version))
        return false;
    CEnvelopeShape shape;
    const bool read = version == 0 ? readEnvelopeVersion0(in, shape)
                      : version == 1 ? readEnvelopeVersion1(in, shape)
                                     : readEnvelopeVersion2(in, shape);
    if (!read)
        return false;
    shape.bipolar = in.boolean();
    shape.clockKind = in.u8();
    if (in.failed() || shape.lastPoint >= kEnvelopePoints)
        return false;
    stored = shape;
    return true;
}

// ---- combiner set ----------------------------------------------------------------------------

std::vector<uint8_t> storeCombiners(const CCombinerSet& set)
{
    CByteWriter out;
    out.tag("MCMB");
    out.u8(kCombinerVersion);
    out.u8(kCombiners);
    for (const CCombiner& c : set.combiners) {
        out.i32(c.source1);
        out.i32(c.op);
        out.i32(c.source2);
        out.i32(c.destination);
        out.f32(c.amount);
    }
    out.u8(kConstants);
    for (float v : set.values)
        out.f32(v);
    return out.bytes();
}

namespace {

// Sources of versions 0 to 2, before the controller and module sources were inserted.
int renumberOldSource(int s)
{
    if (s > 0)
        s += 1;
    if (s > 2)
        s += 1;
    if (s >= 6)
        s += 2;
    if (s >= 12)
        s += 4;
    return s;
}

// Filter-section destinations inserted over the versions.
int renumberFilterDestination(int d, int version)
{
    if (version == 0 && d > 3)
        d += 5;
    if (version < 2 && d > 1)
        d += 1;
    if (version <= 3 && d > 1)
        d += 1;
    return d;
}

} // namespace

bool loadCombiners(const std::vector<uint8_t>& record, ESectionKind kind, CCombinerSet& set)
{
    CByteReader in(record);
    int version = 0;
    if (!header(in, "MCMB", kCombinerVersion, version))
        return false;
    const int count = in.u8();
    if (in.failed() || count > kCombiners)
        return false;
    std::array<CCombiner, kCombiners> combiners = set.combiners;
    for (int i = 0; i < count; ++i) {
        CCombiner& c = combiners[static_cast<size_t>(i)];
        c.source1 = in.i32();
        c.op = in.i32();
        c.source2 = in.i32();
        c.destination = in.i32();
        c.amount = in.f32();
        if (version <= 2) {
            c.source1 = renumberOldSource(c.source1);
            c.source2 = renumberOldSource(c.source2);
        }
        if (kind == ESectionKind::Filter)
            c.destination = renumberFilterDestination(c.destination, version);
    }
    std::array<float, 4> values = set.values;
    if (version >= 3) {
        if (in.u8() != kConstants)
            return false;
        for (float& v : values)
            v = in.f32();
    }
    if (in.failed())
        return false;
    set = {combiners, values};
    return true;
}

} // namespace quorvix
