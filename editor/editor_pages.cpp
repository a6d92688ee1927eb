#include "editor/editor_pages.h"

#include "editor/combiner_panel.h"
#include "presets/parameter_table.h"
#include "editor/effect_knobs.h"
#include "editor/oscilloscope.h"
#include "editor/page_builder.h"
#include "editor/shaper_display.h"
#include "editor/skin_preview.h"
#include "editor/skin/skin.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/mix_diagram.h"
#include "editor/toolkit/popup_grid.h"
#include "editor/toolkit/skin_button.h"
#include "editor/toolkit/skin_image.h"
#include "editor/toolkit/skin_knob.h"
#include "editor/toolkit/skin_label.h"
#include "editor/toolkit/skin_menu.h"
#include "editor/toolkit/skin_toggle.h"
#include "dsp/mod_section.h"
#include "plugin/synth_plugin.h"
#include "presets/editor_text.h"
#include "presets/factory_bank.h"
#include "presets/value_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace quorvix {

namespace {

using B = ESkinBitmap;

constexpr int kProgramsPerColumn = 16;
constexpr int kWavesPerColumn = 14;
constexpr int kSkinPreviewWidth = 139;

const char* const kPageNames[kPageCount] = {"Overview", "OSC", "OSCMod", "Shaper", "Filter", "FilterMod", "Vol / FX", "Misc"};
constexpr int kPageButtonX[kPageCount] = {30, 81, 132, 183, 234, 285, 336, 387};
constexpr int kPageButtonY = 10;
constexpr int kPageLabelY = 2;
constexpr CPoint kChannelLabel {457, -1};
constexpr CPoint kChannelMenu {457, 11};
constexpr CPoint kProgramMenu {457, 32};
constexpr CPoint kProgramMinus {597, 32};
constexpr CPoint kProgramPlus {617, 32};
const char* const kChannelNames[kTimbreCount] = {"1(Poly)/2(Mono)", "3(Poly)/4(Mono)", "5(Poly)/6(Mono)",
                                                 "7(Poly)/8(Mono)"};

// The section frames of the built-in skin, page by page.
constexpr CRect frameOf(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

std::vector<std::string> names(int count, const char* (*name)(int))
{
    std::vector<std::string> list;
    for (int i = 0; i < count; ++i)
        list.emplace_back(name(i));
    return list;
}

std::vector<std::string> shapeNames(bool second)
{
    std::vector<std::string> list;
    for (int i = 0; i < kShapeCount; ++i)
        list.emplace_back(shapeName(i, second));
    return list;
}


// ---- the navigation bar ------------------------------------------------------------------

void buildNavigation(CPageSet& pages, CEditorPanels& panels, const CSkin& skin, CValueListener* listener,
                     CEffectBase* effect)
{
    const CColor text = skin.color(ESkinColor::ParamLabelText);
    constexpr int kButtonWidth = 40;
    constexpr int kLabelWidth = 50;
    for (int i = 0; i < kPageCount; ++i) {
        pages.addToNavigation(new CSkinLabel({kPageButtonX[i] + (kButtonWidth - kLabelWidth) / 2, kPageLabelY},
                                             kLabelWidth, kPageNames[i], text));
        auto* button = new CSkinToggle({kPageButtonX[i], kPageButtonY}, listener, cmd::NaviButtonFirst + i,
                                       skin.bitmap(B::OnOffButton), skin.isTransparent(B::OnOffButton));
        pages.addToNavigation(button);
        pages.bind(cmd::NaviButtonFirst + i, button);
    }
    constexpr int kBigMenuWidth = 139;
    pages.addToNavigation(new CSkinLabel(kChannelLabel, kBigMenuWidth, "Channel", text));
    const auto* plugin = dynamic_cast<const CSynthPlugin*>(effect);
    const CColor menuText = skin.color(ESkinColor::OptMenuText);
    if (plugin && plugin->monoTimbralMode()) {
        pages.addToNavigation(new CSkinLabel({kChannelMenu.x, kChannelMenu.y + 3}, kBigMenuWidth, kChannelNames[0], text));
    } else {
        auto* channel = new CSkinMenu(kChannelMenu, listener, cmd::Channel, skin.bitmap(B::OptionsMenuBig), menuText,
                                      skin.isTransparent(B::OptionsMenuBig));
        for (const char* name : kChannelNames)
            channel->addEntry(name);
        pages.addToNavigation(channel);
        pages.bind(cmd::Channel, channel);
    }
    auto* program = new CSkinMenu(kProgramMenu, listener, cmd::Program, skin.bitmap(B::OptionsMenuBig), menuText,
                                  skin.isTransparent(B::OptionsMenuBig));
    program->setEntriesPerColumn(kProgramsPerColumn);
    pages.addToNavigation(program);
    pages.bind(cmd::Program, program);
    panels.programMenu = program;
    const bool clear = skin.isTransparent(B::ButtonMinus);
    pages.addToNavigation(new CSkinButton(kProgramMinus, listener, cmd::ProgramMinus, skin.bitmap(B::ButtonMinus), clear));
    pages.addToNavigation(new CSkinButton(kProgramPlus, listener, cmd::ProgramPlus, skin.bitmap(B::ButtonPlus), clear));
}

// ---- shared pieces ---------------------------------------------------------------------------

// The eight knobs of an effect unit in a row from x, with labels that follow the effect type.
void effectKnobRow(CPageBuilder& b, int unit, CPoint first, int step)
{
    const int base = unit == 0 ? 164 : 173;
    for (int k = 0; k < kEffectKnobCount; ++k) {
        const CPlacedKnob placed =
            b.knob({first.x + step * k, first.y}, effectKnob(0, k).label, base + k, ESkinPage::VolFx);
        b.set().addEffectKnob({unit, k, placed.label, placed.field});
    }
}

// An oscillator panel: two wave menus with previews, pulse, symmetry and phase, the oscilloscope,
// coarse and fine tune.
void oscillatorPanel(CPageBuilder& b, CEditorPanels& panels, int index, CPoint o)
{
    const int base = 25 + 8 * index;
    const std::vector<std::string> waves = names(kOscillatorWaveCount, waveName);
    b.label({o.x, o.y - 13}, 113, "Wave");
    for (int w = 0; w < 2; ++w) {
        CSkinMenu* menu = b.menu({o.x, o.y + 22 * w}, B::OptionsMenuMedium, base + w, waves, kWavesPerColumn);
        setWavePreview(*menu, kOscillatorWaveCount, w == 0 ? CPoint {20, 20} : CPoint {20, 40});
    }
    b.knob({o.x + 140, o.y}, "Pulse", base + 2, ESkinPage::Osc).knob->setDefaultValue(1.0f);
    b.knob({o.x + 200, o.y}, "Symmetry", base + 3, ESkinPage::Osc).knob->setDefaultValue(1.0f);
    b.knob({o.x + 260, o.y}, "Phase", base + 4, ESkinPage::Osc).knob->setDefaultValue(0.0f);
    b.label({o.x + 320, o.y - 13}, 80, "Oscilloscope");
    auto* scope = new COscilloscope(CRect::sized(o.x + 320, o.y, kScopeWidth, kScopeHeight), b.skin());
    b.add(scope);
    panels.oscilloscopes[static_cast<size_t>(index)] = scope;
    b.knob({o.x + 420, o.y}, "Tune coarse", base + 5, ESkinPage::Osc).knob->setDefaultValue(0.5f);
    b.knob({o.x + 480, o.y}, "Tune fine", base + 6, ESkinPage::Osc).knob->setDefaultValue(0.0f);
}

// A modulation-oscillator panel: wave, run-once, sync, speed, phase and the delay with its modus.
void modOscillatorPanel(CPageBuilder& b, CEditorPanels& panels, int base, CPoint o, ESkinPage knobSet)
{
    b.label({o.x, o.y - 13}, 113, "Wave");
    CSkinMenu* wave = b.menu(o, B::OptionsMenuMedium, base, names(kModOscillatorWaveCount, waveName), kWavesPerColumn);
    setWavePreview(*wave, kModOscillatorWaveCount, {20, 20});
    CSkinLabel* once = b.label({o.x, o.y + 20}, 42, "Once ", kAlignLeft);
    panels.runOnceLabels.push_back({base + 5, once});
    // Beside the sync menu: the skin's switch is taller than the row above leaves room for.
    b.toggle({o.x, o.y + 33}, base + 1);
    b.label({o.x + 45, o.y + 20}, 87, "Sync ", kAlignLeft);
    b.menu({o.x + 45, o.y + 33}, B::OptionsMenuSmall, base + 2, names(kSyncKindCount, syncKindName));
    b.knob({o.x + 143, o.y}, "Speed", base + 3, knobSet, kNarrowKnobLabelWidth);
    b.knob({o.x + 193, o.y}, "Phase", base + 4, knobSet, kNarrowKnobLabelWidth);
    CSkinKnob* delay = b.knob({o.x + 243, o.y}, "", base + 6, knobSet).knob;
    auto* modus = new CSkinMenu(*delay, b.listener(), base + 5, b.skin().color(ESkinColor::ParamLabelBackground),
                                b.skin().color(ESkinColor::ParamLabelText));
    for (const std::string& name : names(kDelayModeCount, delayModeName))
        modus->addEntry(name);
    b.add(modus);
    b.set().bind(base + 5, modus);
}

EEnvelope envelopeOf(int tag) { return static_cast<EEnvelope>(tag - cmd::OscModEnvelope1); }

// An envelope display: its graph at the position, its controls to the right.
void envelopeDisplay(CPageBuilder& b, CEditorPanels& panels, CPoint graph, int tag)
{
    const EEnvelopeKind kind = tag == cmd::AdsrEnvelope ? EEnvelopeKind::Amplitude : EEnvelopeKind::Modulation;
    auto* display = new CEnvelopeDisplay(graph, b.skin(), &panels, tag, kind);
    b.add(display);
    panels.envelopes[static_cast<size_t>(envelopeOf(tag))] = display;
}

// A modulation page's envelope display with its title in the gutter.
void modEnvelope(CPageBuilder& b, CEditorPanels& panels, CPoint graph, int tag, const char* title)
{
    envelopeDisplay(b, panels, graph, tag);
    b.title(CRect::sized(6, graph.y - 4, 12, CEnvelopeDisplay::kGraphHeight + 8), title);
}

// The Shaper and Filter pages show the FilterMod page's envelopes and combiner panel again.
void mirroredFilterMod(CPageBuilder& b, const CEditorPanels& panels, int topBelow)
{
    b.label({22, topBelow}, 400, "Mirrored Envelopes & Combiners from FilterMod-Page:", kAlignLeft);
    for (CWidget* view : panels.mirrored)
        b.share(view);
}

// ---- the pages -----------------------------------------------------------------------------

void overviewPage(CPageBuilder& b, CEditorPanels& panels)
{
    b.setPage(kOverviewPage);
    b.title(frameOf(6, 58, 310, 214), "OSC");
    const char* labels[] = {"Pulse", "Symmetry", "Phase", "Weight"};
    for (int row = 0; row < 3; ++row) {
        const int y = 76 + 70 * row;
        const int base = 25 + 8 * row;
        b.label({22, y + 14}, 44, "OSC " + std::to_string(row + 1), kAlignLeft);
        const int numbers[] = {base + 2, base + 3, base + 4, base + 7};
        for (int k = 0; k < 4; ++k)
            b.knob({74 + 60 * k, y}, labels[k], numbers[k], ESkinPage::Osc);
    }
    const char* sectionTitles[] = {"OSC MOD", "FILTER MOD"};
    const int sectionTop[] = {58, 167};
    const ESkinPage sets[] = {ESkinPage::OscMod, ESkinPage::FilterMod};
    for (int s = 0; s < 2; ++s) {
        b.title(frameOf(322, sectionTop[s], 312, 105), sectionTitles[s]);
        for (int c = 0; c < kCombiners; ++c) {
            const int number = (s == 0 ? 71 : 133) + 5 * c;
            const CPlacedKnob k = b.knob({346 + 58 * c, sectionTop[s] + 30}, "", number, sets[s], 56);
            panels.amountKnobs.push_back({s, c, k.label, k.field});
        }
    }
    b.title(frameOf(6, 276, 184, 74), "SHAPER");
    b.knob({30, 294}, "Param", 98, ESkinPage::WaveShaper);
    b.knob({84, 294}, "Gain", 100, ESkinPage::WaveShaper);
    b.knob({138, 294}, "Position", 101, ESkinPage::WaveShaper);
    b.title(frameOf(194, 276, 122, 74), "MASTER");
    b.knob({214, 294}, "Panorama", 162, ESkinPage::VolFx);
    b.knob({266, 294}, "Volume", 161, ESkinPage::VolFx);
    b.title(frameOf(322, 276, 312, 74), "FILTER");
    const std::pair<const char*, int> filter[] = {
        {"Param", 107}, {"Freq", 108}, {"Filter : Res", 109}, {"Res.Freq", 111}, {"Resonance", 112}};
    for (int k = 0; k < 5; ++k)
        b.knob({346 + 58 * k, 294}, filter[k].first, filter[k].second, ESkinPage::Filter, 56);
    for (int unit = 0; unit < 2; ++unit) {
        const int top = unit == 0 ? 354 : 432;
        b.title(frameOf(6, top, 628, 74), unit == 0 ? "FX 1" : "FX 2");
        CValueDisplay* name = b.valueText(CRect::sized(24, top + 30, 60, 15), unit == 0 ? 163 : 172);
        name->setValueFormatter([unit](float v) {
            return std::string(effectTypeName(static_cast<int>(std::lround(engineValue(unit == 0 ? 163 : 172, v)))));
        });
        effectKnobRow(b, unit, {98, top + 18}, 66);
    }
}

void oscPage(CPageBuilder& b, CEditorPanels& panels)
{
    b.setPage(kOscPage);
    for (int i = 0; i < 3; ++i) {
        const int top = 58 + 89 * i;
        b.title(frameOf(6, top, 628, 86), "OSC " + std::to_string(i + 1));
        oscillatorPanel(b, panels, i, {22, top + 20});
        b.knob({562, top + 20}, "Weight", 32 + 8 * i, ESkinPage::Osc);
    }
    b.title(frameOf(6, 326, 628, 180), "MIX");
    b.add(new CMixDiagram(CRect::sized(30, 340, 250, 96), b.skin()));
    const std::vector<std::string> operators = names(kOperatorCount, operatorName);
    b.label({30, 440}, 113, "OSC 1 & 2", kAlignCenter);
    b.menu({30, 453}, B::OptionsMenuMedium, 49, operators, 11);
    b.label({160, 440}, 113, "(1&2) & 3", kAlignCenter);
    b.menu({160, 453}, B::OptionsMenuMedium, 50, operators, 11);
    b.label({330, 346}, 113, "Detune Sync");
    b.menu({330, 359}, B::OptionsMenuMedium, 51, names(kSyncKindCount, syncKindName));
    b.label({330, 390}, 113, "Oversample");
    b.menu({330, 403}, B::OptionsMenuMedium, 52, names(kOversamplingModeCount, oversamplingModeName));
    b.label({460, 390}, 60, "Octave:", kAlignLeft);
    CValueDisplay* octave = b.valueText(CRect::sized(460, 404, 80, 17), 186);
    octave->setValueFormatter([](float v) { return editorText(186, v); });
    panels.octaveField = octave;
    panels.octaveText = b.skin().color(ESkinColor::ParamLabelText);
    panels.octaveReset = b.kick({548, 403}, 187, B::ButtonMinus);
}

void modPage(CPageBuilder& b, CEditorPanels& panels, int page)
{
    const bool filter = page == kFilterModPage;
    const ESkinPage set = filter ? ESkinPage::FilterMod : ESkinPage::OscMod;
    b.setPage(page);
    b.title(frameOf(6, 58, 312, 86), "ModOSC 1");
    b.title(frameOf(322, 58, 312, 86), "ModOSC 2");
    modOscillatorPanel(b, panels, filter ? 115 : 53, {22, 78}, set);
    modOscillatorPanel(b, panels, filter ? 122 : 60, {342, 78}, set);
    const size_t firstShared = b.set().page(page).size();
    const int firstEnvelope = filter ? cmd::OscModEnvelope1 + 2 : cmd::OscModEnvelope1;
    modEnvelope(b, panels, {19, 150}, firstEnvelope, "ModEnv 1");
    modEnvelope(b, panels, {19, 247}, firstEnvelope + 1, "ModEnv 2");
    b.title(frameOf(6, 346, 628, 160), "COMBINER");
    panels.combiners[filter ? 1 : 0] = std::make_unique<CCombinerPanel>(
        b, CPoint {22, 349}, filter ? 129 : 67, set, filter ? ESectionKind::Filter : ESectionKind::Oscillator);
    if (filter) {
        const std::vector<CWidget*>& views = b.set().page(page);
        panels.mirrored.assign(views.begin() + static_cast<long>(firstShared), views.end());
    }
}

void shaperPage(CPageBuilder& b, CEditorPanels& panels)
{
    b.setPage(kShaperPage);
    b.title(frameOf(6, 58, 628, 86), "SHAPER");
    b.label({22, 65}, 113, "Shape");
    b.menu({22, 78}, B::OptionsMenuMedium, 97, shapeNames(false), 13);
    b.menu({22, 100}, B::OptionsMenuMedium, 96, shapeNames(true), 13);
    const ESkinPage set = ESkinPage::WaveShaper;
    b.knob({147, 78}, "Param", 98, set, kNarrowKnobLabelWidth);
    b.knob({199, 78}, "Smooth", 99, set, kNarrowKnobLabelWidth);
    b.label({249, 65}, kShaperWidth, "Display");
    auto* display = new CShaperDisplay(CRect::sized(249, 78, kShaperWidth, kShaperHeight), b.skin());
    b.add(display);
    panels.shaper = display;
    b.knob({372, 78}, "Gain", 100, set, kNarrowKnobLabelWidth);
    b.knob({422, 78}, "Position", 101, set, kNarrowKnobLabelWidth);
    b.label({468, 65}, kKnobLabelWidth, "Post-Filter");
    b.toggle({478, 80}, 102);
    b.label({528, 65}, kKnobLabelWidth, "Limiter-Bug");
    b.toggle({538, 80}, 103);
    b.knob({592, 78}, "Mix", 104, set, kNarrowKnobLabelWidth);
    mirroredFilterMod(b, panels, 133);
}

void filterPage(CPageBuilder& b, CEditorPanels& panels)
{
    b.setPage(kFilterPage);
    b.title(frameOf(6, 58, 628, 86), "FILTER");
    b.label({22, 65}, 46, "Type");
    auto* map = new CPopupGrid({21, 78}, b.listener(), 105, kFilterTypeCount, b.skin().bitmap(B::FilterMap),
                               b.skin().bitmap(B::HighlightenedFilterMap));
    b.add(map);
    b.set().bind(105, map);
    const ESkinPage set = ESkinPage::Filter;
    const std::pair<const char*, int> knobs[] = {{"Level", 106}, {"Param", 107}, {"Freq", 108}, {"Filter : Res", 109}};
    for (int k = 0; k < 4; ++k)
        b.knob({90 + 60 * k, 78}, knobs[k].first, knobs[k].second, set);
    b.label({320, 65}, kKnobLabelWidth, "Res.Freq");
    b.toggle({330, 80}, 110, B::OnOffButton);
    const std::pair<const char*, int> more[] = {{"Res.Freq", 111}, {"Resonance", 112}, {"KeybMid", 113}, {"KeybSlope", 114}};
    for (int k = 0; k < 4; ++k)
        b.knob({390 + 60 * k, 78}, more[k].first, more[k].second, set);
    mirroredFilterMod(b, panels, 133);
}

void volFxPage(CPageBuilder& b, CEditorPanels& panels)
{
    b.setPage(kVolFxPage);
    b.title(frameOf(6, 58, 628, 104), "VOL Env");
    envelopeDisplay(b, panels, {19, 62}, cmd::AdsrEnvelope);
    b.title(frameOf(6, 166, 310, 80), "KEYB Env");
    const ESkinPage set = ESkinPage::VolFx;
    constexpr int kWideLabel = 70;
    b.knob({40, 186}, "Dynamic", 158, set, kWideLabel);
    b.knob({110, 186}, "VolKeybMid", 159, set, kWideLabel);
    b.knob({180, 186}, "VolKeybSlope", 160, set, kWideLabel);
    b.title(frameOf(322, 166, 312, 80), "MASTER");
    b.knob({356, 186}, "Volume", 161, set);
    b.knob({426, 186}, "Panorama", 162, set);
    for (int unit = 0; unit < 2; ++unit) {
        const int top = unit == 0 ? 250 : 380;
        const int number = unit == 0 ? 163 : 172;
        b.title(frameOf(6, top, 628, 126), unit == 0 ? "FX 1" : "FX 2");
        b.label({30, top + 8}, 139, "Type", kAlignLeft);
        b.menu({30, top + 21}, B::OptionsMenuBig, number, names(kEffectTypeCount, effectTypeName), 11);
        effectKnobRow(b, unit, {40, top + 62}, 74);
    }
}

void miscPage(CPageBuilder& b, CEditorPanels& panels)
{
    b.setPage(kMiscPage);
    const ESkinPage set = ESkinPage::Misc;
    b.title(frameOf(6, 58, 312, 96), "PITCH");
    b.knob({32, 80}, "Pitch Bend", 181, set);
    b.knob({96, 80}, "Portamento", 182, set);
    b.label({150, 80}, 87, "Portamento Sync");
    b.menu({150, 93}, B::OptionsMenuSmall, 183, names(kSyncKindCount, syncKindName));
    b.knob({254, 80}, "Dirty Pitch", 184, set, kNarrowKnobLabelWidth);
    b.title(frameOf(322, 58, 312, 96), "CLIPBRD");
    const std::pair<const char*, int> clip[] = {
        {"Copy", cmd::CopyPreset}, {"Paste", cmd::PastePreset}, {"Swap", cmd::SwapPreset}, {"Clear", cmd::InitPreset}};
    for (int k = 0; k < 4; ++k) {
        b.label({346 + 70 * k - 5, 80}, 50, clip[k].first);
        b.kick({346 + 70 * k, 94}, clip[k].second, B::OnOffButtonLabel);
    }
    b.title(frameOf(6, 158, 312, 86), "PRESET");
    b.label({10, 180}, 70, "Store Preset");
    b.kick({30, 194}, cmd::StorePreset, B::OnOffButtonLabel);
    b.label({110, 180}, 139, "Load ROM-Bank");
    std::vector<std::string> banks;
    for (int i = 0; i < kBankSelectorCount; ++i)
        banks.emplace_back(bankName(i));
    b.menu({110, 194}, B::OptionsMenuBig, cmd::LoadBankSelector, banks);
    b.title(frameOf(322, 158, 312, 86), "TIMBRE");
    b.knob({350, 180}, "Polyphony", 185, set);
    b.label({420, 180}, 60, "High Quality");
    b.toggle({430, 194}, cmd::Quality);
    b.title(frameOf(6, 248, 628, 84), "TUNING");
    b.knob({32, 268}, "TuneBase", cmd::TuningBase, set);
    b.label({96, 268}, 113, "Tuning Source");
    b.menu({96, 281}, B::OptionsMenuMedium, cmd::TuningSource,
           {"VST-Host", "Tuning File", "MIDI SysEx", "Export Tuning"});
    const char* captions[] = {"Tuning:", "Pitch Bend Destination:", "Keyboard Mapping:"};
    for (int line = 0; line < 3; ++line) {
        b.label({228, 262 + 20 * line}, 130, captions[line], kAlignLeft);
        panels.tuningLines[static_cast<size_t>(line)] = b.label({360, 262 + 20 * line}, 268, "", kAlignLeft);
    }
    b.title(frameOf(6, 336, 440, 170), "SETUP");
    b.label({24, 350}, 99, "Knob-Mode");
    b.menu({30, 363}, B::OptionsMenuSmall, cmd::KnobMode, {"Circular", "Linear"});
    b.label({124, 350}, 99, "OSC-Oversampling");
    b.menu({130, 363}, B::OptionsMenuSmall, cmd::OscOversampling, {"Never", "Individual", "Always"});
    b.toggle({30, 396}, cmd::AutoStorePresetChanges);
    b.label({76, 404}, 160, "Auto Store Preset Changes", kAlignLeft);
    b.toggle({30, 430}, cmd::MonoTimbralMode);
    b.label({76, 438}, 160, "Mono Timbral", kAlignLeft);
    b.label({290, 350}, kSkinPreviewWidth, "Select Skin");
    panels.skinNames = skinFolders();
    std::vector<std::string> skins = {"Built-in"};
    skins.insert(skins.end(), panels.skinNames.begin(), panels.skinNames.end());
    panels.skinMenu = b.menu({290, 363}, B::OptionsMenuBig, cmd::SkinSelector, skins);
    panels.skinPreview = new CSkinPreview(CRect::sized(290, 386, kSkinPreviewWidth, 112), b.skin());
    b.add(panels.skinPreview);
    auto* logo = new CPopupGrid({456, 337}, b.listener(), cmd::LogoAboutBox, 2, b.skin().bitmap(B::AboutLogo));
    logo->setValue(0.0f);
    b.add(logo);
}

} // namespace

namespace {

constexpr int kTuningSourceNumber = cmd::TuningSource;
constexpr int kOversampleNumber = 52;
constexpr int kFrequencyOversampling = 1;
// Delay modus "Continue" relabels the run-once switch.
constexpr int kContinueModus = 2;

bool isScopeNumber(int number)
{
    if (number < 25 || number > 48)
        return false;
    return (number - 25) % 8 <= 4;
}

bool isShaperNumber(int number) { return (number >= 96 && number <= 99) || number == 101 || number == 103; }

int choiceOf(float value, int count) { return std::clamp(static_cast<int>(value * static_cast<float>(count)), 0, count - 1); }

void setLabel(CSkinLabel* label, const std::string& text)
{
    if (label)
        relabel(*label, text);
}

} // namespace

CEditorPanels::CEditorPanels(CEffectBase* effect) : m_effect(effect) {}

CEditorPanels::~CEditorPanels() = default;

void CEditorPanels::showValue(int number, float value)
{
    for (const CRunOnceLabel& once : runOnceLabels) {
        if (once.modusNumber != number)
            continue;
        const bool continuing = choiceOf(value, kDelayModeCount) == kContinueModus;
        const std::string text = continuing ? "FirstKey" : "Once ";
        if (once.label->text().empty() || once.label->text()[0] != text[0])
            setLabel(once.label, text);
    }
    if (isScopeNumber(number)) {
        COscilloscope* scope = oscilloscopes[static_cast<size_t>((number - 25) / 8)];
        if (scope)
            scope->setDirty(true);
    }
    if (isShaperNumber(number) && shaper)
        shaper->setDirty(true);
    if (number == kTuningSourceNumber)
        showTuning();
    if (number == kOversampleNumber && octaveField && octaveReset) {
        const bool enabled = choiceOf(value, kOversamplingModeCount) == kFrequencyOversampling;
        const CColor dimmed {uint8_t(octaveText.red / 2), uint8_t(octaveText.green / 2), uint8_t(octaveText.blue / 2)};
        octaveField->setTextColor(enabled ? octaveText : dimmed);
        octaveField->setDirty(true);
        octaveReset->setClickable(enabled);
    }
    for (size_t k = 0; k < combiners.size(); ++k)
        if (combiners[k] && combiners[k]->owns(number))
            showCombiners();
}

void CEditorPanels::showCombiners()
{
    auto* plugin = dynamic_cast<CSynthPlugin*>(m_effect);
    if (!plugin)
        return;
    // The panels read the mono voice's sections, which commands reload under the engine lock.
    plugin->editSelectedTimbre([&](CTimbre&) {
        for (const CAmountKnob& knob : amountKnobs) {
            const CCombinerPanel* panel = combiners[static_cast<size_t>(knob.section)].get();
            const CModSection* section = panel ? panel->section() : nullptr;
            if (!section)
                continue;
            setLabel(knob.label, destinationName(panel->kind(), section->combiner(knob.combiner).destination));
            panel->setAmountTexts(*knob.field, knob.combiner);
        }
    });
}

void CEditorPanels::showTuning()
{
    auto* plugin = dynamic_cast<CSynthPlugin*>(m_effect);
    if (!plugin)
        return;
    const int source = choiceOf(m_effect->getParameter(kTuningSourceNumber), kTuningSourceCount);
    // Tunings change under the engine lock (files, sysex from the audio thread).
    plugin->editSelectedTimbre([&](CTimbre& timbre) {
        setLabel(tuningLines[0], tuningText(source, timbre.mainTuning()));
        setLabel(tuningLines[1], destinationText(source, timbre.destinationTuning()));
        setLabel(tuningLines[2], mappingText(source, timbre.mainTuning()));
    });
}

void CEditorPanels::rebind()
{
    auto* plugin = dynamic_cast<CSynthPlugin*>(m_effect);
    if (!plugin)
        return;
    const CTimbre& timbre = plugin->timbre(plugin->selectedTimbre());
    for (size_t i = 0; i < oscilloscopes.size(); ++i)
        if (oscilloscopes[i])
            oscilloscopes[i]->bind(&timbre.masterVoice().oscillator(static_cast<int>(i)));
    setPreviewOscillator(&timbre.masterVoice().oscillator(0));
    if (shaper)
        shaper->bind(&timbre.shaperTable(), m_effect);
    for (auto& panel : combiners)
        if (panel)
            panel->bind(plugin);
    showCombiners();
    showEnvelopes();
    showTuning();
    if (programMenu) {
        const int current = programMenu->getIndex();
        programMenu->removeAllEntries();
        for (int i = 0; i < kProgramCount; ++i) {
            char name[kTextCapacity] = {};
            plugin->getProgramNameIndexed(0, i, name);
            programMenu->addEntry(std::to_string(i) + ":" + name);
        }
        programMenu->setIndex(std::max(current, 0));
        programMenu->setDirty(true);
    }
    if (skinMenu) {
        const std::string current = skinName();
        int index = 0;
        for (size_t i = 0; i < skinNames.size(); ++i)
            if (skinNames[i] + "/" == current || skinNames[i] == current)
                index = static_cast<int>(i) + 1;
        skinMenu->setIndex(index);
        if (skinPreview)
            skinPreview->show(index == 0 ? std::string() : skinNames[static_cast<size_t>(index - 1)]);
    }
}

void CEditorPanels::showEnvelopes()
{
    auto* plugin = dynamic_cast<CSynthPlugin*>(m_effect);
    if (!plugin)
        return;
    std::array<CEnvelopeShape, kEnvelopeCount> stored;
    // Read under the engine lock, as the edits are written.
    plugin->editSelectedTimbre([&](CTimbre& timbre) {
        for (size_t e = 0; e < stored.size(); ++e)
            stored[e] = timbre.masterVoice().envelope(static_cast<EEnvelope>(e)).storedShape();
    });
    for (size_t e = 0; e < envelopes.size(); ++e)
        if (envelopes[e] && envelopes[e]->shape() != stored[e])
            envelopes[e]->setShape(stored[e]);
}

void CEditorPanels::envelopeChanged(CEnvelopeDisplay* display, const CEnvelopeShape& shape)
{
    auto* plugin = dynamic_cast<CSynthPlugin*>(m_effect);
    if (!plugin)
        return;
    const EEnvelope which = envelopeOf(display->tag());
    plugin->editSelectedTimbre([&](CTimbre& timbre) {
        timbre.voice(kMonoVoice).envelope(which).assign(shape);
        timbre.copyModulesToVoices();
    });
}

bool CEditorPanels::valueChanged(CValueControl* control)
{
    const int tag = control->getTag();
    for (auto& panel : combiners) {
        if (panel && panel->valueChanged(control)) {
            showCombiners();
            return true;
        }
    }
    if (tag == cmd::SkinSelector && skinMenu) {
        const int index = skinMenu->getIndex();
        const std::string name = index <= 0 ? std::string() : skinNames[static_cast<size_t>(index - 1)];
        // The new skin shows at the next opening of the editor.
        setSkinName(name);
        if (skinPreview)
            skinPreview->show(name);
        return true;
    }
    return tag == cmd::LogoAboutBox;
}

void buildPages(CPageSet& pages, CEditorPanels& panels, const CSkin& skin, CValueListener* listener,
                CEffectBase* effect)
{
    buildNavigation(pages, panels, skin, listener, effect);
    CPageBuilder b(pages, skin, listener, effect);
    overviewPage(b, panels);
    oscPage(b, panels);
    modPage(b, panels, kOscModPage);
    modPage(b, panels, kFilterModPage);
    shaperPage(b, panels);
    filterPage(b, panels);
    volFxPage(b, panels);
    miscPage(b, panels);
}

} // namespace quorvix
