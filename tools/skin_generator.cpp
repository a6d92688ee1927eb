// Draws the built-in skin with cairo and writes it as C++ source with the PNG bytes embedded
// (and, for looking at them, as PNG files). Run at build time; its output is never committed.
//   quorvix_skin_generator OUT.cpp PNG_FOLDER
#include "editor/skin/skin_bitmaps.h"
#include "editor/skin/skin_ini.h"

#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

namespace {

using namespace quorvix;

constexpr double kPi = std::numbers::pi;

struct CRgb {
    double r, g, b;
};

CRgb rgb(int r, int g, int b) { return {r / 255.0, g / 255.0, b / 255.0}; }
CRgb rgb(CColor c) { return rgb(c.red, c.green, c.blue); }
CRgb mix(CRgb a, CRgb b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// The theme: dark panels on a darker page, slate screens, each page lit in its label colour.
const CRgb kPage = rgb(22, 24, 28);
const CRgb kPageLow = rgb(17, 18, 21);
const CRgb kHeader = rgb(14, 15, 18);
const CRgb kPanel = rgb(35, 38, 44);
const CRgb kPanelBorder = rgb(50, 54, 62);
const CRgb kPanelEdge = rgb(58, 63, 72);
const CRgb kGutter = rgb(29, 31, 36);
const CRgb kTrack = rgb(56, 61, 70);
const CRgb kInk = rgb(226, 229, 234);
const CRgb kMuted = rgb(140, 147, 158);
const CRgb kField = rgb(24, 26, 30);
const CRgb kFieldBorder = rgb(66, 71, 81);
// Shared bitmaps (switches) light up in one colour of their own.
const CRgb kSwitchOn = rgb(72, 204, 170);
// The general page (the overview) has no label colour; it is lit in ice blue.
const CRgb kGeneralAccent = rgb(138, 182, 236);

void setColor(cairo_t* cr, CRgb c, double alpha = 1.0) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void text(cairo_t* cr, const std::string& s, double x, double y, double size, CRgb color, bool bold = true,
          double align = 0.0)
{
    cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    cairo_move_to(cr, std::round(x - align * e.x_advance), std::round(y));
    setColor(cr, color);
    cairo_show_text(cr, s.c_str());
}

CRgb pageAccent(int page)
{
    if (page < 0)
        return kGeneralAccent;
    const CSkinSettings defaults;
    return rgb(defaults.color(static_cast<ESkinColor>(static_cast<int>(ESkinColor::VertLabelOsc) + page)));
}

// ---- Backgrounds ----------------------------------------------------------------------------

struct CPanel {
    int x, y, w, h;
};

// Section frames of each page; the vertical titles go into the 12-pixel gutter at their left.
std::vector<CPanel> pagePanels(int page)
{
    switch (page) {
    case -1: // overview
        return {{6, 58, 310, 214}, {322, 58, 312, 105}, {322, 167, 312, 105}, {6, 276, 184, 74},
                {194, 276, 122, 74}, {322, 276, 312, 74}, {6, 354, 628, 74}, {6, 432, 628, 74}};
    case 0: // oscillators
        return {{6, 58, 628, 86}, {6, 147, 628, 86}, {6, 236, 628, 86}, {6, 326, 628, 180}};
    case 1: // oscillator modulation
    case 4: // filter modulation
        return {{6, 58, 312, 86}, {322, 58, 312, 86}, {6, 147, 628, 196}, {6, 346, 628, 160}};
    case 2: // wave shaper
    case 3: // filter
        return {{6, 58, 628, 86}, {6, 147, 628, 196}, {6, 346, 628, 160}};
    case 5: // volume and effects
        return {{6, 58, 628, 104}, {6, 166, 310, 80}, {322, 166, 312, 80}, {6, 250, 628, 126}, {6, 380, 628, 126}};
    default: // miscellaneous
        return {{6, 58, 312, 96}, {322, 58, 312, 96}, {6, 158, 312, 86}, {322, 158, 312, 86},
                {6, 248, 628, 84}, {6, 336, 440, 170}, {450, 336, 184, 170}};
    }
}

constexpr int kGutterWidth = 14;

void drawPanel(cairo_t* cr, const CPanel& p, CRgb accent)
{
    // A soft shadow, the face, a lit top edge, and the title gutter tinted by the page.
    roundedRect(cr, p.x + 0.5, p.y + 1.5, p.w, p.h, 5);
    setColor(cr, rgb(0, 0, 0), 0.35);
    cairo_fill(cr);
    roundedRect(cr, p.x + 0.5, p.y + 0.5, p.w - 1, p.h - 1, 5);
    setColor(cr, kPanel);
    cairo_fill_preserve(cr);
    setColor(cr, kPanelBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_move_to(cr, p.x + 5, p.y + 1.5);
    cairo_line_to(cr, p.x + p.w - 5, p.y + 1.5);
    setColor(cr, kPanelEdge);
    cairo_stroke(cr);
    cairo_save(cr);
    roundedRect(cr, p.x + 1, p.y + 1, p.w - 2, p.h - 2, 4.5);
    cairo_clip(cr);
    cairo_rectangle(cr, p.x + 1, p.y + 2, kGutterWidth, p.h - 3);
    setColor(cr, mix(kGutter, accent, 0.10));
    cairo_fill(cr);
    cairo_rectangle(cr, p.x + 1, p.y + 2, 2, p.h - 3);
    setColor(cr, accent, 0.85);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The small emblem in the header: a ring with a wave through it.
void drawEmblem(cairo_t* cr, double cx, double cy, double r, CRgb accent)
{
    cairo_set_line_width(cr, 2.2);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    setColor(cr, accent);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.8);
    for (int i = 0; i <= 40; ++i) {
        const double t = i / 40.0;
        const double x = cx - r * 0.7 + t * r * 1.4;
        const double y = cy - std::sin(t * 2 * kPi) * r * 0.45;
        i == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
    }
    setColor(cr, kInk);
    cairo_stroke(cr);
    cairo_arc(cr, cx + r * 0.72, cy + r * 0.72, r * 0.22, 0, 2 * kPi);
    setColor(cr, accent);
    cairo_fill(cr);
}

void drawBackground(cairo_t* cr, int page)
{
    const CRgb accent = pageAccent(page);
    cairo_pattern_t* fade = cairo_pattern_create_linear(0, 0, 0, 510);
    cairo_pattern_add_color_stop_rgb(fade, 0, kPage.r, kPage.g, kPage.b);
    cairo_pattern_add_color_stop_rgb(fade, 1, kPageLow.r, kPageLow.g, kPageLow.b);
    cairo_set_source(cr, fade);
    cairo_paint(cr);
    cairo_pattern_destroy(fade);

    cairo_rectangle(cr, 0, 0, 640, 54);
    setColor(cr, kHeader);
    cairo_fill(cr);
    cairo_pattern_t* glow = cairo_pattern_create_linear(0, 0, 640, 0);
    cairo_pattern_add_color_stop_rgba(glow, 0, accent.r, accent.g, accent.b, 0.0);
    cairo_pattern_add_color_stop_rgba(glow, 0.5, accent.r, accent.g, accent.b, 0.9);
    cairo_pattern_add_color_stop_rgba(glow, 1, accent.r, accent.g, accent.b, 0.0);
    cairo_rectangle(cr, 0, 53, 640, 1);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    drawEmblem(cr, 14.5, 27.5, 8.5, accent);
    // The page switches and the channel and program menus sit on slightly raised plates.
    roundedRect(cr, 26.5, 0.5, 405, 43, 5);
    setColor(cr, rgb(21, 23, 27));
    cairo_fill_preserve(cr);
    setColor(cr, rgb(34, 37, 43));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    roundedRect(cr, 452.5, 0.5, 185, 52, 5);
    setColor(cr, rgb(21, 23, 27));
    cairo_fill_preserve(cr);
    setColor(cr, rgb(34, 37, 43));
    cairo_stroke(cr);

    for (const CPanel& panel : pagePanels(page))
        drawPanel(cr, panel, accent);
}

// ---- Knobs ----------------------------------------------------------------------------------

constexpr int kKnobFrames = 55;
constexpr double kArcStart = 0.75 * kPi;   // lower left, in cairo's clockwise angles
constexpr double kArcSpan = 1.5 * kPi;     // 270° clockwise

void drawKnobFrame(cairo_t* cr, double value, CRgb accent)
{
    const double c = kKnobFrameSize / 2.0;
    setColor(cr, kPanel);
    cairo_paint(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_width(cr, 3.0);
    cairo_arc(cr, c, c, 16.0, kArcStart, kArcStart + kArcSpan);
    setColor(cr, kTrack);
    cairo_stroke(cr);
    const double angle = kArcStart + kArcSpan * value;
    if (value > 0.0) {
        cairo_arc(cr, c, c, 16.0, kArcStart, angle);
        setColor(cr, accent);
        cairo_stroke(cr);
    }
    // Body: a shadow, a brushed face lit from the top left, and a fine rim.
    cairo_arc(cr, c, c + 1.2, 11.5, 0, 2 * kPi);
    setColor(cr, rgb(0, 0, 0), 0.45);
    cairo_fill(cr);
    cairo_pattern_t* face = cairo_pattern_create_linear(c - 8, c - 10, c + 8, c + 10);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.36, 0.38, 0.42);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.17, 0.18, 0.21);
    cairo_arc(cr, c, c, 11.0, 0, 2 * kPi);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    cairo_arc(cr, c, c, 10.5, 0, 2 * kPi);
    cairo_set_line_width(cr, 1.0);
    setColor(cr, rgb(90, 96, 106), 0.9);
    cairo_stroke(cr);
    cairo_arc(cr, c, c, 8.0, 0, 2 * kPi);
    setColor(cr, rgb(40, 43, 49));
    cairo_fill(cr);
    // Pointer.
    cairo_set_line_width(cr, 2.2);
    cairo_move_to(cr, c + std::cos(angle) * 3.0, c + std::sin(angle) * 3.0);
    cairo_line_to(cr, c + std::cos(angle) * 9.5, c + std::sin(angle) * 9.5);
    setColor(cr, kInk);
    cairo_stroke(cr);
    // A dot of light at the end of the value arc.
    cairo_arc(cr, c + std::cos(angle) * 16.0, c + std::sin(angle) * 16.0, 1.6, 0, 2 * kPi);
    setColor(cr, mix(accent, rgb(255, 255, 255), 0.55));
    cairo_fill(cr);
}

void drawKnobMap(cairo_t* cr, CRgb accent)
{
    for (int i = 0; i < kKnobFrames; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 0, i * kKnobFrameSize);
        cairo_rectangle(cr, 0, 0, kKnobFrameSize, kKnobFrameSize);
        cairo_clip(cr);
        drawKnobFrame(cr, i / double(kKnobFrames - 1), accent);
        cairo_restore(cr);
    }
}

// ---- Switches, buttons, menus ---------------------------------------------------------------

void drawSwitchState(cairo_t* cr, bool on)
{
    setColor(cr, kPanel);
    cairo_paint(cr);
    const double w = 30, h = 14, x = (40 - w) / 2, y = (27 - h) / 2;
    roundedRect(cr, x, y, w, h, h / 2);
    setColor(cr, on ? mix(kSwitchOn, kPanel, 0.15) : kField);
    cairo_fill_preserve(cr);
    setColor(cr, on ? mix(kSwitchOn, rgb(255, 255, 255), 0.2) : kFieldBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const double cx = on ? x + w - h / 2 : x + h / 2;
    cairo_arc(cr, cx, y + h / 2 + 0.8, h / 2 - 1.5, 0, 2 * kPi);
    setColor(cr, rgb(0, 0, 0), 0.4);
    cairo_fill(cr);
    cairo_arc(cr, cx, y + h / 2, h / 2 - 2, 0, 2 * kPi);
    setColor(cr, on ? rgb(250, 252, 252) : rgb(150, 156, 166));
    cairo_fill(cr);
}

void drawLabelSwitchState(cairo_t* cr, bool on)
{
    setColor(cr, kPanel);
    cairo_paint(cr);
    roundedRect(cr, 2.5, 3.5, 35, 20, 4);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 3, 0, 24);
    const CRgb top = on ? rgb(70, 76, 86) : rgb(52, 56, 64), bottom = on ? rgb(48, 52, 60) : rgb(38, 41, 47);
    cairo_pattern_add_color_stop_rgb(face, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(face, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, face);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(face);
    setColor(cr, kFieldBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_rectangle(cr, 8, 19, 24, 2);
    setColor(cr, on ? kSwitchOn : rgb(60, 64, 72));
    cairo_fill(cr);
}

void drawStepButton(cairo_t* cr, bool plus, bool pressed)
{
    setColor(cr, kHeader);
    cairo_paint(cr);
    roundedRect(cr, 1.5, 1.5, 16, 16, 3);
    setColor(cr, pressed ? rgb(30, 33, 38) : rgb(52, 56, 64));
    cairo_fill_preserve(cr);
    setColor(cr, pressed ? kFieldBorder : rgb(78, 84, 96));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    const double o = pressed ? 0.5 : 0.0;
    cairo_set_line_width(cr, 1.8);
    cairo_move_to(cr, 5.5 + o, 9.5 + o);
    cairo_line_to(cr, 13.5 + o, 9.5 + o);
    if (plus) {
        cairo_move_to(cr, 9.5 + o, 5.5 + o);
        cairo_line_to(cr, 9.5 + o, 13.5 + o);
    }
    setColor(cr, pressed ? kSwitchOn : kInk);
    cairo_stroke(cr);
}

void drawOptionsMenu(cairo_t* cr, int width)
{
    setColor(cr, kPanel);
    cairo_paint(cr);
    roundedRect(cr, 0.5, 0.5, width - 1, 18, 3.5);
    setColor(cr, kField);
    cairo_fill_preserve(cr);
    setColor(cr, kFieldBorder);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 1.4);
    cairo_move_to(cr, width - 11.5, 7.5);
    cairo_line_to(cr, width - 8.5, 10.5);
    cairo_line_to(cr, width - 5.5, 7.5);
    setColor(cr, kMuted);
    cairo_stroke(cr);
}

// ---- Displays -------------------------------------------------------------------------------

// The envelope display's screen averages "colLEnv_AvgBackgroundCol", which its dotted grid uses.
void drawEnvelopeDisplay(cairo_t* cr)
{
    const CSkinSettings defaults;
    const CRgb average = rgb(defaults.color(ESkinColor::EnvAverageBackground));
    setColor(cr, kPanel);
    cairo_paint(cr);
    roundedRect(cr, 0.5, 0.5, 530, 95, 4);
    setColor(cr, rgb(16, 17, 20));
    cairo_fill(cr);
    cairo_pattern_t* screen = cairo_pattern_create_linear(0, 3, 0, 93);
    const CRgb top = mix(average, rgb(255, 255, 255), 0.06), bottom = mix(average, rgb(0, 0, 0), 0.06);
    cairo_pattern_add_color_stop_rgb(screen, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(screen, 1, bottom.r, bottom.g, bottom.b);
    roundedRect(cr, 3, 3, 525, 90, 3);
    cairo_set_source(cr, screen);
    cairo_fill(cr);
    cairo_pattern_destroy(screen);
}

void drawCombinationPanel(cairo_t* cr)
{
    setColor(cr, kPanel);
    cairo_paint(cr);
    for (int i = 0; i < 5; ++i) {
        const double x = 2.5 + i * 95;
        roundedRect(cr, x, 0.5, 91, 112, 4);
        setColor(cr, rgb(30, 33, 38));
        cairo_fill_preserve(cr);
        setColor(cr, kPanelBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_rectangle(cr, x + 6, 13, 79, 1);
        setColor(cr, kPanelEdge);
        cairo_fill(cr);
    }
}

// Each filter type's response, as a function of the position 0..1 across the picture.
double filterCurve(int type, double x)
{
    const double f = 0.5;
    switch (type) {
    case 0: return 0.5;
    case 1: return 1.0 / (1.0 + std::pow(x / f, 4));
    case 2: return std::min(1.15, 1.0 / (1.0 + std::pow(x / f, 8)) + 0.18 * std::exp(-std::pow((x - f * 0.9) / 0.08, 2)));
    case 3: return 1.0 / (1.0 + std::pow(x / f, 10)) * (0.92 + 0.08 * std::cos(x * 30));
    case 4: return 1.0 / (1.0 + std::pow(f / std::max(x, 1e-3), 4));
    case 5: return std::min(1.15, 1.0 / (1.0 + std::pow(f / std::max(x, 1e-3), 8)) + 0.18 * std::exp(-std::pow((x - f * 1.1) / 0.08, 2)));
    case 6: return 1.0 / (1.0 + std::pow(f / std::max(x, 1e-3), 10)) * (0.92 + 0.08 * std::cos(x * 30));
    case 7: return std::exp(-std::pow((x - f) / 0.14, 2));
    default: return 1.0 - std::exp(-std::pow((x - f) / 0.1, 2));
    }
}

constexpr const char* kFilterNames[9] = {"OFF", "BES LP", "2×BW LP", "CHE LP", "BES HP", "2×BW HP", "CHE HP", "BAND", "NOTCH"};

void drawFilterMap(cairo_t* cr, bool lit)
{
    const CRgb accent = pageAccent(static_cast<int>(ESkinPage::Filter));
    for (int type = 0; type < 9; ++type) {
        cairo_save(cr);
        cairo_translate(cr, 0, type * 42);
        cairo_rectangle(cr, 0, 0, 46, 42);
        cairo_clip(cr);
        setColor(cr, kPanel);
        cairo_paint(cr);
        roundedRect(cr, 1.5, 1.5, 43, 39, 4);
        setColor(cr, lit ? mix(kField, accent, 0.22) : kField);
        cairo_fill_preserve(cr);
        setColor(cr, lit ? accent : kFieldBorder);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
        cairo_set_line_width(cr, 1.6);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        for (int i = 0; i <= 38; ++i) {
            const double x = i / 38.0;
            const double y = 26 - 18 * filterCurve(type, x);
            i == 0 ? cairo_move_to(cr, 4 + i, y) : cairo_line_to(cr, 4 + i, y);
        }
        setColor(cr, lit ? rgb(255, 255, 255) : accent);
        cairo_stroke(cr);
        text(cr, kFilterNames[type], 23, 37, 8, lit ? rgb(255, 255, 255) : kMuted, true, 0.5);
        cairo_restore(cr);
    }
}

void drawLine(cairo_t* cr, bool horizontal)
{
    setColor(cr, kPage);
    cairo_paint(cr);
    if (horizontal) {
        cairo_rectangle(cr, 0, 2, 640, 1);
        setColor(cr, rgb(44, 48, 55));
        cairo_fill(cr);
        cairo_rectangle(cr, 0, 3, 640, 1);
        setColor(cr, rgb(10, 11, 13));
        cairo_fill(cr);
    } else {
        cairo_rectangle(cr, 2, 0, 1, 90);
        setColor(cr, rgb(44, 48, 55));
        cairo_fill(cr);
        cairo_rectangle(cr, 3, 0, 1, 90);
        setColor(cr, rgb(10, 11, 13));
        cairo_fill(cr);
    }
}

void drawVertLabel(cairo_t* cr, CRgb accent)
{
    setColor(cr, kPanel);
    cairo_paint(cr);
    roundedRect(cr, 1, 1, 12, 31, 4);
    setColor(cr, accent);
    cairo_fill(cr);
}

// Two frames: the logo, and the same with the credits; on the panel colour, so it needs no key.
void drawLogo(cairo_t* cr)
{
    const CRgb accent = kGeneralAccent;
    for (int frame = 0; frame < 2; ++frame) {
        cairo_save(cr);
        cairo_translate(cr, 0, frame * 149);
        cairo_rectangle(cr, 0, 0, 173, 149);
        cairo_clip(cr);
        setColor(cr, kPanel);
        cairo_paint(cr);
        const double cx = 86.5, cy = 56;
        for (int ring = 0; ring < 3; ++ring) {
            cairo_arc(cr, cx, cy, 38 - ring * 9, 0, 2 * kPi);
            cairo_set_line_width(cr, ring == 0 ? 3 : 1.2);
            setColor(cr, ring == 0 ? accent : mix(kPanel, accent, 0.35));
            cairo_stroke(cr);
        }
        cairo_set_line_width(cr, 2.6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (int i = 0; i <= 80; ++i) {
            const double t = i / 80.0;
            const double x = cx - 30 + 60 * t;
            const double y = cy - std::sin(t * 2 * kPi) * 16 * std::sin(t * kPi) - std::sin(t * 6 * kPi) * 3;
            i == 0 ? cairo_move_to(cr, x, y) : cairo_line_to(cr, x, y);
        }
        setColor(cr, kInk);
        cairo_stroke(cr);
        cairo_arc(cr, cx + 27, cy + 27, 6, 0, 2 * kPi);
        setColor(cr, accent);
        cairo_fill(cr);
        if (frame == 0) {
            text(cr, "QUORVIX", cx, 122, 24, kInk, true, 0.5);
            text(cr, "SYNTHESIZER", cx, 139, 10, kMuted, true, 0.5);
        } else {
            text(cr, "Quorvix 2.25", cx, 116, 13, kInk, true, 0.5);
            text(cr, "Brenwick", cx, 132, 10, kMuted, false, 0.5);
            text(cr, "VST 2.x instrument for Linux", cx, 145, 9, kMuted, false, 0.5);
        }
        cairo_restore(cr);
    }
}

// ---- Output ---------------------------------------------------------------------------------

using CDrawing = std::function<void(cairo_t*)>;

struct CBitmapJob {
    ESkinBitmap bitmap;
    CDrawing draw;
};

std::vector<CBitmapJob> jobs()
{
    std::vector<CBitmapJob> list;
    list.push_back({ESkinBitmap::Background, [](cairo_t* cr) { drawBackground(cr, -1); }});
    list.push_back({ESkinBitmap::KnobMap, [](cairo_t* cr) { drawKnobMap(cr, kGeneralAccent); }});
    list.push_back({ESkinBitmap::VertLabel, [](cairo_t* cr) { drawVertLabel(cr, kGeneralAccent); }});
    for (int page = 0; page < kSkinPageCount; ++page) {
        const auto p = static_cast<ESkinPage>(page);
        list.push_back({pageBitmap(ESkinBitmap::BackgroundPages, p), [page](cairo_t* cr) { drawBackground(cr, page); }});
        list.push_back({pageBitmap(ESkinBitmap::KnobMapPages, p), [page](cairo_t* cr) { drawKnobMap(cr, pageAccent(page)); }});
        list.push_back({pageBitmap(ESkinBitmap::VertLabelPages, p), [page](cairo_t* cr) { drawVertLabel(cr, pageAccent(page)); }});
    }
    auto twoStates = [](std::function<void(cairo_t*, bool)> state, int height) {
        return [state, height](cairo_t* cr) {
            for (int on = 0; on < 2; ++on) {
                cairo_save(cr);
                cairo_translate(cr, 0, on * height);
                cairo_rectangle(cr, 0, 0, 640, height);
                cairo_clip(cr);
                state(cr, on == 1);
                cairo_restore(cr);
            }
        };
    };
    list.push_back({ESkinBitmap::HorzLine, [](cairo_t* cr) { drawLine(cr, true); }});
    list.push_back({ESkinBitmap::VertLine, [](cairo_t* cr) { drawLine(cr, false); }});
    list.push_back({ESkinBitmap::OnOffButton, twoStates(drawSwitchState, 27)});
    list.push_back({ESkinBitmap::OnOffButtonLabel, twoStates(drawLabelSwitchState, 27)});
    list.push_back({ESkinBitmap::ButtonPlus, twoStates([](cairo_t* cr, bool on) { drawStepButton(cr, true, on); }, 19)});
    list.push_back({ESkinBitmap::ButtonMinus, twoStates([](cairo_t* cr, bool on) { drawStepButton(cr, false, on); }, 19)});
    list.push_back({ESkinBitmap::EnvelopeDisplay, drawEnvelopeDisplay});
    list.push_back({ESkinBitmap::OptionsMenuSmall, [](cairo_t* cr) { drawOptionsMenu(cr, 87); }});
    list.push_back({ESkinBitmap::OptionsMenuMedium, [](cairo_t* cr) { drawOptionsMenu(cr, 113); }});
    list.push_back({ESkinBitmap::OptionsMenuBig, [](cairo_t* cr) { drawOptionsMenu(cr, 139); }});
    list.push_back({ESkinBitmap::CombinationPanel, drawCombinationPanel});
    list.push_back({ESkinBitmap::FilterMap, [](cairo_t* cr) { drawFilterMap(cr, false); }});
    list.push_back({ESkinBitmap::HighlightenedFilterMap, [](cairo_t* cr) { drawFilterMap(cr, true); }});
    list.push_back({ESkinBitmap::AboutLogo, drawLogo});
    return list;
}

std::string fileName(ESkinBitmap bitmap)
{
    const char* name = skinBitmapInfo(bitmap).name;
    return name ? name : "AboutLogo";
}

cairo_status_t append(void* closure, const unsigned char* data, unsigned int length)
{
    auto* bytes = static_cast<std::vector<unsigned char>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUT.cpp PNG_FOLDER\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[2];
    std::string source = "// Generated by quorvix_skin_generator; do not edit.\n#include \"editor/skin/builtin_skin.h\"\n\n"
                         "namespace quorvix {\n\nnamespace {\n\n";
    std::string table;
    int count = 0;
    for (const CBitmapJob& job : jobs()) {
        const CSkinBitmapInfo& info = skinBitmapInfo(job.bitmap);
        cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, info.width, info.height);
        cairo_t* cr = cairo_create(surface);
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        cairo_set_font_options(cr, options);
        cairo_font_options_destroy(options);
        job.draw(cr);
        cairo_destroy(cr);
        std::vector<unsigned char> png;
        cairo_surface_write_to_png_stream(surface, append, &png);
        cairo_surface_write_to_png(surface, (folder + "/" + fileName(job.bitmap) + ".png").c_str());
        cairo_surface_destroy(surface);
        const std::string array = "kPng" + std::to_string(count);
        source += "const uint8_t " + array + "[] = {";
        for (size_t i = 0; i < png.size(); ++i) {
            if (i % 24 == 0)
                source += "\n   ";
            source += " " + std::to_string(png[i]) + ",";
        }
        source += "\n};\n\n";
        table += "    {static_cast<ESkinBitmap>(" + std::to_string(static_cast<int>(job.bitmap)) + "), " + array +
                 ", sizeof " + array + "},\n";
        ++count;
    }
    source += "} // namespace\n\nconst CBuiltinBitmap kBuiltinBitmaps[] = {\n" + table + "};\n\nconst size_t kBuiltinBitmapCount = " +
              std::to_string(count) + ";\n\n} // namespace quorvix\n";
    std::ofstream out(argv[1], std::ios::binary);
    out << source;
    return out ? 0 : 1;
}
