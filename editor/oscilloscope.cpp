#include "editor/oscilloscope.h"

#include "dsp/oscillator.h"
#include "editor/skin/skin.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_menu.h"

#include <cmath>

namespace quorvix {

namespace {

// The previews: half the oscilloscope plus a pixel of frame on each side.
constexpr int kPreviewWidth = kScopeWidth / 2 + 2;
constexpr int kPreviewHeight = kScopeHeight / 2 + 2;
constexpr int kScopeMargin = 2;
const CScopeColors kPreviewColors {{192, 192, 192}, {128, 128, 128}, {0, 0, 0}};

const COscillator* gPreviewOscillator = nullptr;

CColor halved(CColor c) { return {uint8_t(c.red / 2), uint8_t(c.green / 2), uint8_t(c.blue / 2)}; }
CColor raised(CColor c)
{
    return {uint8_t((c.red + 255) / 2), uint8_t((c.green + 255) / 2), uint8_t((c.blue + 255) / 2)};
}

} // namespace

void drawScope(CPainter& painter, const CRect& r, const CScopeColors& colors, const COscillator* oscillator)
{
    const int w = r.width();
    const int h = r.height();
    painter.setLineWidth(1);
    painter.setFillColor(colors.background);
    painter.fillRect(r);
    painter.setLineColor(halved(colors.background));
    painter.moveTo({r.left, r.top + h - 1});
    painter.lineTo({r.left, r.top});
    painter.lineTo({r.left + w, r.top});
    painter.setLineColor(raised(colors.background));
    painter.moveTo({r.left, r.top + h - 1});
    painter.lineTo({r.left + w - 1, r.top + h - 1});
    painter.lineTo({r.left + w - 1, r.top});
    painter.setLineColor(colors.axis);
    painter.moveTo({r.left + kScopeMargin, r.top + h / 2});
    painter.lineTo({r.left + w - kScopeMargin, r.top + h / 2});
    if (!oscillator)
        return;
    COscillator copy = *oscillator;
    copy.setSampleRate(static_cast<float>(w - 2 * kScopeMargin));
    copy.setCoarse(0);
    copy.setFine(0.0f);
    copy.setOversampling(1);
    copy.setFrequency(1.0f);
    copy.resetPhase(0.0f);
    const int amplitude = (h - 2 * kScopeMargin) / 2;
    painter.setLineColor(colors.trace);
    for (int x = kScopeMargin; x <= w - kScopeMargin; ++x) {
        const float s = copy.step();
        const int y = h / 2 - static_cast<int>(std::floor(s * static_cast<float>(amplitude) + 0.5f));
        const CPoint p {r.left + x, r.top + y};
        if (x == kScopeMargin)
            painter.moveTo(p);
        else
            painter.lineTo(p);
    }
}

COscilloscope::COscilloscope(const CRect& size, const CSkin& skin)
    : CWidget(size), m_colors {skin.color(ESkinColor::OscillBackground), skin.color(ESkinColor::OscillAxes),
                               skin.color(ESkinColor::OscillLines)}
{
    setClickable(false);
}

void COscilloscope::bind(const COscillator* oscillator)
{
    m_oscillator = oscillator;
    setDirty(true);
}

void COscilloscope::draw(CPainter& painter)
{
    drawScope(painter, m_bounds, m_colors, m_oscillator);
    setDirty(false);
}

void setPreviewOscillator(const COscillator* oscillator) { gPreviewOscillator = oscillator; }

void setWavePreview(CSkinMenu& menu, int waves, CPoint gridOrigin)
{
    menu.setGridDrawer(
        CRect::sized(0, 0, kPreviewWidth, kPreviewHeight),
        [waves](int index, CPainter& painter, const CRect& image) {
            if (index >= waves || index >= kFeedbackWave || !gPreviewOscillator) {
                drawScope(painter, image, kPreviewColors, nullptr);
                return;
            }
            COscillator fresh = *gPreviewOscillator;
            fresh.setWaves(index, index);
            fresh.setPulse(1.0f);
            fresh.setSymmetry(1.0f);
            fresh.setPhase(0.0f);
            drawScope(painter, image, kPreviewColors, &fresh);
        },
        gridOrigin.x, gridOrigin.y);
}

} // namespace quorvix
