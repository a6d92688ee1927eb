// The chunk format: round trips, the conversions of older records and blocks, and hostile input.
#include "presets/block_records.h"
#include "base/byte_stream.h"
#include "presets/chunk.h"
#include "presets/program_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace quorvix {
namespace {

using Bytes = std::vector<uint8_t>;
using Programs = std::array<CProgram, kProgramCount>;

Bytes recordOf(const CProgram& p)
{
    CByteWriter out;
    writeProgramRecord(out, p);
    return out.bytes();
}

CProgram edited(int seed)
{
    CProgram p;
    p.setName("Sound " + std::to_string(seed));
    p.combination.weights[1] = 0.25f * static_cast<float>(seed % 4);
    p.filter.frequency = 400.0f + static_cast<float>(seed);
    p.filter.resonance = 0.5f;
    p.level.panAngle = 0.3;
    p.level.dirtyTuning = 0.1f;
    p.effects[1] = {effect::Chorus, 20, 300, 2.0f, 3.0f, 0.2f, 0.4f, 0.7f, 0.5f};
    return p;
}

// The bytes of a chunk around the given records and header.
Bytes chunk(int version, int count, const Bytes& header, const Bytes& records, int format = kProgramFormat)
{
    CByteWriter out;
    out.raw("QuorData", 8);
    out.u16(static_cast<uint16_t>(format));
    out.u16(static_cast<uint16_t>(version));
    out.u16(static_cast<uint16_t>(count));
    out.i32(static_cast<int32_t>(header.size()));
    out.raw(header.data(), header.size());
    out.raw(records.data(), records.size());
    out.tag("STOP");
    return out.bytes();
}

CChunkReading read(const Bytes& bytes, Programs& programs, bool isPreset = false, int current = 0)
{
    return readChunk(bytes.data(), bytes.size(), isPreset, current, programs);
}

// A version-v record: the current layout minus the fields version v lacks, with the values given.
struct COldRecord {
    int version = 8;
    int effectType1 = 0;
    int effectType2 = 0;
    int32_t volumeKeyMid = 60;
    float volumeKeySlope = 1.5f;

    Bytes bytes() const
    {
        const CProgram init;
        CByteWriter out;
        out.tag("PROG");
        out.u8(static_cast<uint8_t>(version));
        char name[25] = "Old";
        out.raw(name, 25);
        for (int i = 0; i < 3; ++i) {
            out.block(storeOscillator(init.oscillators[static_cast<size_t>(i)]));
            out.f32(1.0f);
        }
        out.u8(0);
        out.u8(0);
        if (version >= 8) {
            out.u8(1);
            out.f32(4.0f);
        } else if (version >= 2) {
            out.boolean(false);
        }
        for (int i = 0; i < 5; ++i)
            out.i32(0); // empty blocks keep the program's own
        out.u8(0);
        if (version >= 6)
            out.u8(0);
        out.f32(0.0f);
        if (version >= 2)
            out.f32(0.0f);
        out.f32(0.33333334f);
        if (version >= 6)
            out.f32(0.0f);
        if (version >= 3)
            out.f32(1.0f);
        out.boolean(false);
        out.boolean(false);
        out.u8(0);
        out.u8(1);
        out.f32(0.0f);
        out.f32(2330.0f);
        out.f32(0.0f);
        if (version >= 1) {
            out.boolean(true);
            out.f32(2330.0f);
        }
        out.f32(1.0f);
        out.i32(0);
        out.f32(0.0f);
        for (int i = 0; i < 6; ++i)
            out.i32(0);
        out.f32(2.0f);
        if (version >= 4) {
            out.i32(volumeKeyMid);
            out.f32(volumeKeySlope);
        }
        out.f32(1.0f);
        out.f32(2.0f);
        if (version >= 6)
            out.f32(0.0f);
        if (version >= 5)
            out.f64(0.7853981633974483);
        else
            out.f32(1.0f);
        out.f32(2.0f);
        out.u8(0);
        auto effectBytes = [&out](int type) {
            out.u8(static_cast<uint8_t>(type));
            out.i32(150);
            out.i32(150);
            for (float x : {1.0f, 1.0f, 0.5f, 0.5f, 0.5f, 1.0f})
                out.f32(x);
        };
        if (version >= 1)
            effectBytes(effectType1);
        effectBytes(effectType2);
        return out.bytes();
    }
};

CProgram readOne(const Bytes& record)
{
    CProgram p;
    CByteReader in(record);
    EXPECT_TRUE(readProgramRecord(in, kProgramFormat, p));
    EXPECT_EQ(in.remaining(), 0u) << "the whole record is read";
    return p;
}

TEST(Chunk, BankRoundTripIsByteExact)
{
    std::vector<CProgram> source;
    for (int i = 0; i < kProgramCount; ++i)
        source.push_back(edited(i));
    std::vector<const CProgram*> pointers;
    for (const CProgram& p : source)
        pointers.push_back(&p);
    CChunkHeader header;
    header.selectedTimbre = 2;
    header.timbres[1] = {5, 4, 17};
    header.tuningSource = 2;
    header.mainTunings[3].setFrequency(60, 250.0);
    header.tuningBase = -1.5f;
    const Bytes bytes = buildChunk(&header, pointers);

    auto programs = std::make_unique<Programs>();
    const CChunkReading r = read(bytes, *programs);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.recordsRead, kProgramCount);
    for (int i = 0; i < kProgramCount; ++i)
        EXPECT_EQ(recordOf((*programs)[static_cast<size_t>(i)]), recordOf(source[static_cast<size_t>(i)])) << i;
    ASSERT_TRUE(r.headerRead);
    EXPECT_EQ(r.header.selectedTimbre, 2);
    EXPECT_EQ(r.header.timbres[1].polyphony, 5);
    EXPECT_EQ(r.header.timbres[1].quality, 4);
    EXPECT_EQ(r.header.timbres[1].program, 17);
    EXPECT_EQ(r.header.mainTunings[3].frequency(60), 250.0);
    EXPECT_FLOAT_EQ(r.header.tuningBase, -1.5f);
}

TEST(Chunk, Version4KeepsOneTuningForEveryTimbre)
{
    const CProgram sound = edited(2);
    CChunkHeader header;
    header.tuningSource = 2;
    header.mainTunings[0].setFrequency(60, 250.0);
    header.mainTunings[2].setFrequency(60, 300.0);
    header.tuningBase = 0.5f;
    const Bytes bytes = buildChunk(&header, {&sound}, 4);
    EXPECT_EQ(bytes[10] | bytes[11] << 8, 4);
    auto programs = std::make_unique<Programs>();
    const CChunkReading r = read(bytes, *programs);
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.header.sharedTuning);
    for (const CTuning& t : r.header.mainTunings)
        EXPECT_EQ(t.frequency(60), 250.0) << "the first timbre's tuning for all";
    EXPECT_FLOAT_EQ(r.header.tuningBase, 0.5f);

    const Bytes unknown = buildChunk(&header, {&sound}, 3);
    EXPECT_EQ(unknown[10] | unknown[11] << 8, 5) << "versions the writer cannot give are written as 5";
}

TEST(Chunk, ProgramChunkReplacesOnlyTheCurrentProgram)
{
    const CProgram sound = edited(9);
    const Bytes bytes = buildChunk(nullptr, {&sound});
    EXPECT_EQ(Bytes(bytes.begin() + 14, bytes.begin() + 18), (Bytes {0, 0, 0, 0})) << "H = 0";
    EXPECT_EQ(std::string(bytes.begin() + 18, bytes.begin() + 22), "PROG");
    auto programs = std::make_unique<Programs>();
    const CChunkReading r = read(bytes, *programs, true, 5);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ((*programs)[5].name, "Sound 9");
    EXPECT_EQ((*programs)[0].name, "Init");
    EXPECT_FALSE(r.headerRead);

    // The same chunk read as a bank: N = 1 replaces program 0, and an empty header fails.
    const CChunkReading asBank = read(bytes, *programs, false, 5);
    EXPECT_EQ((*programs)[0].name, "Sound 9");
    EXPECT_FALSE(asBank.ok) << "a bank chunk needs its header";
}

TEST(Chunk, CountsBeyondTheBankFail)
{
    Bytes records;
    for (int i = 0; i < 80; ++i) {
        const Bytes r = recordOf(edited(i));
        records.insert(records.end(), r.begin(), r.end());
    }
    CByteWriter header;
    header.u16(4);
    header.u16(0);
    for (int t = 0; t < 4; ++t) {
        header.u32(16);
        header.u32(1);
        header.u16(0);
    }
    header.u8(1);
    header.u8(0); // tuning source 0: the tuning base follows at once
    header.f32(0.5f);
    auto programs = std::make_unique<Programs>();
    const CChunkReading r = read(chunk(5, 80, header.bytes(), records), *programs);
    EXPECT_FALSE(r.ok) << "after the 64th record comes no STOP";
    EXPECT_EQ(r.recordsRead, kProgramCount);
    EXPECT_EQ((*programs)[63].name, "Sound 63") << "the records read stay";

    const Bytes one = recordOf(edited(3));
    const CChunkReading single = read(chunk(5, 1, header.bytes(), one), *programs);
    ASSERT_TRUE(single.ok);
    EXPECT_TRUE(single.headerRead);
    EXPECT_FLOAT_EQ(single.header.tuningBase, 0.5f);
    EXPECT_FALSE(single.header.hasTunings);
}

TEST(Chunk, OlderRecordVersions)
{
    COldRecord v4;
    v4.version = 4;
    const CProgram p4 = readOne(v4.bytes());
    EXPECT_EQ(p4.level.volumeKeyMid, 60);
    EXPECT_FLOAT_EQ(p4.level.volumeKeySlope, 1.5f);
    COldRecord v3 = v4;
    v3.version = 3;
    const CProgram p3 = readOne(v3.bytes());
    EXPECT_EQ(p3.level.volumeKeyMid, 36);
    EXPECT_FLOAT_EQ(p3.level.volumeKeySlope, 1.0f);

    struct CTypeCase {
        int version, stored, read;
    };
    for (const CTypeCase& c : {CTypeCase {6, 11, 13}, CTypeCase {7, 11, 11}, CTypeCase {6, 1, 2}, CTypeCase {6, 0, 0}}) {
        COldRecord r;
        r.version = c.version;
        r.effectType1 = r.effectType2 = c.stored;
        const CProgram p = readOne(r.bytes());
        EXPECT_EQ(p.effects[0].type, c.read) << "version " << c.version << " type " << c.stored;
        EXPECT_EQ(p.effects[1].type, c.read);
    }

    COldRecord v0;
    v0.version = 0;
    v0.effectType2 = 7;
    const CProgram p0 = readOne(v0.bytes());
    EXPECT_EQ(p0.effects[0].type, effect::FreqBoost) << "version 0 has no effect 1";
    EXPECT_EQ(p0.effects[0].time1, 250);
    EXPECT_EQ(p0.effects[1].type, 9);
    EXPECT_FALSE(p0.filter.separate);
    EXPECT_NEAR(p0.level.panAngle, 0.7853981633974483, 1e-7) << "float 1.0 times pi/4";

    COldRecord v9;
    v9.version = 9;
    CProgram untouched = edited(1);
    const Bytes refused = v9.bytes();
    CByteReader in(refused);
    EXPECT_FALSE(readProgramRecord(in, kProgramFormat, untouched));
    EXPECT_EQ(untouched.name, "Sound 1");
}

// A record before version 6 whose filter parameter is above -1 converts to a value below 0, which
// the program's check brings back within the parameter's range.
TEST(Chunk, OlderFilterParametersStayWithinTheirRange)
{
    for (int version : {0, 5}) {
        COldRecord r;
        r.version = version; // its filter parameter is 0
        const CProgram p = readOne(r.bytes());
        EXPECT_GE(p.filter.parameter, 0.0f) << "version " << version;
        EXPECT_LE(p.filter.parameter, 1.0f) << "version " << version;
    }
}

TEST(Chunk, OldBlocks)
{
    // Oscillator block version 0: the old feedback wave 36 is 53 now.
    CByteWriter osc;
    osc.tag("OSC_");
    osc.u8(0);
    osc.i32(36);
    osc.i32(2);
    for (float x : {1.0f, 1.0f, 0.0f})
        osc.f32(x);
    osc.i32(0);
    osc.f32(0.75f); // fine detune of the old scale
    osc.u8(0);
    COscillatorSettings o;
    ASSERT_TRUE(loadOscillator(osc.bytes(), o));
    EXPECT_EQ(o.wave1, 53);
    EXPECT_EQ(o.wave2, 2);
    EXPECT_NEAR(o.fine, 64.0f * 0.0019607844f + 0.5f, 1e-6f) << "0.5 of 128 steps";

    // Combiner set version 2 with four combiners: the fifth stays, sources are renumbered.
    CCombinerSet section;
    section.combiners[4].source1 = 9;
    CByteWriter set;
    set.tag("MCMB");
    set.u8(2);
    set.u8(4);
    for (int i = 0; i < 4; ++i) {
        set.i32(i == 0 ? 3 : 0); // old source 3
        set.i32(0);
        set.i32(0);
        set.i32(0);
        set.f32(0.0f);
    }
    ASSERT_TRUE(loadCombiners(set.bytes(), ESectionKind::Oscillator, section));
    EXPECT_EQ(section.combiners[0].source1, 5) << "3 > 0 gives 4, 4 > 2 gives 5";
    EXPECT_EQ(section.combiners[4].source1, 9) << "the fifth combiner is unchanged";

    Bytes refused = set.bytes();
    refused[4] = 5;
    EXPECT_FALSE(loadCombiners(refused, ESectionKind::Oscillator, section));
}

TEST(Chunk, FirstGenerationRecord)
{
    CByteWriter out;
    out.tag("Prog");
    const std::string name = "Vintage";
    out.u16(static_cast<uint16_t>(name.size()));
    out.raw(name.data(), name.size());
    out.u16(46);
    std::array<float, 46> v {};
    v[4] = 3.0f / 25.0f; // wave index 3: raised to 6 and then to 9
    v[9] = 0.75f;         // coarse floor(54) - 36 = 18
    v[27] = 0.6f;         // filter type 2
    v[30] = 1.0f;         // 200 * 2^4.75 Hz
    v[44] = 0.5f;
    for (float x : v)
        out.f32(x);
    Bytes bytes = chunk(5, 1, {}, out.bytes(), kOldProgramFormat);
    auto programs = std::make_unique<Programs>();
    ASSERT_TRUE(read(bytes, *programs, true, 2).ok);
    const CProgram& p = (*programs)[2];
    EXPECT_EQ(p.name, "Vintage");
    EXPECT_EQ(p.oscillators[1].wave1, 9);
    EXPECT_EQ(p.oscillators[1].coarse, 18);
    EXPECT_EQ(p.filter.type, 2);
    EXPECT_FLOAT_EQ(p.filter.parameter, 0.0f) << "types 2 and 5 have no parameter";
    EXPECT_NEAR(p.filter.frequency, 200.0f * std::exp2(4.75f), 0.01f);
    EXPECT_NEAR(p.level.mainVolume, 12.0f * 64.0f / 127.0f, 1e-5f);
    EXPECT_TRUE(p.shaper.limiter);

    // A value count other than 46 fails.
    bytes[8 + 2 + 2 + 2 + 4 + 4 + 2 + name.size()] = 45;
    EXPECT_FALSE(read(bytes, *programs, true, 2).ok);
}

TEST(Chunk, ABlockThatDoesNotLoadTakesTheInitBlock)
{
    CProgram sound = edited(4);
    sound.oscillators[1].wave1 = 5;
    Bytes record = recordOf(sound);
    const std::string text(record.begin(), record.end());
    const size_t second = text.find("OSC_", text.find("OSC_") + 1);
    record[second + 4] = 3; // a version no reader knows

    const CChunkReading r = [&] {
        auto programs = std::make_unique<Programs>();
        const CChunkReading reading = read(chunk(5, 1, {}, record), *programs, true, 6);
        const CProgram& p = (*programs)[6];
        EXPECT_EQ(p.name, "Sound 4");
        EXPECT_TRUE(p.oscillators[1] == CProgram {}.oscillators[1]);
        EXPECT_TRUE(p.oscillators[0] == sound.oscillators[0]);
        EXPECT_FLOAT_EQ(p.filter.frequency, sound.filter.frequency) << "the rest of the record reads";
        return reading;
    }();
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.repaired, std::vector<int> {6});

    // A block whose length runs past the record still fails it.
    Bytes cut = recordOf(sound);
    const size_t length = std::string(cut.begin(), cut.end()).find("OSC_") - 4;
    cut[length + 1] = 0x7F;
    auto programs = std::make_unique<Programs>();
    EXPECT_FALSE(read(chunk(5, 1, {}, cut), *programs, true).ok);
}

TEST(Chunk, TruncatedAndFlippedChunksNeverReadPastTheirEnd)
{
    std::vector<CProgram> sounds = {edited(1), edited(2)};
    CChunkHeader header;
    header.tuningSource = 1;
    const Bytes bank = buildChunk(&header, {&sounds[0], &sounds[1]});
    const Bytes program = buildChunk(nullptr, {&sounds[0]});
    auto programs = std::make_unique<Programs>();
    for (size_t n = 0; n < program.size(); ++n) {
        const Bytes cut(program.begin(), program.begin() + static_cast<long>(n));
        EXPECT_FALSE(read(cut, *programs, true).ok) << n;
    }
    std::mt19937 random(7);
    for (int i = 0; i < 400; ++i) {
        for (const Bytes* original : {&bank, &program}) {
            Bytes flipped = *original;
            for (int f = 0; f < 3; ++f)
                flipped[random() % flipped.size()] ^= static_cast<uint8_t>(1u << (random() % 8));
            const Bytes cut(flipped.begin(), flipped.begin() + static_cast<long>(random() % flipped.size()));
            // Whatever they hold, they are read within their bytes (the sanitizers watch).
            read(flipped, *programs, original == &program);
            read(cut, *programs, original == &program);
        }
    }
    // and what was read is within reach of the engine
    for (const CProgram& p : *programs) {
        EXPECT_TRUE(std::isfinite(p.filter.frequency) && p.filter.frequency > 0.0f);
        EXPECT_LE(p.name.size(), kMaxProgramName);
    }
}

} // namespace
} // namespace quorvix
