// A line of text on the panel: 12 pixels high, font 4, no box.
#pragma once

#include "editor/toolkit/painter.h"
#include "editor/toolkit/value_display.h"

namespace quorvix {

class CSkinLabel : public CValueDisplay {
public:
    static constexpr int kHeight = 12;
    CSkinLabel(CPoint origin, int width, const std::string& text, CColor color, int align = kAlignCenter);

    void setText(const std::string& text);
    const std::string& text() const { return m_text; }
    std::string displayText() const override { return m_text; }

private:
    std::string m_text;
};

} // namespace quorvix
