#include "editor/page_set.h"

#include "editor/toolkit/value_control.h"

namespace quorvix {

CPageSet::~CPageSet()
{
    for (auto& views : m_pages)
        for (CWidget* view : views)
            view->release();
    for (CWidget* view : m_navigation)
        view->release();
}

void CPageSet::add(int page, CWidget* view) { m_pages[static_cast<size_t>(page)].push_back(view); }

void CPageSet::addToNavigation(CWidget* view) { m_navigation.push_back(view); }

void CPageSet::share(int page, CWidget* view)
{
    view->addReference();
    add(page, view);
}

void CPageSet::bind(int number, CValueControl* control) { m_controls[number].push_back(control); }

const std::vector<CValueControl*>& CPageSet::controls(int number) const
{
    static const std::vector<CValueControl*> kNone;
    const auto it = m_controls.find(number);
    return it == m_controls.end() ? kNone : it->second;
}

} // namespace quorvix
