#include "presets/settings.h"

#include <gtest/gtest.h>

namespace quorvix {
namespace {

std::vector<uint8_t> record(int version, std::vector<uint8_t> fields)
{
    std::vector<uint8_t> r = {'Q', 'X', 'S', 'F', static_cast<uint8_t>(version), 0, 0, 0};
    r.insert(r.end(), fields.begin(), fields.end());
    return r;
}

TEST(SettingsRecord, VersionFourRoundTrips)
{
    CSettings s;
    s.startCounter = 41;
    s.monoTimbral = false;
    s.knobMode = false;
    s.oscOversampling = 2;
    s.autoStore = false;
    s.reservedFlag = false;
    s.bankSelector = 7;
    s.skinName = "Dark\\";
    const std::vector<uint8_t> bytes = buildSettingsRecord(s);
    EXPECT_EQ(bytes.size(), 25u + 6u);
    CSettings read;
    ASSERT_TRUE(parseSettingsRecord(bytes, read));
    EXPECT_EQ(read.startCounter, 41);
    EXPECT_FALSE(read.monoTimbral);
    EXPECT_FALSE(read.knobMode);
    EXPECT_EQ(read.oscOversampling, 2);
    EXPECT_FALSE(read.autoStore);
    EXPECT_FALSE(read.reservedFlag);
    EXPECT_EQ(read.bankSelector, 7);
    EXPECT_EQ(read.skinName, "Dark\\");
}

TEST(SettingsRecord, VersionTwoKeepsBankAndSkinDefaults)
{
    CSettings s;
    ASSERT_TRUE(parseSettingsRecord(record(2, {3, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 0}), s));
    EXPECT_EQ(s.startCounter, 3);
    EXPECT_FALSE(s.monoTimbral);
    EXPECT_EQ(s.oscOversampling, 1);
    EXPECT_FALSE(s.autoStore);
    EXPECT_EQ(s.bankSelector, 0);
    EXPECT_EQ(s.skinName, "Bones");
}

TEST(SettingsRecord, RefusedRecordsLeaveSettingsAlone)
{
    CSettings s;
    s.knobMode = false;
    EXPECT_FALSE(parseSettingsRecord(record(5, {1, 0}), s));
    EXPECT_FALSE(parseSettingsRecord({'Q', 'X', 'S', 'F'}, s));
    EXPECT_FALSE(parseSettingsRecord({'Q', 'X', 'S'}, s));
    EXPECT_FALSE(parseSettingsRecord({'q', 'x', 's', 'f', 0, 0, 0, 0, 1, 0}, s));
    EXPECT_FALSE(parseSettingsRecord({'Q', 'X', 'S', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 1, 0}, s));
    EXPECT_FALSE(s.knobMode);
}

TEST(SettingsRecord, ShortRecordsKeepWhatIsMissing)
{
    CSettings s;
    // version 4 cut inside the bank selector: everything before it is taken
    ASSERT_TRUE(parseSettingsRecord(record(4, {9, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0, 5, 0}), s));
    EXPECT_EQ(s.startCounter, 9);
    EXPECT_FALSE(s.monoTimbral);
    EXPECT_EQ(s.oscOversampling, 2);
    EXPECT_FALSE(s.reservedFlag);
    EXPECT_EQ(s.bankSelector, 0);
    CSettings unterminated;
    ASSERT_TRUE(parseSettingsRecord(record(3, {0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 2, 0, 0, 0, 'A', 'B'}),
                                    unterminated));
    EXPECT_EQ(unterminated.bankSelector, 2);
    EXPECT_EQ(unterminated.skinName, "Bones") << "a skin name without its end is not taken";
}

TEST(SettingsRecord, OutOfRangeFieldsAreClamped)
{
    CSettings s;
    ASSERT_TRUE(parseSettingsRecord(record(4, {0, 0, 0, 0, 1, 0, 1, 0, 9, 1, 0, 1, 0, 0xFF, 0, 0, 0, 0}), s));
    EXPECT_EQ(s.oscOversampling, 2);
    EXPECT_EQ(s.bankSelector, 9);
}

} // namespace
} // namespace quorvix
