// TUN datasets: reading every generation, the formula language, the errors with their line
// numbers, and writing any range of versions back.
#include "tuning/tuning_dataset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>

namespace quorvix {
namespace {

constexpr double kKeyZero = 8.175798915643707;

struct CRead {
    int result;
    CTuningDataset dataset;
};

CRead readText(const std::string& text)
{
    std::istringstream in(text);
    CLineReader lines;
    CRead r {0, {}};
    r.result = r.dataset.read(in, lines);
    return r;
}

const std::string kV2Head = "[Scale Begin]\nFormat = \"Quorvix-TUN\"\nFormatVersion = 200\n";

TEST(TuningDataset, Generations)
{
    struct CCase {
        const char* what;
        std::string text;
        int note;
        double hz;
    };
    const CCase cases[] = {
        {"version 0, one note", "[Tuning]\nNote 69 = 6900\n", 69, 440.0},
        {"version 0 keeps the rest at 100 cents per note", "[Tuning]\nNote 69 = 6950\n", 70, kKeyZero * std::exp2(70.0 / 12.0)},
        {"exact tuning repeats its pattern",
         "[Exact Tuning]\nBaseFreq = 100\nNote 0 = 0\nNote 7 = 702\nNote 12 = 1200\n", 31, 100.0 * std::exp2((2400.0 + 702.0) / 1200.0)},
        {"functional beats exact", kV2Head + "[Functional Tuning]\nNote 60 = \"!300\"\n[Exact Tuning]\nNote 60 = 0\n[Scale End]\n",
         60, 300.0},
        {"relative formula with a loop",
         kV2Head + "[Functional Tuning]\nInitEqual = (69, 440)\nNote 0 = \"#>12 /2 ~12\"\n[Scale End]\n", 9, 440.0 * std::exp2(-60.0 / 12.0)},
        {"absolute reference", kV2Head + "[Functional Tuning]\nNote 60 = \"#=57 *5 /4\"\n[Scale End]\n", 60, 440.0 * std::exp2(-12.0 / 12.0) * 1.25},
        {"absolute frequency scales all", kV2Head + "[Functional Tuning]\nNote 64 = \"!330\"\n[Scale End]\n", 69, 330.0 * std::exp2(5.0 / 12.0)},
        {"key Notes is Note 0", "[Tuning]\nNotes = 50\nNote 128 = 5\n", 0, kKeyZero * std::exp2(50.0 / 1200.0)},
    };
    for (const CCase& c : cases) {
        const CRead r = readText(c.text);
        ASSERT_EQ(r.result, 1) << c.what << ": " << r.dataset.error().text();
        EXPECT_NEAR(r.dataset.frequency(c.note) / c.hz, 1.0, 1e-12) << c.what;
    }
}

TEST(TuningDataset, ErrorsWithLineNumbers)
{
    struct CCase {
        std::string text;
        const char* error;
    };
    const CCase cases[] = {
        {"[Info]\nName = \"x\"\n", "0: Section not version compliant."},
        {kV2Head + "[Tuning]\nNote 1 = 100\n", "4: [Scale End] missing at file end or read error."},
        {kV2Head + "[Info]\nDate = \"2009-1-01\"\n", "4: Date format mismatch. YYYY-MM-DD expected!"},
        {kV2Head + "[Info]\nComposition = \"a|b|c\"\n",
         "4: Composition format mismatch. \"Musician or Band|Album|Title|Year|Misc\" expected!"},
        {kV2Head + "[Functional Tuning]\nNote 5 = \"#=200\"\n", "4: Formula syntax error or parameter refers to invalid note index!"},
        {kV2Head + "[Functional Tuning]\nInitEqual = (69 440)\n", "4: Coma after parameter 1 missing!"},
        {kV2Head + "[Functional Tuning]\nInitEqual = (69, 440 x)\n", "4: No more data expected after parameter 2!"},
        {kV2Head + "[Functional Tuning]\nInitEqual = 69, 440\n", "4: Value type mismatch. Function parameter block expected!"},
        {kV2Head + "[Assignment]\nMIDIChannel = \"0-3\"\n",
         "4: Error in MIDI channel range: syntax error or values exceed the range 1-65535!"},
        {"[Tuning]\nNote 1 = 1.5\n", "1: Value type mismatch. Integer expected!"},
        {"[Exact Tuning]\nNote 1 = cents\n", "1: Value type mismatch. Float expected!"},
        {"[Tuning]\n9 = 1\n", "1: Syntax error"},
        {"[Scale Begin]\nFormat = \"Other\"\n", "1: Format not supported."},
        {"[Scale Begin]\nFormat = Quorvix\n", "1: Value type mismatch. String expected!"},
        {"[Unknown]\n", "0: No tuning data found!"}, // at the end, the last line read
        {"[Tuning]\nNote 1 = x", "0: Value type mismatch. Integer expected!"}, // unterminated last line
    };
    for (const CCase& c : cases) {
        const CRead r = readText(c.text);
        EXPECT_EQ(r.result, -1) << c.text;
        EXPECT_EQ(r.dataset.error().text(), c.error) << c.text;
    }
    const CRead empty = readText("; only a comment\n\n");
    EXPECT_EQ(empty.result, 0);
    EXPECT_EQ(readText("[Tuning]\r\nNote 1 = x\r\n").dataset.error().text(), "1: Value type mismatch. Integer expected!")
        << "CR LF files count their CRs";
}

TEST(TuningDataset, ChannelRangesAndMapping)
{
    CTuningDataset d;
    ASSERT_TRUE(d.setAssignment("1, 3-4 ,,16"));
    EXPECT_EQ(d.assignmentText(), "1,3-4,16");
    EXPECT_TRUE(d.channelAssigned(4));
    EXPECT_FALSE(d.channelAssigned(2));
    EXPECT_FALSE(d.setAssignment("5-2"));
    EXPECT_TRUE(CTuningDataset().channelAssigned(9)) << "no assignment serves every channel";

    const CRead r = readText(kV2Head + "[Functional Tuning]\nNote 1 = \"!1000\"\n[Mapping]\nLoopSize = 12\nKeyboard 0 = 1\n[Scale End]\n");
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.dataset.mapKey(24), 25);
    EXPECT_EQ(r.dataset.mapKey(25), 25);
}

TEST(TuningDataset, FormulasPrintAndEscape)
{
    CFormulaEntry e;
    ASSERT_TRUE(parseFormula(" #= 57 * 5 / 4 % 100 ~3", 60, e));
    EXPECT_EQ(printFormula(e), "#=57 *5. /4. %100. ~3");
    ASSERT_TRUE(parseFormula("", 60, e));
    EXPECT_EQ(printFormula(e), "");
    EXPECT_FALSE(parseFormula("#", 60, e));
    EXPECT_FALSE(parseFormula("$1", 60, e));
    ASSERT_TRUE(parseFormula("~500", 60, e));
    EXPECT_EQ(e.loopCount, 999);

    const CRead r = readText(kV2Head + "[Info]\nName = \"a\\\"b\\x041\\tc\\q\"\n[Functional Tuning]\nNote 0 = \"\"\n[Scale End]\n");
    ASSERT_EQ(r.result, 1) << r.dataset.error().text();
    EXPECT_EQ(r.dataset.name, "a\"bA\tcq");
}

std::string written(CTuningDataset& d, int lo, int hi)
{
    std::ostringstream out;
    EXPECT_TRUE(d.write(out, lo, hi));
    return out.str();
}

TEST(TuningDataset, WriteReadRoundTrips)
{
    CTuningDataset source;
    source.name = "Test \"scale\"";
    source.date = "2026-12-11";
    source.setAssignment("2-3");
    for (int k = 0; k < kScaleNotes; ++k) {
        CFormulaEntry e;
        e.note = k;
        e.reference.kind = 0;
        e.reference.value = 27.5 * std::exp2(k * 13.0 / 1200.0 * 7.0);
        source.addFormula(e);
    }
    for (auto [lo, hi] : {std::pair {0, 200}, std::pair {100, 200}, std::pair {0, 100}, std::pair {0, 0}}) {
        const CRead back = readText(written(source, lo, hi));
        ASSERT_EQ(back.result, 1) << lo << ".." << hi << ": " << back.dataset.error().text();
        const double tolerance = hi >= 200 ? 1e-15 : lo == 0 && hi == 0 ? 3e-4 : 1e-9;
        for (int k = 0; k < kScaleNotes; ++k)
            EXPECT_NEAR(back.dataset.frequency(k) / source.frequency(k), 1.0, tolerance) << lo << ".." << hi << " key " << k;
        if (hi >= 200) {
            EXPECT_EQ(back.dataset.name, source.name);
            EXPECT_EQ(back.dataset.assignmentText(), "2-3");
        }
    }
    EXPECT_EQ(written(source, 50, 60), "");
    const std::string v0 = written(source, 0, 0);
    EXPECT_EQ(v0.find("[Scale Begin]"), std::string::npos);
    EXPECT_EQ(v0.find("[Scale End]"), std::string::npos);
    EXPECT_NE(v0.find("[Tuning]\r\nNote 0 = "), std::string::npos);
    std::ostringstream out;
    EXPECT_FALSE(source.write(out, 200, 100));
    EXPECT_EQ(source.error().text(), "Error in version settings - file not written.");

    CTuningDataset plain;
    const std::string text = written(plain, 0, 0);
    EXPECT_NE(text.find("Note 1 = 100\r\n"), std::string::npos) << "equal temperament is 100 n";
}

TEST(TuningDataset, KeysWithoutAFrequencyRefuseTheCentsSections)
{
    for (double hz : {0.0, std::numeric_limits<double>::infinity()}) {
        CTuningDataset dataset;
        CFormulaEntry e;
        e.note = 60;
        e.reference.kind = 0;
        e.reference.value = hz;
        dataset.addFormula(e);
        for (auto [lo, hi] : {std::pair {0, 0}, std::pair {100, 100}, std::pair {0, 200}}) {
            std::ostringstream out;
            EXPECT_FALSE(dataset.write(out, lo, hi)) << hz << " Hz, " << lo << ".." << hi;
            EXPECT_EQ(dataset.error().text(), "Error writing the file.");
        }
        std::ostringstream formulasOnly;
        EXPECT_TRUE(dataset.write(formulasOnly, 200, 200)) << "version 2 holds the formula, not cents";
    }
}

} // namespace
} // namespace quorvix
