// The Quorvix editor: eight pages of the selected timbre's controls, switched by a navigation bar.
#pragma once

#include "editor/editor_lock.h"
#include "editor/toolkit/frame_owner.h"
#include "editor/toolkit/value_control.h"
#include "plugin/editor_base.h"
#include "presets/parameter_table.h"

#include <array>
#include <atomic>
#include <memory>

namespace quorvix {

class CEditorFrame;
class CEditorPanels;
class CPageSet;
class CSkin;
class CSynthPlugin;

// Size of the skin's background bitmap.
constexpr int kEditorWidth = 640;
constexpr int kEditorHeight = 510;

class CEditor : public CEditorBase, public CFrameOwner, public CValueListener {
public:
    explicit CEditor(CEffectBase* effect);
    ~CEditor() override;

    // Builds the pages inside the host's window and shows the current page.
    bool open(void* parent) override;
    // The panels keep their state; the current page stays for the next opening.
    void close() override;
    // The window's events, then the values that arrived since, then what became dirty.
    void idle() override;
    // Everything again from the plug-in (after program, timbre and settings changes).
    void update() override;
    // From any thread, also the audio thread: never waits and never allocates. The value is shown
    // at the next idle.
    void setParameter(int index, float value) override;
    int onKeyDown(const CKeyCode& key) override;
    int onKeyUp(const CKeyCode& key) override;
    bool onWheel(float distance) override;

    void valueChanged(CPainter* painter, CValueControl* control) override;

    void serviceIdle() override { CEditorBase::serviceIdle(); }
    void beginParameterEdit(int tag) override;
    void endParameterEdit(int tag) override;
    int knobMode() const override { return hostKnobMode(); }
    EKnobDrag knobDrag() const override;

private:
    // Numbers 0..199 of the selected timbre, then the commands 1000..1033.
    static constexpr int kPendingCount = kParametersPerTimbre + kLastCommand - kFirstCommand + 1;
    struct CPending {
        std::atomic<float> value {0.0f};
        std::atomic<bool> set {false};
    };

    void closeLocked();
    void showPage(int page);
    // Sets every control of the number and what depends on it; marks them for drawing.
    void showValue(int number, float value);
    void applyPending();
    void refreshAll();
    void relabelEffect(int unit, float typeValue);
    // A command the plug-in acts on, then everything again from the plug-in.
    void runCommand(int number, float value);
    int hostIndex(int tag) const;
    CSynthPlugin* plugin() const;

    CEditorLock m_lock;
    std::unique_ptr<CEditorFrame> m_frame;
    std::unique_ptr<CPageSet> m_pages;
    std::unique_ptr<CEditorPanels> m_panels;
    std::shared_ptr<const CSkin> m_skin;
    int m_page = 1;
    std::array<CPending, kPendingCount> m_pending;
    std::atomic<bool> m_anyPending {false};
};

} // namespace quorvix
