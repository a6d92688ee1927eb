#include "editor/toolkit/skin_label.h"

#include "editor/toolkit/painter.h"

namespace quorvix {

CSkinLabel::CSkinLabel(CPoint origin, int width, const std::string& text, CColor color, int align)
    : CValueDisplay(CRect::sized(origin.x, origin.y, width, kHeight), nullptr, -1), m_text(text)
{
    setFont(4);
    setTextColor(color);
    setAlignment(align);
    setTransparent(true);
    setClickable(false);
}

void CSkinLabel::setText(const std::string& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setDirty(true);
}

} // namespace quorvix
