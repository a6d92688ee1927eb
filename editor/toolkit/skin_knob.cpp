#include "editor/toolkit/skin_knob.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/frame_owner.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

namespace quorvix {

namespace {

constexpr float kStepPerPixel = 0.01f;
constexpr float kCoarseStepPerPixel = 0.05f;
constexpr float kFineFactor = 0.2f;

int frameSize(const CSkinImage* strip) { return strip ? strip->width() : 0; }

} // namespace

CSkinKnob::CSkinKnob(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* strip, int imageCount,
                     bool transparent)
    : CFilmstripKnob(CRect::sized(origin.x, origin.y, frameSize(strip), frameSize(strip)), listener, tag, imageCount,
                     frameSize(strip), strip)
{
    setTransparent(transparent);
}

void CSkinKnob::onMouseDown(CPainter& painter, CPoint where)
{
    const CFrameOwner* owner = getEditor();
    if (!owner || owner->knobDrag() == EKnobDrag::Circular) {
        CRotaryKnob::onMouseDown(painter, where);
        return;
    }
    const int buttons = painter.buttonState();
    if (!m_mouseEnabled || !(buttons & kLeftButton))
        return;
    if (buttons & kAlt) {
        m_value = m_defaultValue;
        tellListener(&painter);
        setDirty(true);
        return;
    }
    // Control makes the steps finer here, so only a double click resets.
    if (resetOnClick(painter, buttons, false))
        return;
    dragVertical(painter, where);
}

void CSkinKnob::dragVertical(CPainter& painter, CPoint where)
{
    // Hosts record automation as one gesture only between the edit calls.
    m_frame->beginParameterEdit(m_tag);
    int lastY = where.y;
    for (int buttons = painter.buttonState(); buttons & kLeftButton; buttons = painter.buttonState()) {
        const int y = painter.cursorPosition().y;
        const int up = lastY - y;
        if (up != 0) {
            lastY = y;
            float step = buttons & kShift ? kCoarseStepPerPixel : kStepPerPixel;
            if (buttons & kControl)
                step *= kFineFactor;
            setValue(std::clamp(m_value + static_cast<float>(up) * step, 0.0f, 1.0f));
            tellListener(&painter);
        }
        serviceIdle();
    }
    m_frame->endParameterEdit(m_tag);
}

} // namespace quorvix
