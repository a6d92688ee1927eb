// The editor's option menu: on the skin's option-menu image, or as a raised box over a knob. Its
// value is normalized over the entries; with a cell drawer it opens as a grid inside the frame.
#pragma once

#include "editor/toolkit/popup_menu.h"

#include <functional>

namespace quorvix {

class CRotaryKnob;

class CSkinMenu : public CPopupMenu {
public:
    using CCellDrawer = std::function<void(int index, CPainter& painter, const CRect& imageRect)>;
    static constexpr int kKnobBoxWidth = 52;
    static constexpr int kKnobBoxHeight = 15;

    // On the option-menu image (10 × 10 without one), font 2.
    CSkinMenu(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* image, CColor text,
              bool transparent = false);
    // A box centred over the knob, ending one pixel above it; font 4.
    CSkinMenu(const CRotaryKnob& knob, CValueListener* listener, int32_t tag, CColor background, CColor text);

    void draw(CPainter& painter) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    // Below 1: the entry min(floor(x × entries), entries − 1); from 1: x is the index.
    void setValue(float value) override;
    // (index + 0.5) / entries.
    float getValue() const override;
    void setIndex(int index);
    int getIndex() const { return m_current; }

    // Cells of imageRect's size drawn by the drawer left of each entry; the grid's top-left in
    // the frame. A drawer for images narrower or lower than 5 pixels is dropped.
    void setGridDrawer(const CRect& imageRect, CCellDrawer drawer, int gridLeft, int gridTop);
    void drawGrid(CPainter& painter);
    bool hasGrid() const { return static_cast<bool>(m_cellDrawer); }
    CRect gridRect(CPainter& painter) const;
    CRect gridCell(CPainter& painter, int index) const;

private:
    struct CGridMetrics {
        int cellWidth, cellHeight, columns, perColumn;
    };
    CGridMetrics gridMetrics(CPainter& painter) const;
    void openGrid(CPainter& painter);

    bool m_onKnob = false;
    CRect m_imageRect;
    CCellDrawer m_cellDrawer;
    CPoint m_gridOrigin;
    bool m_gridOpen = false;
    CRect m_ownBounds;
};

} // namespace quorvix
