#include "editor/toolkit/value_display.h"

#include "editor/toolkit/painter.h"

#include <cstdio>

namespace quorvix {

namespace {

template <typename T>
void store(T& field, const T& value, CWidget& view)
{
    if (field == value)
        return;
    field = value;
    view.setDirty(true);
}

} // namespace

CValueDisplay::CValueDisplay(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background,
                             int style)
    : CValueControl(size, listener, tag, background)
{
    setStyle(style);
}

void CValueDisplay::setFont(int fontId) { store(m_fontId, fontId, *this); }
void CValueDisplay::setTextColor(CColor color) { store(m_textColor, color, *this); }
void CValueDisplay::setBackgroundColor(CColor color) { store(m_backgroundColor, color, *this); }
void CValueDisplay::setBorderColor(CColor color) { store(m_borderColor, color, *this); }
void CValueDisplay::setShadowColor(CColor color) { store(m_shadowColor, color, *this); }
void CValueDisplay::setAlignment(int align) { store(m_align, align, *this); }
void CValueDisplay::setTextStyle(int fontStyle) { store(m_textStyle, fontStyle, *this); }

void CValueDisplay::setStyle(int style)
{
    store(m_style, style, *this);
    if (m_style & kStyleNoDraw)
        setDirty(false);
}

std::string CValueDisplay::displayText() const
{
    if (m_formatter)
        return m_formatter(m_value);
    char text[64];
    std::snprintf(text, sizeof text, "%2.2f", static_cast<double>(m_value));
    return text;
}

void CValueDisplay::draw(CPainter& painter)
{
    setDirty(false);
    if (m_style & kStyleNoDraw)
        return;
    drawBoxAndText(painter, displayText());
}

void CValueDisplay::drawBoxAndText(CPainter& painter, const std::string& text)
{
    const CRect& r = m_bounds;
    if (m_background) {
        drawImage(painter, m_background, m_backgroundOffset);
    } else if (!m_transparent) {
        painter.setFillColor(m_backgroundColor);
        painter.fillRect(r);
        if (!(m_style & (kStyleBevelIn | kStyleBevelOut))) {
            painter.setLineWidth(1);
            painter.setLineStyle(ELineStyle::Solid);
            painter.setLineColor(m_borderColor);
            painter.drawRect(r);
        }
    }
    if (m_style & kStyleBevelIn)
        painter.drawBevel(r, m_backgroundColor, m_borderColor);
    else if (m_style & kStyleBevelOut)
        painter.drawBevel(r, m_borderColor, m_backgroundColor);
    if ((m_style & kStyleNoText) || text.empty())
        return;
    painter.setFont(m_fontId, 0, m_textStyle);
    if (m_style & kStyleShadowText) {
        painter.setTextColor(m_shadowColor);
        painter.drawString(text, r.offset(1, 1), false, m_align);
    }
    painter.setTextColor(m_textColor);
    painter.setFillColor(m_backgroundColor);
    painter.drawString(text, r, !m_textTransparent, m_align);
}

} // namespace quorvix
