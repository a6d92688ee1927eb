// The Quorvix editor window.
#pragma once

#include "plugin/editor_base.h"

namespace quorvix {

// Size of the skin's background bitmap.
constexpr int kEditorWidth = 640;
constexpr int kEditorHeight = 510;

class CEditor : public CEditorBase {
public:
    explicit CEditor(CEffectBase* effect);
};

} // namespace quorvix
