// A knob drawn as one of a strip of pictures stacked vertically in its image.
#pragma once

#include "editor/toolkit/rotary_knob.h"

namespace quorvix {

class CFilmstripKnob : public CRotaryKnob {
public:
    // imageCount pictures of imageHeight pixels; inverse shows them in reverse order.
    CFilmstripKnob(const CRect& size, CValueListener* listener, int32_t tag, int imageCount, int imageHeight,
                   CSkinImage* background, CPoint offset = {}, bool inverse = false);
    void draw(CPainter& painter) override;
    // The picture the value shows: 0 at 0.0 and the last at 1.0.
    int imageIndex() const;
    int imageCount() const { return m_imageCount; }

protected:
    int m_imageCount;
    int m_imageHeight;
    bool m_inverse;
};

} // namespace quorvix
