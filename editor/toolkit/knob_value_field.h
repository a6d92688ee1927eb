// The value of a knob as text in a sunken box under it; a double click lets the user type a value.
#pragma once

#include "editor/toolkit/value_display.h"

#include <functional>

namespace quorvix {

class CRotaryKnob;
class CSkinTextField;

class CKnobValueField : public CValueDisplay {
public:
    using CEntryParser = std::function<bool(const std::string& text, float& value)>;
    static constexpr int kWidth = 52;
    static constexpr int kHeight = 15;

    // Centred under the knob; keeps a reference to it.
    CKnobValueField(CRotaryKnob* knob, CColor background, CColor text);
    ~CKnobValueField() override;

    void draw(CPainter& painter) override;
    bool isDirty() const override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    int notify(CWidget* sender, const std::string& message) override;

    // The default shows "%1.3f", kept inside 0.001..0.999 away from the ends.
    void setDisplayFormatter(CValueFormatter formatter);
    // The default reads the leading number.
    void setEntryParser(CEntryParser parser);
    void setEntryOptions(bool commaAsPoint, bool arithmetic);
    std::string displayText() const override;
    // Typed text as the knob takes it: prepared, parsed, limited to 0..1; false when it means nothing.
    bool readEntry(const std::string& text, float& value) const;
    CRotaryKnob* knob() const { return m_knob; }
    bool isEditing() const { return m_entry != nullptr; }

private:
    CRotaryKnob* m_knob;
    CValueFormatter m_display;
    CEntryParser m_parser;
    bool m_commaAsPoint = false;
    bool m_arithmetic = false;
    CSkinTextField* m_entry = nullptr;
    std::string m_entryStartText;
};

} // namespace quorvix
