#include "editor/toolkit/popup_menu.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/menu_session.h"
#include "editor/toolkit/painter.h"
#include "editor/toolkit/skin_image.h"

namespace quorvix {

CPopupMenu::CPopupMenu(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background, int style)
    : CValueDisplay(size, listener, tag, background, style)
{
}

CPopupMenu::~CPopupMenu()
{
    m_session.reset();
    removeAllEntries();
    if (m_menuImage)
        m_menuImage->release();
}

void CPopupMenu::setMenuImage(CSkinImage* image)
{
    if (image)
        image->addReference();
    if (m_menuImage)
        m_menuImage->release();
    m_menuImage = image;
}

std::string CPopupMenu::shownText(const std::string& text)
{
    return isTitle(text) || isGreyed(text) || isSubmenu(text) ? text.substr(2) : text;
}

std::string CPopupMenu::displayText() const
{
    return m_current >= 0 && m_current < entryCount() ? shownText(m_entries[size_t(m_current)].text) : std::string();
}

void CPopupMenu::draw(CPainter& painter)
{
    setDirty(false);
    if (m_style & kStyleNoDraw)
        return;
    drawBoxAndText(painter, displayText());
}

void CPopupMenu::onMouseDown(CPainter& painter, CPoint)
{
    const int buttons = painter.buttonState();
    if (!m_mouseEnabled || !(buttons & (kLeftButton | kRightButton)) || !m_frame)
        return;
    if (m_menuImage) {
        m_menuImage->draw(painter, m_bounds);
        painter.setFont(m_fontId, 0, m_textStyle);
        painter.setTextColor(m_textColor);
        painter.drawString(displayText(), m_bounds, false, m_align);
        m_menuImageShown = true;
    }
    m_frame->setFocusedView(this);
}

void CPopupMenu::focusGained(CPainter*)
{
    CFrameWindow* window = m_frame ? m_frame->nativeWindow() : nullptr;
    if (window)
        m_session = CMenuSession::open(*this, *window, m_bounds, (m_style & kStylePopupAbove) != 0);
    // Without a window there is nothing to show: the menu closes at once.
    if (!m_session && m_frame)
        m_frame->setFocusedView(nullptr);
}

void CPopupMenu::focusLost(CPainter*)
{
    m_session.reset();
    if (m_menuImageShown) {
        m_menuImageShown = false;
        setDirty(true);
    }
}

void CPopupMenu::menuClosed(CPopupMenu* menu, int index)
{
    if (m_frame && m_frame->focusedView() == this)
        m_frame->setFocusedView(nullptr);
    else
        m_session.reset();
    if (!menu)
        return;
    menu->setValue(static_cast<float>(index));
    if (m_listener)
        m_listener->valueChanged(nullptr, menu);
}

int CPopupMenu::onKeyDown(const CKeyEvent& key) { return m_session ? m_session->key(key) : -1; }

bool CPopupMenu::onWheel(CPainter&, CPoint, float distance)
{
    if (!m_session)
        return false;
    m_session->wheel(distance);
    return true;
}

void CPopupMenu::setValue(float value)
{
    const int index = static_cast<int>(value);
    if (index < 0 || index >= entryCount())
        return;
    m_current = index;
    m_value = getValue();
    if (m_style & kStyleMultipleCheck)
        m_entries[size_t(index)].checked = !m_entries[size_t(index)].checked;
    setDirty(true);
}

bool CPopupMenu::addEntry(const std::string& text, int position)
{
    if (entryCount() >= kMaxEntries)
        return false;
    CEntry entry {text.substr(0, kMaxEntryLength), false};
    if (position >= 0 && position < entryCount()) {
        m_entries.insert(m_entries.begin() + position, entry);
        if (m_current >= position)
            ++m_current;
    } else {
        m_entries.push_back(entry);
    }
    if (m_current < 0)
        m_current = 0;
    m_value = getValue();
    return true;
}

bool CPopupMenu::addSubmenu(CPopupMenu* menu, const std::string& title)
{
    if (!menu || title.empty() || !addEntry("-M" + title))
        return false;
    m_submenus.push_back(menu);
    menu->addReference();
    return true;
}

CPopupMenu* CPopupMenu::submenu(int ordinal) const
{
    return ordinal >= 0 && ordinal < static_cast<int>(m_submenus.size()) ? m_submenus[size_t(ordinal)] : nullptr;
}

bool CPopupMenu::isSelectable(int index) const
{
    const std::string& text = m_entries[size_t(index)].text;
    return !isSeparator(text) && !isTitle(text);
}

int CPopupMenu::getCurrent(std::string* text, bool raw) const
{
    if (m_current < 0 || m_current >= entryCount())
        return -1;
    if (text)
        *text = m_entries[size_t(m_current)].text;
    if (raw)
        return m_current;
    int selectable = 0;
    for (int i = 0; i < m_current; ++i)
        selectable += isSelectable(i);
    return selectable;
}

bool CPopupMenu::setCurrent(int index, bool raw)
{
    if (index < 0 || index >= entryCount())
        return false;
    if (raw) {
        if (isSeparator(m_entries[size_t(index)].text))
            return false;
        m_current = index;
    } else {
        int rawIndex = -1;
        for (int i = 0, seen = 0; i < entryCount() && rawIndex < 0; ++i)
            if (isSelectable(i) && seen++ == index)
                rawIndex = i;
        if (rawIndex < 0)
            return false;
        m_current = rawIndex;
    }
    m_value = getValue();
    setDirty(true);
    return true;
}

bool CPopupMenu::getEntry(int index, std::string& text) const
{
    if (index < 0 || index >= entryCount())
        return false;
    text = m_entries[size_t(index)].text;
    return true;
}

bool CPopupMenu::setEntry(int index, const std::string& text)
{
    if (index < 0 || index >= entryCount())
        return false;
    m_entries[size_t(index)].text = text.substr(0, kMaxEntryLength);
    return true;
}

bool CPopupMenu::removeEntry(int index)
{
    if (index < 0 || index >= entryCount())
        return false;
    m_entries.erase(m_entries.begin() + index);
    if (m_entries.empty())
        m_current = -1;
    else if (m_current >= index)
        m_current = std::max(0, m_current - 1);
    return true;
}

bool CPopupMenu::removeAllEntries()
{
    m_entries.clear();
    for (CPopupMenu* menu : m_submenus)
        menu->release();
    m_submenus.clear();
    m_current = -1;
    return true;
}

int CPopupMenu::indexOf(const std::string& text) const
{
    for (int i = 0; i < entryCount(); ++i)
        if (m_entries[size_t(i)].text == text)
            return i;
    return -1;
}

bool CPopupMenu::checkEntry(int index, bool checked)
{
    if (index < 0 || index >= entryCount())
        return false;
    m_entries[size_t(index)].checked = checked;
    return true;
}

bool CPopupMenu::checkEntryAlone(int index)
{
    if (index < 0 || index >= entryCount())
        return false;
    for (CEntry& entry : m_entries)
        entry.checked = false;
    m_entries[size_t(index)].checked = true;
    return true;
}

bool CPopupMenu::isEntryChecked(int index) const
{
    return index >= 0 && index < entryCount() && m_entries[size_t(index)].checked;
}

} // namespace quorvix
