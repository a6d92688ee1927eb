#include "editor/toolkit/painter.h"

#include "editor/toolkit/editor_frame.h"
#include "editor/toolkit/text_encoding.h"

#include <cairo.h>

#include <cmath>
#include <numbers>

namespace quorvix {

namespace {

// "Arial" is drawn with its metric twin, the symbol font with a face that has the symbols.
constexpr const char* kArial = "Liberation Sans";
constexpr const char* kSymbol = "DejaVu Sans";

constexpr CFontSpec kFontTable[kFontCount] = {
    {kArial, 12, true}, {kArial, 18, false}, {kArial, 14, false}, {kArial, 12, false},
    {kArial, 11, false}, {kArial, 10, false}, {kArial, 9, false}, {kSymbol, 13, false},
};

// Without a frame the painter clips to 0..1000 in both axes.
constexpr int kFramelessExtent = 1000;

// Lines of odd width sit on pixel centres, even ones on pixel edges.
double penCentre(int width) { return width % 2 ? 0.5 : 0.0; }

} // namespace

const CFontSpec& fontSpec(int id) { return kFontTable[id >= 0 && id < kFontCount ? id : 0]; }

CPainter::CPainter(CEditorFrame* frame)
    : CPainter(frame, frame ? frame->backBuffer() : nullptr, frame ? frame->getBounds().width() : 0,
               frame ? frame->getBounds().height() : 0)
{
    m_showsOnWindow = frame != nullptr;
}

CPainter::CPainter(CEditorFrame* frame, _cairo_surface* target, int width, int height) : m_frame(frame)
{
    if (!target) {
        target = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
        m_cr = cairo_create(target);
        cairo_surface_destroy(target);
    } else {
        m_cr = cairo_create(target);
    }
    m_clip = frame ? CRect {0, 0, width, height} : CRect {0, 0, kFramelessExtent, kFramelessExtent};
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(m_cr, options);
    cairo_font_options_destroy(options);
    setFont(0);
}

CPainter::~CPainter()
{
    cairo_destroy(m_cr);
    if (m_showsOnWindow && !m_damage.isEmpty())
        m_frame->showOnWindow(m_damage);
}

void CPainter::setClipRect(const CRect& clip) { m_clip = clip; }

void CPainter::markDamage(CRect rect)
{
    rect = rect.intersection(m_clip);
    if (!rect.isEmpty())
        m_damage = m_damage.united(rect);
}

void CPainter::beginClipped()
{
    cairo_save(m_cr);
    cairo_rectangle(m_cr, m_clip.left, m_clip.top, m_clip.width(), m_clip.height());
    cairo_clip(m_cr);
}

void CPainter::applyColor(CColor c) { cairo_set_source_rgb(m_cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0); }

void CPainter::applyPen()
{
    applyColor(m_lineColor);
    cairo_set_line_width(m_cr, m_lineWidth);
    cairo_set_line_cap(m_cr, m_lineWidth > 1 ? CAIRO_LINE_CAP_ROUND : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(m_cr, CAIRO_LINE_JOIN_MITER);
    const double dots[] = {1.0, 1.0};
    cairo_set_dash(m_cr, dots, m_lineStyle == ELineStyle::Dotted ? 2 : 0, 0.0);
}

void CPainter::setLineStyle(ELineStyle style) { m_lineStyle = style; }

void CPainter::setLineWidth(int width) { m_lineWidth = width < 1 ? 1 : width; }

void CPainter::moveTo(CPoint p) { m_pen = p; }

void CPainter::lineTo(CPoint p)
{
    strokeSegment(m_pen, p);
    m_pen = p;
}

// Axis-parallel lines cover exactly the pixels from the start up to, not including, the end;
// slanted ones run from pixel centre to pixel centre.
void CPainter::strokeSegment(CPoint from, CPoint to)
{
    if (from == to)
        return;
    const CPoint a = from.offset(m_origin.x, m_origin.y);
    const CPoint b = to.offset(m_origin.x, m_origin.y);
    const double c = penCentre(m_lineWidth);
    beginClipped();
    applyPen();
    if (a.y == b.y) {
        const double x0 = b.x > a.x ? a.x : a.x + 1;
        const double x1 = b.x > a.x ? b.x : b.x + 1;
        cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_BUTT);
        cairo_move_to(m_cr, x0, a.y + c);
        cairo_line_to(m_cr, x1, a.y + c);
    } else if (a.x == b.x) {
        const double y0 = b.y > a.y ? a.y : a.y + 1;
        const double y1 = b.y > a.y ? b.y : b.y + 1;
        cairo_set_line_cap(m_cr, CAIRO_LINE_CAP_BUTT);
        cairo_move_to(m_cr, a.x + c, y0);
        cairo_line_to(m_cr, a.x + c, y1);
    } else {
        cairo_move_to(m_cr, a.x + 0.5, a.y + 0.5);
        cairo_line_to(m_cr, b.x + 0.5, b.y + 0.5);
    }
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
    const int margin = m_lineWidth;
    markDamage({std::min(a.x, b.x) - margin, std::min(a.y, b.y) - margin, std::max(a.x, b.x) + margin + 1,
                std::max(a.y, b.y) + margin + 1});
}

void CPainter::drawRect(const CRect& rect)
{
    const CRect r = rect.offset(m_origin.x, m_origin.y);
    const double c = penCentre(m_lineWidth);
    beginClipped();
    applyPen();
    cairo_rectangle(m_cr, r.left + c, r.top + c, r.width(), r.height());
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
    const int margin = m_lineWidth;
    markDamage({r.left - margin, r.top - margin, r.right + margin + 1, r.bottom + margin + 1});
}

void CPainter::fillRect(const CRect& rect)
{
    const CRect r = CRect {rect.left + 1, rect.top + 1, rect.right, rect.bottom}.offset(m_origin.x, m_origin.y);
    const CRect visible = r.intersection(m_clip);
    if (visible.isEmpty())
        return;
    applyColor(m_fillColor);
    cairo_rectangle(m_cr, visible.left, visible.top, visible.width(), visible.height());
    cairo_fill(m_cr);
    markDamage(visible);
}

void CPainter::drawBevel(const CRect& r, CColor topLeft, CColor bottomRight)
{
    setLineWidth(1);
    setLineStyle(ELineStyle::Solid);
    setLineColor(topLeft);
    moveTo({r.left, r.bottom});
    lineTo({r.left, r.top});
    lineTo({r.right + 1, r.top});
    setLineColor(bottomRight);
    moveTo({r.right, r.top + 1});
    lineTo({r.right, r.bottom});
    lineTo({r.left, r.bottom});
}

void CPainter::fillPolygon(const CPoint* points, int count)
{
    if (!points || count < 3)
        return;
    beginClipped();
    applyColor(m_fillColor);
    CRect box {points[0].x, points[0].y, points[0].x, points[0].y};
    for (int i = 0; i < count; ++i) {
        const CPoint p = points[i].offset(m_origin.x, m_origin.y);
        cairo_line_to(m_cr, p.x + 0.5, p.y + 0.5);
        box = box.united({points[i].x, points[i].y, points[i].x + 1, points[i].y + 1});
    }
    cairo_close_path(m_cr);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    markDamage(box.offset(m_origin.x, m_origin.y));
}

void CPainter::fillEllipse(const CRect& rect)
{
    const CRect r = CRect {rect.left + 1, rect.top + 1, rect.right + 1, rect.bottom + 1}.offset(m_origin.x, m_origin.y);
    if (r.isEmpty())
        return;
    beginClipped();
    applyColor(m_fillColor);
    cairo_save(m_cr);
    cairo_translate(m_cr, (r.left + r.right) / 2.0, (r.top + r.bottom) / 2.0);
    cairo_scale(m_cr, r.width() / 2.0, r.height() / 2.0);
    cairo_arc(m_cr, 0.0, 0.0, 1.0, 0.0, 2.0 * std::numbers::pi);
    cairo_restore(m_cr);
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    markDamage(r);
}

void CPainter::drawArc(const CRect& rect, CPoint start, CPoint end)
{
    const CRect r = CRect {rect.left, rect.top, rect.right + 1, rect.bottom + 1}.offset(m_origin.x, m_origin.y);
    const double inset = m_lineWidth / 2.0;
    const double rx = r.width() / 2.0 - inset;
    const double ry = r.height() / 2.0 - inset;
    if (rx <= 0.0 || ry <= 0.0)
        return;
    const double cx = (r.left + r.right) / 2.0;
    const double cy = (r.top + r.bottom) / 2.0;
    auto angleOf = [&](CPoint p) {
        return std::atan2((p.y + m_origin.y + 0.5 - cy) / ry, (p.x + m_origin.x + 0.5 - cx) / rx);
    };
    const double a0 = angleOf(start);
    double a1 = angleOf(end);
    // y runs downwards, so counter-clockwise on screen is the negative direction.
    if (a1 >= a0)
        a1 -= 2.0 * std::numbers::pi;
    beginClipped();
    applyPen();
    cairo_save(m_cr);
    cairo_translate(m_cr, cx, cy);
    cairo_scale(m_cr, rx, ry);
    cairo_arc_negative(m_cr, 0.0, 0.0, 1.0, a0, a1);
    cairo_restore(m_cr);
    cairo_stroke(m_cr);
    cairo_restore(m_cr);
    markDamage(r);
}

void CPainter::setFont(int id, int size, int style)
{
    if (id < 0 || id >= kFontCount)
        id = 0;
    const CFontSpec& spec = fontSpec(id);
    m_fontId = id;
    m_fontSize = size > 0 ? size : spec.size;
    m_fontStyle = spec.alwaysBold ? (style | kFontBold) : style;
    selectFont();
}

void CPainter::selectFont()
{
    const CFontSpec& spec = fontSpec(m_fontId);
    cairo_select_font_face(m_cr, spec.family,
                           m_fontStyle & kFontItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           m_fontStyle & kFontBold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(m_cr, m_fontSize);
}

int CPainter::textWidth(const std::string& text)
{
    const std::string utf8 = toUtf8(text);
    cairo_text_extents_t extents;
    cairo_text_extents(m_cr, utf8.c_str(), &extents);
    return static_cast<int>(std::lround(extents.x_advance));
}

void CPainter::drawString(const std::string& text, const CRect& rect, bool opaque, int align)
{
    const CRect r = rect.offset(m_origin.x, m_origin.y);
    const CRect visible = r.intersection(m_clip);
    if (visible.isEmpty() || text.empty())
        return;
    const std::string utf8 = toUtf8(text);
    cairo_font_extents_t font;
    cairo_font_extents(m_cr, &font);
    const int ascent = static_cast<int>(std::lround(font.ascent));
    const int lineHeight = ascent + static_cast<int>(std::lround(font.descent));
    const int width = textWidth(text);
    int x = r.left + 1;
    if (align == kAlignCenter)
        x = r.left + (r.width() - width) / 2;
    else if (align == kAlignRight)
        x = r.right - width;
    const int top = r.top + (r.height() - lineHeight) / 2;

    cairo_save(m_cr);
    cairo_rectangle(m_cr, visible.left, visible.top, visible.width(), visible.height());
    cairo_clip(m_cr);
    if (opaque) {
        applyColor(m_fillColor);
        cairo_rectangle(m_cr, x, top, width, lineHeight);
        cairo_fill(m_cr);
    }
    applyColor(m_textColor);
    cairo_move_to(m_cr, x, top + ascent);
    cairo_show_text(m_cr, utf8.c_str());
    if (m_fontStyle & kFontUnderline) {
        cairo_rectangle(m_cr, x, top + ascent + 1, width, 1);
        cairo_fill(m_cr);
    }
    cairo_restore(m_cr);
    markDamage(visible);
}

void CPainter::drawSurface(_cairo_surface* source, const CRect& rect, CPoint offset)
{
    const CRect r = rect.offset(m_origin.x, m_origin.y);
    const CRect visible = r.intersection(m_clip);
    if (!source || visible.isEmpty())
        return;
    cairo_save(m_cr);
    cairo_set_source_surface(m_cr, source, r.left - offset.x, r.top - offset.y);
    cairo_pattern_set_filter(cairo_get_source(m_cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(m_cr, visible.left, visible.top, visible.width(), visible.height());
    cairo_fill(m_cr);
    cairo_restore(m_cr);
    markDamage(visible);
}

int CPainter::buttonState() const { return m_frame ? m_frame->buttonState() : 0; }

CPoint CPainter::cursorPosition() const { return m_frame ? m_frame->cursorPosition() : CPoint {}; }

} // namespace quorvix
