// The host-facing side of the editor: rectangle, parent window, idle and the idle service.
#pragma once

#include <atomic>
#include <cstdint>

namespace quorvix {

class CEffectBase;

// Same layout as the interface's ERect.
struct CEditorRect {
    int16_t top = 0;
    int16_t left = 0;
    int16_t bottom = 0;
    int16_t right = 0;
};

struct CKeyCode {
    int32_t character = 0;
    uint8_t virt = 0;
    uint8_t modifier = 0;
};

// The knob mode the host asks for (2 = linear); process-wide, 0 after start.
int hostKnobMode();

class CEditorBase {
public:
    // Attaches itself to the effect.
    CEditorBase(CEffectBase* effect, int width, int height);
    virtual ~CEditorBase();

    CEditorBase(const CEditorBase&) = delete;
    CEditorBase& operator=(const CEditorBase&) = delete;

    virtual bool getRect(CEditorRect** rect);
    virtual bool open(void* parent);
    virtual void close();
    virtual void idle();
    virtual void update() {}
    virtual void postUpdate() { m_updatePending = true; }
    virtual int onKeyDown(const CKeyCode& key);
    virtual int onKeyUp(const CKeyCode& key);
    virtual bool setKnobMode(int mode);
    virtual bool onWheel(float distance);
    virtual void setParameter(int index, float value);
    virtual void draw() {}
    // Keeps the host alive during long editor loops such as a control drag.
    virtual void serviceIdle();

    bool isOpen() const { return m_parent != nullptr; }
    bool updatePending() const { return m_updatePending; }

protected:
    // The frame redraws what changed; nothing while there is no frame.
    virtual void redrawFrame() {}

    CEffectBase* m_effect;
    void* m_parent = nullptr;
    // Set from any thread (parameter changes, program changes), taken by the idle.
    std::atomic<bool> m_updatePending {false};
    CEditorRect m_rect;
    bool m_inIdle = false;
    uint64_t m_nextIdleDue = 0;
};

} // namespace quorvix
