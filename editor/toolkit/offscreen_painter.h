// A painter on an image instead of the window: for composing a view before it is shown.
#pragma once

#include "editor/toolkit/painter.h"

namespace quorvix {

class COffscreenPainter : public CPainter {
public:
    // An image of its own, filled with the colour.
    COffscreenPainter(CEditorFrame* frame, int width = 20, int height = 20, CColor background = kBlack);
    // Draws into the image, or into a copy of it (which it then owns).
    COffscreenPainter(CPainter& painter, CSkinImage* image, bool drawIntoCopy);
    ~COffscreenPainter() override;

    // Copies the destination rectangle's size from the source point of the image to the painter.
    void copyTo(CPainter& destination, const CRect& destinationRect, CPoint source = {}) const;

    CSkinImage* image() const { return m_image; }
    int width() const;
    int height() const;

private:
    // Takes over one reference of the image.
    COffscreenPainter(CEditorFrame* frame, CSkinImage* image);

    CSkinImage* m_image;
};

} // namespace quorvix
