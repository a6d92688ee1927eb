// Tuning files into the eight tunings and out again: distribution by channel, the Scala branch,
// the exports and the MIDI file's layout.
#include "tuning/midi_file_writer.h"
#include "tuning/tuning_collection.h"
#include "tuning/tuning_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorvix {
namespace {

namespace fs = std::filesystem;

fs::path temp(const std::string& name) { return fs::temp_directory_path() / ("quorvix-files-" + name); }

std::string file(const std::string& name, const std::string& text)
{
    const fs::path path = temp(name);
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

struct CEight {
    std::array<CTuning, 8> tunings;
    CTuningSlots slots()
    {
        CTuningSlots s;
        for (CTuning& t : tunings)
            s.push_back(&t);
        return s;
    }
};

std::string dataset(const std::string& channels, double hz, const std::string& name = "")
{
    std::string text = "[Scale Begin]\nFormat = \"Quorvix-TUN\"\nFormatVersion = 200\n";
    if (!channels.empty())
        text += "[Assignment]\nMIDIChannel = \"" + channels + "\"\n";
    if (!name.empty())
        text += "[Info]\nName = \"" + name + "\"\n";
    return text + "[Functional Tuning]\nNote 69 = \"!" + std::to_string(hz) + "\"\n[Scale End]\n";
}

TEST(TuningFiles, PlainTunFileTunesEverySlotWithTheFileName)
{
    CEight e;
    EXPECT_EQ(loadTuningCollection(file("plain.TUN", "[Tuning]\nNote 69 = 6950\n"), e.slots()), "");
    for (const CTuning& t : e.tunings) {
        EXPECT_EQ(t.name(), "quorvix-files-plain.TUN");
        EXPECT_NEAR(t.frequency(69), 440.0 * std::exp2(50.0 / 1200.0), 1e-9);
    }
    EXPECT_FALSE(isScalaFile("tuning.TUN"));
    EXPECT_TRUE(isScalaFile("/a/b.SCL"));
}

TEST(TuningFiles, MultipleScalesByChannel)
{
    CEight e;
    const std::string msf = dataset("1", 400.0, "first") + dataset("2-8", 450.0, "second") + dataset("9", 500.0, "nobody");
    EXPECT_EQ(loadTuningCollection(file("two.msf", msf), e.slots()), "");
    EXPECT_EQ(e.tunings[0].name(), "first");
    for (size_t i = 1; i < 8; ++i)
        EXPECT_EQ(e.tunings[i].name(), "second") << i;
    EXPECT_NEAR(e.tunings[3].frequency(69), 450.0, 1e-9);

    CEight broken;
    const std::string bad = dataset("1", 400.0, "first") + "[Scale Begin]\nFormatVersion = x\n" + dataset("", 500.0);
    EXPECT_EQ(loadTuningCollection(file("bad.msf", bad), broken.slots()), "11: Value type mismatch. Integer expected!")
        << "the line counts from the start of the file";
    EXPECT_EQ(broken.tunings[0].name(), "first") << "datasets before the error are in use";
    EXPECT_EQ(broken.tunings[1].name(), "Equal tempered (Default)");
    EXPECT_EQ(loadTuningCollection("/nonexistent.tun", broken.slots()), "Error opening the file.");
}

TEST(TuningFiles, ScalaBranchNamesBothTunings)
{
    CEight e;
    const std::string scale = file("s.scl", "Pythagorean fifths\n1\n3/2\n");
    EXPECT_EQ(loadScala(scale, "", e.slots()), "");
    for (const CTuning& t : e.tunings) {
        EXPECT_EQ(t.name(), "Pythagorean fifths");
        EXPECT_EQ(t.mappingName(), "MIDI (Default)");
    }
    EXPECT_NEAR(e.tunings[2].frequency(61) / e.tunings[2].frequency(60), 1.5, 1e-12);
    const std::string kbm = file("m.kbm", "0\n0\n127\n60\n60\n300\n0\n");
    EXPECT_EQ(loadScala(scale, kbm, e.slots()), "");
    EXPECT_EQ(e.tunings[7].mappingName(), "quorvix-files-m.kbm");
    EXPECT_DOUBLE_EQ(e.tunings[7].frequency(60), 300.0);
    CEight untouched;
    EXPECT_EQ(loadScala(file("z.scl", "d\n1\n3/0\n"), "", untouched.slots()), "2: Division by zero.");
    EXPECT_EQ(untouched.tunings[0].name(), "Equal tempered (Default)");
}

TEST(TuningFiles, MultipleScalesExport)
{
    CEight e;
    CTuning selected;
    const std::string path = temp("out.msf").string();
    ASSERT_EQ(exportTunings(path, EExportFormat::MultipleScales, e.slots(), selected), "");
    EXPECT_EQ(contents(path).find("[Assignment]"), std::string::npos) << "eight equal tunings: one dataset";

    e.tunings[0].setFrequency(69, 430.0);
    ASSERT_EQ(exportTunings(path, EExportFormat::MultipleScales, e.slots(), selected), "");
    const std::string text = contents(path);
    EXPECT_NE(text.find("MIDIChannel = \"1\""), std::string::npos);
    EXPECT_NE(text.find("MIDIChannel = \"2,3,4,5,6,7,8\""), std::string::npos);

    CEight back;
    ASSERT_EQ(loadTuningCollection(path, back.slots()), "");
    for (size_t i = 0; i < 8; ++i)
        for (int k = 0; k < 128; ++k)
            ASSERT_NEAR(back.tunings[i].frequency(k) / e.tunings[i].frequency(k), 1.0, 1e-15) << i << " " << k;
}

TEST(TuningFiles, TunExportsReadBack)
{
    CTuning t;
    for (int k = 0; k < 128; ++k)
        t.setFrequency(k, 20.0 * std::exp2(k * 11.0 / 120.0));
    t.setName("Elevenths");
    struct CCase {
        EExportFormat format;
        double tolerance;
    };
    for (const CCase& c : {CCase {EExportFormat::TunV2, 1e-15}, CCase {EExportFormat::TunV1, 3e-9},
                           CCase {EExportFormat::TunV0, 3e-4}}) {
        CEight none;
        const std::string path = temp("out.tun").string();
        ASSERT_EQ(exportTunings(path, c.format, none.slots(), t), "");
        CEight back;
        ASSERT_EQ(loadTuningCollection(path, back.slots()), "");
        for (int k = 0; k < 128; ++k)
            ASSERT_NEAR(back.tunings[5].frequency(k) / t.frequency(k), 1.0, c.tolerance) << k;
    }
    CTuning plain;
    CEight none;
    const std::string v0 = temp("v0.tun").string();
    ASSERT_EQ(exportTunings(v0, EExportFormat::TunV0, none.slots(), plain), "");
    const std::string text = contents(v0);
    EXPECT_EQ(text.find("[Scale Begin]"), std::string::npos);
    EXPECT_NE(text.find("Note 127 = 12700\r\n"), std::string::npos);

    EXPECT_EQ(exportTunings("/nonexistent/dir/x.tun", EExportFormat::TunV2, none.slots(), plain),
              "Error writing the file.") << "a file that cannot be written is reported";
    EXPECT_NE(exportTunings("/nonexistent/dir/x.msf", EExportFormat::MultipleScales, none.slots(), plain)
                  .find("0-Scale: Error writing the file.\n0-PitchBendDest: Error writing the file.\n"),
              std::string::npos);
}

TEST(TuningFiles, MidiFileLayout)
{
    CTuning t;
    std::array<uint8_t, kKeyBasedDumpSize> dump {};
    t.buildKeyBasedDump(dump);
    const std::string path = temp("tuning.mid").string();
    ASSERT_TRUE(writeTuningMidiFile(path, "Quorvix Tuning", "Quorvix", dump.data(), kKeyBasedDumpSize));
    const std::string m = contents(path);
    ASSERT_EQ(m.size(), 496u);
    auto bytes = [&m](size_t at, size_t n) { return std::vector<uint8_t>(m.begin() + static_cast<long>(at), m.begin() + static_cast<long>(at + n)); };
    EXPECT_EQ(bytes(0, 14), (std::vector<uint8_t> {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 1, 0x80}));
    EXPECT_EQ(bytes(14, 8), (std::vector<uint8_t> {'M', 'T', 'r', 'k', 0, 0, 0, 20}));
    EXPECT_EQ(bytes(37, 5), (std::vector<uint8_t> {0x8C, 0x00, 0xFF, 0x2F, 0x00})) << "1536 ticks";
    EXPECT_EQ(bytes(42, 8), (std::vector<uint8_t> {'M', 'T', 'r', 'k', 0, 0, 0x01, 0xBE})) << "446";
    EXPECT_EQ(bytes(50, 4), (std::vector<uint8_t> {0, 0xFF, 0x03, 14}));
    EXPECT_EQ(m.substr(54, 14), "Quorvix Tuning");
    EXPECT_EQ(bytes(79, 4), (std::vector<uint8_t> {0, 0xF0, 0x83, 0x18}));
    EXPECT_EQ(static_cast<uint8_t>(m[83]), 0x7E) << "the message after its F0";
    EXPECT_EQ(bytes(491, 5), (std::vector<uint8_t> {0x8C, 0x00, 0xFF, 0x2F, 0x00}));

    ASSERT_TRUE(writeTuningMidiFile(path, "Twenty characters ab", "", dump.data(), kKeyBasedDumpSize));
    const std::string cut = contents(path);
    EXPECT_EQ(static_cast<uint8_t>(cut[53]), 16);
    EXPECT_EQ(cut.substr(54, 16), "Twenty character");
    const uint8_t notSysex[] = {0x90, 60, 100};
    EXPECT_FALSE(writeTuningMidiFile(path, "a", "b", notSysex, 3));
    EXPECT_FALSE(writeTuningMidiFile("/nonexistent/dir/t.mid", "a", "b", dump.data(), kKeyBasedDumpSize));
}

} // namespace
} // namespace quorvix
