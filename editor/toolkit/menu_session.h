// An open pop-up menu (toolkit-internal): our own override-redirect windows on the frame's
// connection, one per open submenu level, with the pointer and keyboard grabbed until it closes.
#pragma once

#include "editor/toolkit/frame_window.h"

#include <memory>
#include <vector>

namespace quorvix {

class CPopupMenu;
class CSkinImage;

class CMenuSession : public CWindowClient {
public:
    // Opens below the anchor (a rectangle in the frame's window), or above it; null when the
    // window cannot be made.
    static std::unique_ptr<CMenuSession> open(CPopupMenu& root, CFrameWindow& window, const CRect& anchor, bool above);
    ~CMenuSession() override;

    void onEvent(const XEvent& event) override;
    // Navigation keys; 1 when used. May end the session (and destroy it).
    int key(const CKeyEvent& key);
    void wheel(float distance);

    // One row of a level: an entry of its menu, laid out in the level's window.
    struct CRow {
        int index;
        CRect rect;
    };
    struct CLevel;

private:
    CMenuSession(CPopupMenu& root, CFrameWindow& window);
    bool openLevel(CPopupMenu& menu, CPoint screenTopLeft, const CRect& avoid, bool above);
    void closeLevelsAfter(size_t level);
    void paint(CLevel& level);
    // The level and row under a screen point; false when outside every level.
    bool find(CPoint screen, size_t& level, int& row) const;
    void highlight(size_t level, int row, bool openSubmenu);
    void moveHighlight(int step);
    void moveColumn(int direction);
    // Chooses the highlighted entry of the deepest level; opens it when it is a submenu.
    void activate();
    // Ends the session; this object is gone afterwards.
    void finish(CPopupMenu* menu, int index);

    CPopupMenu& m_root;
    CFrameWindow& m_window;
    std::vector<std::unique_ptr<CLevel>> m_levels;
    bool m_grabbed = false;
    // A release before the pointer moved is the end of the click that opened the menu.
    bool m_moved = false;
    CPoint m_openedAt;
};

} // namespace quorvix
