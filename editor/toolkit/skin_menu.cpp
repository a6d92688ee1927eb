#include "editor/toolkit/skin_menu.h"

#include "editor/toolkit/modal_mouse.h"
#include "editor/toolkit/rotary_knob.h"
#include "editor/toolkit/skin_image.h"

#include <cmath>

namespace quorvix {

namespace {

constexpr int kNoImageSize = 10;
constexpr int kMinCellImage = 5;
constexpr int kGridMargin = 5;
constexpr int kGridBevel = 2;
constexpr int kCellTextGap = 3;
constexpr CColor kGridFace {192, 192, 192};
constexpr CColor kGridCurrent {255, 255, 192};

CRect imageBounds(CPoint origin, const CSkinImage* image)
{
    return CRect::sized(origin.x, origin.y, image ? image->width() : kNoImageSize, image ? image->height() : kNoImageSize);
}

CRect knobBox(const CRotaryKnob& knob)
{
    const CRect k = knob.getBounds();
    const int centre = (k.left + k.right) / 2;
    return CRect::sized(centre - CSkinMenu::kKnobBoxWidth / 2, k.top - 1 - CSkinMenu::kKnobBoxHeight,
                        CSkinMenu::kKnobBoxWidth, CSkinMenu::kKnobBoxHeight);
}

} // namespace

CSkinMenu::CSkinMenu(CPoint origin, CValueListener* listener, int32_t tag, CSkinImage* image, CColor text,
                     bool transparent)
    : CPopupMenu(imageBounds(origin, image), listener, tag, image), m_ownBounds(m_bounds)
{
    setFont(2);
    setTextColor(text);
    setTransparent(transparent);
}

CSkinMenu::CSkinMenu(const CRotaryKnob& knob, CValueListener* listener, int32_t tag, CColor background, CColor text)
    : CPopupMenu(knobBox(knob), listener, tag), m_onKnob(true), m_ownBounds(m_bounds)
{
    setFont(4);
    setBackgroundColor(background);
    setTextColor(text);
}

void CSkinMenu::draw(CPainter& painter)
{
    setDirty(false);
    if (m_gridOpen) {
        drawGrid(painter);
        return;
    }
    const CRect& r = m_bounds;
    if (m_background) {
        drawImage(painter, m_background, m_backgroundOffset);
    } else {
        painter.setFillColor(m_onKnob ? m_backgroundColor : kBlack);
        painter.fillArea(r);
        if (m_onKnob)
            painter.drawBevel({r.left, r.top, r.right - 1, r.bottom - 1}, m_backgroundColor.lighter(),
                              m_backgroundColor.darker());
    }
    painter.setFont(m_fontId, 0, m_textStyle);
    painter.setTextColor(m_textColor);
    painter.drawString(displayText(), r, false, kAlignCenter);
}

void CSkinMenu::setValue(float value)
{
    const int count = entryCount();
    if (count == 0)
        return;
    const int index = value < 1.0f ? std::min(static_cast<int>(std::floor(value * static_cast<float>(count))), count - 1)
                                   : static_cast<int>(value);
    if (index < 0 || index >= count)
        return;
    m_current = index;
    checkEntryAlone(index);
    m_value = getValue();
    setDirty(true);
}

float CSkinMenu::getValue() const
{
    const int count = entryCount();
    return count > 0 ? (static_cast<float>(m_current) + 0.5f) / static_cast<float>(count) : 0.0f;
}

void CSkinMenu::setIndex(int index)
{
    if (entryCount() == 0)
        return;
    index = std::clamp(index, 0, entryCount() - 1);
    if (index == 0)
        setValue(0.0f);
    else
        setValue(static_cast<float>(index));
}

void CSkinMenu::setGridDrawer(const CRect& imageRect, CCellDrawer drawer, int gridLeft, int gridTop)
{
    m_imageRect = imageRect;
    m_gridOrigin = {gridLeft, gridTop};
    m_cellDrawer = imageRect.width() < kMinCellImage || imageRect.height() < kMinCellImage ? nullptr : std::move(drawer);
}

CSkinMenu::CGridMetrics CSkinMenu::gridMetrics(CPainter& painter) const
{
    painter.setFont(m_fontId, 0, m_textStyle);
    int widest = 0;
    for (int i = 0; i < entryCount(); ++i)
        widest = std::max(widest, painter.textWidth(shownText(m_entries[size_t(i)].text)));
    const int perColumn = m_entriesPerColumn > 0 ? m_entriesPerColumn : std::max(entryCount(), 1);
    return {widest + m_imageRect.width() + 11, m_imageRect.height() + 2, (entryCount() + perColumn - 1) / perColumn,
            perColumn};
}

CRect CSkinMenu::gridRect(CPainter& painter) const
{
    const CGridMetrics m = gridMetrics(painter);
    return CRect::sized(m_gridOrigin.x, m_gridOrigin.y, 2 * kGridMargin + m.columns * m.cellWidth,
                        2 * kGridMargin + m.perColumn * m.cellHeight);
}

CRect CSkinMenu::gridCell(CPainter& painter, int index) const
{
    const CGridMetrics m = gridMetrics(painter);
    return CRect::sized(m_gridOrigin.x + kGridMargin + (index / m.perColumn) * m.cellWidth,
                        m_gridOrigin.y + kGridMargin + (index % m.perColumn) * m.cellHeight, m.cellWidth, m.cellHeight);
}

void CSkinMenu::drawGrid(CPainter& painter)
{
    const CGridMetrics m = gridMetrics(painter);
    const CRect grid = gridRect(painter);
    painter.setFillColor(kGridFace);
    painter.fillArea(grid);
    for (int i = 0; i < kGridBevel; ++i)
        painter.drawBevel({grid.left + i, grid.top + i, grid.right - 1 - i, grid.bottom - 1 - i}, kGridFace.lighter(),
                          kGridFace.darker());
    for (int i = 0; i < entryCount(); ++i) {
        const CRect cell = gridCell(painter, i);
        if (i == m_current) {
            painter.setFillColor(kGridCurrent);
            painter.fillArea(cell);
        }
        const CRect image = CRect::sized(cell.left + 3, cell.top + 1, m_imageRect.width(), m_imageRect.height());
        m_cellDrawer(i, painter, image);
        painter.setFont(m_fontId, 0, m_textStyle);
        painter.setTextColor(kBlack);
        painter.drawString(shownText(m_entries[size_t(i)].text),
                           {image.right + kCellTextGap, cell.top, cell.right - kCellTextGap, cell.bottom}, false,
                           kAlignLeft);
    }
    const int bottom = grid.top + kGridMargin + m.perColumn * m.cellHeight;
    for (int column = 1; column < m.columns; ++column) {
        const int x = grid.left + kGridMargin + column * m.cellWidth;
        painter.setLineColor(kGridFace.lighter());
        painter.moveTo({x, grid.top + kGridMargin});
        painter.lineTo({x, bottom});
        painter.setLineColor(kGridFace.darker());
        painter.moveTo({x + 1, grid.top + kGridMargin});
        painter.lineTo({x + 1, bottom});
    }
}

void CSkinMenu::onMouseDown(CPainter& painter, CPoint where)
{
    if (!m_cellDrawer) {
        CPopupMenu::onMouseDown(painter, where);
        return;
    }
    if (m_mouseEnabled && (painter.buttonState() & kLeftButton) && m_frame && entryCount() > 0)
        openGrid(painter);
}

void CSkinMenu::openGrid(CPainter& painter)
{
    if (!m_frame->setExclusiveView(this))
        return;
    m_gridOpen = true;
    m_bounds = gridRect(painter);
    m_frame->drawView(this);
    CPoint at {INT32_MIN, INT32_MIN};
    if (waitForButtons(*m_frame, painter, false) && waitForButtons(*m_frame, painter, true))
        at = painter.cursorPosition();
    m_gridOpen = false;
    m_bounds = m_ownBounds;
    m_frame->setExclusiveView(nullptr);
    m_frame->drawView();
    for (int i = 0; i < entryCount(); ++i)
        if (gridCell(painter, i).contains(at)) {
            setValue(i == 0 ? 0.0f : static_cast<float>(i));
            tellListener(&painter);
            break;
        }
    waitForButtons(*m_frame, painter, false);
    setDirty(true);
}

} // namespace quorvix
