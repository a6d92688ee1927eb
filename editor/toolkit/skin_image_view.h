// An image of the skin shown as it is; it takes no mouse.
#pragma once

#include "editor/toolkit/value_control.h"

namespace quorvix {

class CSkinImageView : public CValueControl {
public:
    CSkinImageView(CPoint origin, CSkinImage* image, bool transparent = false);
    void draw(CPainter& painter) override;
};

} // namespace quorvix
