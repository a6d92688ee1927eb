#include "notice/icons.h"

#include <gdk/gdk.h>

#include <cairo.h>
#include <cmath>

namespace quorvix::notice {

namespace {

constexpr int kFlagIcon = 32;
constexpr double kPi = 3.141592653589793;

struct CColour {
    double r, g, b;
};

void fill(cairo_t* cr, CColour c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

template <typename Draw>
GdkPixbuf* drawn(int width, int height, Draw draw)
{
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    cairo_t* cr = cairo_create(surface);
    draw(cr);
    cairo_destroy(cr);
    GdkPixbuf* pixbuf = gdk_pixbuf_get_from_surface(surface, 0, 0, width, height);
    cairo_surface_destroy(surface);
    return pixbuf;
}

// A diagonal band of the given width from corner to corner of the w x h field.
void diagonals(cairo_t* cr, double w, double h, double width)
{
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, 0, 0);
    cairo_line_to(cr, w, h);
    cairo_move_to(cr, w, 0);
    cairo_line_to(cr, 0, h);
    cairo_stroke(cr);
}

} // namespace

GdkPixbuf* logoIcon(int size)
{
    return drawn(size, size, [size](cairo_t* cr) {
        const double s = size, c = s / 2.0;
        cairo_pattern_t* glow = cairo_pattern_create_radial(c * 0.8, c * 0.7, 0, c, c, c);
        cairo_pattern_add_color_stop_rgb(glow, 0.0, 0.45, 0.30, 0.85);
        cairo_pattern_add_color_stop_rgb(glow, 1.0, 0.10, 0.05, 0.30);
        cairo_arc(cr, c, c, c - 0.5, 0, 2 * kPi);
        cairo_set_source(cr, glow);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
        // The wave of an oscillator crossing the disc, its tail leaving the ring like a Q's.
        cairo_set_source_rgb(cr, 1.0, 0.85, 0.35);
        cairo_set_line_width(cr, std::max(1.5, s / 12.0));
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (int i = 0; i <= 32; ++i) {
            const double x = s * (0.18 + 0.64 * i / 32.0);
            const double y = c - s * 0.18 * std::sin(2.0 * kPi * i / 32.0);
            i == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
        }
        cairo_stroke(cr);
        cairo_move_to(cr, s * 0.62, s * 0.66);
        cairo_line_to(cr, s * 0.86, s * 0.90);
        cairo_stroke(cr);
    });
}

GdkPixbuf* britishFlagIcon()
{
    return drawn(kFlagIcon, kFlagIcon, [](cairo_t* cr) {
        const double w = 32, h = 16;
        cairo_translate(cr, 0, (kFlagIcon - h) / 2.0);
        cairo_rectangle(cr, 0, 0, w, h);
        cairo_clip(cr);
        fill(cr, {0.004, 0.129, 0.412});
        cairo_paint(cr);
        fill(cr, {1, 1, 1});
        diagonals(cr, w, h, h * 0.2);
        fill(cr, {0.784, 0.063, 0.180});
        diagonals(cr, w, h, h * 0.067);
        fill(cr, {1, 1, 1});
        cairo_rectangle(cr, 0, h / 3.0, w, h / 3.0);
        cairo_rectangle(cr, w / 2.0 - h / 6.0, 0, h / 3.0, h);
        cairo_fill(cr);
        fill(cr, {0.784, 0.063, 0.180});
        cairo_rectangle(cr, 0, h * 0.4, w, h * 0.2);
        cairo_rectangle(cr, w / 2.0 - h * 0.1, 0, h * 0.2, h);
        cairo_fill(cr);
    });
}

GdkPixbuf* germanFlagIcon()
{
    return drawn(kFlagIcon, kFlagIcon, [](cairo_t* cr) {
        const double w = 30, h = 18, x = 1, y = (kFlagIcon - h) / 2.0;
        const CColour stripes[] = {{0, 0, 0}, {0.867, 0, 0}, {1.0, 0.808, 0}};
        for (int i = 0; i < 3; ++i) {
            fill(cr, stripes[i]);
            cairo_rectangle(cr, x, y + i * h / 3.0, w, h / 3.0);
            cairo_fill(cr);
        }
    });
}

} // namespace quorvix::notice
