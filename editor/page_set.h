// The views of the editor's eight pages and its navigation bar, and which controls show which
// parameter number. The set owns every view; the frame only shows them.
#pragma once

#include "editor/toolkit/geometry.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace quorvix {

class CKnobValueField;
class CSkinLabel;
class CValueControl;
class CWidget;

constexpr int kPageCount = 8;
constexpr int kOverviewPage = 0;
constexpr int kOscPage = 1;
constexpr int kOscModPage = 2;
constexpr int kShaperPage = 3;
constexpr int kFilterPage = 4;
constexpr int kFilterModPage = 5;
constexpr int kVolFxPage = 6;
constexpr int kMiscPage = 7;

// The label and value field of one effect knob, relabelled with the effect type.
struct CEffectKnobView {
    int unit = 0;
    int knob = 0;
    CSkinLabel* label = nullptr;
    CKnobValueField* field = nullptr;
};

class CPageSet {
public:
    CPageSet() = default;
    ~CPageSet();
    CPageSet(const CPageSet&) = delete;
    CPageSet& operator=(const CPageSet&) = delete;

    // Takes the view; shown with the page (or on every page for the navigation bar).
    void add(int page, CWidget* view);
    void addToNavigation(CWidget* view);
    // A view that several pages show (the mirrored displays): one reference per page.
    void share(int page, CWidget* view);
    // The control shows the number's value.
    void bind(int number, CValueControl* control);
    void addEffectKnob(const CEffectKnobView& view) { m_effectKnobs.push_back(view); }

    const std::vector<CWidget*>& page(int page) const { return m_pages[static_cast<size_t>(page)]; }
    const std::vector<CWidget*>& navigation() const { return m_navigation; }
    const std::vector<CValueControl*>& controls(int number) const;
    const std::vector<CEffectKnobView>& effectKnobs() const { return m_effectKnobs; }

private:
    std::array<std::vector<CWidget*>, kPageCount> m_pages;
    std::vector<CWidget*> m_navigation;
    std::map<int, std::vector<CValueControl*>> m_controls;
    std::vector<CEffectKnobView> m_effectKnobs;
};

} // namespace quorvix
