#include "editor/toolkit/value_control.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

namespace quorvix {

CValueControl::CValueControl(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background)
    : CWidget(size), m_listener(listener), m_tag(tag), m_background(background)
{
    if (m_background)
        m_background->addReference();
}

CValueControl::~CValueControl()
{
    if (m_background)
        m_background->release();
}

bool CValueControl::isDirty() const { return m_value != m_drawnValue || m_dirty; }

void CValueControl::setDirty(bool dirty)
{
    m_dirty = dirty;
    if (!dirty)
        m_drawnValue = m_value;
    else
        m_drawnValue = m_value == -1.0f ? 0.0f : -1.0f;
}

void CValueControl::serviceIdle()
{
    if (m_frame)
        m_frame->serviceIdle();
}

void CValueControl::setBackground(CSkinImage* image)
{
    if (image)
        image->addReference();
    if (m_background)
        m_background->release();
    m_background = image;
}

void CValueControl::clampValue()
{
    if (m_value > m_max)
        m_value = m_max;
    if (m_value < m_min)
        m_value = m_min;
}

bool CValueControl::isDoubleClick()
{
    const int32_t now = m_frame ? m_frame->tickCount() : 0;
    if (m_lastClickTime >= 1 && now < m_lastClickTime + m_doubleClickMs) {
        m_lastClickTime = 0;
        return true;
    }
    m_lastClickTime = now;
    return false;
}

void CValueControl::tellListener(CPainter* painter)
{
    if (m_listener)
        m_listener->valueChanged(painter, this);
}

void CValueControl::drawImage(CPainter& painter, CSkinImage* image, CPoint offset) const
{
    if (!image)
        return;
    if (m_transparent && m_frame && m_frame->background())
        m_frame->background()->draw(painter, m_bounds, m_bounds.topLeft());
    image->draw(painter, m_bounds, offset, m_transparent);
}

} // namespace quorvix
