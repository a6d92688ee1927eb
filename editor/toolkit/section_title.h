// A vertical section title: a 12-pixel column with its letters one under the other, on the
// colour of the page; a click can set another control to the title's value.
#pragma once

#include "editor/toolkit/value_display.h"

namespace quorvix {

class CSectionTitle : public CValueDisplay {
public:
    static constexpr int kWidth = 12;
    // small: font 6 instead of font 4, for long titles.
    CSectionTitle(CPoint origin, int height, const std::string& title, CColor background, CColor text,
                  bool small = false);

    void draw(CPainter& painter) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    // A click gives the target the title's value and tells the target's listener.
    void setClickTarget(CValueControl* target, float value);
    std::string displayText() const override { return m_title; }

private:
    std::string m_title;
    CValueControl* m_target = nullptr;
    float m_targetValue = 0.0f;
};

} // namespace quorvix
