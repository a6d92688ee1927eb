// An on/off switch: the background holds the off state above the on state.
#pragma once

#include "editor/toolkit/value_control.h"

namespace quorvix {

class CToggleButton : public CValueControl {
public:
    CToggleButton(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background,
                  CPoint offset = {});
    void draw(CPainter& painter) override;
    // Left button: flips between 0 and 1.
    void onMouseDown(CPainter& painter, CPoint where) override;
};

} // namespace quorvix
