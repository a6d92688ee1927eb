#include "editor/skin/skin_bitmaps.h"

namespace quorvix {

namespace {

using T = ESkinTransparency;

constexpr int kPageWidth = 640;
constexpr int kPageHeight = 510;
constexpr int kKnobMapHeight = 2200;

constexpr CSkinBitmapInfo kBitmaps[kSkinBitmapCount] = {
    {"Background", nullptr, 102, kPageWidth, kPageHeight, {}},
    {"Background_OSC", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"Background_OSCMod", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"Background_WaveShaper", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"Background_Filter", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"Background_FilterMod", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"Background_VolFX", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"Background_Misc", nullptr, 0, kPageWidth, kPageHeight, {}},
    {"HorzLine", nullptr, 129, kPageWidth, 5, T::HorzLine},
    {"VertLine", nullptr, 131, 5, 90, T::VertLine},
    {"KnobMap", nullptr, 156, kKnobFrameSize, kKnobMapHeight, T::KnobMap},
    {"KnobMap_OSC", nullptr, 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapOsc},
    {"KnobMap_OSCMod", nullptr, 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapOscMod},
    {"KnobMap_WaveShaper", "KnobMap_Trafo", 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapWaveShaper},
    {"KnobMap_Filter", nullptr, 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapFilter},
    {"KnobMap_FilterMod", nullptr, 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapFilterMod},
    {"KnobMap_VolFX", "KnobMap_AmpEnv", 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapVolFx},
    {"KnobMap_Misc", "KnobMap_Master", 0, kKnobFrameSize, kKnobMapHeight, T::KnobMapMisc},
    {"VertLabel", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_OSC", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_OSCMod", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_WaveShaper", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_Filter", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_FilterMod", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_VolFX", nullptr, 0, 14, 33, T::VertLabels},
    {"VertLabel_Misc", nullptr, 0, 14, 33, T::VertLabels},
    {"OnOffButton", nullptr, 121, 40, 54, T::OnOffButton},
    {"OnOffButtonLabel", nullptr, 121, 40, 54, T::OnOffButtonLabel},
    {"ButtonPlus", nullptr, 152, 19, 38, T::ButtonPlusMinus},
    {"ButtonMinus", nullptr, 149, 19, 38, T::ButtonPlusMinus},
    {"EnvelopeDisplay", nullptr, 122, 531, 96, T::EnvelopeDisplay},
    {"OptionsMenuSmall", nullptr, 127, 87, 19, T::OptionsMenus},
    {"OptionsMenuMedium", nullptr, 126, 113, 19, T::OptionsMenus},
    {"OptionsMenuBig", nullptr, 125, 139, 19, T::OptionsMenus},
    {"CombinationPanel", nullptr, 130, 507, 113, T::CombinationPanel},
    {"FilterMap", nullptr, 112, 46, 378, T::FilterMaps},
    {"HighlightenedFilterMap", nullptr, 154, 46, 378, T::FilterMaps},
    {nullptr, nullptr, 0, 173, 298, {}},
};

} // namespace

const CSkinBitmapInfo& skinBitmapInfo(ESkinBitmap bitmap) { return kBitmaps[static_cast<size_t>(bitmap)]; }

} // namespace quorvix
