// The bitmaps of a skin: names of their files, built-in resource numbers and required sizes.
#pragma once

#include "editor/skin/skin_ini.h"

#include <cstddef>
#include <optional>

namespace quorvix {

// The seven pages with their own backgrounds, knob maps and label colours (the knob map sets).
enum class ESkinPage { Osc, OscMod, WaveShaper, Filter, FilterMod, VolFx, Misc };
constexpr int kSkinPageCount = 7;

enum class ESkinBitmap {
    Background,
    BackgroundPages, // + ESkinPage
    HorzLine = BackgroundPages + kSkinPageCount,
    VertLine,
    KnobMap,
    KnobMapPages, // + ESkinPage
    VertLabel = KnobMapPages + kSkinPageCount,
    VertLabelPages, // + ESkinPage
    OnOffButton = VertLabelPages + kSkinPageCount,
    OnOffButtonLabel,
    ButtonPlus,
    ButtonMinus,
    EnvelopeDisplay,
    OptionsMenuSmall,
    OptionsMenuMedium,
    OptionsMenuBig,
    CombinationPanel,
    FilterMap,
    HighlightenedFilterMap,
    AboutLogo,
    Count
};
constexpr size_t kSkinBitmapCount = static_cast<size_t>(ESkinBitmap::Count);

constexpr ESkinBitmap pageBitmap(ESkinBitmap pages, ESkinPage page)
{
    return static_cast<ESkinBitmap>(static_cast<int>(pages) + static_cast<int>(page));
}

struct CSkinBitmapInfo {
    const char* name;        // the file name without ".bmp"; null for bitmaps no skin replaces
    const char* alternative; // an older file name tried when the first is missing, or null
    int resource;            // the built-in resource number, 0 for none
    int width;
    int height;
    std::optional<ESkinTransparency> transparency;
};

// In the order files are tried.
const CSkinBitmapInfo& skinBitmapInfo(ESkinBitmap bitmap);

// Square frames of this many pixels stacked in a knob map.
constexpr int kKnobFrameSize = 40;
constexpr int knobFrameCount(int height) { return (height + 1) / kKnobFrameSize; }

} // namespace quorvix
