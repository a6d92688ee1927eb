#include "host/editor_window.h"

#include "host/plugin_host.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <cairo.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace qhost {

namespace {

constexpr auto kIdleInterval = std::chrono::milliseconds(30);
// Idles before the screenshot: enough for the editor to map its window and draw it.
constexpr int kIdlesBeforeShot = 12;
constexpr int32_t kQuorvixId = vst::fourCC('Q', 'u', 'o', 'r');
// Quorvix's page buttons: parameters beyond the host's, one per page.
constexpr int32_t kFirstPageButton = 1024;
constexpr int kPageCount = 8;

class CDisplay {
public:
    CDisplay() : m_display(XOpenDisplay(nullptr)) {}
    ~CDisplay()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    CDisplay(const CDisplay&) = delete;
    CDisplay& operator=(const CDisplay&) = delete;
    Display* get() const { return m_display; }

private:
    Display* m_display;
};

// The window's pixels as the X server shows them, children included, as PNG.
bool writeScreenshot(Display* display, Window window, int width, int height, const std::string& path,
                     std::string& error)
{
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                              AllPlanes, ZPixmap);
    if (!image) {
        error = "could not read the window's pixels";
        return false;
    }
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    cairo_surface_flush(surface);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const unsigned long p = XGetPixel(image, x, y);
            const uint32_t r = static_cast<uint32_t>((p & image->red_mask) >> __builtin_ctzl(image->red_mask));
            const uint32_t g = static_cast<uint32_t>((p & image->green_mask) >> __builtin_ctzl(image->green_mask));
            const uint32_t b = static_cast<uint32_t>((p & image->blue_mask) >> __builtin_ctzl(image->blue_mask));
            row[x] = (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(surface);
    XDestroyImage(image);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!written)
        error = "could not write " + path;
    return written;
}

} // namespace

bool runEditor(CPluginInstance& plugin, const CEditOptions& options, std::string& error)
{
    if (!(plugin.effect()->flags & vst::effFlagsHasEditor)) {
        error = "the plug-in has no editor";
        return false;
    }
    vst::ERect* rect = nullptr;
    if (plugin.dispatch(vst::effEditGetRect, 0, 0, &rect) == 0 || !rect || rect->right <= rect->left ||
        rect->bottom <= rect->top) {
        error = "the plug-in did not give its editor's size";
        return false;
    }
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    CDisplay display;
    Display* d = display.get();
    if (!d) {
        error = "no X display (is DISPLAY set? run under xvfb-run for screenshots)";
        return false;
    }
    const int screen = DefaultScreen(d);
    const Window window = XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, BlackPixel(d, screen),
                                              BlackPixel(d, screen));
    const std::string title = plugin.text(vst::effGetEffectName);
    XStoreName(d, window, title.empty() ? "quorvix-host edit" : title.c_str());
    XSizeHints* hints = XAllocSizeHints();
    hints->flags = PMinSize | PMaxSize;
    hints->min_width = hints->max_width = width;
    hints->min_height = hints->max_height = height;
    XSetWMNormalHints(d, window, hints);
    XFree(hints);
    Atom deleteWindow = XInternAtom(d, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(d, window, &deleteWindow, 1);
    XSelectInput(d, window, StructureNotifyMask);
    XMapWindow(d, window);
    XSync(d, False);

    plugin.dispatch(vst::effEditOpen, 0, 0, reinterpret_cast<void*>(static_cast<uintptr_t>(window)));
    if (options.page >= 0 && options.page < kPageCount && plugin.effect()->uniqueID == kQuorvixId)
        plugin.setParameter(kFirstPageButton + options.page, 1.0f);
    bool running = true;
    bool ok = true;
    for (int idles = 0; running; ++idles) {
        plugin.dispatch(vst::effEditIdle);
        XSync(d, False);
        while (XPending(d) > 0) {
            XEvent event;
            XNextEvent(d, &event);
            if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow)
                running = false;
            if (event.type == DestroyNotify && event.xdestroywindow.window == window)
                running = false;
        }
        if (!options.screenshot.empty() && idles == kIdlesBeforeShot) {
            ok = writeScreenshot(d, window, width, height, options.screenshot, error);
            running = false;
        }
        std::this_thread::sleep_for(kIdleInterval);
    }
    plugin.dispatch(vst::effEditClose);
    XDestroyWindow(d, window);
    XSync(d, False);
    return ok;
}

} // namespace qhost
