// Waiting on the mouse inside a modal interaction (toolkit-internal).
#pragma once

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/painter.h"

namespace quorvix {

constexpr int kAnyMouseButton = kLeftButton | kMiddleButton | kRightButton;

// Polls (serving the host) until the buttons are all up, or down, as asked; false when the
// window went away meanwhile.
inline bool waitForButtons(CEditorFrame& frame, CPainter& painter, bool down)
{
    while (((painter.buttonState() & kAnyMouseButton) != 0) != down) {
        if (!frame.hasWindow() || !frame.isOpen())
            return false;
        frame.serviceIdle();
    }
    return true;
}

} // namespace quorvix
