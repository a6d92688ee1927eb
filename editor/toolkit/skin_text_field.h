// The text entry that opens over a value field: a sunken box 19 pixels high.
#pragma once

#include "editor/toolkit/text_field.h"

namespace quorvix {

class CSkinTextField : public CTextField {
public:
    static constexpr int kHeight = 19;
    // From one pixel above top, as wide as left..right.
    CSkinTextField(int left, int top, int right, CValueListener* listener, int32_t tag, const std::string& text,
                   CColor background, CColor textColor);
};

} // namespace quorvix
