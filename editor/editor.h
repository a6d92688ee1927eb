// The Quorvix editor window.
#pragma once

#include "editor/toolkit/frame_owner.h"
#include "plugin/editor_base.h"

#include <memory>

namespace quorvix {

class CEditorFrame;
class CSkin;

// Size of the skin's background bitmap.
constexpr int kEditorWidth = 640;
constexpr int kEditorHeight = 510;

class CEditor : public CEditorBase, public CFrameOwner {
public:
    explicit CEditor(CEffectBase* effect);
    ~CEditor() override;

    // Opens the frame inside the host's window with the skin's page background.
    bool open(void* parent) override;
    void close() override;
    // The host's editor idle: the window's events, then what became dirty.
    void idle() override;
    int onKeyDown(const CKeyCode& key) override;
    int onKeyUp(const CKeyCode& key) override;
    bool onWheel(float distance) override;

    void serviceIdle() override { CEditorBase::serviceIdle(); }
    void beginParameterEdit(int tag) override;
    void endParameterEdit(int tag) override;
    int knobMode() const override { return hostKnobMode(); }
    EKnobDrag knobDrag() const override { return EKnobDrag::Linear; }

private:
    std::unique_ptr<CEditorFrame> m_frame;
    std::shared_ptr<const CSkin> m_skin;
};

} // namespace quorvix
