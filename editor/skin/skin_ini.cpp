#include "editor/skin/skin_ini.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace quorvix {

namespace {

constexpr size_t kMaxLineLength = 2000;
constexpr size_t kMaxTextLength = 256;

constexpr const char* kLineTooLong = "Line too long. Must have less than 2000 characters.";
constexpr const char* kMissingParameter = "Missing Parameter";
constexpr const char* kTextTooLong = "String parameter too long. Must have less than 256 characters!";
constexpr const char* kBadColor = "Syntax error in color parameter";
constexpr const char* kColorExpected = "Syntax error in parameter: Color expected, but string found instead.";
constexpr const char* kTextExpected = "Syntax error in parameter: String expected, but color found instead.";
constexpr const char* kErrorHeader = "Quorvix - Reading SKIN.INI:\r\n";

struct CColorKeyword {
    const char* keyword;
    ESkinColor color;
    CColor initial;
};

// Keywords with their colours and defaults; alternative names follow the main one.
constexpr CColorKeyword kColorKeywords[] = {
    {"colOptMenu_Text", ESkinColor::OptMenuText, {255, 255, 255}},
    {"colParamLabel_Text", ESkinColor::ParamLabelText, {255, 255, 255}},
    {"colParamLabel_Background", ESkinColor::ParamLabelBackground, {119, 136, 136}},
    {"colVertLabel_Text", ESkinColor::VertLabelText, {0, 0, 0}},
    {"colVertLabel_OSCBG", ESkinColor::VertLabelOsc, {255, 255, 0}},
    {"colVertLabel_OSCModBG", ESkinColor::VertLabelOscMod, {255, 180, 0}},
    {"colVertLabel_WaveShaperBG", ESkinColor::VertLabelWaveShaper, {177, 128, 97}},
    {"colVertLabel_TrafoBG", ESkinColor::VertLabelWaveShaper, {177, 128, 97}},
    {"colVertLabel_FilterBG", ESkinColor::VertLabelFilter, {255, 0, 255}},
    {"colVertLabel_FilterModBG", ESkinColor::VertLabelFilterMod, {255, 0, 0}},
    {"colVertLabel_VolFXBG", ESkinColor::VertLabelVolFx, {123, 220, 219}},
    {"colVertLabel_AmpEnvBG", ESkinColor::VertLabelVolFx, {123, 220, 219}},
    {"colVertLabel_MiscBG", ESkinColor::VertLabelMisc, {119, 136, 136}},
    {"colVertLabel_MasterBG", ESkinColor::VertLabelMisc, {119, 136, 136}},
    {"colHorLabel_Text", ESkinColor::HorLabelText, {0, 0, 0}},
    {"colHorLabel_Background", ESkinColor::HorLabelBackground, {119, 136, 136}},
    {"colButtonLabelON_Text", ESkinColor::ButtonLabelOnText, {255, 0, 0}},
    {"colButtonLabelOFF_Text", ESkinColor::ButtonLabelOffText, {0, 0, 0}},
    {"colOscill_Background", ESkinColor::OscillBackground, {105, 120, 119}},
    {"colOscill_Axes", ESkinColor::OscillAxes, {255, 255, 255}},
    {"colOscill_Lines", ESkinColor::OscillLines, {255, 208, 42}},
    {"colLEnv_LoopBar", ESkinColor::EnvLoopBar, {255, 255, 191}},
    {"colLEnv_LineThin", ESkinColor::EnvLineThin, {136, 153, 153}},
    {"colLEnv_LineThick", ESkinColor::EnvLineThick, {94, 107, 107}},
    {"colLEnv_AvgBackgroundCol", ESkinColor::EnvAverageBackground, {136, 153, 153}},
    {"colLEnv_EnvLine", ESkinColor::EnvLine, {255, 208, 42}},
    {"colLEnv_InactiveEnvLine", ESkinColor::EnvInactiveLine, {0, 0, 0}},
    {"colLEnv_PointInside", ESkinColor::EnvPointInside, {255, 131, 42}},
    {"colLEnv_PointOutside", ESkinColor::EnvPointOutside, {255, 255, 128}},
};

struct CTransparencyKeyword {
    const char* keyword;
    ESkinTransparency group;
};

constexpr CTransparencyKeyword kTransparencyKeywords[] = {
    {"transparencyKnobMap", ESkinTransparency::KnobMap},
    {"transparencyKnobMap_OSC", ESkinTransparency::KnobMapOsc},
    {"transparencyKnobMap_OSCMod", ESkinTransparency::KnobMapOscMod},
    {"transparencyKnobMap_WaveShaper", ESkinTransparency::KnobMapWaveShaper},
    {"transparencyKnobMap_Filter", ESkinTransparency::KnobMapFilter},
    {"transparencyKnobMap_FilterMod", ESkinTransparency::KnobMapFilterMod},
    {"transparencyKnobMap_VolFX", ESkinTransparency::KnobMapVolFx},
    {"transparencyKnobMap_Misc", ESkinTransparency::KnobMapMisc},
    {"transparencyCombinationPanel", ESkinTransparency::CombinationPanel},
    {"transparencyEnvelopeDisplay", ESkinTransparency::EnvelopeDisplay},
    {"transparencyOnOffButton", ESkinTransparency::OnOffButton},
    {"transparencyOnOffButtonLabel", ESkinTransparency::OnOffButtonLabel},
    {"transparencyButtonPlusMinus", ESkinTransparency::ButtonPlusMinus},
    {"transparencyOptionsMenus", ESkinTransparency::OptionsMenus},
    {"transparencyFilterMaps", ESkinTransparency::FilterMaps},
    {"transparencyVertLabels", ESkinTransparency::VertLabels},
    {"transparencyHorzLine", ESkinTransparency::HorzLine},
    {"transparencyVertLine", ESkinTransparency::VertLine},
};

constexpr const char* kNameKeyword = "strSkinInfo_Name";
constexpr const char* kCreatorKeyword = "strSkinInfo_Creator";

bool sameKeyword(const std::string& a, const char* b)
{
    const size_t n = std::char_traits<char>::length(b);
    if (a.size() != n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// One line's keyword and parameter, or the reason it has none.
struct CLine {
    std::string keyword;
    bool isText = false;
    std::string text;
    CColor color;
};

// Empty when the line was read; otherwise the message. Comments leave the keyword empty.
std::string parseLine(std::string line, CLine& out)
{
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    if (line.size() > kMaxLineLength)
        return kLineTooLong;
    while (!line.empty() && (isBlank(line.back()) || line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    size_t i = 0;
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i == line.size() || line[i] == '#')
        return {};
    size_t end = i;
    while (end < line.size() && !isBlank(line[end]))
        ++end;
    out.keyword = line.substr(i, end - i);
    while (end < line.size() && isBlank(line[end]))
        ++end;
    if (end == line.size())
        return kMissingParameter;
    const std::string parameter = line.substr(end);
    if (parameter[0] == '"') {
        out.isText = true;
        out.text = parameter.substr(1);
        if (!out.text.empty() && out.text.back() == '"')
            out.text.pop_back();
        if (out.text.size() > kMaxTextLength)
            return kTextTooLong;
        return {};
    }
    if (std::count(parameter.begin(), parameter.end(), ',') < 2)
        return kBadColor;
    const size_t first = parameter.find(',');
    const size_t second = parameter.find(',', first + 1);
    auto channel = [&](size_t from) { return static_cast<uint8_t>(std::atoi(parameter.c_str() + from) & 0xFF); };
    out.color = {channel(0), channel(first + 1), channel(second + 1)};
    return {};
}

// Applies a read line; the message when the keyword or its kind of parameter is wrong.
std::string apply(const CLine& line, CSkinSettings& settings)
{
    for (const CColorKeyword& k : kColorKeywords)
        if (sameKeyword(line.keyword, k.keyword)) {
            if (line.isText)
                return kColorExpected;
            settings.colors[static_cast<size_t>(k.color)] = line.color;
            return {};
        }
    for (const CTransparencyKeyword& k : kTransparencyKeywords)
        if (sameKeyword(line.keyword, k.keyword)) {
            if (line.isText)
                return kColorExpected;
            settings.transparency[static_cast<size_t>(k.group)] = {true, line.color};
            return {};
        }
    for (const char* keyword : {kNameKeyword, kCreatorKeyword})
        if (sameKeyword(line.keyword, keyword)) {
            if (!line.isText)
                return kTextExpected;
            (keyword == kNameKeyword ? settings.name : settings.creator) = line.text;
            return {};
        }
    return "Syntax error: Unknown Keyword '" + line.keyword + "'";
}

template <typename Visit>
void forEachLine(const std::string& text, Visit visit)
{
    size_t start = 0, number = 1;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (!visit(text.substr(start, end - start), number))
            return;
        start = end + 1;
        ++number;
    }
}

} // namespace

CSkinSettings::CSkinSettings()
{
    for (const CColorKeyword& k : kColorKeywords)
        colors[static_cast<size_t>(k.color)] = k.initial;
    deriveInactiveLine();
}

void CSkinSettings::deriveInactiveLine()
{
    colors[static_cast<size_t>(ESkinColor::EnvInactiveLine)] =
        CColor::average(color(ESkinColor::EnvAverageBackground), color(ESkinColor::EnvLine));
}

std::string readSkinIni(const std::string& text, CSkinSettings& settings)
{
    std::string error;
    forEachLine(text, [&](const std::string& raw, size_t number) {
        CLine line;
        std::string message = parseLine(raw, line);
        if (message.empty() && !line.keyword.empty())
            message = apply(line, settings);
        if (message.empty())
            return true;
        error = kErrorHeader + message + " (Line " + std::to_string(number) + ")";
        return false;
    });
    settings.deriveInactiveLine();
    return error;
}

void readSkinIniInfo(const std::string& text, std::string& name, std::string& creator)
{
    name.clear();
    creator.clear();
    forEachLine(text, [&](const std::string& raw, size_t) {
        CLine line;
        if (!parseLine(raw, line).empty() || !line.isText)
            return true;
        if (sameKeyword(line.keyword, kNameKeyword))
            name = line.text;
        else if (sameKeyword(line.keyword, kCreatorKeyword))
            creator = line.text;
        return true;
    });
}

} // namespace quorvix
