// A box that shows a value as text, with the colours, frame and font its style asks for.
#pragma once

#include "editor/toolkit/value_control.h"

#include <functional>
#include <string>

namespace quorvix {

// Style bits of the displays and the controls built on them.
enum EDisplayStyle : int {
    kStyleMultipleCheck = 0x1,
    kStyleShadowText = 0x4,
    kStyleBevelIn = 0x80,
    kStyleBevelOut = 0x100,
    kStylePopupAbove = 0x200,
    kStyleCheckCurrent = 0x400,
    kStyleNoText = 0x800,
    kStyleNoDraw = 0x1000,
    kStyleEditOnDoubleClick = 0x2000,
};

class CValueDisplay : public CValueControl {
public:
    using CValueFormatter = std::function<std::string(float value)>;

    CValueDisplay(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background = nullptr,
                  int style = 0);
    void draw(CPainter& painter) override;

    virtual void setFont(int fontId);
    virtual void setTextColor(CColor color);
    virtual void setBackgroundColor(CColor color);
    virtual void setBorderColor(CColor color);
    virtual void setShadowColor(CColor color);
    virtual void setAlignment(int align);
    virtual void setValueFormatter(CValueFormatter formatter) { m_formatter = std::move(formatter); }
    virtual void setStyle(int style);
    virtual void setTextStyle(int fontStyle);
    // Transparent text leaves the box behind the glyphs as it is.
    virtual void setTextTransparent(bool transparent) { m_textTransparent = transparent; }

    int fontId() const { return m_fontId; }
    int style() const { return m_style; }
    int alignment() const { return m_align; }
    CColor textColor() const { return m_textColor; }
    CColor backgroundColor() const { return m_backgroundColor; }
    // The text the display shows now.
    virtual std::string displayText() const;

protected:
    // The box, its frame and the text, as every display draws them.
    void drawBoxAndText(CPainter& painter, const std::string& text);

    CValueFormatter m_formatter;
    int m_fontId = 3;
    int m_textStyle = 0;
    CColor m_textColor = kWhite;
    CColor m_backgroundColor = kBlack;
    CColor m_borderColor = kBlack;
    CColor m_shadowColor = kRed;
    int m_align = 1;
    bool m_textTransparent = true;
    int m_style = 0;
};

} // namespace quorvix
