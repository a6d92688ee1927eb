// The host's window for the editor, on the calling thread's own connection to the display (the
// stress test runs under Xvfb); without a display the editor gets a window id that names nothing.
#pragma once

struct _XDisplay;

namespace quorvix {

class CParentWindow {
public:
    CParentWindow();
    ~CParentWindow();
    CParentWindow(const CParentWindow&) = delete;
    CParentWindow& operator=(const CParentWindow&) = delete;

    // What effEditOpen takes.
    void* id() const;

private:
    _XDisplay* m_display;
    unsigned long m_window = 0;
};

} // namespace quorvix
