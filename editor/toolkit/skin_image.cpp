#include "editor/toolkit/skin_image.h"

#include "editor/toolkit/painter.h"

#include <cairo.h>

#include <cstring>

namespace quorvix {

namespace {

uint32_t packed(CColor c) { return (uint32_t(c.red) << 16) | (uint32_t(c.green) << 8) | c.blue; }

uint32_t* row(cairo_surface_t* surface, int y)
{
    return reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface));
}

} // namespace

CSkinImage::CSkinImage(int width, int height, int32_t resourceId)
    : m_resourceId(resourceId), m_width(width > 0 && height > 0 ? width : 0), m_height(width > 0 && height > 0 ? height : 0)
{
    if (m_width > 0) {
        m_surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, m_width, m_height);
        if (cairo_surface_status(m_surface) != CAIRO_STATUS_SUCCESS) {
            cairo_surface_destroy(m_surface);
            m_surface = nullptr;
            m_width = m_height = 0;
        }
    }
}

CSkinImage::CSkinImage(int width, int height, const std::vector<uint32_t>& pixels, int32_t resourceId)
    : CSkinImage(pixels.size() >= size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0) ? width : 0, height,
                 resourceId)
{
    if (!m_surface)
        return;
    cairo_surface_flush(m_surface);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(row(m_surface, y), pixels.data() + size_t(y) * m_width, size_t(m_width) * 4);
    cairo_surface_mark_dirty(m_surface);
}

CSkinImage::CSkinImage(const CSkinImage& source) : CSkinImage(source.m_width, source.m_height, source.m_resourceId)
{
    m_keyColor = source.m_keyColor;
    if (!m_surface)
        return;
    cairo_surface_flush(source.m_surface);
    cairo_surface_flush(m_surface);
    for (int y = 0; y < m_height; ++y)
        std::memcpy(row(m_surface, y), row(source.m_surface, y), size_t(m_width) * 4);
    cairo_surface_mark_dirty(m_surface);
}

CSkinImage::~CSkinImage()
{
    if (m_keyed)
        cairo_surface_destroy(m_keyed);
    if (m_surface)
        cairo_surface_destroy(m_surface);
}

void CSkinImage::release()
{
    if (--m_references <= 0)
        delete this;
}

void CSkinImage::setKeyColor(CColor color)
{
    if (color == m_keyColor)
        return;
    m_keyColor = color;
    contentChanged();
}

void CSkinImage::contentChanged()
{
    if (m_keyed) {
        cairo_surface_destroy(m_keyed);
        m_keyed = nullptr;
    }
}

void CSkinImage::draw(CPainter& painter, const CRect& rect, CPoint offset) const
{
    painter.drawSurface(m_surface, rect, offset);
}

void CSkinImage::drawKeyed(CPainter& painter, const CRect& rect, CPoint offset) const
{
    painter.drawSurface(keyedSurface(), rect, offset);
}

// Made once per key colour and content.
_cairo_surface* CSkinImage::keyedSurface() const
{
    if (!m_surface)
        return nullptr;
    if (m_keyed)
        return m_keyed;
    m_keyed = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, m_width, m_height);
    if (cairo_surface_status(m_keyed) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(m_keyed);
        m_keyed = nullptr;
        return nullptr;
    }
    cairo_surface_flush(m_surface);
    const uint32_t key = packed(m_keyColor);
    for (int y = 0; y < m_height; ++y) {
        const uint32_t* in = row(m_surface, y);
        uint32_t* out = row(m_keyed, y);
        for (int x = 0; x < m_width; ++x) {
            const uint32_t rgb = in[x] & 0xFFFFFF;
            out[x] = rgb == key ? 0u : (0xFF000000u | rgb);
        }
    }
    cairo_surface_mark_dirty(m_keyed);
    return m_keyed;
}

CColor CSkinImage::pixel(int x, int y) const
{
    if (!m_surface || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return kBlack;
    cairo_surface_flush(m_surface);
    const uint32_t v = row(m_surface, y)[x];
    return {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

} // namespace quorvix

namespace quorvix {

CSkinImage* CSkinImage::fromPng(const uint8_t* data, size_t size, int32_t resourceId)
{
    struct CReader {
        const uint8_t* data;
        size_t left;
    } reader {data, size};
    auto read = [](void* closure, unsigned char* out, unsigned int length) {
        auto* r = static_cast<CReader*>(closure);
        if (length > r->left)
            return CAIRO_STATUS_READ_ERROR;
        std::memcpy(out, r->data, length);
        r->data += length;
        r->left -= length;
        return CAIRO_STATUS_SUCCESS;
    };
    cairo_surface_t* png = cairo_image_surface_create_from_png_stream(read, &reader);
    if (cairo_surface_status(png) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(png);
        return new CSkinImage(0, 0, resourceId);
    }
    auto* image = new CSkinImage(cairo_image_surface_get_width(png), cairo_image_surface_get_height(png), resourceId);
    if (image->m_surface) {
        cairo_t* cr = cairo_create(image->m_surface);
        cairo_set_source_surface(cr, png, 0, 0);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_paint(cr);
        cairo_destroy(cr);
    }
    cairo_surface_destroy(png);
    return image;
}

bool CSkinImage::writePng(const std::string& path) const
{
    return m_surface && cairo_surface_write_to_png(m_surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
}

} // namespace quorvix
