// The editor commands of the parameter table against a host that records what it is asked.
#include "presets/parameter_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

namespace quorvix {
namespace {

class CRecordingHost : public CCommandHost {
public:
    std::string call; // the last action with its argument
    ECommandChange answer = ECommandChange::SelectedSound;

    int timbre = 0, program = 0, bank = 0, source = 0, oversampling = 0;
    float base = 0.0f;
    bool knob = false, mono = false, autoStore = false;

    ECommandChange selectTimbre(int t) override { return note("selectTimbre", t); }
    ECommandChange changeProgram(int p) override { return note("changeProgram", p); }
    ECommandChange stepProgram(int step) override { return note("stepProgram", step); }
    ECommandChange storePreset() override { return note("storePreset"); }
    ECommandChange copyPreset() override { return note("copyPreset"); }
    ECommandChange pastePreset() override { return note("pastePreset"); }
    ECommandChange swapPreset() override { return note("swapPreset"); }
    ECommandChange initPreset() override { return note("initPreset"); }
    ECommandChange loadBank(int selector) override { return note("loadBank", selector); }
    ECommandChange setKnobMode(bool on) override { return note("setKnobMode", on); }
    ECommandChange setTuningSource(int s) override { return note("setTuningSource", s); }
    ECommandChange setTuningBase(float semitones) override { return note("setTuningBase", semitones); }
    ECommandChange setOscOversampling(int n) override { return note("setOscOversampling", n); }
    ECommandChange setMonoTimbralSetting(bool on) override { return note("setMonoTimbralSetting", on); }
    ECommandChange setAutoStore(bool on) override { return note("setAutoStore", on); }

    int selectedTimbre() const override { return timbre; }
    int currentProgram() const override { return program; }
    int bankSelector() const override { return bank; }
    bool knobMode() const override { return knob; }
    int tuningSource() const override { return source; }
    float tuningBase() const override { return base; }
    int oscOversampling() const override { return oversampling; }
    bool monoTimbralSetting() const override { return mono; }
    bool autoStoreSetting() const override { return autoStore; }

private:
    ECommandChange note(const std::string& action)
    {
        call = action;
        return answer;
    }
    ECommandChange note(const std::string& action, float argument)
    {
        char text[32];
        std::snprintf(text, sizeof text, " %g", static_cast<double>(argument));
        call = action + text;
        return answer;
    }
};

TEST(CommandRecords, ActionsGetTheirConvertedValues)
{
    struct {
        int index;
        float value;
        const char* call; // empty: no action
    } cases[] = {
        {1006, 0.3f, "selectTimbre 1"},
        {1006, 1.0f, "selectTimbre 3"},
        {1007, 0.5f, "changeProgram 32"},
        {1007, 1.0f, "changeProgram 63"},
        {1008, 0.0f, "stepProgram -1"},
        {1009, 0.49f, "stepProgram 1"},
        {1009, 0.5f, ""}, // kick buttons act on release, below 0.5
        {1010, 0.0f, "storePreset"},
        {1010, 1.0f, ""},
        {1012, 0.0f, "copyPreset"},
        {1013, 0.0f, "pastePreset"},
        {1014, 0.0f, "swapPreset"},
        {1015, 0.0f, "initPreset"},
        {1015, 0.7f, ""},
        {1016, 0.0f, "loadBank 0"},
        {1016, 0.35f, "loadBank 3"},
        {1016, 0.95f, "loadBank 9"},
        {1016, 1.0f, "loadBank 9"},
        {1017, 0.5f, "setKnobMode 1"},
        {1017, 0.49f, "setKnobMode 0"},
        {1018, 0.3f, "setTuningSource 1"},
        {1018, 1.0f, "setTuningSource 3"},
        {1020, 0.0f, "setTuningBase -2"},
        {1020, 0.75f, "setTuningBase 1"},
        {1021, 0.4f, "setOscOversampling 1"},
        {1021, 1.0f, "setOscOversampling 2"},
        {1022, 0.0f, "setMonoTimbralSetting 0"},
        {1023, 1.0f, "setAutoStore 1"},
        {1000, 0.3f, ""}, // the editor's own refresh
    };
    for (const auto& c : cases) {
        CRecordingHost host;
        const CParameterRecord* record = commandRecord(c.index);
        ASSERT_TRUE(record && record->run) << c.index;
        const ECommandChange change = record->run(host, c.value);
        EXPECT_EQ(host.call, c.call) << c.index << " = " << c.value;
        EXPECT_EQ(change, host.call.empty() ? ECommandChange::Nothing : host.answer) << c.index;
    }
}

TEST(CommandRecords, OnlyThePluginsCommandsAct)
{
    for (int index : {1001, 1005, 1011, 1019, 1024, 1032, 1033})
        EXPECT_FALSE(commandRecord(index)->run) << index;
    for (int index : {-1, 0, 108, 999, 1034, 5000})
        EXPECT_EQ(commandRecord(index), nullptr) << index;
}

TEST(CommandRecords, ReadBacksAreTheChoicesMiddles)
{
    CRecordingHost host;
    host.timbre = 3;
    host.program = 99; // beyond the bank: the last program's value
    host.bank = -5;
    host.knob = true;
    host.source = 2;
    host.base = -2.0f;
    host.oversampling = 1;
    host.autoStore = true;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct {
        int index;
        float value;
    } cases[] = {
        {1006, 0.875f}, {1007, 127.0f / 128.0f}, {1016, 0.05f}, {1017, 1.0f}, {1018, 0.625f}, {1020, 0.0f},
        {1021, 0.5f},   {1022, 0.0f},            {1023, 1.0f},  {1000, 0.0f}, {1009, 0.0f},  {1010, 0.0f},
    };
    for (const auto& c : cases) {
        const CParameterRecord* record = commandRecord(c.index);
        ASSERT_TRUE(record && record->read) << c.index;
        EXPECT_FLOAT_EQ(record->read(host), c.value) << c.index;
    }
    host.base = 1.0f;
    EXPECT_FLOAT_EQ(commandRecord(1020)->read(host), 0.75f);
    host.base = nan;
    EXPECT_FLOAT_EQ(commandRecord(1020)->read(host), 0.0f) << "a broken tuning base reads 0";
    host.bank = 9;
    EXPECT_FLOAT_EQ(commandRecord(1016)->read(host), 0.95f);
}

} // namespace
} // namespace quorvix
