#include "editor/toolkit/menu_session.h"

#include "editor/toolkit/offscreen_painter.h"
#include "editor/toolkit/popup_menu.h"
#include "editor/toolkit/skin_image.h"
#include "editor/toolkit/value_display.h"

#include <X11/Xutil.h>
#include <cairo-xlib.h>
#include <unistd.h>

namespace quorvix {

namespace {

constexpr int kMenuFont = 3;
constexpr int kRowHeight = 18;
constexpr int kSeparatorHeight = 7;
constexpr int kCheckArea = 20;  // left of the text: the check mark
constexpr int kArrowArea = 18;  // right of the text: the submenu arrow
constexpr int kTextGap = 8;
constexpr int kBorder = 1;
constexpr int kInnerMargin = 3;
// Pixels the pointer must move before a button release counts as a choice.
constexpr int kClickSlack = 3;
constexpr int kGrabAttempts = 20;

constexpr CColor kMenuBackground {36, 38, 44};
constexpr CColor kMenuBorder {78, 82, 92};
constexpr CColor kMenuText {226, 229, 234};
constexpr CColor kMenuDisabled {118, 122, 131};
constexpr CColor kMenuHighlight {58, 110, 196};
constexpr CColor kMenuSeparator {62, 66, 75};

bool isActionable(const std::string& text)
{
    return !CPopupMenu::isSeparator(text) && !CPopupMenu::isTitle(text) && !CPopupMenu::isGreyed(text);
}

std::string entryText(const CPopupMenu& menu, int index)
{
    std::string text;
    menu.getEntry(index, text);
    return text;
}

int submenuOrdinal(const CPopupMenu& menu, int index)
{
    int ordinal = 0;
    for (int i = 0; i < index; ++i)
        ordinal += CPopupMenu::isSubmenu(entryText(menu, i));
    return ordinal;
}

bool showsCheck(const CPopupMenu& menu, int index)
{
    if (menu.style() & kStyleMultipleCheck)
        return menu.isEntryChecked(index);
    return (menu.style() & kStyleCheckCurrent) && index == menu.currentIndex();
}

} // namespace

struct CMenuSession::CLevel {
    CPopupMenu* menu = nullptr;
    Window window = 0;
    cairo_surface_t* surface = nullptr;
    CRect screen;
    std::vector<CRow> rows;
    int perColumn = 0;
    int highlighted = -1; // a row, −1 none
    bool submenuOpen = false;
};

CMenuSession::CMenuSession(CPopupMenu& root, CFrameWindow& window) : m_root(root), m_window(window) {}

std::unique_ptr<CMenuSession> CMenuSession::open(CPopupMenu& root, CFrameWindow& window, const CRect& anchor,
                                                 bool above)
{
    if (root.entryCount() == 0)
        return nullptr;
    std::unique_ptr<CMenuSession> session(new CMenuSession(root, window));
    const CPoint origin = window.screenPosition();
    const CRect screenAnchor = anchor.offset(origin.x, origin.y);
    CPoint pointer;
    window.pointerState(&pointer);
    session->m_openedAt = pointer.offset(origin.x, origin.y);
    if (!session->openLevel(root, {screenAnchor.left, above ? screenAnchor.top : screenAnchor.bottom}, screenAnchor,
                            above))
        return nullptr;
    Display* display = window.display();
    const Window grabWindow = session->m_levels.front()->window;
    for (int attempt = 0; attempt < kGrabAttempts && !session->m_grabbed; ++attempt) {
        XSync(display, False);
        session->m_grabbed = XGrabPointer(display, grabWindow, False,
                                          ButtonPressMask | ButtonReleaseMask | PointerMotionMask, GrabModeAsync,
                                          GrabModeAsync, None, None, CurrentTime) == GrabSuccess;
        if (!session->m_grabbed)
            usleep(1000);
    }
    XGrabKeyboard(display, grabWindow, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    const int current = root.currentIndex();
    for (size_t row = 0; row < session->m_levels.front()->rows.size(); ++row)
        if (session->m_levels.front()->rows[row].index == current)
            session->highlight(0, static_cast<int>(row), false);
    XFlush(display);
    return session;
}

CMenuSession::~CMenuSession()
{
    Display* display = m_window.display();
    if (m_grabbed) {
        XUngrabPointer(display, CurrentTime);
        XUngrabKeyboard(display, CurrentTime);
    }
    closeLevelsAfter(0);
    if (!m_levels.empty()) {
        CLevel& first = *m_levels.front();
        m_window.removeClient(first.window);
        cairo_surface_destroy(first.surface);
        XDestroyWindow(display, first.window);
    }
    XFlush(display);
}

bool CMenuSession::openLevel(CPopupMenu& menu, CPoint screenTopLeft, const CRect& avoid, bool above)
{
    auto level = std::make_unique<CLevel>();
    level->menu = &menu;
    const int count = menu.entryCount();
    const int perColumn = menu.getEntriesPerColumn();
    level->perColumn = count < CPopupMenu::kMaxEntriesForColumns && perColumn > 0 ? perColumn : count;

    COffscreenPainter measure(nullptr);
    measure.setFont(kMenuFont);
    int x = kBorder, width = 0, height = 0;
    for (int first = 0; first < count; first += level->perColumn) {
        const int last = std::min(count, first + level->perColumn);
        int columnWidth = 0, y = kBorder + kInnerMargin;
        for (int i = first; i < last; ++i)
            columnWidth = std::max(columnWidth, measure.textWidth(CPopupMenu::shownText(entryText(menu, i))));
        columnWidth += kCheckArea + kArrowArea + kTextGap;
        for (int i = first; i < last; ++i) {
            const int h = CPopupMenu::isSeparator(entryText(menu, i)) ? kSeparatorHeight : kRowHeight;
            level->rows.push_back({i, CRect::sized(x, y, columnWidth, h)});
            y += h;
        }
        x += columnWidth;
        width = x;
        height = std::max(height, y);
    }
    width += kBorder;
    height += kInnerMargin + kBorder;

    // Inside the screen: flipped to the other side of what it must not cover when it does not fit.
    const CRect screenArea = m_window.screenArea();
    CPoint at = screenTopLeft;
    if (above)
        at.y -= height;
    if (at.y + height > screenArea.bottom)
        at.y = (m_levels.empty() ? avoid.top : screenArea.bottom) - height;
    if (at.y < 0)
        at.y = 0;
    if (at.x + width > screenArea.right)
        at.x = m_levels.empty() ? screenArea.right - width : avoid.left - width;
    if (at.x < 0)
        at.x = 0;
    level->screen = CRect::sized(at.x, at.y, width, height);

    Display* display = m_window.display();
    XSetWindowAttributes attributes {};
    attributes.override_redirect = True;
    attributes.save_under = True;
    attributes.background_pixel = (uint32_t(kMenuBackground.red) << 16) | (uint32_t(kMenuBackground.green) << 8) |
                                  kMenuBackground.blue;
    attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask;
    level->window = XCreateWindow(display, DefaultRootWindow(display), at.x, at.y, static_cast<unsigned>(width),
                                  static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWSaveUnder | CWBackPixel | CWEventMask, &attributes);
    if (!level->window)
        return false;
    XWindowAttributes info {};
    XGetWindowAttributes(display, level->window, &info);
    level->surface = cairo_xlib_surface_create(display, level->window, info.visual, width, height);
    m_window.addClient(level->window, this);
    XMapRaised(display, level->window);
    m_levels.push_back(std::move(level));
    paint(*m_levels.back());
    return true;
}

void CMenuSession::closeLevelsAfter(size_t level)
{
    Display* display = m_window.display();
    while (m_levels.size() > level + 1) {
        CLevel& last = *m_levels.back();
        m_window.removeClient(last.window);
        cairo_surface_destroy(last.surface);
        XDestroyWindow(display, last.window);
        m_levels.pop_back();
    }
    if (level < m_levels.size())
        m_levels[level]->submenuOpen = false;
}

void CMenuSession::paint(CLevel& level)
{
    const int width = level.screen.width(), height = level.screen.height();
    COffscreenPainter p(nullptr, width, height, kMenuBackground);
    p.setLineColor(kMenuBorder);
    p.drawRect({0, 0, width - 1, height - 1});
    p.setFont(kMenuFont);
    const CPopupMenu& menu = *level.menu;
    for (size_t r = 0; r < level.rows.size(); ++r) {
        const CRow& row = level.rows[r];
        const std::string text = entryText(menu, row.index);
        const CRect& box = row.rect;
        if (CPopupMenu::isSeparator(text)) {
            p.setLineColor(kMenuSeparator);
            p.moveTo({box.left + 6, box.top + box.height() / 2});
            p.lineTo({box.right - 6, box.top + box.height() / 2});
            continue;
        }
        const bool lit = static_cast<int>(r) == level.highlighted && isActionable(text);
        if (lit) {
            p.setFillColor(kMenuHighlight);
            p.fillArea(box);
        }
        const CColor ink = lit ? kWhite : isActionable(text) ? kMenuText : kMenuDisabled;
        p.setFont(kMenuFont, 0, CPopupMenu::isTitle(text) ? kFontBold : 0);
        p.setTextColor(ink);
        p.drawString(CPopupMenu::shownText(text), {box.left + kCheckArea, box.top, box.right - kArrowArea, box.bottom},
                     false, kAlignLeft);
        const int middle = box.top + box.height() / 2;
        if (showsCheck(menu, row.index)) {
            p.setLineColor(ink);
            p.setLineWidth(2);
            p.moveTo({box.left + 6, middle});
            p.lineTo({box.left + 9, middle + 3});
            p.lineTo({box.left + 15, middle - 4});
            p.setLineWidth(1);
        }
        if (CPopupMenu::isSubmenu(text)) {
            p.setFillColor(ink);
            const CPoint arrow[] = {{box.right - 12, middle - 4}, {box.right - 7, middle}, {box.right - 12, middle + 4}};
            p.fillPolygon(arrow, 3);
        }
    }
    cairo_t* cr = cairo_create(level.surface);
    cairo_set_source_surface(cr, p.image()->surface(), 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    cairo_surface_flush(level.surface);
    XFlush(m_window.display());
}

bool CMenuSession::find(CPoint screen, size_t& level, int& row) const
{
    for (size_t l = m_levels.size(); l-- > 0;) {
        const CLevel& candidate = *m_levels[l];
        const CRect& s = candidate.screen;
        if (screen.x < s.left || screen.x >= s.right || screen.y < s.top || screen.y >= s.bottom)
            continue;
        level = l;
        row = -1;
        const CPoint local {screen.x - candidate.screen.left, screen.y - candidate.screen.top};
        for (size_t r = 0; r < candidate.rows.size(); ++r) {
            const CRect& box = candidate.rows[r].rect;
            if (local.x >= box.left && local.x < box.right && local.y >= box.top && local.y < box.bottom)
                row = static_cast<int>(r);
        }
        return true;
    }
    return false;
}

void CMenuSession::highlight(size_t level, int row, bool openSubmenu)
{
    CLevel& target = *m_levels[level];
    const bool same = target.highlighted == row;
    if (!same || !openSubmenu)
        closeLevelsAfter(level);
    if (!same) {
        target.highlighted = row;
        paint(target);
    }
    if (!openSubmenu || row < 0 || target.submenuOpen)
        return;
    const int index = target.rows[size_t(row)].index;
    if (!CPopupMenu::isSubmenu(entryText(*target.menu, index)))
        return;
    CPopupMenu* sub = target.menu->submenu(submenuOrdinal(*target.menu, index));
    if (!sub || sub->entryCount() == 0)
        return;
    const CRect rowScreen = target.rows[size_t(row)].rect.offset(target.screen.left, target.screen.top);
    target.submenuOpen = openLevel(*sub, {target.screen.right - kBorder, rowScreen.top - kInnerMargin - kBorder},
                                   target.screen, false);
}

void CMenuSession::moveHighlight(int step)
{
    CLevel& level = *m_levels.back();
    const int count = static_cast<int>(level.rows.size());
    int row = level.highlighted;
    for (int tries = 0; tries < count; ++tries) {
        row = row < 0 ? (step > 0 ? 0 : count - 1) : (row + step + count) % count;
        if (isActionable(entryText(*level.menu, level.rows[size_t(row)].index))) {
            highlight(m_levels.size() - 1, row, false);
            return;
        }
    }
}

void CMenuSession::moveColumn(int direction)
{
    CLevel& level = *m_levels.back();
    const int count = static_cast<int>(level.rows.size());
    if (level.highlighted < 0 || level.perColumn >= count)
        return;
    const int row = level.highlighted + direction * level.perColumn;
    if (row >= 0 && row < count && isActionable(entryText(*level.menu, level.rows[size_t(row)].index)))
        highlight(m_levels.size() - 1, row, false);
}

void CMenuSession::activate()
{
    CLevel& level = *m_levels.back();
    if (level.highlighted < 0)
        return;
    const int index = level.rows[size_t(level.highlighted)].index;
    const std::string text = entryText(*level.menu, index);
    if (!isActionable(text))
        return;
    if (CPopupMenu::isSubmenu(text)) {
        highlight(m_levels.size() - 1, level.highlighted, true);
        if (m_levels.back().get() != &level)
            moveHighlight(1);
        return;
    }
    finish(level.menu, index);
}

void CMenuSession::finish(CPopupMenu* menu, int index)
{
    CPopupMenu& root = m_root;
    root.menuClosed(menu, index);
}

int CMenuSession::key(const CKeyEvent& key)
{
    switch (key.virt) {
    case kKeyUp:
        moveHighlight(-1);
        return 1;
    case kKeyDown:
        moveHighlight(1);
        return 1;
    case kKeyRight: {
        CLevel& level = *m_levels.back();
        if (level.highlighted < 0)
            moveHighlight(1); // a submenu the pointer opened: enter it
        else if (CPopupMenu::isSubmenu(entryText(*level.menu, level.rows[size_t(level.highlighted)].index)))
            activate();
        else
            moveColumn(1);
        return 1;
    }
    case kKeyLeft:
        if (m_levels.size() > 1)
            closeLevelsAfter(m_levels.size() - 2);
        else
            moveColumn(-1);
        return 1;
    case kKeyReturn:
    case kKeyEnter:
    case kKeySpace:
        activate();
        return 1;
    case kKeyEscape:
        if (m_levels.size() > 1)
            closeLevelsAfter(m_levels.size() - 2);
        else
            finish(nullptr, 0);
        return 1;
    default:
        return -1;
    }
}

void CMenuSession::wheel(float distance) { moveHighlight(distance > 0.0f ? -1 : 1); }

void CMenuSession::onEvent(const XEvent& event)
{
    switch (event.type) {
    case Expose:
        if (event.xexpose.count == 0)
            for (auto& level : m_levels)
                if (level->window == event.xexpose.window)
                    paint(*level);
        return;
    case MotionNotify: {
        const CPoint at {event.xmotion.x_root, event.xmotion.y_root};
        if (std::abs(at.x - m_openedAt.x) > kClickSlack || std::abs(at.y - m_openedAt.y) > kClickSlack)
            m_moved = true;
        size_t level = 0;
        int row = -1;
        if (find(at, level, row) && (row < 0 || isActionable(entryText(*m_levels[level]->menu, m_levels[level]->rows[size_t(row)].index))))
            highlight(level, row, true);
        return;
    }
    case ButtonPress: {
        if (event.xbutton.button == Button4 || event.xbutton.button == Button5) {
            wheel(event.xbutton.button == Button4 ? 1.0f : -1.0f);
            return;
        }
        size_t level = 0;
        int row = -1;
        if (!find({event.xbutton.x_root, event.xbutton.y_root}, level, row)) {
            finish(nullptr, 0);
            return;
        }
        m_moved = true;
        return;
    }
    case ButtonRelease: {
        if (event.xbutton.button > Button3 || !m_moved)
            return;
        size_t level = 0;
        int row = -1;
        if (!find({event.xbutton.x_root, event.xbutton.y_root}, level, row) || row < 0)
            return;
        CLevel& hit = *m_levels[level];
        const int index = hit.rows[size_t(row)].index;
        const std::string text = entryText(*hit.menu, index);
        if (isActionable(text) && !CPopupMenu::isSubmenu(text))
            finish(hit.menu, index);
        return;
    }
    case KeyPress: {
        XKeyEvent copy = event.xkey;
        key(CFrameWindow::translateKey(copy));
        return;
    }
    default:
        return;
    }
}

} // namespace quorvix
