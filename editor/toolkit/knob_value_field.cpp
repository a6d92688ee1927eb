#include "editor/toolkit/knob_value_field.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/rotary_knob.h"
#include "editor/toolkit/skin_text_field.h"
#include "editor/toolkit/typed_number.h"

#include <cstdio>

namespace quorvix {

namespace {

constexpr float kShownMin = 0.001f;
constexpr float kShownMax = 0.999f;

std::string defaultText(float value)
{
    if (value > 0.0f && value < kShownMin)
        value = kShownMin;
    else if (value > kShownMax && value < 1.0f)
        value = kShownMax;
    char text[32];
    std::snprintf(text, sizeof text, "%1.3f", static_cast<double>(value));
    return text;
}

bool defaultParser(const std::string& text, float& value)
{
    double number = 0.0;
    if (!leadingNumber(text, number))
        return false;
    value = static_cast<float>(number);
    return true;
}

CRect fieldRect(const CRotaryKnob* knob)
{
    const CRect k = knob->getBounds();
    const int centre = (k.left + k.right) / 2;
    return CRect::sized(centre - CKnobValueField::kWidth / 2, k.bottom, CKnobValueField::kWidth, CKnobValueField::kHeight);
}

} // namespace

CKnobValueField::CKnobValueField(CRotaryKnob* knob, CColor background, CColor text)
    : CValueDisplay(fieldRect(knob), nullptr, knob->getTag()), m_knob(knob), m_display(defaultText),
      m_parser(defaultParser)
{
    m_knob->addReference();
    setFont(4);
    setBackgroundColor(background);
    setTextColor(text);
}

CKnobValueField::~CKnobValueField() { m_knob->release(); }

void CKnobValueField::setDisplayFormatter(CValueFormatter formatter)
{
    m_display = formatter ? std::move(formatter) : CValueFormatter(defaultText);
    setDirty(true);
}

void CKnobValueField::setEntryParser(CEntryParser parser) { m_parser = parser ? std::move(parser) : CEntryParser(defaultParser); }

void CKnobValueField::setEntryOptions(bool commaAsPoint, bool arithmetic)
{
    m_commaAsPoint = commaAsPoint;
    m_arithmetic = arithmetic;
}

std::string CKnobValueField::displayText() const { return m_display(m_knob->getValue()); }

bool CKnobValueField::isDirty() const { return CValueDisplay::isDirty() || m_knob->getValue() != m_drawnValue; }

void CKnobValueField::draw(CPainter& painter)
{
    m_value = m_knob->getValue();
    setDirty(false);
    const CRect& r = m_bounds;
    painter.setFillColor(m_backgroundColor);
    painter.fillRect(r);
    painter.drawBevel(r, m_backgroundColor.darker(), m_backgroundColor.lighter());
    painter.setFont(m_fontId);
    painter.setTextColor(m_mouseEnabled ? m_textColor : CColor::average(m_textColor, m_backgroundColor));
    painter.drawString(displayText(), r, false, kAlignCenter);
}

void CKnobValueField::onMouseDown(CPainter& painter, CPoint)
{
    if (!m_mouseEnabled || !(painter.buttonState() & kLeftButton) || !m_frame || m_entry || !isDoubleClick())
        return;
    m_entryStartText = displayText();
    m_entry = new CSkinTextField(m_bounds.left, m_bounds.top, m_bounds.right, nullptr, m_tag, m_entryStartText,
                                 m_backgroundColor, m_textColor);
    m_entry->setParent(this);
    if (!m_frame->addView(m_entry)) {
        m_entry->release();
        m_entry = nullptr;
        return;
    }
    m_frame->setFocusedView(m_entry);
}

bool CKnobValueField::readEntry(const std::string& text, float& value) const
{
    float parsed = 0.0f;
    if (!m_parser(prepareTypedText(text, m_commaAsPoint, m_arithmetic), parsed))
        return false;
    value = std::clamp(parsed, 0.0f, 1.0f);
    return true;
}

int CKnobValueField::notify(CWidget* sender, const std::string& message)
{
    if (sender != m_entry || message != kLooseFocus)
        return 0;
    CSkinTextField* entry = m_entry;
    m_entry = nullptr;
    float value = 0.0f;
    // Closing the entry unchanged must not round the knob to the digits shown.
    const bool typed = entry->getText() != m_entryStartText && readEntry(entry->getText(), value);
    if (m_frame)
        m_frame->removeView(entry, true);
    setDirty(true);
    if (typed) {
        m_knob->setValue(value);
        if (m_knob->listener())
            m_knob->listener()->valueChanged(nullptr, m_knob);
    }
    return 1;
}

} // namespace quorvix
