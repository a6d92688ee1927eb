// Puts the editor's controls on a page: knobs with their label and value field, option menus,
// switches, kick buttons, labels and section titles, drawn with the skin.
#pragma once

#include "editor/page_set.h"
#include "editor/skin/skin.h"

#include <string>
#include <vector>

namespace quorvix {

class CEffectBase;
class CKnobValueField;
class CSkinButton;
class CSkinKnob;
class CSkinLabel;
class CSkinMenu;
class CSkinToggle;
class CValueDisplay;
class CValueListener;

// Knob label width, and the narrower one where knobs stand close.
constexpr int kKnobLabelWidth = 60;
constexpr int kNarrowKnobLabelWidth = 52;

struct CPlacedKnob {
    CSkinKnob* knob = nullptr;
    CSkinLabel* label = nullptr;
    CKnobValueField* field = nullptr;
};

class CPageBuilder {
public:
    CPageBuilder(CPageSet& set, const CSkin& skin, CValueListener* listener, CEffectBase* effect);

    void setPage(int page) { m_page = page; }
    int page() const { return m_page; }
    ESkinPage skinPage() const;

    // Takes the view for the current page.
    void add(CWidget* view);
    // The view is also shown on the current page.
    void share(CWidget* view) { m_set.share(m_page, view); }
    // A vertical title in the section frame's left gutter.
    void title(const CRect& section, const std::string& text);
    CSkinLabel* label(CPoint at, int width, const std::string& text, int align = -1);
    // Knob at its top-left; the label stands 13 pixels above and 10 left (centred on narrower
    // labels), the value field below. The number's editor text and typed-text reader, if any.
    CPlacedKnob knob(CPoint at, const std::string& label, int number, ESkinPage knobSet,
                     int labelWidth = kKnobLabelWidth);
    CSkinMenu* menu(CPoint at, ESkinBitmap image, int number, const std::vector<std::string>& entries,
                    int perColumn = -1);
    CSkinToggle* toggle(CPoint at, int number, ESkinBitmap image = ESkinBitmap::OnOffButton);
    CSkinButton* kick(CPoint at, int number, ESkinBitmap image);
    // A box that shows the number's value as text.
    CValueDisplay* valueText(const CRect& rect, int number);
    CValueListener* listener() const { return m_listener; }
    const CSkin& skin() const { return m_skin; }
    CEffectBase* effect() const { return m_effect; }
    CPageSet& set() { return m_set; }

private:
    void bind(int number, CValueControl* control);

    CPageSet& m_set;
    const CSkin& m_skin;
    CValueListener* m_listener;
    CEffectBase* m_effect;
    int m_page = 0;
};

// A new text for a label: the labels are see-through, so the frame draws again behind it.
void relabel(CSkinLabel& label, const std::string& text);

// The editor's texts for a knob of that number: formatter and reader, when the number has them.
void setNumberTexts(CKnobValueField& field, int number, CEffectBase* effect);

} // namespace quorvix
