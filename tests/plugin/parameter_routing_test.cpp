#include "plugin_fixture.h"

#include "plugin/vst2abi.h"

#include <cmath>
#include <limits>

namespace qtest {
namespace {

TEST_F(PluginTest, IndexSelectsTimbreAndNumber)
{
    useEightOutputs();
    // 29 is "O1 Phase", whose engine value is the normalized value itself
    plugin().setParameter(429, 0.25f);
    EXPECT_FLOAT_EQ(plugin().getParameter(429), 0.25f);
    EXPECT_FLOAT_EQ(plugin().getParameter(229), 0.0f) << "timbre 1 keeps its own value";
    EXPECT_FLOAT_EQ(plugin().getParameter(29), 0.0f) << "index 29 addresses the selected timbre, timbre 1";
    EXPECT_EQ(plugin().parameterDisplay(429), "     90");

    plugin().setParameter(1006, 0.3f); // select timbre 2
    EXPECT_FLOAT_EQ(plugin().getParameter(1006), 0.375f);
    EXPECT_FLOAT_EQ(plugin().getParameter(29), 0.25f) << "now index 29 reaches timbre 2";
    plugin().setParameter(29, 0.5f);
    EXPECT_FLOAT_EQ(plugin().getParameter(429), 0.5f);
    EXPECT_FLOAT_EQ(plugin().getParameter(229), 0.0f);
}

TEST_F(PluginTest, NamesCarryTheTimbrePrefix)
{
    struct {
        int32_t index;
        const char* name;
    } cases[] = {
        {20, "Main Vol."},       {220, "T1|Main Vol."}, {250, "T1|OSC 3&12 Mix"}, {427, "T2|OSC1Pulse"},
        {908, "T4|FiltFreq"},    {108, "FiltFreq"},     {0, "OSC1Pulse"},         {24, "Quality"},
        {267, "T1|OSCMod Combiner"}, {199, "UNKNOWN"},     {865, "T4|Mod1DelayModus"},
        {1000, "Update Controls"},   {1006, "Channel"},     {1010, "Store Preset"},   {1019, "UNKNOWN"},
        {1023, "AutoStorePresetChanges"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(plugin().parameterName(c.index), c.name) << c.index;
}

TEST_F(PluginTest, AliasesReachTheirParameters)
{
    plugin().setParameter(16, 0.75f);
    EXPECT_NEAR(plugin().getParameter(108), 0.75f, 1e-6f);
    EXPECT_NEAR(plugin().getParameter(308), 0.75f, 1e-6f);
    EXPECT_EQ(plugin().parameterDisplay(308), "   2362") << "200 * 2^(4.75 * 0.75) Hz";
    EXPECT_EQ(plugin().parameterDisplay(308), plugin().parameterDisplay(108));
    plugin().setParameter(1, 0.0f);
    EXPECT_FLOAT_EQ(plugin().getParameter(28), 0.01f) << "alias 1 is O1 Symm., clamped at 0.01";
    EXPECT_EQ(plugin().parameterName(216), "T1|FiltFreq");
}

TEST_F(PluginTest, NumbersWithoutAParameterAreIgnored)
{
    for (int32_t index : {67, 95, 129, 157, 187, 199, 267, 990}) {
        plugin().setParameter(index, 0.9f);
        EXPECT_FLOAT_EQ(plugin().getParameter(index), 0.0f) << index;
        EXPECT_EQ(plugin().parameterLabel(index), "***ERR*") << index;
        EXPECT_EQ(plugin().parameterDisplay(index), "***ERR*") << index;
    }
}

TEST_F(PluginTest, HostileIndicesAndValuesChangeNothing)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    plugin().setParameter(27, 0.5f);
    plugin().setParameter(27, nan);
    EXPECT_FLOAT_EQ(plugin().getParameter(27), 0.5f) << "NaN is ignored";
    plugin().setParameter(1022, nan);
    EXPECT_FLOAT_EQ(plugin().getParameter(1022), 1.0f) << "NaN is ignored by commands too";
    plugin().setParameter(27, std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(plugin().getParameter(27), 1.0f) << "values above 1 are taken as 1";
    plugin().setParameter(27, -std::numeric_limits<float>::infinity());
    EXPECT_FLOAT_EQ(plugin().getParameter(27), 0.01f) << "values below 0 are taken as 0, and pulse keeps 0.01";
    plugin().setParameter(27, 7.0f);
    for (int32_t index : {-1, -250, -100000, 1019, 1034, 5000, std::numeric_limits<int32_t>::max(),
                          std::numeric_limits<int32_t>::min()}) {
        plugin().setParameter(index, 0.7f);
        EXPECT_FLOAT_EQ(plugin().getParameter(index), 0.0f) << index;
        EXPECT_FALSE(plugin().parameterName(index).empty()) << index;
    }
    EXPECT_FLOAT_EQ(plugin().getParameter(227), 1.0f);
    EXPECT_EQ(plugin().parameterDisplay(227), "    100");
}

TEST_F(PluginTest, MonoTimbralModeKeepsTimbreOneSelected)
{
    plugin().setParameter(1006, 0.9f);
    EXPECT_FLOAT_EQ(plugin().getParameter(1006), 0.125f);
    plugin().setParameter(29, 0.5f);
    EXPECT_FLOAT_EQ(plugin().getParameter(229), 0.5f);
}

TEST_F(PluginTest, ProgramCommandsStepAndWrap)
{
    plugin().setParameter(1007, 0.5f);
    EXPECT_EQ(plugin().dispatch(vst::effGetProgram), 32);
    EXPECT_FLOAT_EQ(plugin().getParameter(1007), 32.5f / 64.0f);
    plugin().setParameter(1007, 1.0f);
    EXPECT_EQ(plugin().dispatch(vst::effGetProgram), 63);
    plugin().setParameter(1009, 1.0f);
    EXPECT_EQ(plugin().dispatch(vst::effGetProgram), 63) << "a kick button acts on release";
    plugin().setParameter(1009, 0.0f);
    EXPECT_EQ(plugin().dispatch(vst::effGetProgram), 0) << "63 + 1 wraps to 0";
    plugin().setParameter(1008, 0.0f);
    EXPECT_EQ(plugin().dispatch(vst::effGetProgram), 63) << "0 - 1 wraps to 63";
}

TEST_F(PluginTest, SettingCommandsReadBack)
{
    struct {
        int32_t index;
        float value;
        float readBack;
    } cases[] = {
        {1017, 0.2f, 0.0f},         {1017, 0.7f, 1.0f},      {1021, 0.0f, 0.5f / 3.0f},
        {1021, 1.0f, 2.5f / 3.0f},  {1023, 0.0f, 0.0f},      {1023, 1.0f, 1.0f},
        {1020, 0.75f, 0.75f},
    };
    for (const auto& c : cases) {
        plugin().setParameter(c.index, c.value);
        EXPECT_FLOAT_EQ(plugin().getParameter(c.index), c.readBack) << c.index << " = " << c.value;
    }
    EXPECT_FLOAT_EQ(plugin().getParameter(1016), 0.05f) << "factory bank 0";
    EXPECT_FLOAT_EQ(plugin().getParameter(1018), 0.125f) << "tuning source 0";
    EXPECT_FLOAT_EQ(plugin().getParameter(1022), 1.0f) << "mono timbral setting";
}

} // namespace
} // namespace qtest
