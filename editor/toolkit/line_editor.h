// The editing state of a single-line text field: text, caret and selection, and what keys do to them.
#pragma once

#include "editor/toolkit/keys.h"

#include <string>

namespace quorvix {

class CLineEditor {
public:
    // The whole text starts selected, as a field that just got the focus.
    CLineEditor(const std::string& text, size_t maxLength);

    enum class EResult { Unhandled, Changed, Commit, Cancel };
    // Characters, Backspace/Delete, Left/Right, Home/End (with shift: selecting), Return and Escape.
    EResult key(const CKeyEvent& key);

    void setCaret(size_t position, bool extendSelection);
    void selectAll();
    const std::string& text() const { return m_text; }
    size_t caret() const { return m_caret; }
    size_t selectionStart() const { return std::min(m_anchor, m_caret); }
    size_t selectionEnd() const { return std::max(m_anchor, m_caret); }
    bool hasSelection() const { return m_anchor != m_caret; }

private:
    void eraseSelection();
    void insert(char c);

    std::string m_text;
    size_t m_maxLength;
    size_t m_caret;
    size_t m_anchor = 0;
};

} // namespace quorvix
