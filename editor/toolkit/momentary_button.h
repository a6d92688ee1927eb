// A button that is 1 only while it is held down with the pointer over it (a kick button).
#pragma once

#include "editor/toolkit/value_control.h"

namespace quorvix {

class CMomentaryButton : public CValueControl {
public:
    // stateHeight: pixels between the released and the pressed look in the image.
    CMomentaryButton(const CRect& size, CValueListener* listener, int32_t tag, int stateHeight,
                     CSkinImage* background, CPoint offset = {});
    void draw(CPainter& painter) override;
    void onMouseDown(CPainter& painter, CPoint where) override;

protected:
    int m_stateHeight;
};

} // namespace quorvix
