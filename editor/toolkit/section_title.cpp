#include "editor/toolkit/section_title.h"

#include "editor/toolkit/painter.h"

namespace quorvix {

CSectionTitle::CSectionTitle(CPoint origin, int height, const std::string& title, CColor background, CColor text,
                             bool small)
    : CValueDisplay(CRect::sized(origin.x, origin.y, kWidth, height), nullptr, -1), m_title(title)
{
    setFont(small ? 6 : 4);
    setBackgroundColor(background);
    setTextColor(text);
    setClickable(false);
}

void CSectionTitle::setClickTarget(CValueControl* target, float value)
{
    m_target = target;
    m_targetValue = value;
    setClickable(target != nullptr);
}

void CSectionTitle::draw(CPainter& painter)
{
    setDirty(false);
    const CRect& r = m_bounds;
    painter.setFillColor(m_backgroundColor);
    painter.fillArea(r);
    painter.setFont(m_fontId, 0, kFontBold);
    painter.setTextColor(m_textColor);
    const int step = painter.fontSize();
    const int count = static_cast<int>(m_title.size());
    int y = r.top + (r.height() - count * step) / 2;
    for (const char c : m_title) {
        painter.drawString(std::string(1, c), {r.left, y, r.right, y + step}, false, kAlignCenter);
        y += step;
    }
}

void CSectionTitle::onMouseDown(CPainter& painter, CPoint)
{
    if (!m_target || !m_mouseEnabled || !(painter.buttonState() & kLeftButton))
        return;
    m_target->setValue(m_targetValue);
    if (m_target->listener())
        m_target->listener()->valueChanged(&painter, m_target);
}

} // namespace quorvix
