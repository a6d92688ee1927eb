// Scala scales and keyboard mappings: the files as Scala defines them, checked against tables
// Scala printed, the archive's quirks, and the errors.
#include "tuning/scala_scale.h"
#include "tuning/tuning_dataset.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace quorvix {
namespace {

namespace fs = std::filesystem;
const fs::path kData = fs::path(QUORVIX_TEST_DATA) / "tuning";

// Writes text to a temporary file and returns its path.
std::string file(const std::string& name, const std::string& text)
{
    const fs::path path = fs::temp_directory_path() / ("quorvix-scala-" + name);
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

struct CLoaded {
    bool ok = false;
    std::string error;
    CTuningDataset dataset;
};

CLoaded load(const std::string& scale, const std::string& mapping = {})
{
    CScalaScale s;
    CLoaded r;
    r.ok = (mapping.empty() || s.readKeyboardMapping(mapping)) && s.readScale(scale);
    r.error = s.error().text();
    if (r.ok)
        s.toDataset(r.dataset);
    return r;
}

// "key: Hz ..." lines of a table Scala printed.
std::map<int, double> scalaTable(const fs::path& path)
{
    std::map<int, double> table;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        int key = 0;
        double hz = 0.0;
        if (std::sscanf(line.c_str(), " %d: %lf", &key, &hz) == 2)
            table[key] = hz;
    }
    return table;
}

TEST(ScalaScale, MatchesTablesScalaPrinted)
{
    struct CCase {
        fs::path scale, mapping, table;
    };
    const fs::path ref = kData / "reference-tables";
    for (const CCase& c : {CCase {ref / "22edo2.scl", ref / "22edo2.kbm", ref / "22edo2-scala-frequencies.txt"},
                           CCase {ref / "examples/31edo2.scl", ref / "examples/31edo2-subset.kbm",
                                  ref / "scala-frequencies.txt"}}) {
        const CLoaded r = load(c.scale.string(), c.mapping.string());
        ASSERT_TRUE(r.ok) << r.error;
        const std::map<int, double> table = scalaTable(c.table);
        ASSERT_GT(table.size(), 40u);
        for (const auto& [key, hz] : table)
            EXPECT_NEAR(r.dataset.frequency(key) / hz, 1.0, 1e-6) << c.table.filename() << " key " << key;
    }
}

TEST(ScalaScale, WithoutMappingEveryDegreePlaysFromKeySixty)
{
    const CLoaded twelve = load(file("12.scl", "! 12 equal\nTwelve\n12\n!\n100.0\n200.\n300.\n400.\n500.\n600.\n"
                                              "700.\n800.\n900.\n1000.\n1100.\n2/1\n"));
    ASSERT_TRUE(twelve.ok) << twelve.error;
    EXPECT_DOUBLE_EQ(twelve.dataset.frequency(69), 440.0);
    EXPECT_NEAR(twelve.dataset.frequency(81), 880.0, 1e-9);
    EXPECT_NEAR(twelve.dataset.frequency(60), 440.0 * std::exp2(-9.0 / 12.0), 1e-9);

    // Nineteen degrees: key 60 + 19 is one period up; the period is the last degree, 1203 cents here.
    std::string nineteen = "Nineteen\n19\n";
    for (int i = 1; i < 19; ++i)
        nineteen += std::to_string(i * 1203.0 / 19.0) + "\n";
    nineteen += "1203.0\n";
    const CLoaded r = load(file("19.scl", nineteen));
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_NEAR(1200.0 * std::log2(r.dataset.frequency(79) / r.dataset.frequency(60)), 1203.0, 1e-9);
    EXPECT_NEAR(1200.0 * std::log2(r.dataset.frequency(61) / r.dataset.frequency(60)), 1203.0 / 19.0, 1e-5)
        << "the degrees were written with six decimals";
}

TEST(ScalaScale, PitchLines)
{
    struct CCase {
        const char* degree;
        double cents; // NaN: an error
        const char* error;
    };
    const double nan = std::nan("");
    const CCase cases[] = {
        {"3/2", 701.9550008653874, ""},
        {"3", 1901.9550008653874, ""},             // a bare integer is n/1
        {"100.", 100.0, ""},
        {"-50.0", -50.0, ""},
        {"2957/2048!Gb", 1200.0 * std::log2(2957.0 / 2048.0), ""},
        {"91.667 cents", 91.667, ""},
        {"3 / 2", 701.9550008653874, ""},
        {"7400999441475474417127/4722366482869645213696", 1200.0 * std::log2(7400999441475474417127.0 / 4722366482869645213696.0), ""},
        {"3/0", nan, "2: Division by zero."},
        {"-3/2", nan, "2: A ratio must be positive."},
        {"0/5", nan, "2: A ratio must be positive."},
        {"What is this", nan, "2: Pitch value expected (cents with a point, or a ratio)."},
    };
    for (const CCase& c : cases) {
        CScalaScale s;
        const bool ok = s.readScale(file("pitch.scl", std::string("d\n1\n") + c.degree + "\n"));
        if (std::isnan(c.cents)) {
            EXPECT_FALSE(ok) << c.degree;
            EXPECT_EQ(s.error().text(), c.error) << c.degree;
        } else {
            ASSERT_TRUE(ok) << c.degree << ": " << s.error().text();
            EXPECT_NEAR(s.degree(1), c.cents, 1e-9) << c.degree;
        }
    }
}

TEST(ScalaScale, ScaleFileErrorsAndEdges)
{
    struct CCase {
        std::string text;
        const char* error; // empty: reads
    };
    const CCase cases[] = {
        {"Only the implicit unison\n0\n", ""},
        {"1\n3/2\n2/1\n", "2: End of file expected, but further data found."}, // digits only: the count line
        {"d\n3\n1/1\n", "2: Less tuning entries found than expected."},
        {"! nothing\n", "No data in file."},
        {"d\n200\n", "1: Scale size not allowed. Must be within [0;127]."},
        {"d\r\n2\r\n3/2\r\n2/1\r\n", ""},
    };
    for (const CCase& c : cases) {
        CScalaScale s;
        const bool ok = s.readScale(file("edge.scl", c.text));
        EXPECT_EQ(ok, std::string(c.error).empty()) << c.text;
        EXPECT_EQ(s.error().text(), c.error) << c.text;
    }
    CScalaScale missing;
    EXPECT_FALSE(missing.readScale("/nonexistent/file.scl"));
    EXPECT_EQ(missing.error().text(), "Error opening the file.");
}

TEST(ScalaScale, KeyboardMappings)
{
    const std::string scale = file("map12.scl", "d\n12\n100.\n200.\n300.\n400.\n500.\n600.\n700.\n800.\n900.\n1000.\n1100.\n2/1\n");
    struct CCase {
        const char* what;
        std::string mapping;
        int key;
        double hz; // 0: an error is expected
        const char* error;
    };
    const CCase cases[] = {
        {"size 0 is linear", "0\n0\n127\n60\n69\n432\n0\n", 70, 432.0 * std::exp2(1.0 / 12.0), ""},
        {"one key retuned", "1\n64\n64\n64\n69\n440\n12\n0\n", 64, 440.0 * std::exp2(-5.0 / 12.0), ""},
        {"an x entry keeps equal temperament", "12\n0\n127\n60\n69\n440\n12\n0\n1\nx\n", 62, 440.0 * std::exp2(-7.0 / 12.0), ""},
        {"missing entries are unmapped", "12\n0\n127\n60\n69\n440\n12\n0\n1\n", 69, 440.0, ""},
        {"last key before first", "12\n60\n50\n", 0, 0.0, "2: Setting out of range."},
        {"too short", "12\n0\n127\n60\n", 0, 0.0, "3: Premature end of file."},
        {"extra data", "1\n0\n127\n60\n69\n440\n1\n0\n0\n", 0, 0.0, "8: End of file expected, but additional data found."},
    };
    for (const CCase& c : cases) {
        const CLoaded r = load(scale, file("map.kbm", c.mapping));
        EXPECT_EQ(r.error, c.error) << c.what;
        if (c.hz > 0.0) {
            ASSERT_TRUE(r.ok) << c.what;
            EXPECT_NEAR(r.dataset.frequency(c.key) / c.hz, 1.0, 1e-12) << c.what;
        }
    }
}

TEST(ScalaScale, EveryShippedFileReadsOrFailsClearly)
{
    int scales = 0, mappings = 0;
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(kData)) {
        const std::string ext = e.path().extension().string();
        CScalaScale s;
        if (ext == ".scl" || ext == ".ascl") {
            ++scales;
            if (s.readScale(e.path().string())) {
                CTuningDataset d;
                s.toDataset(d);
                for (int k = 0; k < kScaleNotes; ++k)
                    ASSERT_TRUE(std::isfinite(d.frequency(k)) && d.frequency(k) > 0.0) << e.path() << " key " << k;
            } else {
                EXPECT_FALSE(s.error().text().empty()) << e.path();
            }
        } else if (ext == ".kbm") {
            ++mappings;
            EXPECT_TRUE(s.readKeyboardMapping(e.path().string()) || !s.error().text().empty()) << e.path();
        }
    }
    EXPECT_GT(scales, 100);
    EXPECT_GT(mappings, 20);
}

} // namespace
} // namespace quorvix
