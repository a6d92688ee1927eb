#include "editor/toolkit/rotary_knob.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/frame_owner.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

#include <cmath>
#include <numbers>

namespace quorvix {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDefaultStart = 5.0 * kPi / 4.0;
constexpr double kDefaultRange = -3.0 * kPi / 2.0;
constexpr double kDefaultInset = 3.0;
// Pixels of a linear drag (right plus up) for the whole range.
constexpr float kLinearSpan = 200.0f;
constexpr float kFineWheel = 0.1f;

} // namespace

CRotaryKnob::CRotaryKnob(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background,
                         CSkinImage* handle, CPoint offset)
    : CValueControl(size, listener, tag, background), m_startAngle(kDefaultStart), m_rangeAngle(kDefaultRange),
      m_radius(size.width() / 2.0)
{
    m_backgroundOffset = offset;
    setHandleImage(handle);
    updateCoefficients();
}

CRotaryKnob::~CRotaryKnob()
{
    if (m_handleImage)
        m_handleImage->release();
}

void CRotaryKnob::setHandleImage(CSkinImage* image)
{
    if (image)
        image->addReference();
    if (m_handleImage)
        m_handleImage->release();
    m_handleImage = image;
    m_inset = image ? image->width() / 2.0 + 2.5 : kDefaultInset;
}

void CRotaryKnob::updateCoefficients()
{
    m_a = (m_max - m_min) / m_rangeAngle;
    m_b = m_min - m_a * m_startAngle;
    m_halfDeadZone = (2.0 * kPi - std::fabs(m_rangeAngle)) / 2.0;
}

void CRotaryKnob::setMin(float v)
{
    CValueControl::setMin(v);
    updateCoefficients();
}

void CRotaryKnob::setMax(float v)
{
    CValueControl::setMax(v);
    updateCoefficients();
}

void CRotaryKnob::setArcStart(double radians)
{
    m_startAngle = radians;
    updateCoefficients();
}

void CRotaryKnob::setArcSpan(double radians)
{
    if (radians != 0.0)
        m_rangeAngle = radians;
    updateCoefficients();
}

void CRotaryKnob::setBounds(const CRect& rect)
{
    CValueControl::setBounds(rect);
    m_radius = rect.width() / 2.0;
}

void CRotaryKnob::draw(CPainter& painter)
{
    drawImage(painter, m_background, m_backgroundOffset);
    paintHandle(painter);
    setDirty(false);
}

void CRotaryKnob::paintHandle(CPainter& painter)
{
    const CPoint p = handlePosition();
    if (m_handleImage) {
        const int w = m_handleImage->width(), h = m_handleImage->height();
        m_handleImage->drawKeyed(painter, CRect::sized(m_bounds.left + p.x - w / 2, m_bounds.top + p.y - h / 2, w, h));
        return;
    }
    const int r = static_cast<int>(m_radius);
    CPoint handle = p.offset(m_bounds.left - 1, m_bounds.top);
    CPoint centre {m_bounds.left + r - 1, m_bounds.top + m_bounds.height() / 2};
    painter.setLineColor(m_shadowColor);
    painter.moveTo(handle);
    painter.lineTo(centre);
    painter.setLineColor(m_handleColor);
    painter.moveTo(handle.offset(1, -1));
    painter.lineTo(centre.offset(1, -1));
}

CPoint CRotaryKnob::handlePosition() const
{
    const double angle = (m_value - m_b) / m_a;
    const double reach = m_radius - m_inset;
    return {static_cast<int32_t>(m_radius + std::cos(angle) * reach + 0.5),
            static_cast<int32_t>(m_radius - std::sin(angle) * reach + 0.5)};
}

float CRotaryKnob::valueAtPoint(CPoint relative) const
{
    double alpha = std::atan2(m_radius - relative.y, relative.x - m_radius);
    if (alpha < 0.0)
        alpha += 2.0 * kPi;
    double r = alpha - m_startAngle; // −2π..2π
    // Measured from the start in the direction of the range.
    if (m_rangeAngle < 0.0 && r > 0.0)
        r -= 2.0 * kPi;
    if (m_rangeAngle > 0.0 && r < 0.0)
        r += 2.0 * kPi;
    if (std::fabs(r) <= std::fabs(m_rangeAngle))
        return static_cast<float>(m_min + (m_max - m_min) * (r / m_rangeAngle));
    // The dead zone past the end: its first half belongs to the end, its second to the start.
    return std::fabs(r) - std::fabs(m_rangeAngle) <= m_halfDeadZone ? m_max : m_min;
}

bool CRotaryKnob::resetOnClick(CPainter& painter, int buttons, bool controlClickResets)
{
    const bool controlClick = controlClickResets && (buttons & (kLeftButton | kMiddleButton | kRightButton | kShift | kControl | kAlt)) ==
                              (kLeftButton | kControl);
    if (!isDoubleClick() && !controlClick)
        return false;
    m_value = m_defaultValue;
    if (isDirty())
        tellListener(&painter);
    return true;
}

void CRotaryKnob::onMouseDown(CPainter& painter, CPoint where)
{
    const int buttons = painter.buttonState();
    if (!m_mouseEnabled || !(buttons & kLeftButton) || !m_frame)
        return;
    if (resetOnClick(painter, buttons))
        return;
    const bool hostLinear = m_frame->knobMode() == kHostLinearKnobMode;
    const bool alt = (buttons & kAlt) != 0;
    if (hostLinear != alt)
        dragLinear(painter, where);
    else
        dragCircular(painter, where);
}

void CRotaryKnob::dragCircular(CPainter& painter, CPoint where)
{
    const CPoint topLeft = m_bounds.topLeft();
    float previous = valueAtPoint(where.offset(-topLeft.x, -topLeft.y));
    const float halfRange = (m_max - m_min) * 0.5f;
    m_frame->beginParameterEdit(m_tag);
    m_frame->setFocusedView(this);
    CPoint last {INT32_MIN, INT32_MIN};
    for (int buttons = painter.buttonState(); buttons & kLeftButton; buttons = painter.buttonState()) {
        if (where != last) {
            last = where;
            const float v = valueAtPoint(where.offset(-topLeft.x, -topLeft.y));
            // Across the dead zone the knob stays at the end it came from instead of jumping.
            if (v - previous > halfRange)
                m_value = m_min;
            else if (previous - v > halfRange)
                m_value = m_max;
            else
                m_value = previous = v;
            if (isDirty())
                tellListener(&painter);
        }
        serviceIdle();
        where = painter.cursorPosition();
    }
    m_frame->endParameterEdit(m_tag);
}

void CRotaryKnob::dragLinear(CPainter& painter, CPoint where)
{
    int buttons = painter.buttonState();
    const CPoint start = where;
    float span = buttons & kShift ? kLinearSpan * m_fineFactor : kLinearSpan;
    float startValue = m_value;
    m_frame->beginParameterEdit(m_tag);
    m_frame->setFocusedView(this);
    CPoint last {INT32_MIN, INT32_MIN};
    for (; buttons & kLeftButton; buttons = painter.buttonState()) {
        if (where != last) {
            last = where;
            const int moved = (where.x - start.x) + (start.y - where.y);
            const float newSpan = buttons & kShift ? kLinearSpan * m_fineFactor : kLinearSpan;
            // Shift pressed or let go: the value stays where it is and goes on at the new rate.
            if (newSpan != span) {
                startValue += moved * (m_max - m_min) * (1.0f / span - 1.0f / newSpan);
                span = newSpan;
            }
            m_value = startValue + moved * (m_max - m_min) / span;
            clampValue();
            if (isDirty())
                tellListener(&painter);
        }
        serviceIdle();
        where = painter.cursorPosition();
    }
    m_frame->endParameterEdit(m_tag);
}

bool CRotaryKnob::onWheel(CPainter& painter, CPoint, float distance)
{
    if (!m_mouseEnabled)
        return false;
    const float fine = painter.buttonState() & kShift ? kFineWheel : 1.0f;
    m_value += distance * m_wheelStep * fine;
    clampValue();
    if (isDirty())
        tellListener(&painter);
    return true;
}

int CRotaryKnob::onKeyDown(const CKeyEvent& key)
{
    // Only the knob last dragged takes the arrows, not whichever knob the frame happens to ask.
    if (!m_frame || m_frame->focusedView() != this)
        return -1;
    float direction = 0.0f;
    if (key.virt == kKeyLeft || key.virt == kKeyDown)
        direction = -1.0f;
    else if (key.virt == kKeyUp || key.virt == kKeyRight)
        direction = 1.0f;
    else
        return -1;
    m_value += direction * m_wheelStep * (key.modifiers & kModShift ? kFineWheel : 1.0f);
    clampValue();
    if (isDirty())
        tellListener(nullptr);
    return 1;
}

} // namespace quorvix
