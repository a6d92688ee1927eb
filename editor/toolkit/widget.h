// The base of every view: a rectangle in the frame's window that draws itself, takes the mouse,
// keys, the wheel and drops, and knows whether it must be drawn again.
#pragma once

#include "editor/toolkit/geometry.h"
#include "editor/toolkit/keys.h"

#include <string>
#include <vector>

namespace quorvix {

class CPainter;
class CEditorFrame;
class CFrameOwner;

// What a drop carries: a list of file paths, or one text.
enum class EDropKind { Files = 0, Text = 1 };
struct CDropData {
    EDropKind kind = EDropKind::Files;
    std::vector<std::string> items;
};

class CWidget {
public:
    explicit CWidget(const CRect& size);
    virtual ~CWidget() = default;
    CWidget(const CWidget&) = delete;
    CWidget& operator=(const CWidget&) = delete;

    virtual void draw(CPainter&) {}
    virtual void drawPart(CPainter& painter, const CRect&) { draw(painter); }
    // Edges inclusive.
    virtual bool overlaps(const CRect& rect) const { return m_bounds.overlaps(rect); }
    // Called once per press; a view that follows the mouse polls it until the button is up.
    virtual void onMouseDown(CPainter&, CPoint) {}
    // Draws when dirty.
    virtual void update(CPainter& painter);
    virtual int notify(CWidget* sender, const std::string& message);
    // −1 when the key was not handled.
    virtual int onKeyDown(const CKeyEvent&) { return -1; }
    virtual int onKeyUp(const CKeyEvent&) { return -1; }
    virtual bool onDrop(const CDropData&, CPoint) { return false; }
    // distance in wheel steps, positive away from the user.
    virtual bool onWheel(CPainter&, CPoint, float) { return false; }
    // The painter may be null when the change of focus does not come from a paint or a click.
    virtual void focusLost(CPainter*) {}
    virtual void focusGained(CPainter*) {}
    virtual bool isDirty() const { return m_dirty; }
    virtual void setDirty(bool dirty) { m_dirty = dirty; }
    virtual void setClickable(bool clickable) { m_mouseEnabled = clickable; }
    virtual bool isClickable() const { return m_mouseEnabled; }
    virtual void setClickArea(const CRect& rect) { m_clickArea = rect; }
    virtual CRect getClickArea() const { return m_clickArea; }
    // Edges inclusive.
    virtual bool hitTest(CPoint p, int buttons) const;
    virtual void setTransparent(bool transparent) { m_transparent = transparent; }
    virtual bool isTransparent() const { return m_transparent; }
    virtual void setBounds(const CRect& rect);
    virtual CRect getBounds() const { return m_bounds; }
    virtual void setParent(CWidget* parent) { m_parent = parent; }
    virtual void setFrame(CEditorFrame* frame) { m_frame = frame; }
    // The frame's owner (the editor), or null without frame.
    virtual CFrameOwner* getEditor() const;
    virtual bool onDetach(CWidget*) { return true; }
    virtual bool onAttach(CWidget*) { return true; }
    // Deletes the view when the last holder lets go.
    virtual void release();
    virtual void addReference() { ++m_references; }
    virtual int referenceCount() const { return m_references; }

    CEditorFrame* frame() const { return m_frame; }
    CWidget* parent() const { return m_parent; }

protected:
    int m_references = 1;
    CRect m_bounds;
    CRect m_clickArea;
    CEditorFrame* m_frame = nullptr;
    CWidget* m_parent = nullptr;
    bool m_dirty = false;
    bool m_mouseEnabled = true;
    bool m_transparent = false;
};

} // namespace quorvix
