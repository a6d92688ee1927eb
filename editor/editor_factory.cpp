#include "plugin/editor_factory.h"

#include "editor/editor.h"

namespace quorvix {

CEditorBase* createEditor(CEffectBase* effect) { return new CEditor(effect); }

} // namespace quorvix
