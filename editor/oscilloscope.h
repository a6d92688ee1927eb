// One cycle of an oscillator's wave, drawn from a copy of it; also the wave menus' previews.
#pragma once

#include "editor/toolkit/widget.h"

namespace quorvix {

class COscillator;
class CSkin;
class CSkinMenu;

constexpr int kScopeWidth = 80;
constexpr int kScopeHeight = 40;

struct CScopeColors {
    CColor background;
    CColor axis;
    CColor trace;
};

// Background, sunken border, axis, and one cycle of the oscillator when there is one, in rect.
void drawScope(CPainter& painter, const CRect& rect, const CScopeColors& colors, const COscillator* oscillator);

class COscilloscope : public CWidget {
public:
    COscilloscope(const CRect& size, const CSkin& skin);
    // The oscillator shown; it must outlive the binding (the editor binds again at every refresh).
    void bind(const COscillator* oscillator);
    void draw(CPainter& painter) override;

private:
    const COscillator* m_oscillator = nullptr;
    CScopeColors m_colors;
};

// The menu opens as a grid with a small picture of each wave, made from a fresh oscillator of
// that wave; "Feedback" gets an empty box.
void setWavePreview(CSkinMenu& menu, int waves, CPoint gridOrigin);
// The oscillator the previews copy (tables attached); set when the editor binds.
void setPreviewOscillator(const COscillator* oscillator);

} // namespace quorvix
