// The root view: one child window inside the host's window, a background image and a flat list
// of views drawn in insertion order; routes the mouse, keys, the wheel and drops to them.
#pragma once

#include "editor/toolkit/widget.h"

#include <cstdint>
#include <memory>
#include <vector>

struct _cairo_surface;

namespace quorvix {

class CFrameOwner;
class CFrameWindow;
class CSkinImage;
class CFrameEvents;

class CEditorFrame : public CWidget {
public:
    // With a parent window (an X window id) the frame opens its own display connection and a
    // child window there; without one (or without a display) it draws only into its back buffer.
    CEditorFrame(const CRect& size, unsigned long parentWindow, CFrameOwner* owner);
    ~CEditorFrame() override;

    void draw(CPainter& painter) override;
    void drawPart(CPainter& painter, const CRect& rect) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    int onKeyDown(const CKeyEvent& key) override;
    int onKeyUp(const CKeyEvent& key) override;
    // To the modal view, else the last view under the cursor, with the cursor position.
    bool onWheel(CPainter& painter, CPoint where, float distance) override;
    // The same with a painter of its own: for the window's wheel and the host's.
    bool onWheel(float distance);
    bool onDrop(const CDropData& data, CPoint where) override;
    void update(CPainter& painter) override;

    // False when memory runs out; the view is then not shown.
    virtual bool addView(CWidget* view);
    virtual bool removeView(CWidget* view, bool withRelease = true);
    virtual bool removeAllViews(bool withRelease = true);
    virtual bool contains(const CWidget* view) const;
    virtual int viewCount() const { return static_cast<int>(m_views.size()); }
    virtual CWidget* viewAt(int index) const;

    // Refuses a new modal view while one is set; null clears it.
    bool setExclusiveView(CWidget* view);
    CWidget* exclusiveView() const { return m_modalView; }
    void setFocusedView(CWidget* view);
    CWidget* focusedView() const { return m_focusView; }
    void setBackground(CSkinImage* image);
    CSkinImage* background() const { return m_background; }

    // Pointer position relative to the window, and the mouse and modifier state, read now.
    CPoint cursorPosition() const;
    int buttonState() const;
    // Draws one view, or the whole frame when none is given, at once.
    void drawView(CWidget* view = nullptr);
    // Draws what became dirty.
    void idle();
    // In every poll of a mouse interaction: the window's events, dirty views and the host's idle.
    void serviceIdle();
    void beginParameterEdit(int tag);
    void endParameterEdit(int tag);
    // Milliseconds of the monotonic clock; 0 without an owner.
    int32_t tickCount() const;
    int knobMode() const;

    // Every pending event of the editor's display connection; the host's editor idle calls it.
    void pumpEvents();
    bool isOpen() const { return m_open; }
    bool hasWindow() const;
    CFrameOwner* owner() const { return m_owner; }

    // A copy of what the frame shows (reference count 1).
    CSkinImage* snapshot() const;

    // Toolkit-internal: the image the views draw into, shown on the window by area.
    _cairo_surface* backBuffer() const { return m_backBuffer; }
    void showOnWindow(const CRect& area);
    CFrameWindow* nativeWindow() const { return m_window.get(); }

private:
    friend class CFrameEvents;
    void paint(const CRect& area);
    void mouseDown(CPoint where);

    CFrameOwner* m_owner;
    std::vector<CWidget*> m_views;
    CWidget* m_modalView = nullptr;
    CWidget* m_focusView = nullptr;
    CSkinImage* m_background = nullptr;
    bool m_open = true;
    bool m_firstDrawPending = true;
    // True while a view follows the mouse, so that no further press starts another interaction.
    bool m_inMouseDown = false;
    _cairo_surface* m_backBuffer = nullptr;
    std::unique_ptr<CFrameEvents> m_events;
    std::unique_ptr<CFrameWindow> m_window;
};

} // namespace quorvix
