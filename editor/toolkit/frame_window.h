// The frame's native side (toolkit-internal): its own connection to the X server, one child window
// of the host's window, the events of that connection, drops, and showing the back buffer.
#pragma once

#include "editor/toolkit/geometry.h"
#include "editor/toolkit/keys.h"
#include "editor/toolkit/widget.h"

#include <X11/Xlib.h>
#include <cairo.h>

#include <string>
#include <vector>

namespace quorvix {

// What the window reports to the frame.
class CWindowEvents {
public:
    virtual ~CWindowEvents() = default;
    virtual void onExpose(const CRect& area) = 0;
    // X buttons 1 to 3 (a press); the wheel arrives as onWheelStep.
    virtual void onButtonPress(CPoint where) = 0;
    virtual void onWheelStep(CPoint where, float distance) = 0;
    virtual void onKey(const CKeyEvent& key, bool down) = 0;
    virtual void onDrop(const CDropData& data, CPoint where) = 0;
    virtual void onWindowDestroyed() = 0;
    // The keyboard focus went to another window.
    virtual void onFocusOut() = 0;
};

// A further window of the same connection (a pop-up) that receives its own events.
class CWindowClient {
public:
    virtual ~CWindowClient() = default;
    virtual void onEvent(const XEvent& event) = 0;
};

class CFrameWindow {
public:
    // Opens a connection and a mapped child window of parent; check isValid afterwards.
    CFrameWindow(Window parent, int width, int height, CWindowEvents& events);
    ~CFrameWindow();
    CFrameWindow(const CFrameWindow&) = delete;
    CFrameWindow& operator=(const CFrameWindow&) = delete;

    bool isValid() const { return m_window != 0; }
    Display* display() const { return m_display; }
    Window window() const { return m_window; }

    // Handles every pending event; input events are dropped while dropInput is true.
    void pumpEvents(bool dropInput);
    // Waits up to ms milliseconds for something from the server.
    void waitForEvents(int ms);
    // Copies the area of the image to the window.
    void show(cairo_surface_t* image, const CRect& area);

    // Pointer state now: EButtons bits, with the position relative to the window.
    int pointerState(CPoint* position) const;
    CPoint screenPosition() const;
    CRect screenArea() const;

    void addClient(Window window, CWindowClient* client);
    void removeClient(Window window);

    // Keyboard focus for typed text; restores what had it before.
    void takeKeyboardFocus();
    void returnKeyboardFocus();

    // Key events of the connection as the views take them.
    static CKeyEvent translateKey(XKeyEvent& event);

private:
    // Creates and maps the window; false when the parent is not (or no longer) there.
    bool openWindow(Window parent, int width, int height);
    // Gives back the focus, frees the surface and destroys the window unless the host did.
    void closeWindow();
    void handle(XEvent& event, bool dropInput);
    void handleDndMessage(const XClientMessageEvent& message);
    void handleSelection(const XSelectionEvent& selection);
    void sendDndMessage(Window target, Atom type, long l1, long l2, long l3, long l4);

    CWindowEvents& m_events;
    Display* m_display = nullptr;
    Window m_window = 0;
    cairo_surface_t* m_surface = nullptr;
    CRect m_exposed;
    std::vector<std::pair<Window, CWindowClient*>> m_clients;
    Window m_focusBefore = 0;
    int m_focusRevertBefore = 0;
    bool m_hasFocus = false;

    // The drag-and-drop protocol's state for the drag over the window.
    struct CDndState {
        Window source = 0;
        Atom type = 0; // the data type we will ask for, 0 when nothing we take
        CPoint where;
        bool control = false;
    } m_dnd;
};

} // namespace quorvix
