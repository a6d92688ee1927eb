// A kick button from a skin image holding the released look above the pressed one.
#pragma once

#include "editor/toolkit/momentary_button.h"

namespace quorvix {

class CSkinButton : public CMomentaryButton {
public:
    CSkinButton(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* image, bool transparent = false);
};

} // namespace quorvix
