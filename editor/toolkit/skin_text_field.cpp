#include "editor/toolkit/skin_text_field.h"

namespace quorvix {

CSkinTextField::CSkinTextField(int left, int top, int right, CValueListener* listener, int32_t tag,
                               const std::string& text, CColor background, CColor textColor)
    : CTextField({left, top - 1, right, top - 1 + kHeight}, listener, tag, text, nullptr, kStyleBevelIn)
{
    setFont(4);
    setBackgroundColor(background);
    setBorderColor(background.lighter());
    setTextColor(textColor);
}

} // namespace quorvix
