#include "editor/toolkit/offscreen_painter.h"

#include "editor/toolkit/skin_image.h"

namespace quorvix {

namespace {

CSkinImage* filledImage(int width, int height, CColor color)
{
    const uint32_t packed = (uint32_t(color.red) << 16) | (uint32_t(color.green) << 8) | color.blue;
    return new CSkinImage(width, height, std::vector<uint32_t>(size_t(std::max(width, 0)) * size_t(std::max(height, 0)), packed));
}

CSkinImage* targetImage(CSkinImage* image, bool drawIntoCopy)
{
    if (drawIntoCopy)
        return new CSkinImage(*image);
    image->addReference();
    return image;
}

} // namespace

COffscreenPainter::COffscreenPainter(CEditorFrame* frame, int width, int height, CColor background)
    : COffscreenPainter(frame, filledImage(width, height, background))
{
}

COffscreenPainter::COffscreenPainter(CPainter& painter, CSkinImage* image, bool drawIntoCopy)
    : COffscreenPainter(painter.frame(), targetImage(image, drawIntoCopy))
{
}

COffscreenPainter::COffscreenPainter(CEditorFrame* frame, CSkinImage* image)
    : CPainter(frame, image->surface(), image->width(), image->height()), m_image(image)
{
    setClipRect({0, 0, image->width(), image->height()});
}

COffscreenPainter::~COffscreenPainter()
{
    m_image->contentChanged();
    m_image->release();
}

void COffscreenPainter::copyTo(CPainter& destination, const CRect& destinationRect, CPoint source) const
{
    m_image->draw(destination, destinationRect, source);
}

int COffscreenPainter::width() const { return m_image->width(); }

int COffscreenPainter::height() const { return m_image->height(); }

} // namespace quorvix
