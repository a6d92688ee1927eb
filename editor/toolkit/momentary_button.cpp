#include "editor/toolkit/momentary_button.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/painter.h"

namespace quorvix {

namespace {

constexpr int kMouseButtons = kLeftButton | kMiddleButton | kRightButton;

} // namespace

CMomentaryButton::CMomentaryButton(const CRect& size, CValueListener* listener, int32_t tag, int stateHeight,
                                   CSkinImage* background, CPoint offset)
    : CValueControl(size, listener, tag, background), m_stateHeight(stateHeight)
{
    m_backgroundOffset = offset;
}

void CMomentaryButton::draw(CPainter& painter)
{
    clampValue();
    const CPoint offset = m_backgroundOffset.offset(0, m_value != 0.0f ? m_stateHeight : 0);
    drawImage(painter, m_background, offset);
    setDirty(false);
}

void CMomentaryButton::onMouseDown(CPainter& painter, CPoint)
{
    int buttons = painter.buttonState();
    if (!m_mouseEnabled || !(buttons & kLeftButton))
        return;
    if ((buttons & kMouseButtons) == kLeftButton && m_frame) {
        m_frame->beginParameterEdit(m_tag);
        const float atPress = m_value;
        const float pressed = atPress != 0.0f ? 0.0f : 1.0f;
        while ((buttons & kMouseButtons) == kLeftButton) {
            m_value = m_bounds.contains(painter.cursorPosition()) ? pressed : atPress;
            if (isDirty())
                tellListener(&painter);
            serviceIdle();
            buttons = painter.buttonState();
        }
        m_value = 0.0f;
        tellListener(&painter);
        m_frame->endParameterEdit(m_tag);
        return;
    }
    m_value = m_value != 0.0f ? 0.0f : 1.0f;
    tellListener(&painter);
    m_value = 0.0f;
    tellListener(&painter);
}

} // namespace quorvix
