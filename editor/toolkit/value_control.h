// A view with a normalized value and a listener that hears of the user's changes.
#pragma once

#include "editor/toolkit/widget.h"

#include <cstdint>

namespace quorvix {

class CSkinImage;
class CValueControl;

class CValueListener {
public:
    virtual ~CValueListener() = default;
    // After a user action changed the control's value; never for values set by program code.
    virtual void valueChanged(CPainter* painter, CValueControl* control) = 0;
};

// The shortest double-click interval we accept, and the one we use (X has no system setting).
constexpr int32_t kMinDoubleClickMs = 250;
constexpr int32_t kDoubleClickMs = 400;

class CValueControl : public CWidget {
public:
    // Takes a reference of the background image (which may be null).
    CValueControl(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background = nullptr);
    ~CValueControl() override;

    // Dirty while the value differs from the one last drawn, or when marked.
    bool isDirty() const override;
    void setDirty(bool dirty) override;

    virtual void serviceIdle();
    virtual void setValue(float value) { m_value = value; }
    virtual float getValue() const { return m_value; }
    virtual void setMin(float v) { m_min = v; }
    virtual float getMin() const { return m_min; }
    virtual void setMax(float v) { m_max = v; }
    virtual float getMax() const { return m_max; }
    virtual void setDrawnValue(float v) { m_drawnValue = v; }
    virtual float getDrawnValue() const { return m_drawnValue; }
    virtual void setDefaultValue(float v) { m_defaultValue = v; }
    virtual float getDefaultValue() const { return m_defaultValue; }
    virtual void setTag(int32_t tag) { m_tag = tag; }
    int32_t getTag() const { return m_tag; }
    virtual void setBackground(CSkinImage* image);
    virtual CSkinImage* getBackground() const { return m_background; }
    virtual void setImageOffset(CPoint offset) { m_backgroundOffset = offset; }
    // The background offset becomes the view's top-left: for images as large as the frame.
    virtual void alignImageOffset() { m_backgroundOffset = m_bounds.topLeft(); }
    virtual void setWheelStep(float step) { m_wheelStep = step; }
    virtual float getWheelStep() const { return m_wheelStep; }
    virtual void clampValue();

    CValueListener* listener() const { return m_listener; }
    void setListener(CValueListener* listener) { m_listener = listener; }
    int32_t doubleClickInterval() const { return m_doubleClickMs; }

protected:
    // Counts this click, and tells whether it completes a double click.
    bool isDoubleClick();
    void tellListener(CPainter* painter);
    // Draws the background image area of the view's size from offset; see-through images are
    // first laid over the frame's background, so that the previous look never shows through.
    void drawImage(CPainter& painter, CSkinImage* image, CPoint offset) const;

    CValueListener* m_listener;
    int32_t m_tag;
    float m_drawnValue = 1.0f;
    float m_defaultValue = 0.5f;
    float m_value = 0.0f;
    float m_min = 0.0f;
    float m_max = 1.0f;
    float m_wheelStep = 0.1f;
    int32_t m_lastClickTime = -1;
    int32_t m_doubleClickMs = kDoubleClickMs;
    CSkinImage* m_background;
    CPoint m_backgroundOffset;
};

} // namespace quorvix
