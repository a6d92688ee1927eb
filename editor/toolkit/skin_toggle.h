// An on/off switch from the skin's on/off-button image (off above, on below).
#pragma once

#include "editor/toolkit/toggle_button.h"

namespace quorvix {

class CSkinToggle : public CToggleButton {
public:
    CSkinToggle(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* image, bool transparent = false);
};

} // namespace quorvix
