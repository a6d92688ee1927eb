// A knob turned with the mouse, the wheel or the arrow keys; drawn as an image with a handle.
#pragma once

#include "editor/toolkit/value_control.h"

namespace quorvix {

class CRotaryKnob : public CValueControl {
public:
    // The range runs clockwise through 270°, from the lower left to the lower right.
    CRotaryKnob(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background = nullptr,
                CSkinImage* handle = nullptr, CPoint offset = {});
    ~CRotaryKnob() override;

    void draw(CPainter& painter) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    bool onWheel(CPainter& painter, CPoint where, float distance) override;
    int onKeyDown(const CKeyEvent& key) override;
    void setMin(float v) override;
    void setMax(float v) override;
    void setBounds(const CRect& rect) override;

    virtual void paintHandle(CPainter& painter);
    // Angles in radians, counter-clockwise from the right.
    virtual void setArcStart(double radians);
    virtual double getArcStart() const { return m_startAngle; }
    // Negative runs clockwise.
    virtual void setArcSpan(double radians);
    virtual double getArcSpan() const { return m_rangeAngle; }
    virtual void setHandleInset(double pixels) { m_inset = pixels; }
    virtual void setHandleColor(CColor color) { m_handleColor = color; }
    virtual void setHandleShadowColor(CColor color) { m_shadowColor = color; }
    virtual void setHandleImage(CSkinImage* image);
    // Relative to the view's top-left.
    virtual CPoint handlePosition() const;
    virtual float valueAtPoint(CPoint relative) const;
    // How much finer a linear drag with shift moves.
    virtual void setFineFactor(float factor) { m_fineFactor = factor; }
    virtual float getFineFactor() const { return m_fineFactor; }

protected:
    // The default value on a double click, or on a click with control alone when that counts;
    // true when it applied.
    bool resetOnClick(CPainter& painter, int buttons, bool controlClickResets = true);
    // Follows the mouse until the left button is up, between the host's edit gestures.
    void dragCircular(CPainter& painter, CPoint where);
    void dragLinear(CPainter& painter, CPoint where);

private:
    void updateCoefficients();

    CColor m_handleColor = kWhite;
    CColor m_shadowColor = kGrey;
    CSkinImage* m_handleImage = nullptr;
    double m_inset = 3.0;
    double m_startAngle;
    double m_rangeAngle;
    double m_radius;
    float m_fineFactor = 1.5f;
    double m_a = 0.0;
    double m_b = 0.0;
    double m_halfDeadZone = 0.0;
};

} // namespace quorvix
