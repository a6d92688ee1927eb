#include "editor/shaper_display.h"

#include "dsp/shaper_table.h"
#include "editor/skin/skin.h"
#include "editor/toolkit/painter.h"
#include "plugin/effect_base.h"
#include "presets/parameter_table.h"

#include <algorithm>
#include <cmath>

namespace quorvix {

namespace {

constexpr int kShape2Number = 96;
constexpr int kShape1Number = 97;
constexpr float kInputReach = 0.99f;

int shapeOf(CEffectBase* effect, int number)
{
    return static_cast<int>(std::lround(engineValue(number, effect->getParameter(number))));
}

} // namespace

float shaperDisplayGain(int shape)
{
    if (shape >= 9 && shape <= 11)
        return 1.7f;
    if (shape == 13 || shape == 14)
        return 1.4f;
    return 1.0f;
}

CShaperDisplay::CShaperDisplay(const CRect& size, const CSkin& skin)
    : CWidget(size), m_colors {skin.color(ESkinColor::OscillBackground), skin.color(ESkinColor::OscillAxes),
                               skin.color(ESkinColor::OscillLines)}
{
    setClickable(false);
}

void CShaperDisplay::bind(const CShaperTable* table, CEffectBase* effect)
{
    m_table = table;
    m_effect = effect;
    setDirty(true);
}

void CShaperDisplay::draw(CPainter& painter)
{
    setDirty(false);
    const CRect& r = m_bounds;
    const int w = r.width();
    const int h = r.height();
    drawScope(painter, r, m_colors, nullptr);
    painter.setLineColor(m_colors.axis);
    painter.moveTo({r.left + w / 2, r.top + 2});
    painter.lineTo({r.left + w / 2, r.top + h - 2});
    if (!m_table || !m_effect)
        return;
    const float gain = std::max(shaperDisplayGain(shapeOf(m_effect, kShape1Number)),
                                shaperDisplayGain(shapeOf(m_effect, kShape2Number)));
    const float scale = static_cast<float>((h - 4) / 2) / gain;
    const int e = (w - 4) / 2;
    painter.setLineColor(m_colors.trace);
    for (int i = -e; i <= e; ++i) {
        const float u = static_cast<float>(i) * kInputReach / static_cast<float>(e);
        const float value = m_table->lookup(std::clamp(u, -1.0f, 1.0f));
        const CPoint p {r.left + w / 2 + i, r.top + h / 2 - static_cast<int>(value * scale + 0.5f)};
        if (i == -e)
            painter.moveTo(p);
        else
            painter.lineTo(p);
    }
}

} // namespace quorvix
