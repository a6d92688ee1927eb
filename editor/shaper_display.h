// The wave shaper's curve over the input range, with the axes.
#pragma once

#include "editor/oscilloscope.h"

namespace quorvix {

class CEffectBase;
class CShaperTable;

constexpr int kShaperWidth = 115;
constexpr int kShaperHeight = 55;

// How much taller than the others some shapes draw: 1.7 for 9 to 11, 1.4 for 13 and 14.
float shaperDisplayGain(int shape);

class CShaperDisplay : public CWidget {
public:
    CShaperDisplay(const CRect& size, const CSkin& skin);
    // The table and the effect whose shapes 96 and 97 set the scale.
    void bind(const CShaperTable* table, CEffectBase* effect);
    void draw(CPainter& painter) override;

private:
    const CShaperTable* m_table = nullptr;
    CEffectBase* m_effect = nullptr;
    CScopeColors m_colors;
};

} // namespace quorvix
