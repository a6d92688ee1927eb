#include "editor/editor.h"

#include "editor/skin/skin.h"
#include "editor/toolkit/editor_frame.h"
#include "plugin/effect_base.h"

#include <cstdint>

namespace quorvix {

namespace {

CKeyEvent toolkitKey(const CKeyCode& key) { return {key.character, key.virt, key.modifier}; }

} // namespace

CEditor::CEditor(CEffectBase* effect) : CEditorBase(effect, kEditorWidth, kEditorHeight) {}

CEditor::~CEditor() { m_frame.reset(); }

bool CEditor::open(void* parent)
{
    // Some hosts open again without closing first.
    close();
    CEditorBase::open(parent);
    m_skin = loadSkin();
    m_frame = std::make_unique<CEditorFrame>(CRect {0, 0, kEditorWidth, kEditorHeight},
                                             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(parent)), this);
    m_frame->setBackground(m_skin->forPage(ESkinBitmap::Background, ESkinPage::Osc));
    return true;
}

void CEditor::close()
{
    m_frame.reset();
    m_skin.reset();
    CEditorBase::close();
}

void CEditor::idle()
{
    if (m_frame)
        m_frame->pumpEvents();
    CEditorBase::idle();
    if (m_frame)
        m_frame->idle();
}

int CEditor::onKeyDown(const CKeyCode& key) { return m_frame ? m_frame->onKeyDown(toolkitKey(key)) : -1; }

int CEditor::onKeyUp(const CKeyCode& key) { return m_frame ? m_frame->onKeyUp(toolkitKey(key)) : -1; }

bool CEditor::onWheel(float distance) { return m_frame && m_frame->onWheel(distance); }

void CEditor::beginParameterEdit(int tag) { m_effect->beginParameterEdit(tag); }

void CEditor::endParameterEdit(int tag) { m_effect->endParameterEdit(tag); }

} // namespace quorvix
