#include "editor/page_builder.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/knob_value_field.h"
#include "editor/toolkit/section_title.h"
#include "editor/toolkit/skin_button.h"
#include "editor/toolkit/skin_knob.h"
#include "editor/toolkit/skin_label.h"
#include "editor/toolkit/skin_menu.h"
#include "editor/toolkit/skin_toggle.h"
#include "engine/engine_context.h"
#include "plugin/effect_base.h"
#include "presets/editor_text.h"

namespace quorvix {

namespace {

constexpr int kLabelAbove = 13;
constexpr int kLabelLeft = 10;
constexpr int kTitleInset = 4;
constexpr int kTitleGutter = 2;
// Titles longer than this many pixels per letter of the frame use the small font.
constexpr size_t kTitleLetterHeight = 11;

} // namespace

void setNumberTexts(CKnobValueField& field, int number, CEffectBase* effect)
{
    if (!hasEditorText(number))
        return;
    field.setDisplayFormatter([number](float value) { return editorText(number, value); });
    field.setEntryParser([number, effect](const std::string& text, float& value) {
        const CLastNote last {lastNoteKey(), lastNoteFrequency()};
        return parseEditorText(number, text, last, effect->sampleRate(), value);
    });
}

void relabel(CSkinLabel& label, const std::string& text)
{
    if (label.text() == text)
        return;
    label.setText(text);
    label.setDirty(true);
    if (label.frame())
        label.frame()->setDirty(true);
}

CPageBuilder::CPageBuilder(CPageSet& set, const CSkin& skin, CValueListener* listener, CEffectBase* effect)
    : m_set(set), m_skin(skin), m_listener(listener), m_effect(effect)
{
}

ESkinPage CPageBuilder::skinPage() const
{
    return m_page == kOverviewPage ? ESkinPage::Osc : static_cast<ESkinPage>(m_page - 1);
}

void CPageBuilder::add(CWidget* view) { m_set.add(m_page, view); }

void CPageBuilder::bind(int number, CValueControl* control) { m_set.bind(number, control); }

void CPageBuilder::title(const CRect& section, const std::string& text)
{
    const int height = section.height() - 2 * kTitleInset;
    add(new CSectionTitle({section.left + kTitleGutter, section.top + kTitleInset}, height, text,
                          m_skin.vertLabelColor(skinPage()), m_skin.color(ESkinColor::VertLabelText),
                          text.size() * kTitleLetterHeight > static_cast<size_t>(height)));
}

CSkinLabel* CPageBuilder::label(CPoint at, int width, const std::string& text, int align)
{
    auto* l = new CSkinLabel(at, width, text, m_skin.color(ESkinColor::ParamLabelText),
                             align < 0 ? kAlignCenter : align);
    add(l);
    return l;
}

CPlacedKnob CPageBuilder::knob(CPoint at, const std::string& text, int number, ESkinPage knobSet, int labelWidth)
{
    CPlacedKnob placed;
    placed.knob = new CSkinKnob(at, m_listener, number, m_skin.forPage(ESkinBitmap::KnobMap, knobSet),
                                m_skin.knobFrames(knobSet), m_skin.isTransparentForPage(ESkinBitmap::KnobMap, knobSet));
    add(placed.knob);
    bind(number, placed.knob);
    placed.field = new CKnobValueField(placed.knob, m_skin.color(ESkinColor::ParamLabelBackground),
                                       m_skin.color(ESkinColor::ParamLabelText));
    setNumberTexts(*placed.field, number, m_effect);
    add(placed.field);
    const int left = at.x - kLabelLeft + (kKnobLabelWidth - labelWidth) / 2;
    placed.label = label({left, at.y - kLabelAbove}, labelWidth, text);
    return placed;
}

CSkinMenu* CPageBuilder::menu(CPoint at, ESkinBitmap image, int number, const std::vector<std::string>& entries,
                              int perColumn)
{
    auto* m = new CSkinMenu(at, m_listener, number, m_skin.bitmap(image), m_skin.color(ESkinColor::OptMenuText),
                            m_skin.isTransparent(image));
    for (const std::string& e : entries)
        m->addEntry(e);
    if (perColumn > 0)
        m->setEntriesPerColumn(perColumn);
    m->setIndex(0);
    add(m);
    bind(number, m);
    return m;
}

CSkinToggle* CPageBuilder::toggle(CPoint at, int number, ESkinBitmap image)
{
    auto* t = new CSkinToggle(at, m_listener, number, m_skin.bitmap(image), m_skin.isTransparent(image));
    add(t);
    bind(number, t);
    return t;
}

CSkinButton* CPageBuilder::kick(CPoint at, int number, ESkinBitmap image)
{
    auto* b = new CSkinButton(at, m_listener, number, m_skin.bitmap(image), m_skin.isTransparent(image));
    add(b);
    return b;
}

CValueDisplay* CPageBuilder::valueText(const CRect& rect, int number)
{
    auto* box = new CValueDisplay(rect, nullptr, number);
    box->setFont(4);
    box->setBackgroundColor(m_skin.color(ESkinColor::ParamLabelBackground));
    box->setTextColor(m_skin.color(ESkinColor::ParamLabelText));
    box->setClickable(false);
    add(box);
    bind(number, box);
    return box;
}

} // namespace quorvix
