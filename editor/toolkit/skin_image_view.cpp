#include "editor/toolkit/skin_image_view.h"

#include "editor/toolkit/skin_image.h"

namespace quorvix {

CSkinImageView::CSkinImageView(CPoint origin, CSkinImage* image, bool transparent)
    : CValueControl(CRect::sized(origin.x, origin.y, image ? image->width() : 0, image ? image->height() : 0), nullptr,
                    -1, image)
{
    setClickable(false);
    setTransparent(transparent);
}

void CSkinImageView::draw(CPainter& painter)
{
    drawImage(painter, m_background, {});
    setDirty(false);
}

} // namespace quorvix
