#include "editor/toolkit/line_editor.h"

namespace quorvix {

CLineEditor::CLineEditor(const std::string& text, size_t maxLength)
    : m_text(text.substr(0, maxLength)), m_maxLength(maxLength), m_caret(m_text.size())
{
}

void CLineEditor::selectAll()
{
    m_anchor = 0;
    m_caret = m_text.size();
}

void CLineEditor::setCaret(size_t position, bool extendSelection)
{
    m_caret = std::min(position, m_text.size());
    if (!extendSelection)
        m_anchor = m_caret;
}

void CLineEditor::eraseSelection()
{
    const size_t start = selectionStart();
    m_text.erase(start, selectionEnd() - start);
    m_caret = m_anchor = start;
}

void CLineEditor::insert(char c)
{
    eraseSelection();
    if (m_text.size() >= m_maxLength)
        return;
    m_text.insert(m_caret, 1, c);
    m_anchor = ++m_caret;
}

CLineEditor::EResult CLineEditor::key(const CKeyEvent& key)
{
    const bool shift = key.modifiers & kModShift;
    switch (key.virt) {
    case kKeyReturn:
    case kKeyEnter:
        return EResult::Commit;
    case kKeyEscape:
        return EResult::Cancel;
    case kKeyBack:
        if (!hasSelection() && m_caret > 0)
            m_anchor = m_caret - 1;
        eraseSelection();
        return EResult::Changed;
    case kKeyDelete:
        if (!hasSelection() && m_caret < m_text.size())
            m_anchor = m_caret + 1;
        eraseSelection();
        return EResult::Changed;
    case kKeyLeft:
        setCaret(hasSelection() && !shift ? selectionStart() : (m_caret > 0 ? m_caret - 1 : 0), shift);
        return EResult::Changed;
    case kKeyRight:
        setCaret(hasSelection() && !shift ? selectionEnd() : m_caret + 1, shift);
        return EResult::Changed;
    case kKeyHome:
        setCaret(0, shift);
        return EResult::Changed;
    case kKeyEnd:
        setCaret(m_text.size(), shift);
        return EResult::Changed;
    default:
        break;
    }
    if (key.character >= 0x20 && key.character <= 0xFF && key.character != 0x7F && !(key.modifiers & kModControl)) {
        insert(static_cast<char>(key.character));
        return EResult::Changed;
    }
    return EResult::Unhandled;
}

} // namespace quorvix
