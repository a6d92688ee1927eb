#include "editor/toolkit/skin_toggle.h"

#include "editor/toolkit/skin_image.h"

namespace quorvix {

CSkinToggle::CSkinToggle(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* image, bool transparent)
    : CToggleButton(CRect::sized(origin.x, origin.y, image ? image->width() : 0, image ? image->height() / 2 : 0),
                    listener, tag, image)
{
    setTransparent(transparent);
}

} // namespace quorvix
