#include "editor/toolkit/frame_window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>

namespace quorvix {

namespace {

// Errors of our own connection (a host that destroyed its window while the editor opens or runs)
// must not reach the host's handler, which may end the process. Others go on to it. Traps nest:
// the outermost one installs the handler, each reports only the errors raised in its own scope.
thread_local Display* tTrappedDisplay = nullptr;
thread_local int tTrapDepth = 0;
thread_local unsigned tTrappedErrors = 0;
// The handler is one per process, so the one it replaced is too.
std::atomic<XErrorHandler> gPreviousHandler {nullptr};

int trapError(Display* display, XErrorEvent* error)
{
    if (display == tTrappedDisplay) {
        ++tTrappedErrors;
        return 0;
    }
    const XErrorHandler previous = gPreviousHandler.load();
    return previous ? previous(display, error) : 0;
}

class CErrorTrap {
public:
    // With `syncAtEnd`, errors of requests sent in the scope are read before it ends; without,
    // the next trapped read catches them.
    explicit CErrorTrap(Display* display, bool syncAtEnd = true)
        : m_display(display), m_syncAtEnd(syncAtEnd), m_errorsBefore(tTrappedErrors)
    {
        if (tTrapDepth++ == 0) {
            tTrappedDisplay = display;
            gPreviousHandler = XSetErrorHandler(trapError);
        }
    }
    ~CErrorTrap()
    {
        if (m_syncAtEnd)
            XSync(m_display, False);
        if (--tTrapDepth == 0) {
            XSetErrorHandler(gPreviousHandler.load());
            tTrappedDisplay = nullptr;
        }
    }
    CErrorTrap(const CErrorTrap&) = delete;
    CErrorTrap& operator=(const CErrorTrap&) = delete;
    bool failed()
    {
        XSync(m_display, False);
        return tTrappedErrors != m_errorsBefore;
    }

private:
    Display* m_display;
    bool m_syncAtEnd;
    unsigned m_errorsBefore;
};

constexpr long kEventMask = ExposureMask | ButtonPressMask | ButtonReleaseMask | ButtonMotionMask | KeyPressMask |
                            KeyReleaseMask | StructureNotifyMask | FocusChangeMask;
// The drag-and-drop protocol version we speak.
constexpr long kDndVersion = 5;
constexpr unsigned long kWindowBackground = 0x1C1E22;

Atom atom(Display* display, const char* name) { return XInternAtom(display, name, False); }

int buttonBits(unsigned int mask)
{
    int bits = 0;
    if (mask & Button1Mask)
        bits |= kLeftButton;
    if (mask & Button2Mask)
        bits |= kMiddleButton;
    if (mask & Button3Mask)
        bits |= kRightButton;
    if (mask & ShiftMask)
        bits |= kShift;
    if (mask & ControlMask)
        bits |= kControl;
    if (mask & Mod1Mask)
        bits |= kAlt;
    return bits;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "file://host/path%20name" → "/path name"; links are followed to what they point at.
std::string pathOfUri(const std::string& uri)
{
    std::string rest = uri;
    if (rest.rfind("file://", 0) == 0) {
        rest = rest.substr(7);
        const size_t slash = rest.find('/');
        rest = slash == std::string::npos ? std::string() : rest.substr(slash);
    }
    std::string path;
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest[i] == '%' && i + 2 < rest.size() && hexValue(rest[i + 1]) >= 0 && hexValue(rest[i + 2]) >= 0) {
            path += static_cast<char>(hexValue(rest[i + 1]) * 16 + hexValue(rest[i + 2]));
            i += 2;
        } else {
            path += rest[i];
        }
    }
    if (char* resolved = realpath(path.c_str(), nullptr)) {
        path = resolved;
        std::free(resolved);
    }
    return path;
}

CDropData dropData(bool isUriList, const std::string& bytes)
{
    CDropData data;
    if (!isUriList) {
        data.kind = EDropKind::Text;
        data.items.push_back(bytes);
        return data;
    }
    data.kind = EDropKind::Files;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] != '#')
            data.items.push_back(pathOfUri(line));
        start = end + 1;
    }
    return data;
}

} // namespace

CFrameWindow::CFrameWindow(Window parent, int width, int height, CWindowEvents& events) : m_events(events)
{
    m_display = XOpenDisplay(nullptr);
    if (!m_display)
        return;
    if (!openWindow(parent, width, height)) {
        XCloseDisplay(m_display);
        m_display = nullptr;
    }
}

bool CFrameWindow::openWindow(Window parent, int width, int height)
{
    // The whole set-up runs under one trap: a host may destroy its window before we map ours.
    CErrorTrap trap(m_display);
    XSetWindowAttributes attributes {};
    attributes.background_pixel = kWindowBackground;
    attributes.event_mask = kEventMask;
    attributes.cursor = None;
    m_window = XCreateWindow(m_display, parent, 0, 0, static_cast<unsigned>(std::max(width, 1)),
                             static_cast<unsigned>(std::max(height, 1)), 0, CopyFromParent, InputOutput,
                             CopyFromParent, CWBackPixel | CWEventMask | CWCursor, &attributes);
    if (trap.failed()) {
        m_window = 0;
        return false;
    }
    XStoreName(m_display, m_window, "Window");
    const Atom version = kDndVersion;
    XChangeProperty(m_display, m_window, atom(m_display, "XdndAware"), XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&version), 1);
    XWindowAttributes info {};
    XGetWindowAttributes(m_display, m_window, &info);
    m_surface = cairo_xlib_surface_create(m_display, m_window, info.visual, std::max(width, 1), std::max(height, 1));
    XMapWindow(m_display, m_window);
    return true;
}

CFrameWindow::~CFrameWindow()
{
    if (!m_display)
        return;
    {
        CErrorTrap trap(m_display);
        closeWindow();
    }
    XCloseDisplay(m_display);
}

void CFrameWindow::closeWindow()
{
    returnKeyboardFocus();
    if (m_surface) {
        cairo_surface_finish(m_surface);
        cairo_surface_destroy(m_surface);
    }
    // The host may have destroyed its window, and ours with it, before closing the editor.
    while (XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        if (event.type == DestroyNotify && event.xdestroywindow.window == m_window)
            m_window = 0;
    }
    if (m_window)
        XDestroyWindow(m_display, m_window);
}

void CFrameWindow::pumpEvents(bool dropInput)
{
    if (!m_display)
        return;
    CErrorTrap trap(m_display, false);
    while (m_display && XPending(m_display) > 0) {
        XEvent event;
        XNextEvent(m_display, &event);
        handle(event, dropInput);
    }
}

void CFrameWindow::waitForEvents(int ms)
{
    if (!m_display || XPending(m_display) > 0)
        return;
    pollfd fd {ConnectionNumber(m_display), POLLIN, 0};
    poll(&fd, 1, ms);
}

void CFrameWindow::handle(XEvent& event, bool dropInput)
{
    const Window target = event.xany.window;
    if (target != m_window) {
        for (auto& [window, client] : m_clients)
            if (window == target) {
                client->onEvent(event);
                return;
            }
        return;
    }
    switch (event.type) {
    case Expose:
        m_exposed = m_exposed.united(CRect::sized(event.xexpose.x, event.xexpose.y, event.xexpose.width,
                                                  event.xexpose.height));
        if (event.xexpose.count == 0) {
            const CRect area = m_exposed;
            m_exposed = {};
            m_events.onExpose(area);
        }
        break;
    case ButtonPress:
        if (dropInput)
            break;
        if (event.xbutton.button <= Button3)
            m_events.onButtonPress({event.xbutton.x, event.xbutton.y});
        else if (event.xbutton.button == Button4 || event.xbutton.button == Button5)
            m_events.onWheelStep({event.xbutton.x, event.xbutton.y}, event.xbutton.button == Button4 ? 1.0f : -1.0f);
        break;
    case KeyPress:
    case KeyRelease: {
        // Modifier keys alone are state, read with the buttons; they are no key of their own.
        const CKeyEvent key = translateKey(event.xkey);
        if (!dropInput && (key.character || key.virt))
            m_events.onKey(key, event.type == KeyPress);
        break;
    }
    case DestroyNotify:
        if (event.xdestroywindow.window == m_window) {
            m_window = 0;
            m_events.onWindowDestroyed();
        }
        break;
    case FocusOut:
        // Grabs (an open pop-up) and moves between our own windows are no loss of focus.
        if (event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
            event.xfocus.detail != NotifyPointer)
            m_events.onFocusOut();
        break;
    case ClientMessage:
        handleDndMessage(event.xclient);
        break;
    case SelectionNotify:
        handleSelection(event.xselection);
        break;
    default:
        break;
    }
}

CKeyEvent CFrameWindow::translateKey(XKeyEvent& event)
{
    char text[8] = {};
    KeySym sym = NoSymbol;
    const int length = XLookupString(&event, text, sizeof text, &sym, nullptr);
    CKeyEvent key;
    if (event.state & ShiftMask)
        key.modifiers |= kModShift;
    if (event.state & Mod1Mask)
        key.modifiers |= kModAlt;
    if (event.state & ControlMask)
        key.modifiers |= kModControl;
    switch (sym) {
    case XK_BackSpace: key.virt = kKeyBack; break;
    case XK_Tab: key.virt = kKeyTab; break;
    case XK_Return: key.virt = kKeyReturn; break;
    case XK_KP_Enter: key.virt = kKeyEnter; break;
    case XK_Escape: key.virt = kKeyEscape; break;
    case XK_space: key.virt = kKeySpace; key.character = ' '; break;
    case XK_End: case XK_KP_End: key.virt = kKeyEnd; break;
    case XK_Home: case XK_KP_Home: key.virt = kKeyHome; break;
    case XK_Left: case XK_KP_Left: key.virt = kKeyLeft; break;
    case XK_Up: case XK_KP_Up: key.virt = kKeyUp; break;
    case XK_Right: case XK_KP_Right: key.virt = kKeyRight; break;
    case XK_Down: case XK_KP_Down: key.virt = kKeyDown; break;
    case XK_Page_Up: case XK_KP_Page_Up: key.virt = kKeyPageUp; break;
    case XK_Page_Down: case XK_KP_Page_Down: key.virt = kKeyPageDown; break;
    case XK_Insert: key.virt = kKeyInsert; break;
    case XK_Delete: case XK_KP_Delete: key.virt = kKeyDelete; break;
    default:
        if (length == 1 && static_cast<unsigned char>(text[0]) >= 0x20 && text[0] != 0x7F)
            key.character = static_cast<unsigned char>(text[0]);
        break;
    }
    return key;
}

void CFrameWindow::show(cairo_surface_t* image, const CRect& area)
{
    if (!m_surface || !m_window || area.isEmpty())
        return;
    cairo_t* cr = cairo_create(m_surface);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, image, 0, 0);
    cairo_rectangle(cr, area.left, area.top, area.width(), area.height());
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_flush(m_surface);
    XFlush(m_display);
}

int CFrameWindow::pointerState(CPoint* position) const
{
    if (!m_display || !m_window)
        return 0;
    Window root = 0, child = 0;
    int rootX = 0, rootY = 0, x = 0, y = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(m_display, m_window, &root, &child, &rootX, &rootY, &x, &y, &mask))
        return 0;
    if (position)
        *position = {x, y};
    return buttonBits(mask);
}

CPoint CFrameWindow::screenPosition() const
{
    if (!m_display || !m_window)
        return {};
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(m_display, m_window, DefaultRootWindow(m_display), 0, 0, &x, &y, &child);
    return {x, y};
}

CRect CFrameWindow::screenArea() const
{
    if (!m_display)
        return {};
    const int screen = DefaultScreen(m_display);
    return {0, 0, DisplayWidth(m_display, screen), DisplayHeight(m_display, screen)};
}

void CFrameWindow::addClient(Window window, CWindowClient* client) { m_clients.emplace_back(window, client); }

void CFrameWindow::removeClient(Window window)
{
    std::erase_if(m_clients, [window](const auto& entry) { return entry.first == window; });
}

void CFrameWindow::takeKeyboardFocus()
{
    if (!m_window || m_hasFocus)
        return;
    XGetInputFocus(m_display, &m_focusBefore, &m_focusRevertBefore);
    CErrorTrap trap(m_display);
    XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
    m_hasFocus = true;
}

void CFrameWindow::returnKeyboardFocus()
{
    if (!m_hasFocus)
        return;
    m_hasFocus = false;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(m_display, &focus, &revert);
    if (focus != m_window || m_focusBefore == 0)
        return;
    CErrorTrap trap(m_display);
    XSetInputFocus(m_display, m_focusBefore, m_focusRevertBefore, CurrentTime);
}

void CFrameWindow::sendDndMessage(Window target, Atom type, long l1, long l2, long l3, long l4)
{
    XEvent event {};
    event.xclient.type = ClientMessage;
    event.xclient.display = m_display;
    event.xclient.window = target;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(m_window);
    event.xclient.data.l[1] = l1;
    event.xclient.data.l[2] = l2;
    event.xclient.data.l[3] = l3;
    event.xclient.data.l[4] = l4;
    CErrorTrap trap(m_display);
    XSendEvent(m_display, target, False, NoEventMask, &event);
}

void CFrameWindow::handleDndMessage(const XClientMessageEvent& message)
{
    const Atom type = message.message_type;
    const Window source = static_cast<Window>(message.data.l[0]);
    if (type == atom(m_display, "XdndEnter")) {
        std::vector<Atom> offered;
        if (message.data.l[1] & 1) {
            Atom actual = 0;
            int format = 0;
            unsigned long count = 0, after = 0;
            unsigned char* data = nullptr;
            CErrorTrap trap(m_display);
            if (XGetWindowProperty(m_display, source, atom(m_display, "XdndTypeList"), 0, 1024, False, XA_ATOM,
                                   &actual, &format, &count, &after, &data) == Success && data) {
                const auto* atoms = reinterpret_cast<const Atom*>(data);
                offered.assign(atoms, atoms + count);
            }
            if (data)
                XFree(data);
        } else {
            for (int i = 2; i <= 4; ++i)
                if (message.data.l[i])
                    offered.push_back(static_cast<Atom>(message.data.l[i]));
        }
        m_dnd = {};
        m_dnd.source = source;
        for (const char* wanted : {"text/uri-list", "UTF8_STRING", "text/plain;charset=utf-8", "text/plain", "STRING"}) {
            const Atom a = atom(m_display, wanted);
            if (std::find(offered.begin(), offered.end(), a) != offered.end()) {
                m_dnd.type = a;
                break;
            }
        }
    } else if (type == atom(m_display, "XdndPosition")) {
        const long packed = message.data.l[2];
        const CPoint origin = screenPosition();
        m_dnd.where = {static_cast<int>((packed >> 16) & 0xFFFF) - origin.x, static_cast<int>(packed & 0xFFFF) - origin.y};
        m_dnd.control = (pointerState(nullptr) & kControl) != 0;
        const Atom action = !m_dnd.type ? None
                            : m_dnd.control ? atom(m_display, "XdndActionCopy")
                                            : atom(m_display, "XdndActionMove");
        sendDndMessage(source, atom(m_display, "XdndStatus"), m_dnd.type ? 3 : 2, 0, 0, static_cast<long>(action));
    } else if (type == atom(m_display, "XdndLeave")) {
        m_dnd = {};
    } else if (type == atom(m_display, "XdndDrop")) {
        if (!m_dnd.type) {
            sendDndMessage(source, atom(m_display, "XdndFinished"), 0, None, 0, 0);
            m_dnd = {};
            return;
        }
        XConvertSelection(m_display, atom(m_display, "XdndSelection"), m_dnd.type, atom(m_display, "QUORVIX_DROP"),
                          m_window, static_cast<Time>(message.data.l[2]));
    }
}

void CFrameWindow::handleSelection(const XSelectionEvent& selection)
{
    if (!m_dnd.source || selection.selection != atom(m_display, "XdndSelection"))
        return;
    const Window source = m_dnd.source;
    const bool uriList = m_dnd.type == atom(m_display, "text/uri-list");
    bool received = false;
    if (selection.property != None) {
        Atom actual = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(m_display, m_window, selection.property, 0, LONG_MAX / 4, True, AnyPropertyType, &actual,
                               &format, &count, &after, &data) == Success && data && format == 8) {
            m_events.onDrop(dropData(uriList, std::string(reinterpret_cast<const char*>(data), count)), m_dnd.where);
            received = true;
        }
        if (data)
            XFree(data);
    }
    const Atom action = !received ? None
                        : m_dnd.control ? atom(m_display, "XdndActionCopy")
                                        : atom(m_display, "XdndActionMove");
    sendDndMessage(source, atom(m_display, "XdndFinished"), received ? 1 : 0, static_cast<long>(action), 0, 0);
    m_dnd = {};
}

} // namespace quorvix
