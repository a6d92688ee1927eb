// How the three oscillators are joined: 1 and 2 by the first operator, the result and 3 by the second.
#pragma once

#include "editor/toolkit/widget.h"

namespace quorvix {

class CSkin;

class CMixDiagram : public CWidget {
public:
    CMixDiagram(const CRect& size, const CSkin& skin);
    void draw(CPainter& painter) override;

private:
    CColor m_line;
    CColor m_box;
    CColor m_text;
};

} // namespace quorvix
