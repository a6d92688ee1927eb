// The five combiners of a modulation section: sources, operator, destination and amount each, and
// the section's fixed values a to d. Edits the section of the selected timbre's mono voice directly,
// tells the host under the control's number, and hands the change on to the poly voices.
#pragma once

#include "dsp/mod_section.h"
#include "editor/combiner_texts.h"
#include "editor/skin/skin_bitmaps.h"
#include "editor/toolkit/geometry.h"

#include <array>
#include <string>

namespace quorvix {

class CKnobValueField;
class CPageBuilder;
class CRotaryKnob;
class CSkinKnob;
class CSkinMenu;
class CSynthPlugin;
class CValueControl;


class CCombinerPanel {
public:
    // base: the number of combiner 1's source 1 (67 or 129).
    CCombinerPanel(CPageBuilder& builder, CPoint origin, int base, ESkinPage knobSet, ESectionKind kind);
    ~CCombinerPanel();
    CCombinerPanel(const CCombinerPanel&) = delete;
    CCombinerPanel& operator=(const CCombinerPanel&) = delete;

    // Shows the section of the plug-in's selected timbre.
    void bind(CSynthPlugin* plugin);
    // Any control carrying one of the panel's numbers; false for others.
    bool valueChanged(CValueControl* control);
    bool owns(int tag) const { return tag >= m_base && tag < m_base + kTagCount; }
    int base() const { return m_base; }
    ESectionKind kind() const { return m_kind; }
    // The amount field of combiner i follows its destination (also for fields on other pages).
    void setAmountTexts(CKnobValueField& field, int combiner) const;
    const CModSection* section() const;

private:
    static constexpr int kTagCount = 5 * kCombiners + 4;
    void refresh();

    int m_base;
    ESectionKind m_kind;
    CSynthPlugin* m_plugin = nullptr;
    struct CColumn {
        CSkinMenu* source1 = nullptr;
        CSkinMenu* op = nullptr;
        CSkinMenu* source2 = nullptr;
        CSkinMenu* destination = nullptr;
        CSkinKnob* amount = nullptr;
        CKnobValueField* amountField = nullptr;
    };
    std::array<CColumn, kCombiners> m_columns;
    std::array<CRotaryKnob*, 4> m_values {};
    std::array<CKnobValueField*, 4> m_valueFields {};
};

} // namespace quorvix
