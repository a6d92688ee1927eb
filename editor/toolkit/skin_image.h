// A reference-counted bitmap shared by the views that show it; drawn opaque or with a transparent
// (key) colour.
#pragma once

#include "editor/toolkit/geometry.h"

#include <cstdint>
#include <string>
#include <vector>

struct _cairo_surface;

namespace quorvix {

class CPainter;

class CSkinImage {
public:
    // A blank (black) image; 0 × 0 is an empty image that draws nothing. Reference count 1.
    CSkinImage(int width, int height, int32_t resourceId = 0);
    // From rows of 0x00RRGGBB pixels, top row first (width × height values).
    CSkinImage(int width, int height, const std::vector<uint32_t>& pixels, int32_t resourceId = 0);
    // Decoded from PNG bytes; empty (0 × 0) when they are no PNG.
    static CSkinImage* fromPng(const uint8_t* data, size_t size, int32_t resourceId = 0);
    // A pixel copy of another image with its key colour.
    CSkinImage(const CSkinImage& source);
    CSkinImage& operator=(const CSkinImage&) = delete;

    void addReference() { ++m_references; }
    // Frees the image when the last holder lets go.
    void release();
    int referenceCount() const { return m_references; }

    int32_t resourceId() const { return m_resourceId; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width <= 0 || m_height <= 0; }

    void setKeyColor(CColor color);
    CColor keyColor() const { return m_keyColor; }

    // Copies the area of the rectangle's size that starts at offset in the image into the rectangle.
    void draw(CPainter& painter, const CRect& rect, CPoint offset = {}) const;
    // The same, leaving the destination unchanged where the image pixel is the key colour.
    void drawKeyed(CPainter& painter, const CRect& rect, CPoint offset = {}) const;
    void draw(CPainter& painter, const CRect& rect, CPoint offset, bool keyed) const
    {
        keyed ? drawKeyed(painter, rect, offset) : draw(painter, rect, offset);
    }

    CColor pixel(int x, int y) const;
    // False when the file cannot be written.
    bool writePng(const std::string& path) const;
    // After a painter drew into the image: the see-through copy is made again on the next keyed draw.
    void contentChanged();
    _cairo_surface* surface() const { return m_surface; }

private:
    ~CSkinImage();
    _cairo_surface* keyedSurface() const;

    int m_references = 1;
    int32_t m_resourceId;
    int m_width;
    int m_height;
    CColor m_keyColor = kWhite;
    _cairo_surface* m_surface = nullptr;
    // The image with key-coloured pixels see-through, made on first keyed draw.
    mutable _cairo_surface* m_keyed = nullptr;
};

} // namespace quorvix
