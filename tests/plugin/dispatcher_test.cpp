#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <cstring>

namespace qtest {
namespace {

using namespace vst;

TEST_F(PluginTest, AEffectCarriesTheAnnouncedValues)
{
    const AEffect& e = *plugin().effect();
    EXPECT_EQ(e.magic, 0x56737450);
    EXPECT_EQ(e.numPrograms, 64);
    EXPECT_EQ(e.numParams, 1000);
    EXPECT_EQ(e.numInputs, 0);
    EXPECT_EQ(e.numOutputs, 2) << "without settings the plug-in starts in mono timbral mode";
    EXPECT_EQ(e.flags, 0x131);
    EXPECT_EQ(e.uniqueID, 0x51756F72) << "'Quor'";
    EXPECT_EQ(e.version, 1);
    EXPECT_EQ(e.initialDelay, 0);
    EXPECT_EQ(e.realQualities, 0);
    EXPECT_EQ(e.offQualities, 0);
    EXPECT_FLOAT_EQ(e.ioRatio, 1.0f);
    EXPECT_NE(e.object, nullptr);
    EXPECT_EQ(e.user, nullptr);
    EXPECT_EQ(e.resvd1, 0);
    EXPECT_EQ(e.resvd2, 0);
    EXPECT_NE(e.process, nullptr);
    EXPECT_NE(e.processReplacing, nullptr);
    EXPECT_EQ(e.processDoubleReplacing, nullptr);
    const char zeros[sizeof e.future] = {};
    EXPECT_EQ(std::memcmp(e.future, zeros, sizeof zeros), 0);
}

TEST_F(PluginTest, HostThatAnswersVersionZeroGetsNoEffect)
{
    qhost::CHostState state;
    state.versionAnswer = 0;
    EXPECT_EQ(createInstance(state), nullptr);
}

struct COpcodeCase {
    int32_t opcode;
    int32_t index;
    intptr_t value;
    intptr_t expected;
    const char* what;
};

TEST_F(PluginTest, FixedAnswersOfTheDispatcher)
{
    const COpcodeCase cases[] = {
        {effOpen, 0, 0, 0, "effOpen"},
        {effGetVu, 0, 0, 0, "effGetVu"},
        {effIdentify, 0, 0, 0x4E764566, "effIdentify 'NvEf'"},
        {effCanBeAutomated, 999, 0, 1, "effCanBeAutomated"},
        {effString2Parameter, 3, 0, 0, "effString2Parameter"},
        {effGetNumProgramCategories, 0, 0, 1, "effGetNumProgramCategories"},
        {effConnectInput, 0, 1, 1, "effConnectInput"},
        {effConnectOutput, 0, 1, 1, "effConnectOutput"},
        {effGetInputProperties, 0, 0, 0, "effGetInputProperties"},
        {effGetPlugCategory, 0, 0, 2, "effGetPlugCategory"},
        {effSetBypass, 0, 1, 0, "effSetBypass"},
        {effGetErrorText, 0, 0, 0, "effGetErrorText"},
        {effGetVendorVersion, 0, 0, 225, "effGetVendorVersion"},
        {effVendorSpecific, 0x50726553, 0x41654373, 0, "effVendorSpecific"},
        {effGetTailSize, 0, 0, 0, "effGetTailSize"},
        {effIdle, 0, 0, 0, "effIdle"},
        {effKeysRequired, 0, 0, 0, "effKeysRequired"},
        {effGetVstVersion, 0, 0, 2300, "effGetVstVersion"},
        {effGetMidiProgramName, 0, 0, 0, "effGetMidiProgramName"},
        {effGetCurrentMidiProgram, 0, 0, -1, "effGetCurrentMidiProgram"},
        {effBeginSetProgram, 0, 0, 0, "effBeginSetProgram"},
        {effEndSetProgram, 0, 0, 0, "effEndSetProgram"},
        {effStartProcess, 0, 0, 0, "effStartProcess"},
        {effStopProcess, 0, 0, 0, "effStopProcess"},
        {effSetTotalSampleToProcess, 0, 12345, 12345, "effSetTotalSampleToProcess echoes"},
        {effSetPanLaw, 0, 1, 0, "effSetPanLaw"},
        {effBeginLoadBank, 0, 0, 0, "effBeginLoadBank"},
        {effBeginLoadProgram, 0, 0, 0, "effBeginLoadProgram"},
        {effSetProcessPrecision, 0, 0, 0, "opcode 77"},
        {effGetNumMidiInputChannels, 0, 0, 0, "opcode 78"},
        {500, 0, 0, 0, "opcode 500"},
        {-1, 0, 0, 0, "opcode -1"},
    };
    for (const COpcodeCase& c : cases)
        EXPECT_EQ(plugin().dispatch(c.opcode, c.index, c.value), c.expected) << c.what;
}

TEST_F(PluginTest, NamesOfTheProduct)
{
    struct {
        int32_t opcode;
        const char* text;
    } cases[] = {{effGetEffectName, "Quorvix"}, {effGetVendorString, "Brenwick"}, {effGetProductString, "Quorvix VST-Synth"}};
    for (const auto& c : cases) {
        char buffer[64] = {};
        EXPECT_EQ(plugin().dispatch(c.opcode, 0, 0, buffer), 1);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST_F(PluginTest, CanDoAnswersOnlyTheEventStrings)
{
    struct {
        const char* text;
        intptr_t answer;
    } cases[] = {{"sendVstEvents", 1},      {"sendVstMidiEvent", 1}, {"receiveVstEvents", 1},
                 {"receiveVstMidiEvent", 1}, {"receiveVstTimeInfo", -1}, {"bypass", -1},
                 {"receiveVstEvent", -1},    {"", -1}};
    for (const auto& c : cases)
        EXPECT_EQ(plugin().dispatch(effCanDo, 0, 0, const_cast<char*>(c.text)), c.answer) << c.text;
    EXPECT_EQ(plugin().dispatch(effCanDo, 0, 0, nullptr), -1);
}

TEST_F(PluginTest, OutputPinsInMonoTimbralMode)
{
    VstPinProperties pin {};
    ASSERT_EQ(plugin().dispatch(effGetOutputProperties, 0, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Quor1 L");
    EXPECT_EQ(pin.flags, 3);
    ASSERT_EQ(plugin().dispatch(effGetOutputProperties, 1, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Quor1 R");
    std::memset(&pin, 0x55, sizeof pin);
    EXPECT_EQ(plugin().dispatch(effGetOutputProperties, 2, 0, &pin), 0);
    EXPECT_EQ(static_cast<unsigned char>(pin.label[0]), 0x55) << "nothing is written for a missing pin";
    EXPECT_EQ(plugin().dispatch(effGetOutputProperties, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, OutputPinsWithFourTimbres)
{
    useEightOutputs();
    ASSERT_EQ(plugin().effect()->numOutputs, 8);
    VstPinProperties pin {};
    ASSERT_EQ(plugin().dispatch(effGetOutputProperties, 7, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Quor4 R");
    ASSERT_EQ(plugin().dispatch(effGetOutputProperties, 4, 0, &pin), 1);
    EXPECT_STREQ(pin.label, "Quor3 L");
    EXPECT_EQ(plugin().dispatch(effGetOutputProperties, 8, 0, &pin), 0);
    EXPECT_EQ(plugin().dispatch(effGetOutputProperties, -1, 0, &pin), 0);
}

TEST_F(PluginTest, EditorRectangleIsKnownBeforeOpen)
{
    ERect* rect = nullptr;
    ASSERT_EQ(plugin().dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->right - rect->left, 640);
    EXPECT_EQ(rect->bottom - rect->top, 510);
    EXPECT_EQ(plugin().dispatch(effEditGetRect, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, EditorOpenIdleCloseAreSafeAnyNumberOfTimes)
{
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(plugin().dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 1);
        EXPECT_EQ(plugin().dispatch(effEditOpen, 0, 0, reinterpret_cast<void*>(0x1234)), 1) << "open twice";
        plugin().dispatch(effEditIdle);
        EXPECT_EQ(plugin().dispatch(effEditKeyDown, 'a', 0, nullptr, 0.0f), -1);
        EXPECT_EQ(plugin().dispatch(effEditKeyUp, 'a', 0, nullptr, 0.0f), -1);
        plugin().dispatch(effEditClose);
        plugin().dispatch(effEditClose);
        plugin().dispatch(effEditIdle);
    }
    EXPECT_EQ(plugin().dispatch(effSetEditKnobMode, 0, 2), 1);
}

TEST_F(PluginTest, ProgramNumbersOutsideTheBankAreRefused)
{
    startOnInitBank();
    plugin().dispatch(effSetProgram, 0, 5);
    EXPECT_EQ(plugin().dispatch(effGetProgram), 5);
    EXPECT_EQ(plugin().text(effGetProgramName), "Init 5");
    plugin().dispatch(effSetProgram, 0, 64);
    plugin().dispatch(effSetProgram, 0, 1000);
    EXPECT_EQ(plugin().dispatch(effGetProgram), 5);
    plugin().dispatch(effSetProgram, 0, -3);
    EXPECT_EQ(plugin().dispatch(effGetProgram), 0) << "a negative program is taken as 0";

    char name[64] = {};
    EXPECT_EQ(plugin().dispatch(effGetProgramNameIndexed, 63, -1, name), 1);
    EXPECT_STREQ(name, "Init");
    EXPECT_EQ(plugin().dispatch(effGetProgramNameIndexed, 64, -1, name), 0);
    EXPECT_EQ(plugin().dispatch(effGetProgramNameIndexed, -1, -1, name), 0);
    EXPECT_EQ(plugin().dispatch(effCopyProgram, 64), 0);
    EXPECT_EQ(plugin().dispatch(effCopyProgram, 10), 1);
}

TEST_F(PluginTest, ProgramNameIsCutToTheHostBuffer)
{
    const char* longName = "A name that is far longer than any program name can be";
    plugin().dispatch(effSetProgramName, 0, 0, const_cast<char*>(longName));
    char buffer[64];
    std::memset(buffer, 0x7F, sizeof buffer);
    plugin().dispatch(effGetProgramName, 0, 0, buffer);
    EXPECT_STREQ(buffer, "A name that is far long");
    for (size_t i = 24; i < sizeof buffer; ++i)
        ASSERT_EQ(buffer[i], 0x7F) << "byte " << i << " was written";
}

TEST_F(PluginTest, TextsNeverPassTheSmallestHostBuffers)
{
    struct {
        int32_t opcode;
        int32_t index;
        size_t size;
    } cases[] = {
        {effGetParamLabel, 114, 8},   {effGetParamDisplay, 108, 8}, {effGetParamName, 254, 24},
        {effGetProgramName, 0, 24},   {effGetProgramNameIndexed, 0, 24}, {effGetEffectName, 0, 32},
        {effGetVendorString, 0, 64},  {effGetProductString, 0, 64},
    };
    for (const auto& c : cases) {
        char buffer[300];
        std::memset(buffer, 0x7F, sizeof buffer);
        plugin().dispatch(c.opcode, c.index, 0, buffer);
        const size_t length = strnlen(buffer, sizeof buffer);
        EXPECT_LT(length, c.size) << "opcode " << c.opcode;
        for (size_t i = c.size; i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], 0x7F) << "opcode " << c.opcode << " wrote byte " << i;
    }
    EXPECT_EQ(plugin().parameterLabel(114), "%Freq/N") << "' %Freq/Note ' loses its padding, then is cut";
    EXPECT_EQ(plugin().parameterLabel(102), "Boolean") << "' Boolean '";
    EXPECT_EQ(plugin().parameterLabel(108), " Hz ") << "short labels keep their padding";
    EXPECT_EQ(plugin().parameterName(254), "T1|Mod1Once/FirstKey");
}

// Hosts that read parameter properties show switches as toggles, whole numbers as steps, and may
// group by section.
TEST_F(PluginTest, ParameterPropertiesTellSwitchesStepsAndSections)
{
    struct {
        int32_t index;
        const char* label;
        const char* shortLabel;
        int32_t flags;
        int32_t min, max;
        int16_t category;
        const char* categoryLabel;
    } cases[] = {
        {102, "PostFilter", "PstFltr", kVstParameterIsSwitch, 0, 0, 3, "Shaper"},
        {103, "LimiterBug", "LmtrBg", kVstParameterIsSwitch, 0, 0, 3, "Shaper"},
        {24, "Quality", "Quality", kVstParameterIsSwitch, 0, 0, 7, "Misc"},
        {425, "T2|OSC1 1st", "OSC11st", kVstParameterUsesFloatStep, 0, 53, 1, "Oscillators"},
        {230, "T1|O1 Detune Coarse", "O1DtnCr", kVstParameterUsesFloatStep, -36, 36, 1, "Oscillators"},
        {105, "Filter", "Filter", kVstParameterUsesFloatStep, 0, 8, 4, "Filter"},
        {185, "Polyphony", "Plyphny", kVstParameterUsesFloatStep, 0, 16, 7, "Misc"},
        {108, "FiltFreq", "FltFrq", kVstParameterCanRamp, 0, 0, 4, "Filter"},
        {0, "OSC1Pulse", "OSC1Pls", kVstParameterCanRamp, 0, 0, 1, "Oscillators"},
        {915, "T4|FMod Wave", "FMdWv", kVstParameterUsesFloatStep, 0, 0, 5, "Filter modulation"},
        {961, "T4|Main Vol.", "MainVol", kVstParameterCanRamp, 0, 0, 6, "Volume and effects"},
    };
    for (const auto& c : cases) {
        unsigned char bytes[sizeof(VstParameterProperties) + 16];
        std::memset(bytes, 0x7F, sizeof bytes);
        auto* p = reinterpret_cast<VstParameterProperties*>(bytes);
        ASSERT_EQ(plugin().dispatch(effGetParameterProperties, c.index, 0, p), 1) << c.index;
        EXPECT_STREQ(p->label, c.label) << c.index;
        EXPECT_STREQ(p->shortLabel, c.shortLabel) << c.index;
        EXPECT_TRUE(p->flags & c.flags) << c.index;
        EXPECT_TRUE(p->flags & kVstParameterSupportsDisplayCategory) << c.index;
        EXPECT_EQ(p->category, c.category) << c.index;
        EXPECT_STREQ(p->categoryLabel, c.categoryLabel) << c.index;
        EXPECT_GT(p->numParametersInCategory, 0) << c.index;
        if (c.flags == kVstParameterUsesFloatStep && c.max > 0) {
            EXPECT_FALSE(p->flags & kVstParameterUsesIntegerMinMax) << "values stay on the 0..1 scale";
            EXPECT_EQ(p->minInteger, c.min) << c.index;
            EXPECT_EQ(p->maxInteger, c.max) << c.index;
            EXPECT_EQ(p->stepInteger, 1) << c.index;
            EXPECT_FLOAT_EQ(p->stepFloat, 1.0f / float(c.max - c.min)) << "steps on the 0..1 scale";
        }
        for (size_t i = sizeof(VstParameterProperties); i < sizeof bytes; ++i)
            ASSERT_EQ(bytes[i], 0x7F) << "wrote past the structure";
    }
    VstParameterProperties untouched {};
    EXPECT_EQ(plugin().dispatch(effGetParameterProperties, 1000, 0, &untouched), 0);
    EXPECT_EQ(plugin().dispatch(effGetParameterProperties, -1, 0, &untouched), 0);
    EXPECT_EQ(plugin().dispatch(effGetParameterProperties, 0, 0, nullptr), 0);
}

TEST_F(PluginTest, NullPointersAndGarbageAreRefused)
{
    for (int32_t opcode : {effSetProgramName, effGetProgramName, effGetParamLabel, effGetParamDisplay, effGetParamName,
                           effGetProgramNameIndexed, effGetEffectName, effGetVendorString, effGetProductString,
                           effGetChunk, effSetChunk, effProcessEvents, effCanDo, effGetOutputProperties,
                           effEditGetRect, effGetSpeakerArrangement})
        plugin().dispatch(opcode, 0, 0, nullptr);
    EXPECT_EQ(plugin().dispatch(effSetChunk, 0, 16, nullptr), 0);

    std::vector<uint8_t> garbage(300, 0xA5);
    EXPECT_EQ(plugin().setChunk(garbage, false), 0);
    EXPECT_EQ(plugin().setChunk(garbage, true), 0);
    EXPECT_EQ(plugin().dispatch(effSetChunk, 0, -5, garbage.data()), 0);
    EXPECT_EQ(plugin().dispatch(effSetChunk, 0, 0, garbage.data()), 0);

    void* in = reinterpret_cast<void*>(1);
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(plugin().dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(plugin().effect()->numOutputs, 2) << "the instance is still whole";
}

TEST_F(PluginTest, CloseDestroysTheInstanceAndReturnsOne)
{
    plugin();
    EXPECT_EQ(m_instance->close(), 1);
}

} // namespace
} // namespace qtest
