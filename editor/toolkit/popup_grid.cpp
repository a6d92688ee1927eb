#include "editor/toolkit/popup_grid.h"

#include "editor/toolkit/modal_mouse.h"
#include "editor/toolkit/skin_image.h"

#include <cmath>

namespace quorvix {

namespace {

constexpr int kGridBorder = 2;
constexpr int kMaxSpacing = 20;
constexpr CColor kGridFace {44, 47, 54};

int cellHeightOf(const CSkinImage* cells, int choices) { return cells && choices > 0 ? cells->height() / choices : 0; }

} // namespace

CPopupGrid::CPopupGrid(CPoint origin, CValueListener* listener, int32_t tag, int choices, CSkinImage* cells,
                       CSkinImage* highlight)
    : CValueControl(CRect::sized(origin.x, origin.y, cells ? cells->width() : 0, cellHeightOf(cells, choices)), listener,
                    tag, cells),
      m_choices(std::max(choices, 1)), m_highlight(highlight), m_cellWidth(cells ? cells->width() : 0),
      m_cellHeight(cellHeightOf(cells, choices)), m_ownBounds(m_bounds)
{
    if (m_highlight)
        m_highlight->addReference();
    m_value = getValue();
}

CPopupGrid::~CPopupGrid()
{
    if (m_highlight)
        m_highlight->release();
}

void CPopupGrid::setValue(float value)
{
    m_choice = std::clamp(static_cast<int>(value * static_cast<float>(m_choices)), 0, m_choices - 1);
    m_value = getValue();
}

float CPopupGrid::getValue() const { return (static_cast<float>(m_choice) + 0.5f) / static_cast<float>(m_choices); }

void CPopupGrid::setSpacing(int spacing)
{
    spacing = std::clamp(spacing, 0, kMaxSpacing);
    m_spacing = spacing + spacing % 2;
}

int CPopupGrid::rows() const { return static_cast<int>(std::floor(std::sqrt(double(m_choices)) + 0.5)); }

int CPopupGrid::columns() const { return (m_choices + rows() - 1) / rows(); }

CRect CPopupGrid::gridRect() const
{
    const int c = columns(), r = rows();
    return CRect::sized(m_ownBounds.left, m_ownBounds.top, 2 * kGridBorder + (c + 1) * m_spacing + c * m_cellWidth,
                        2 * kGridBorder + (r + 1) * m_spacing + r * m_cellHeight);
}

CRect CPopupGrid::cellRect(int i) const
{
    const CRect grid = gridRect();
    const int column = i / rows(), row = i % rows();
    return CRect::sized(grid.left + kGridBorder + m_spacing + column * (m_cellWidth + m_spacing),
                        grid.top + kGridBorder + m_spacing + row * (m_cellHeight + m_spacing), m_cellWidth, m_cellHeight);
}

void CPopupGrid::drawCell(CPainter& painter, int choice, const CRect& rect, bool lit) const
{
    CSkinImage* image = lit && m_highlight ? m_highlight : m_background;
    if (image)
        image->draw(painter, rect, {0, choice * m_cellHeight}, m_transparent);
}

void CPopupGrid::draw(CPainter& painter)
{
    if (!m_gridOpen) {
        if (m_transparent && m_frame && m_frame->background())
            m_frame->background()->draw(painter, m_bounds, m_bounds.topLeft());
        drawCell(painter, m_choice, m_bounds, false);
        setDirty(false);
        return;
    }
    const CRect grid = gridRect();
    painter.setFillColor(kGridFace);
    painter.fillArea(grid);
    for (int i = 0; i < kGridBorder; ++i)
        painter.drawBevel({grid.left + i, grid.top + i, grid.right - 1 - i, grid.bottom - 1 - i}, kGridFace.lighter(),
                          kGridFace.darker());
    for (int i = 0; i < m_choices; ++i)
        drawCell(painter, i, cellRect(i), i == m_choice);
    setDirty(false);
}

void CPopupGrid::onMouseDown(CPainter& painter, CPoint)
{
    if (!m_mouseEnabled || !(painter.buttonState() & kLeftButton) || !m_frame)
        return;
    if (!m_gridEnabled) {
        setValue(static_cast<float>((m_choice + 1) % m_choices) / static_cast<float>(m_choices));
        tellListener(&painter);
        return;
    }
    if (!m_frame->setExclusiveView(this))
        return;
    m_gridOpen = true;
    m_bounds = gridRect();
    m_frame->drawView(this);
    if (waitForButtons(*m_frame, painter, false) && waitForButtons(*m_frame, painter, true)) {
        const CPoint at = painter.cursorPosition();
        for (int i = 0; i < m_choices; ++i)
            if (cellRect(i).contains(at)) {
                setValue(static_cast<float>(i) / static_cast<float>(m_choices));
                tellListener(&painter);
            }
    }
    m_gridOpen = false;
    m_bounds = m_ownBounds;
    m_frame->setExclusiveView(nullptr);
    m_frame->drawView();
    waitForButtons(*m_frame, painter, false);
    setDirty(true);
}

} // namespace quorvix
