#include "editor/mix_diagram.h"

#include "editor/skin/skin.h"
#include "editor/toolkit/painter.h"

namespace quorvix {

namespace {

constexpr int kBoxWidth = 46;
constexpr int kBoxHeight = 18;
constexpr int kJoinSize = 22;

} // namespace

CMixDiagram::CMixDiagram(const CRect& size, const CSkin& skin)
    : CWidget(size), m_line(skin.color(ESkinColor::ParamLabelText)), m_box(skin.color(ESkinColor::ParamLabelBackground)),
      m_text(skin.color(ESkinColor::ParamLabelText))
{
    setClickable(false);
}

void CMixDiagram::draw(CPainter& painter)
{
    setDirty(false);
    const int x = m_bounds.left;
    const int y = m_bounds.top;
    painter.setLineWidth(1);
    painter.setFont(4);
    auto box = [&](CRect r, const char* text) {
        painter.setFillColor(m_box);
        painter.fillRect(r);
        painter.setLineColor(m_line);
        painter.drawRect(r);
        painter.setTextColor(m_text);
        painter.drawString(text, r);
    };
    auto line = [&](CPoint a, CPoint b) {
        painter.setLineColor(m_line);
        painter.moveTo(a);
        painter.lineTo(b);
    };
    const CRect osc[3] = {CRect::sized(x, y + 4, kBoxWidth, kBoxHeight), CRect::sized(x, y + 34, kBoxWidth, kBoxHeight),
                          CRect::sized(x, y + 70, kBoxWidth, kBoxHeight)};
    const CRect joinA = CRect::sized(x + 90, y + 17, kJoinSize, kJoinSize);
    const CRect joinB = CRect::sized(x + 160, y + 44, kJoinSize, kJoinSize);
    line({osc[0].right, osc[0].top + kBoxHeight / 2}, {joinA.left, joinA.top + 4});
    line({osc[1].right, osc[1].top + kBoxHeight / 2}, {joinA.left, joinA.bottom - 4});
    line({joinA.right, joinA.top + kJoinSize / 2}, {joinB.left, joinB.top + 4});
    line({osc[2].right, osc[2].top + kBoxHeight / 2}, {joinB.left, joinB.bottom - 4});
    line({joinB.right, joinB.top + kJoinSize / 2}, {m_bounds.right - 4, joinB.top + kJoinSize / 2});
    line({m_bounds.right - 9, joinB.top + kJoinSize / 2 - 4}, {m_bounds.right - 4, joinB.top + kJoinSize / 2});
    line({m_bounds.right - 9, joinB.top + kJoinSize / 2 + 4}, {m_bounds.right - 4, joinB.top + kJoinSize / 2});
    box(osc[0], "OSC 1");
    box(osc[1], "OSC 2");
    box(osc[2], "OSC 3");
    box(joinA, "1");
    box(joinB, "2");
}

} // namespace quorvix
