#include "editor/toolkit/skin_button.h"

#include "editor/toolkit/skin_image.h"

namespace quorvix {

namespace {

int halfHeight(const CSkinImage* image) { return image ? image->height() / 2 : 0; }

} // namespace

CSkinButton::CSkinButton(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* image, bool transparent)
    : CMomentaryButton(CRect::sized(origin.x, origin.y, image ? image->width() : 0, halfHeight(image)), listener, tag,
                       halfHeight(image), image)
{
    setTransparent(transparent);
}

} // namespace quorvix
