// What a hostile song or host can hand a timbre: stored values far outside their parameters,
// more commands than a voice's queue holds, a note whose output breaks.
#include "presets/chunk.h"
#include "presets/program_record.h"
#include "timbre_fixture.h"


#include <climits>
#include <limits>
#include <memory>

namespace quorvix::test {
namespace {

enum class EExtreme { High, Low, NotANumber };

float floatOf(EExtreme e)
{
    switch (e) {
    case EExtreme::High:
        return 1e30f;
    case EExtreme::Low:
        return -3.4e38f;
    default:
        return std::numeric_limits<float>::quiet_NaN();
    }
}

// Integers have no NaN: they keep their "Init" value there.
void setInt(int& field, EExtreme e)
{
    if (e != EExtreme::NotANumber)
        field = e == EExtreme::High ? INT_MAX : INT_MIN;
}

struct CStoredField {
    int number;
    void (*set)(CProgram&, EExtreme);
};

const CStoredField kFields[] = {
    {32, [](CProgram& p, EExtreme e) { p.combination.weights[0] = floatOf(e); }},
    {48, [](CProgram& p, EExtreme e) { p.combination.weights[2] = floatOf(e); }},
    {186, [](CProgram& p, EExtreme e) { p.oversampling.octaves = floatOf(e); }},
    {98, [](CProgram& p, EExtreme e) { p.shaperTable.parameter = floatOf(e); }},
    {99, [](CProgram& p, EExtreme e) { p.shaperTable.smooth = floatOf(e); }},
    {100, [](CProgram& p, EExtreme e) { p.shaper.gain = floatOf(e); }},
    {101, [](CProgram& p, EExtreme e) { p.shaper.position = floatOf(e); }},
    {104, [](CProgram& p, EExtreme e) { p.shaper.mix = floatOf(e); }},
    {107, [](CProgram& p, EExtreme e) { p.filter.parameter = floatOf(e); }},
    {108, [](CProgram& p, EExtreme e) { p.filter.frequency = floatOf(e); }},
    {109, [](CProgram& p, EExtreme e) { p.filter.resonanceWeight = floatOf(e); }},
    {111, [](CProgram& p, EExtreme e) { p.filter.resonanceFrequency = floatOf(e); }},
    {112, [](CProgram& p, EExtreme e) { p.filter.resonance = floatOf(e); }},
    {113, [](CProgram& p, EExtreme e) { setInt(p.filter.keyMid, e); }},
    {114, [](CProgram& p, EExtreme e) { p.filter.keySlope = floatOf(e); }},
    {158, [](CProgram& p, EExtreme e) { p.level.dynamic = floatOf(e); }},
    {159, [](CProgram& p, EExtreme e) { setInt(p.level.volumeKeyMid, e); }},
    {160, [](CProgram& p, EExtreme e) { p.level.volumeKeySlope = floatOf(e); }},
    {161, [](CProgram& p, EExtreme e) { p.level.mainVolume = floatOf(e); }},
    {162, [](CProgram& p, EExtreme e) { p.level.panAngle = floatOf(e); }},
    {181, [](CProgram& p, EExtreme e) { p.level.pitchBendRange = floatOf(e); }},
    {182, [](CProgram& p, EExtreme e) { p.level.portamento = floatOf(e); }},
    {184, [](CProgram& p, EExtreme e) { p.level.dirtyTuning = floatOf(e); }},
    {163, [](CProgram& p, EExtreme e) { p.effects[0].type = e == EExtreme::High ? 255 : 0; }},
    {164, [](CProgram& p, EExtreme e) { setInt(p.effects[0].time1, e); }},
    {165, [](CProgram& p, EExtreme e) { setInt(p.effects[0].time2, e); }},
    {166, [](CProgram& p, EExtreme e) { p.effects[0].depth1 = floatOf(e); }},
    {168, [](CProgram& p, EExtreme e) { p.effects[0].gain1 = floatOf(e); }},
    {170, [](CProgram& p, EExtreme e) { p.effects[0].spread = floatOf(e); }},
    {180, [](CProgram& p, EExtreme e) { p.effects[1].mix = floatOf(e); }},
    {59, [](CProgram& p, EExtreme e) {
         p.oscillatorModulation.oscillators[0].delay = floatOf(e);
     }},
};

// The program as a program chunk stores it and reads it back.
CProgram throughChunk(const CProgram& program)
{
    const std::vector<uint8_t> bytes = buildChunk(nullptr, {&program});
    auto programs = std::make_unique<std::array<CProgram, kProgramCount>>();
    EXPECT_TRUE(readChunk(bytes.data(), bytes.size(), true, 0, *programs).ok);
    return (*programs)[0];
}

// A stored value beyond a parameter's range arrives as setParameter would leave it at that end;
// NaN leaves the "Init" value. The sound made with it stays finite.
TEST(HostileInput, StoredValuesAreLimitedAsSetParameterWould)
{
    for (const CStoredField& field : kFields) {
        for (EExtreme e : {EExtreme::High, EExtreme::Low, EExtreme::NotANumber}) {
            CProgram stored;
            field.set(stored, e);
            auto loaded = std::make_unique<CTimbreRig>();
            loadProgram(loaded->timbre, throughChunk(stored));
            auto expected = std::make_unique<CTimbreRig>();
            if (e != EExtreme::NotANumber)
                setParameterValue(expected->timbre, field.number, e == EExtreme::High ? 1.0f : 0.0f);
            const int n = field.number;
            const int which = static_cast<int>(e);
            EXPECT_EQ(parameterText(loaded->timbre, n), parameterText(expected->timbre, n)) << n << " " << which;
            EXPECT_EQ(parameterValue(loaded->timbre, n), parameterValue(expected->timbre, n)) << n << " " << which;

            CBlock b = loaded->block(4096, {midi(0, 0x90, 60, 127), midi(0, 0x90, 64, 100), midi(10, 0x91, 127, 127)});
            for (size_t i = 0; i < b.left.size(); ++i)
                ASSERT_TRUE(std::isfinite(b.left[i]) && std::isfinite(b.right[i])) << n << " " << which << " at " << i;
        }
    }
}

// A note, more pitch bends than its queue holds, and the release: the note still ends.
TEST_F(TimbreFixture, AReleaseIsNeverLostInAFullQueue)
{
    for (int channel : {kPoly, kMono}) {
        const auto status = [channel](uint8_t kind) { return static_cast<uint8_t>(kind | channel); };
        std::vector<CMidiEvent> events = {midi(0, status(0x90), 60, 100)};
        for (int i = 0; i < 1100; ++i)
            events.push_back(midi(1 + i, status(0xE0), static_cast<uint8_t>(i & 0x7F), 64));
        events.push_back(midi(2000, status(0x80), 60, 0));
        EXPECT_GT(block(4096, events).peak(), 0.0f);
        EXPECT_EQ(block(4096).peak(), 0.0f) << "channel " << channel << ": released 25 ms after sample 2000";
        for (const CVoice& v : timbre.voices())
            EXPECT_TRUE(v.idle());
    }
}

TEST_F(TimbreFixture, ANoteWhoseOutputBreaksIsSilencedAndTheVoiceStartsAfresh)
{
    CLevelSettings levels = timbre.masterVoice().settings().level;
    levels.mainVolume = std::numeric_limits<float>::quiet_NaN();
    for (CVoice& v : timbre.voices())
        v.setLevels(levels);
    const CBlock broken = block(2048, {midi(0, 0x90, 60, 100)});
    EXPECT_EQ(broken.peak(), 0.0f) << "nothing of the broken note is passed on";
    for (const CVoice& v : timbre.voices())
        EXPECT_TRUE(v.idle());

    for (CVoice& v : timbre.voices())
        v.setLevels(CLevelSettings {});
    const CBlock next = block(2048, {midi(0, 0x90, 62, 100)});
    EXPECT_GT(next.peak(), 0.01f);
    for (size_t i = 0; i < next.left.size(); ++i)
        ASSERT_TRUE(std::isfinite(next.left[i])) << i;
}

} // namespace
} // namespace quorvix::test
