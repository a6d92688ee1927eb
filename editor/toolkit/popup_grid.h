// A choice among n pictures: shows the current one; a click opens a grid of all of them inside
// the frame (or steps to the next one when the grid is off).
#pragma once

#include "editor/toolkit/value_control.h"

namespace quorvix {

class CPopupGrid : public CValueControl {
public:
    // cells: the n pictures stacked vertically; highlight: the same strip highlighted (may be null).
    CPopupGrid(CPoint origin, CValueListener* listener, int32_t tag, int choices, CSkinImage* cells,
               CSkinImage* highlight = nullptr);
    ~CPopupGrid() override;

    void draw(CPainter& painter) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    // Choice min(trunc(x × n), n − 1).
    void setValue(float value) override;
    // (choice + 0.5) / n.
    float getValue() const override;

    void setGridEnabled(bool enabled) { m_gridEnabled = enabled; }
    // Pixels between cells: 0..20, rounded up to even.
    void setSpacing(int spacing);
    int rows() const;
    int columns() const;
    int choice() const { return m_choice; }
    // The rectangle the open grid covers, at the view's top-left.
    CRect gridRect() const;
    // Where choice i sits in the open grid.
    CRect cellRect(int i) const;

private:
    void drawCell(CPainter& painter, int choice, const CRect& rect, bool lit) const;

    int m_choices;
    int m_choice = 0;
    CSkinImage* m_highlight;
    int m_cellWidth;
    int m_cellHeight;
    int m_spacing = 4;
    bool m_gridEnabled = true;
    bool m_gridOpen = false;
    CRect m_ownBounds;
};

} // namespace quorvix
