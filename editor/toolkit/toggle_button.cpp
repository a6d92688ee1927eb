#include "editor/toolkit/toggle_button.h"

#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

namespace quorvix {

CToggleButton::CToggleButton(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background,
                             CPoint offset)
    : CValueControl(size, listener, tag, background)
{
    m_backgroundOffset = offset;
}

void CToggleButton::draw(CPainter& painter)
{
    CPoint offset = m_backgroundOffset;
    if (m_value != 0.0f && m_background)
        offset.y += m_background->height() / 2;
    drawImage(painter, m_background, offset);
    setDirty(false);
}

void CToggleButton::onMouseDown(CPainter& painter, CPoint)
{
    if (!m_mouseEnabled || !(painter.buttonState() & kLeftButton))
        return;
    m_value = static_cast<int>(m_value) != 0 ? 0.0f : 1.0f;
    serviceIdle();
    tellListener(&painter);
}

} // namespace quorvix
