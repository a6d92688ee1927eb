// "Skin.ini": colours, transparent colours and the skin's name and creator, one keyword a line.
#pragma once

#include "editor/toolkit/geometry.h"

#include <array>
#include <string>
#include <vector>

namespace quorvix {

// The colours a skin sets, in the order of their keywords.
enum class ESkinColor {
    OptMenuText,
    ParamLabelText,
    ParamLabelBackground,
    VertLabelText,
    VertLabelOsc,
    VertLabelOscMod,
    VertLabelWaveShaper,
    VertLabelFilter,
    VertLabelFilterMod,
    VertLabelVolFx,
    VertLabelMisc,
    HorLabelText,
    HorLabelBackground,
    ButtonLabelOnText,
    ButtonLabelOffText,
    OscillBackground,
    OscillAxes,
    OscillLines,
    EnvLoopBar,
    EnvLineThin,
    EnvLineThick,
    EnvAverageBackground,
    EnvLine,
    EnvInactiveLine,
    EnvPointInside,
    EnvPointOutside,
    Count
};
constexpr size_t kSkinColorCount = static_cast<size_t>(ESkinColor::Count);

// The groups of bitmaps a transparency keyword switches on.
enum class ESkinTransparency {
    KnobMap,
    KnobMapOsc,
    KnobMapOscMod,
    KnobMapWaveShaper,
    KnobMapFilter,
    KnobMapFilterMod,
    KnobMapVolFx,
    KnobMapMisc,
    CombinationPanel,
    EnvelopeDisplay,
    OnOffButton,
    OnOffButtonLabel,
    ButtonPlusMinus,
    OptionsMenus,
    FilterMaps,
    VertLabels,
    HorzLine,
    VertLine,
    Count
};
constexpr size_t kSkinTransparencyCount = static_cast<size_t>(ESkinTransparency::Count);

struct CSkinTransparency {
    bool on = false;
    CColor key;
};

struct CSkinSettings {
    std::array<CColor, kSkinColorCount> colors;
    std::array<CSkinTransparency, kSkinTransparencyCount> transparency {};
    std::string name = "Unnamed Skin";
    std::string creator = "Unknown creator";

    CSkinSettings();
    CColor color(ESkinColor c) const { return colors[static_cast<size_t>(c)]; }
    // After reading: the inactive envelope line is always between the background and the line.
    void deriveInactiveLine();
};

// Reads the lines into the settings; stops at the first error, keeping what was read before it,
// and returns the error box text ("" when the file was fine).
std::string readSkinIni(const std::string& text, CSkinSettings& settings);

// Only the name and the creator, for the skin selector; empty texts when absent.
void readSkinIniInfo(const std::string& text, std::string& name, std::string& creator);

} // namespace quorvix
