// The editor's knob: a film strip of the skin's knob map, following the mouse in the way the
// "Knob-Mode" setting chooses.
#pragma once

#include "editor/toolkit/filmstrip_knob.h"

namespace quorvix {

class CSkinKnob : public CFilmstripKnob {
public:
    // The strip holds imageCount square frames as wide as the image; see-through when transparent.
    CSkinKnob(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* strip, int imageCount,
              bool transparent);
    void onMouseDown(CPainter& painter, CPoint where) override;

private:
    // Vertical dragging: up increases, 0.01 per pixel, 0.05 with shift, a fifth of that with control.
    void dragVertical(CPainter& painter, CPoint where);
};

} // namespace quorvix
