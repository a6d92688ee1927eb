// How the plug-in gets its editor without knowing it: the editor library defines the factory.
#pragma once

namespace quorvix {

class CEditorBase;
class CEffectBase;

// A new editor, attached to effect, which owns it from then on. Throws std::bad_alloc.
CEditorBase* createEditor(CEffectBase* effect);

} // namespace quorvix
