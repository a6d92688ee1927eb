// Skins: the built-in bitmaps, skin folders with bitmap files of every size rule, and "Skin.ini"
// with each of its error messages.
#include "editor/skin/skin.h"
#include "editor/toolkit/skin_image.h"

#include "platform/plugin_location.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace {

using namespace quorvix;

class CFolder {
public:
    CFolder()
    {
        char pattern[] = "/tmp/quorvix-skin-XXXXXX";
        m_path = std::string(mkdtemp(pattern)) + "/";
    }
    ~CFolder() { std::system(("rm -rf '" + m_path + "'").c_str()); }
    const std::string& path() const { return m_path; }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(m_path + name, std::ios::binary) << bytes;
    }
    // A 24-bit Windows bitmap filled with one colour.
    void writeBmp(const std::string& name, int width, int height, CColor color) const
    {
        const int rowBytes = (width * 3 + 3) & ~3;
        const int dataSize = rowBytes * height;
        std::string b;
        auto u16 = [&](int v) { b += char(v & 0xFF); b += char((v >> 8) & 0xFF); };
        auto u32 = [&](int v) { u16(v & 0xFFFF); u16((v >> 16) & 0xFFFF); };
        b += "BM";
        u32(54 + dataSize); u32(0); u32(54);
        u32(40); u32(width); u32(height); u16(1); u16(24); u32(0); u32(dataSize); u32(2835); u32(2835); u32(0); u32(0);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                b += char(color.blue);
                b += char(color.green);
                b += char(color.red);
            }
            b.append(size_t(rowBytes - width * 3), '\0');
        }
        write(name, b);
    }

private:
    std::string m_path;
};

TEST(BuiltinSkin, EveryBitmapHasItsSizeAndThePagesTheirOwn)
{
    CSkin skin;
    for (size_t i = 0; i < kSkinBitmapCount; ++i) {
        const auto which = static_cast<ESkinBitmap>(i);
        const CSkinBitmapInfo& info = skinBitmapInfo(which);
        EXPECT_EQ(skin.bitmap(which)->width(), info.width) << (info.name ? info.name : "logo");
        EXPECT_EQ(skin.bitmap(which)->height(), info.height) << (info.name ? info.name : "logo");
        EXPECT_EQ(skin.bitmap(which)->resourceId(), info.resource);
    }
    for (int page = 0; page < kSkinPageCount; ++page) {
        const auto p = static_cast<ESkinPage>(page);
        EXPECT_EQ(skin.knobFrames(p), 55);
        EXPECT_NE(skin.forPage(ESkinBitmap::Background, p), skin.bitmap(ESkinBitmap::Background));
        EXPECT_FALSE(skin.isTransparentForPage(ESkinBitmap::KnobMap, p));
    }
    EXPECT_EQ(skin.bitmap(ESkinBitmap::AboutLogo)->keyColor(), kRed);
    EXPECT_EQ(skin.color(ESkinColor::EnvInactiveLine), (CColor {195, 180, 97}));
    EXPECT_EQ(skin.settings().name, "Unnamed Skin");
}

TEST(SkinFolder, AKnobMapAloneServesEveryPage)
{
    CFolder folder;
    folder.writeBmp("KnobMap.bmp", 40, 1000, kBlue);
    CSkin skin;
    std::vector<std::string> messages;
    skin.loadFolder(folder.path(), messages);
    EXPECT_TRUE(messages.empty());
    for (int page = 0; page < kSkinPageCount; ++page) {
        EXPECT_EQ(skin.forPage(ESkinBitmap::KnobMap, static_cast<ESkinPage>(page)), skin.bitmap(ESkinBitmap::KnobMap));
        EXPECT_EQ(skin.knobFrames(static_cast<ESkinPage>(page)), 25);
    }
    EXPECT_EQ(skin.bitmap(ESkinBitmap::KnobMap)->pixel(20, 500), kBlue);
}

TEST(SkinFolder, BitmapsNeedTheirWidthOrTheirHeight)
{
    CFolder folder;
    folder.writeBmp("Background.bmp", 640, 400, kGreen);
    folder.writeBmp("OptionsMenuSmall.bmp", 90, 19, kGreen);
    folder.writeBmp("ButtonPlus.bmp", 20, 20, kGreen);
    folder.write("HorzLine.bmp", "not a bitmap");
    CSkin skin;
    std::vector<std::string> messages;
    skin.loadFolder(folder.path(), messages);
    EXPECT_EQ(skin.bitmap(ESkinBitmap::Background)->height(), 400);
    EXPECT_EQ(skin.forPage(ESkinBitmap::Background, ESkinPage::Filter), skin.bitmap(ESkinBitmap::Background));
    EXPECT_EQ(skin.bitmap(ESkinBitmap::OptionsMenuSmall)->width(), 90);
    EXPECT_EQ(skin.bitmap(ESkinBitmap::ButtonPlus)->width(), 19); // refused: the built-in stays
    EXPECT_EQ(skin.bitmap(ESkinBitmap::HorzLine)->height(), 5);   // unreadable: skipped silently
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Loading skin:\r\nThe bitmap\n" + folder.path() +
                               "ButtonPlus.bmp\nmust have the dimensions:\nWidth = 19; Height = 38");

    CFolder narrow;
    narrow.writeBmp("Background.bmp", 600, 400, kGreen);
    CSkin other;
    messages.clear();
    other.loadFolder(narrow.path(), messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Loading skin:\r\nThe bitmap\n" + narrow.path() +
                               "Background.bmp\nmust have the dimensions:\nWidth = 640; Height = 510");
    EXPECT_EQ(other.bitmap(ESkinBitmap::Background)->width(), 640);
}

TEST(SkinFolder, OlderFileNamesStandInForThePageKnobMaps)
{
    CFolder folder;
    folder.writeBmp("KnobMap_Trafo.bmp", 40, 400, kYellow);
    CSkin skin;
    std::vector<std::string> messages;
    skin.loadFolder(folder.path(), messages);
    EXPECT_EQ(skin.knobFrames(ESkinPage::WaveShaper), 10);
    EXPECT_EQ(skin.knobFrames(ESkinPage::Osc), 55);
}

TEST(SkinIni, ColoursTransparencyAndInformation)
{
    CSkinSettings settings;
    const std::string text = "# a comment\n"
                             "\n"
                             "  COLOSCILL_LINES\t1, 2 ,3  \r\n"
                             "colVertLabel_TrafoBG 300,256,-1\n"
                             "transparencyKnobMap_Filter 255,0,255\n"
                             "strSkinInfo_Name \"Night Shift\"\n"
                             "strSkinInfo_Creator \"Ann\n";
    EXPECT_EQ(readSkinIni(text, settings), "");
    EXPECT_EQ(settings.color(ESkinColor::OscillLines), (CColor {1, 2, 3}));
    EXPECT_EQ(settings.color(ESkinColor::VertLabelWaveShaper), (CColor {44, 0, 255}));
    const auto& t = settings.transparency[size_t(ESkinTransparency::KnobMapFilter)];
    EXPECT_TRUE(t.on);
    EXPECT_EQ(t.key, kMagenta);
    EXPECT_EQ(settings.name, "Night Shift");
    EXPECT_EQ(settings.creator, "Ann");
}

TEST(SkinIni, EachErrorStopsReadingWithItsLine)
{
    struct Case {
        std::string line;
        std::string message;
    };
    const Case cases[] = {
        {std::string(2001, 'x'), "Line too long. Must have less than 2000 characters."},
        {"colOscill_Lines", "Missing Parameter"},
        {"colOscill_Lines   ", "Missing Parameter"},
        {"strSkinInfo_Name \"" + std::string(257, 'n'), "String parameter too long. Must have less than 256 characters!"},
        {"colOscill_Lines 0,255", "Syntax error in color parameter"},
        {"colOscill_Lines \"red\"", "Syntax error in parameter: Color expected, but string found instead."},
        {"transparencyHorzLine \"red\"", "Syntax error in parameter: Color expected, but string found instead."},
        {"strSkinInfo_Creator 1,2,3", "Syntax error in parameter: String expected, but color found instead."},
        {"colNothing 1,2,3", "Syntax error: Unknown Keyword 'colNothing'"},
    };
    for (const Case& c : cases) {
        CSkinSettings settings;
        const std::string text = "colOptMenu_Text 9,9,9\n# comment\n" + c.line + "\ncolOscill_Axes 1,1,1\n";
        EXPECT_EQ(readSkinIni(text, settings), "Quorvix - Reading SKIN.INI:\r\n" + c.message + " (Line 3)") << c.line;
        EXPECT_EQ(settings.color(ESkinColor::OptMenuText), (CColor {9, 9, 9})) << "read before the error";
        EXPECT_EQ(settings.color(ESkinColor::OscillAxes), kWhite) << "not read after it";
    }
    CSkinSettings settings;
    EXPECT_EQ(readSkinIni("colOscill_Lines \"" + std::string(256, 'n') + "\"\n", settings),
              "Quorvix - Reading SKIN.INI:\r\nSyntax error in parameter: Color expected, but string found instead. (Line 1)");
}

TEST(SkinIni, TheInactiveEnvelopeLineAlwaysFollowsTheOtherTwo)
{
    CSkinSettings settings;
    readSkinIni("colLEnv_InactiveEnvLine 1,2,3\ncolLEnv_EnvLine 100,100,100\ncolLEnv_AvgBackgroundCol 0,50,201\n",
                settings);
    EXPECT_EQ(settings.color(ESkinColor::EnvInactiveLine), (CColor {50, 75, 150}));
    CSkinSettings unchanged, empty;
    EXPECT_EQ(readSkinIni("", empty), "");
    EXPECT_EQ(empty.colors, unchanged.colors);
}

TEST(SkinFolder, SkinIniErrorsAreReportedAndTransparencyKeysTheBitmaps)
{
    CFolder folder;
    folder.write("Skin.ini", "transparencyOptionsMenus 10,20,30\ncolOscill_Lines 0,255\n");
    CSkin skin;
    std::vector<std::string> messages;
    skin.loadFolder(folder.path(), messages);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "Quorvix - Reading SKIN.INI:\r\nSyntax error in color parameter (Line 2)");
    EXPECT_TRUE(skin.isTransparent(ESkinBitmap::OptionsMenuBig));
    EXPECT_EQ(skin.bitmap(ESkinBitmap::OptionsMenuSmall)->keyColor(), (CColor {10, 20, 30}));
    EXPECT_FALSE(skin.isTransparent(ESkinBitmap::FilterMap));
}

TEST(SkinFolder, InformationAndPreviewForTheSelector)
{
    CFolder folder;
    folder.write("Skin.ini", "strSkinInfo_Creator \"Bo\"\ncolBroken\n");
    folder.writeBmp("Preview.bmp", 120, 90, kRed);
    CSkinInfo info = readSkinInfo(folder.path(), true);
    EXPECT_EQ(info.name, "");
    EXPECT_EQ(info.creator, "Bo");
    ASSERT_NE(info.preview, nullptr);
    EXPECT_EQ(info.preview->width(), 120);
    info.preview->release();
    EXPECT_EQ(readSkinInfo(folder.path() + "missing/", true).preview, nullptr);

    CFolder root;
    std::system(("mkdir -p '" + root.path() + "Zeta' '" + root.path() + "Alpha'").c_str());
    root.write("file.txt", "x");
    EXPECT_EQ(platform::subFolders(root.path()), (std::vector<std::string> {"Alpha", "Zeta"}));
}

TEST(SkinName, NamesEndInASlashAndTheFirstIsBones)
{
    EXPECT_EQ(skinName(), "Bones/");
    setSkinName("Night");
    EXPECT_EQ(skinName(), "Night/");
    setSkinName("Dark\\");
    EXPECT_EQ(skinName(), "Dark\\");
    setSkinName("");
    EXPECT_EQ(skinName(), "");
    setSkinName(std::string(300, 'a'));
    EXPECT_EQ(skinName().size(), 261u);
    setSkinName("Bones");
}

} // namespace
