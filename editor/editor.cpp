#include "editor/editor.h"

namespace quorvix {

CEditor::CEditor(CEffectBase* effect) : CEditorBase(effect, kEditorWidth, kEditorHeight) {}

} // namespace quorvix
