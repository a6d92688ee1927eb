#include "editor/toolkit/widget.h"

#include "editor/toolkit/editor_frame.h"

namespace quorvix {

CWidget::CWidget(const CRect& size) : m_bounds(size), m_clickArea(size) {}

void CWidget::update(CPainter& painter)
{
    if (isDirty()) {
        draw(painter);
        setDirty(false);
    }
}

int CWidget::notify(CWidget*, const std::string&) { return 0; }

bool CWidget::hitTest(CPoint p, int) const { return m_bounds.contains(p); }

void CWidget::setBounds(const CRect& rect)
{
    m_bounds = rect;
    setDirty(true);
}

CFrameOwner* CWidget::getEditor() const { return m_frame ? m_frame->owner() : nullptr; }

void CWidget::release()
{
    if (--m_references <= 0)
        delete this;
}

} // namespace quorvix
