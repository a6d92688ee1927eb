#include "editor/toolkit/text_field.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/frame_window.h"
#include "editor/toolkit/painter.h"

namespace quorvix {

namespace {

constexpr int kEditMargin = 3;

} // namespace

CTextField::CTextField(const CRect& size, CValueListener* listener, int32_t tag, const std::string& text,
                       CSkinImage* background, int style)
    : CValueDisplay(size, listener, tag, background, style), m_text(text.substr(0, kMaxTextLength))
{
}

CTextField::~CTextField()
{
    if (m_editor && m_frame && m_frame->nativeWindow())
        m_frame->nativeWindow()->returnKeyboardFocus();
}

void CTextField::setText(const std::string& text)
{
    const std::string clipped = text.substr(0, kMaxTextLength);
    if (clipped == m_text)
        return;
    m_text = clipped;
    setDirty(true);
}

std::string CTextField::displayText() const { return m_textFormatter ? m_textFormatter(m_text) : m_text; }

void CTextField::draw(CPainter& painter)
{
    setDirty(false);
    if (m_editor)
        drawEditor(painter);
    else if (!(m_style & kStyleNoDraw))
        drawBoxAndText(painter, displayText());
}

int CTextField::editFontSize() const { return std::min(m_bounds.height() - 2, fontSpec(m_fontId).size); }

void CTextField::drawEditor(CPainter& painter)
{
    const CRect& r = m_bounds;
    painter.setFillColor(m_backgroundColor);
    painter.fillArea(r);
    painter.setFont(m_fontId, editFontSize(), m_textStyle);
    const std::string& text = m_editor->text();
    const int inner = r.width() - 2 * kEditMargin;
    const int full = painter.textWidth(text);
    const int caretX = painter.textWidth(text.substr(0, m_editor->caret()));
    // Aligned like the display while the text fits; otherwise scrolled so the caret shows.
    int start = m_align == kAlignCenter ? (inner - full) / 2 : m_align == kAlignRight ? inner - full : 0;
    if (full > inner) {
        start = std::min(0, std::max(m_scroll, inner - full));
        if (caretX + start > inner)
            start = inner - caretX;
        if (caretX + start < 0)
            start = -caretX;
    }
    m_scroll = start;
    const int x0 = r.left + kEditMargin + start;
    const CRect clip = painter.clipRect();
    painter.setClipRect(clip.intersection({r.left + kEditMargin, r.top, r.right - kEditMargin + 1, r.bottom}));
    const CRect line {x0 - 1, r.top, x0 + std::max(full, 1) + 1, r.bottom};
    painter.setTextColor(m_textColor);
    painter.drawString(text, line, false, kAlignLeft);
    if (m_editor->hasSelection()) {
        const int a = x0 + painter.textWidth(text.substr(0, m_editor->selectionStart()));
        const int b = x0 + painter.textWidth(text.substr(0, m_editor->selectionEnd()));
        const std::string selected = text.substr(m_editor->selectionStart(), m_editor->selectionEnd() - m_editor->selectionStart());
        painter.setFillColor(m_textColor);
        painter.fillRect({a - 1, r.top + 1, b, r.bottom - 2});
        painter.setTextColor(m_backgroundColor);
        painter.drawString(selected, {a - 1, r.top, b + 1, r.bottom}, false, kAlignLeft);
    }
    painter.setLineColor(m_textColor);
    painter.setLineWidth(1);
    painter.setLineStyle(ELineStyle::Solid);
    painter.moveTo({x0 + caretX, r.top + 2});
    painter.lineTo({x0 + caretX, r.bottom - 2});
    painter.setClipRect(clip);
}

size_t CTextField::caretAt(CPainter& painter, int x)
{
    painter.setFont(m_fontId, editFontSize(), m_textStyle);
    const std::string& text = m_editor->text();
    const int x0 = m_bounds.left + kEditMargin + m_scroll;
    size_t best = 0;
    int bestDistance = INT32_MAX;
    for (size_t i = 0; i <= text.size(); ++i) {
        const int distance = std::abs(x0 + painter.textWidth(text.substr(0, i)) - x);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

void CTextField::onMouseDown(CPainter& painter, CPoint where)
{
    int buttons = painter.buttonState();
    if (!m_mouseEnabled || !(buttons & kLeftButton) || !m_frame)
        return;
    if (m_editor) {
        // Inside the field being edited: place the caret, and select while the button is held.
        m_editor->setCaret(caretAt(painter, where.x), buttons & kShift);
        for (setDirty(true); buttons & kLeftButton; buttons = painter.buttonState()) {
            serviceIdle();
            const size_t caret = caretAt(painter, painter.cursorPosition().x);
            if (caret != m_editor->caret()) {
                m_editor->setCaret(caret, true);
                setDirty(true);
            }
        }
        return;
    }
    if ((m_style & kStyleEditOnDoubleClick) && !isDoubleClick())
        return;
    m_frame->setFocusedView(this);
}

void CTextField::focusGained(CPainter*)
{
    m_editor = std::make_unique<CLineEditor>(m_text, kMaxTextLength);
    m_editor->selectAll();
    m_cancelled = false;
    m_scroll = 0;
    if (m_frame && m_frame->nativeWindow())
        m_frame->nativeWindow()->takeKeyboardFocus();
    setDirty(true);
}

int CTextField::onKeyDown(const CKeyEvent& key)
{
    if (!m_editor)
        return -1;
    switch (m_editor->key(key)) {
    case CLineEditor::EResult::Unhandled:
        return -1;
    case CLineEditor::EResult::Changed:
        setDirty(true);
        return 1;
    case CLineEditor::EResult::Cancel:
        m_cancelled = true;
        [[fallthrough]];
    case CLineEditor::EResult::Commit:
        if (m_frame && m_frame->focusedView() == this)
            m_frame->setFocusedView(nullptr);
        else
            endEditing(!m_cancelled);
        return 1;
    }
    return 1;
}

void CTextField::focusLost(CPainter*) { endEditing(!m_cancelled); }

void CTextField::endEditing(bool keep)
{
    if (!m_editor)
        return;
    const std::string edited = m_editor->text();
    m_editor.reset();
    if (m_frame && m_frame->nativeWindow())
        m_frame->nativeWindow()->returnKeyboardFocus();
    setDirty(true);
    if (keep && edited != m_text) {
        m_text = edited;
        tellListener(nullptr);
    }
    if (m_parent)
        m_parent->notify(this, kLooseFocus);
    else if (m_frame)
        m_frame->notify(this, kLooseFocus);
}

} // namespace quorvix
