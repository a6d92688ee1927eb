#include "tests/stress/parent_window.h"

#include <X11/Xlib.h>

#include <cstdint>

namespace quorvix {

namespace {
constexpr Window kNoWindow = 0x400001;
constexpr unsigned kWidth = 640;
constexpr unsigned kHeight = 510;
} // namespace

CParentWindow::CParentWindow() : m_display(XOpenDisplay(nullptr))
{
    if (!m_display)
        return;
    m_window = XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, kWidth, kHeight, 0, 0, 0);
    XMapWindow(m_display, m_window);
    XSync(m_display, False);
}

CParentWindow::~CParentWindow()
{
    if (!m_display)
        return;
    XDestroyWindow(m_display, m_window);
    XCloseDisplay(m_display);
}

void* CParentWindow::id() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(m_display ? m_window : kNoWindow)); }

} // namespace quorvix
