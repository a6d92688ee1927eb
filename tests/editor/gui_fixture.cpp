#include "gui_fixture.h"

#include "editor/toolkit/skin_image.h"

#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <unistd.h>

namespace qtest {

CHostWindow::CHostWindow(int width, int height, int x, int y) : m_origin {x, y}
{
    // The server refuses a connection now and then right after others closed.
    m_display = XOpenDisplay(nullptr);
    for (int i = 0; i < 100 && !m_display; ++i) {
        usleep(10000);
        m_display = XOpenDisplay(nullptr);
    }
    if (!m_display)
        throw std::runtime_error("no X display");
    XSetWindowAttributes attributes {};
    attributes.override_redirect = True;
    attributes.background_pixel = 0x336699;
    m_window = XCreateWindow(m_display, DefaultRootWindow(m_display), x, y, static_cast<unsigned>(width),
                             static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                             CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(m_display, m_window);
    XSync(m_display, False);
}

CHostWindow::~CHostWindow()
{
    XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
}

int CHostWindow::childCount() const
{
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    XQueryTree(m_display, m_window, &root, &parent, &children, &count);
    if (children)
        XFree(children);
    return static_cast<int>(count);
}

void CInput::sync() const { XSync(m_host.display(), False); }

void CInput::move(CPoint p) const
{
    XTestFakeMotionEvent(m_host.display(), DefaultScreen(m_host.display()), m_host.origin().x + p.x,
                         m_host.origin().y + p.y, CurrentTime);
    sync();
}

void CInput::moveBy(int dx, int dy) const
{
    XTestFakeRelativeMotionEvent(m_host.display(), dx, dy, CurrentTime);
    sync();
}

void CInput::press(int button) const
{
    XTestFakeButtonEvent(m_host.display(), static_cast<unsigned>(button), True, CurrentTime);
    sync();
}

void CInput::release(int button) const
{
    XTestFakeButtonEvent(m_host.display(), static_cast<unsigned>(button), False, CurrentTime);
    sync();
}

void CInput::key(unsigned long keysym, bool down) const
{
    const KeyCode code = XKeysymToKeycode(m_host.display(), keysym);
    XTestFakeKeyEvent(m_host.display(), code, down ? True : False, CurrentTime);
    sync();
}

void CInput::tap(unsigned long keysym) const
{
    key(keysym, true);
    key(keysym, false);
}

void CInput::type(const std::string& text) const
{
    for (const char c : text) {
        const bool upper = c >= 'A' && c <= 'Z';
        if (upper)
            key(XK_Shift_L, true);
        tap(static_cast<unsigned char>(upper ? c - 'A' + 'a' : c));
        if (upper)
            key(XK_Shift_L, false);
    }
}

void CTestOwner::serviceIdle()
{
    ++idleCalls;
    if (m_steps.empty())
        return;
    auto step = std::move(m_steps.front());
    m_steps.erase(m_steps.begin());
    step();
}

void CRecorder::valueChanged(CPainter*, CValueControl* control)
{
    values.push_back(control->getValue());
    tags.push_back(control->getTag());
}

void pumpFrame(CEditorFrame& frame, int rounds)
{
    for (int i = 0; i < rounds; ++i) {
        frame.pumpEvents();
        frame.idle();
        usleep(2000);
    }
}

CColor backBufferPixel(const CEditorFrame& frame, int x, int y)
{
    CSkinImage* shot = frame.snapshot();
    const CColor c = shot->pixel(x, y);
    shot->release();
    return c;
}

CColor windowPixel(Display* display, Window window, int x, int y)
{
    XImage* image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return {};
    const unsigned long p = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)};
}

} // namespace qtest
