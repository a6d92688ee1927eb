// What the GUI tests share: a host window on the test's own X connection, XTest input, an owner
// that records edit gestures and runs a script in every idle poll, and pixel read-back.
#pragma once

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/frame_owner.h"
#include "editor/toolkit/value_control.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qtest {

using namespace quorvix;

// The test's own connection with a mapped top-level window standing in for the host's.
class CHostWindow {
public:
    explicit CHostWindow(int width = 640, int height = 510, int x = 100, int y = 80);
    ~CHostWindow();
    Display* display() const { return m_display; }
    Window window() const { return m_window; }
    CPoint origin() const { return m_origin; }
    int childCount() const;

private:
    Display* m_display;
    Window m_window;
    CPoint m_origin;
};

// Input as a user gives it, through XTest on the test's connection; positions are window-relative.
class CInput {
public:
    explicit CInput(const CHostWindow& host) : m_host(host) {}
    void move(CPoint p) const;
    void moveBy(int dx, int dy) const;
    void press(int button = 1) const;
    void release(int button = 1) const;
    void key(unsigned long keysym, bool down) const;
    void tap(unsigned long keysym) const;
    void type(const std::string& text) const;
    // Holds a modifier key (XK_Shift_L, XK_Control_L, XK_Alt_L) down or lets it go.
    void modifier(unsigned long keysym, bool down) const { key(keysym, down); }

private:
    void sync() const;
    const CHostWindow& m_host;
};

// The editor as the frame sees it: idle polls run the script's next step.
class CTestOwner : public CFrameOwner {
public:
    void serviceIdle() override;
    void beginParameterEdit(int tag) override { edits.push_back("begin " + std::to_string(tag)); }
    void endParameterEdit(int tag) override { edits.push_back("end " + std::to_string(tag)); }
    int knobMode() const override { return hostKnobMode; }
    EKnobDrag knobDrag() const override { return drag; }

    // Each idle poll runs the first remaining step and drops it.
    void script(std::vector<std::function<void()>> steps) { m_steps = std::move(steps); }

    int hostKnobMode = 0;
    EKnobDrag drag = EKnobDrag::Circular;
    std::vector<std::string> edits;
    int idleCalls = 0;

private:
    std::vector<std::function<void()>> m_steps;
};

// Records what the controls report.
class CRecorder : public CValueListener {
public:
    void valueChanged(CPainter*, CValueControl* control) override;
    std::vector<float> values;
    std::vector<int> tags;
};

// Runs the frame's event pump and idle as a host's editor idle does, until nothing is pending.
void pumpFrame(CEditorFrame& frame, int rounds = 3);

// A pixel of the frame's back buffer.
CColor backBufferPixel(const CEditorFrame& frame, int x, int y);
// A pixel of a window as the X server shows it.
CColor windowPixel(Display* display, Window window, int x, int y);

} // namespace qtest
