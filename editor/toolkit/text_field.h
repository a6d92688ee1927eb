// A display whose text the user can edit in place: caret, selection, Home/End, Backspace/Delete;
// Return or leaving the field commits, Escape cancels.
#pragma once

#include "editor/toolkit/line_editor.h"
#include "editor/toolkit/value_display.h"

#include <memory>

namespace quorvix {

// What a text field tells its parent (or the frame) when editing ends.
inline constexpr const char* kLooseFocus = "LooseFocus";

class CTextField : public CValueDisplay {
public:
    using CTextFormatter = std::function<std::string(const std::string& text)>;
    static constexpr size_t kMaxTextLength = 255;

    CTextField(const CRect& size, CValueListener* listener, int32_t tag, const std::string& text = {},
               CSkinImage* background = nullptr, int style = 0);
    ~CTextField() override;

    void draw(CPainter& painter) override;
    void onMouseDown(CPainter& painter, CPoint where) override;
    int onKeyDown(const CKeyEvent& key) override;
    void focusGained(CPainter* painter) override;
    void focusLost(CPainter* painter) override;

    virtual void setText(const std::string& text);
    virtual std::string getText() const { return m_text; }
    virtual void setTextFormatter(CTextFormatter formatter) { m_textFormatter = std::move(formatter); }
    std::string displayText() const override;
    bool isEditing() const { return m_editor != nullptr; }
    const CLineEditor* editor() const { return m_editor.get(); }

private:
    void drawEditor(CPainter& painter);
    // The glyph height while editing: the font's size, at most the box height less 2.
    int editFontSize() const;
    size_t caretAt(CPainter& painter, int x);
    void endEditing(bool keep);

    std::string m_text;
    CTextFormatter m_textFormatter;
    std::unique_ptr<CLineEditor> m_editor;
    // Where the text starts while editing, so that the caret stays in view.
    int m_scroll = 0;
    bool m_cancelled = false;
};

} // namespace quorvix
