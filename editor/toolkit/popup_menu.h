// A display that shows its current entry and opens a pop-up menu of its entries: columns,
// separators, titles, greyed entries, check marks and submenus.
#pragma once

#include "editor/toolkit/value_display.h"

#include <memory>
#include <vector>

namespace quorvix {

class CMenuSession;

class CPopupMenu : public CValueDisplay {
public:
    static constexpr int kMaxEntries = 1024;
    static constexpr size_t kMaxEntryLength = 255;
    // Menus with at least this many entries are shown in one column.
    static constexpr int kMaxEntriesForColumns = 160;

    CPopupMenu(const CRect& size, CValueListener* listener, int32_t tag, CSkinImage* background = nullptr,
               int style = 0);
    ~CPopupMenu() override;

    void draw(CPainter& painter) override;
    // Left or right button: opens the menu.
    void onMouseDown(CPainter& painter, CPoint where) override;
    int onKeyDown(const CKeyEvent& key) override;
    bool onWheel(CPainter& painter, CPoint where, float distance) override;
    void focusGained(CPainter* painter) override;
    void focusLost(CPainter* painter) override;
    // Sets the current index; in multiple-check mode also flips that entry's check.
    void setValue(float value) override;
    // The current index.
    float getValue() const override { return static_cast<float>(m_current); }

    // position ≥ 0 inserts before it; negative appends. False at kMaxEntries.
    virtual bool addEntry(const std::string& text, int position = -1);
    // Appends "-M" + title and keeps a reference to the menu.
    virtual bool addSubmenu(CPopupMenu* menu, const std::string& title);
    // raw: the index among all entries; otherwise among the selectable ones. −1 without current.
    virtual int getCurrent(std::string* text = nullptr, bool raw = false) const;
    virtual bool setCurrent(int index, bool raw = false);
    virtual bool getEntry(int index, std::string& text) const;
    virtual bool setEntry(int index, const std::string& text);
    virtual bool removeEntry(int index);
    virtual bool removeAllEntries();
    virtual int entryCount() const { return static_cast<int>(m_entries.size()); }
    virtual int indexOf(const std::string& text) const;
    virtual bool checkEntry(int index, bool checked);
    virtual bool checkEntryAlone(int index);
    virtual bool isEntryChecked(int index) const;
    virtual void setEntriesPerColumn(int n) { m_entriesPerColumn = n; }
    virtual int getEntriesPerColumn() const { return m_entriesPerColumn; }
    // Shown under the current entry while the menu is open (may be null).
    void setMenuImage(CSkinImage* image);

    std::string displayText() const override;
    // Kinds of entries by their first characters.
    static bool isSeparator(const std::string& text) { return text == "-"; }
    static bool isTitle(const std::string& text) { return text.rfind("-T", 0) == 0; }
    static bool isGreyed(const std::string& text) { return text.rfind("-G", 0) == 0; }
    static bool isSubmenu(const std::string& text) { return text.rfind("-M", 0) == 0; }
    // What an entry shows: the text after a two-character marker.
    static std::string shownText(const std::string& text);
    CPopupMenu* submenu(int ordinal) const;
    int currentIndex() const { return m_current; }
    bool isOpen() const { return m_session != nullptr; }

    // From the open menu: an entry was chosen (menu null: closed without a choice).
    void menuClosed(CPopupMenu* menu, int index);

protected:
    struct CEntry {
        std::string text;
        bool checked = false;
    };
    bool isSelectable(int index) const;

    std::vector<CEntry> m_entries;
    int m_current = -1;
    std::vector<CPopupMenu*> m_submenus;
    int m_entriesPerColumn = -1;
    CSkinImage* m_menuImage = nullptr;
    bool m_menuImageShown = false;
    std::unique_ptr<CMenuSession> m_session;
};

} // namespace quorvix
