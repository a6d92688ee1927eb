// One drawing pass on the frame's window or on an offscreen image: a current pen, brush and font,
// and the pixel conventions every view relies on.
#pragma once

#include "editor/toolkit/geometry.h"

#include <string>

struct _cairo;
struct _cairo_surface;

namespace quorvix {

class CEditorFrame;
class CSkinImage;

enum class ELineStyle { Solid, Dotted };

enum ETextAlign : int { kAlignLeft = 0, kAlignCenter = 1, kAlignRight = 2 };

// Font style bits of setFont.
enum EFontStyle : int { kFontBold = 1, kFontItalic = 2, kFontUnderline = 4 };

// The font table: ids 0..7; any other id counts as 0.
constexpr int kFontCount = 8;
struct CFontSpec {
    const char* family; // the fontconfig family that stands in for the face
    int size;           // default glyph height in pixels
    bool alwaysBold;
};
const CFontSpec& fontSpec(int id);

class CPainter {
public:
    // Draws on the frame's window: into its back buffer, shown on the window when the painter ends.
    explicit CPainter(CEditorFrame* frame);
    virtual ~CPainter();
    CPainter(const CPainter&) = delete;
    CPainter& operator=(const CPainter&) = delete;

    // Added to every coordinate the caller passes.
    void setOrigin(CPoint origin) { m_origin = origin; }
    CPoint origin() const { return m_origin; }
    // In target pixels, without the origin; drawing outside it is dropped.
    void setClipRect(const CRect& clip);
    const CRect& clipRect() const { return m_clip; }

    void moveTo(CPoint p);
    // To p with the current pen; like every line here it covers its start pixel but not its end.
    void lineTo(CPoint p);
    void setLineStyle(ELineStyle style);
    void setLineWidth(int width);
    void setLineColor(CColor color) { m_lineColor = color; }
    void setFillColor(CColor color) { m_fillColor = color; }
    void setTextColor(CColor color) { m_textColor = color; }
    CColor lineColor() const { return m_lineColor; }
    CColor fillColor() const { return m_fillColor; }
    CColor textColor() const { return m_textColor; }
    int lineWidth() const { return m_lineWidth; }

    // Outline through all four corners: (right − left + 1) × (bottom − top + 1) pixels.
    void drawRect(const CRect& rect);
    // The inner pixels left + 1 .. right − 1, top + 1 .. bottom − 1.
    void fillRect(const CRect& rect);
    // The rectangle's area: left .. right − 1, top .. bottom − 1.
    void fillArea(const CRect& rect) { fillRect({rect.left - 1, rect.top - 1, rect.right, rect.bottom}); }
    // Solid 1-pixel lines (left, bottom) → (left, top) → (right + 1, top) in the first colour and
    // (right, top + 1) → (right, bottom) → (left, bottom) in the second: a raised or sunken edge.
    void drawBevel(const CRect& rect, CColor topLeft, CColor bottomRight);
    void fillPolygon(const CPoint* points, int count);
    // Filled, in the box (left + 1, top + 1) .. (right + 1, bottom + 1).
    void fillEllipse(const CRect& rect);
    // Elliptic arc in the box (left, top) .. (right + 1, bottom + 1), counter-clockwise from start to end.
    void drawArc(const CRect& rect, CPoint start, CPoint end);

    // size 0 takes the table's default; style bits of EFontStyle.
    void setFont(int id, int size = 0, int style = 0);
    int fontId() const { return m_fontId; }
    int fontSize() const { return m_fontSize; }
    int textWidth(const std::string& text);
    // One line, vertically centred; left alignment starts at left + 1. Opaque fills the text's
    // cell with the fill colour first.
    void drawString(const std::string& text, const CRect& rect, bool opaque = false, int align = kAlignCenter);

    // Mouse buttons and modifiers as they are now (EButtons bits); 0 without a frame.
    int buttonState() const;
    // Relative to the window.
    CPoint cursorPosition() const;

    CEditorFrame* frame() const { return m_frame; }
    // Area drawn so far, in target pixels.
    const CRect& damage() const { return m_damage; }

    // Image copies for CSkinImage and the offscreen painters.
    void drawSurface(_cairo_surface* source, const CRect& rect, CPoint offset);

protected:
    CPainter(CEditorFrame* frame, _cairo_surface* target, int width, int height);
    void markDamage(CRect rect);
    _cairo* context() const { return m_cr; }

private:
    // Saves the state and clips to the clip rectangle; the caller restores.
    void beginClipped();
    void applyColor(CColor color);
    void applyPen();
    void strokeSegment(CPoint from, CPoint to);
    void selectFont();

    CEditorFrame* m_frame;
    _cairo* m_cr = nullptr;
    bool m_showsOnWindow = false;
    CPoint m_origin;
    CRect m_clip;
    CRect m_damage;
    CPoint m_pen;
    CColor m_lineColor = kWhite;
    CColor m_fillColor = kBlack;
    CColor m_textColor = kWhite;
    int m_lineWidth = 1;
    ELineStyle m_lineStyle = ELineStyle::Solid;
    int m_fontId = 0;
    int m_fontSize = 12;
    int m_fontStyle = kFontBold;
};

} // namespace quorvix
