// Programs in and out of a timbre: the Init program is the timbre's own default, and storing then
// loading gives back every parameter, envelope and combiner and the same sound.
#include "dsp/runtime_rand.h"
#include "presets/program.h"
#include "tests/engine/timbre_fixture.h"

#include <memory>

namespace quorvix {
namespace {

using namespace quorvix::test;

bool sameEnvelope(const CLoopEnvelope& a, const CLoopEnvelope& b) { return a.storedShape() == b.storedShape(); }

TEST(Program, InitIsTheTimbresDefault)
{
    auto rig = std::make_unique<CTimbreRig>();
    CProgram stored;
    storeProgram(rig->timbre, stored);
    EXPECT_EQ(stored.name, "Init");
    EXPECT_TRUE(stored == CProgram {});
    auto loaded = std::make_unique<CTimbreRig>();
    loadProgram(loaded->timbre, CProgram {});
    for (int number = 0; number < 200; ++number)
        EXPECT_EQ(parameterValue(loaded->timbre, number), parameterValue(rig->timbre, number)) << number;
}

// Every sound parameter moved away from Init, plus edits the table does not reach.
void editEverything(CTimbre& t)
{
    for (int number = 25; number <= 186; ++number)
        setParameterValue(t, number, static_cast<float>((number * 37) % 97) / 97.0f);
    CVoice& master = t.voice(kMonoVoice);
    master.envelope(EEnvelope::OscMod1).insertPoint(0.25f, 0.9f);
    master.envelope(EEnvelope::OscMod1).setCurved(0, true);
    master.envelope(EEnvelope::Amplitude).setLoop(1, 2);
    master.oscillatorSection().setSource1(2, 7);
    master.oscillatorSection().setDestination(2, 3);
    master.filterSection().setValue(1, 0.8f);
    t.copyModulesToVoices();
    t.setProgramName("Edited sound");
}

TEST(Program, StoreThenLoadGivesTheSameTimbre)
{
    auto a = std::make_unique<CTimbreRig>();
    auto b = std::make_unique<CTimbreRig>();
    editEverything(a->timbre);
    CProgram p;
    storeProgram(a->timbre, p);
    loadProgram(b->timbre, p);

    EXPECT_EQ(b->timbre.programName(), "Edited sound");
    b->timbre.setPolyphony(a->timbre.settings().polyphony); // a timbre setting, not part of programs
    for (int number = 0; number < 200; ++number) {
        EXPECT_EQ(parameterValue(b->timbre, number), parameterValue(a->timbre, number)) << number;
        EXPECT_EQ(parameterText(b->timbre, number), parameterText(a->timbre, number)) << number;
    }
    for (int v : {0, 5, 16}) {
        for (EEnvelope e : {EEnvelope::OscMod1, EEnvelope::Amplitude})
            EXPECT_TRUE(sameEnvelope(b->timbre.voice(v).envelope(e), a->timbre.voice(v).envelope(e))) << v;
        EXPECT_TRUE(b->timbre.voice(v).oscillatorSection().combinerSet() ==
                    a->timbre.voice(kMonoVoice).oscillatorSection().combinerSet());
    }
    const std::vector<CMidiEvent> note = {midi(0, 0x90, 60, 100), midi(0, 0x91, 67, 90)};
    for (int block = 0; block < 4; ++block) {
        // Random start phases draw from the generator: both timbres get the same draws.
        runtimeSrand(static_cast<uint32_t>(block + 1));
        const CBlock x = a->block(1024, block == 0 ? note : std::vector<CMidiEvent> {});
        runtimeSrand(static_cast<uint32_t>(block + 1));
        const CBlock y = b->block(1024, block == 0 ? note : std::vector<CMidiEvent> {});
        ASSERT_EQ(x.left, y.left) << "block " << block;
        ASSERT_EQ(x.right, y.right) << "block " << block;
    }
}

TEST(Program, MidiProgramChangeLoadsInTheVoices)
{
    auto bank = std::make_unique<CBank>();
    auto source = std::make_unique<CTimbreRig>();
    editEverything(source->timbre);
    storeProgram(source->timbre, bank->getProgramPtr(5));

    auto rig = std::make_unique<CTimbreRig>();
    rig->context.programs = bank.get();
    rig->block(256, {midi(10, 0xC0, 70)}); // clamped to 63: still Init
    EXPECT_EQ(rig->timbre.programNumber(), 63);
    rig->block(256, {midi(10, 0xC0, 5)});
    EXPECT_EQ(rig->timbre.programNumber(), 5);
    EXPECT_EQ(rig->timbre.programName(), "Edited sound");
    for (int number : {25, 53, 108, 163, 171})
        EXPECT_EQ(parameterValue(rig->timbre, number), parameterValue(source->timbre, number)) << number;
    EXPECT_TRUE(sameEnvelope(rig->timbre.voice(9).envelope(EEnvelope::OscMod1),
                             source->timbre.voice(kMonoVoice).envelope(EEnvelope::OscMod1)))
        << "a poly voice copied the mono voice's modules";
}

} // namespace
} // namespace quorvix
