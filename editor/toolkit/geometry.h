// Points, rectangles and colours of the editor, in pixels relative to the frame's window, y down.
#pragma once

#include <algorithm>
#include <cstdint>

namespace quorvix {

struct CPoint {
    int32_t x = 0;
    int32_t y = 0;

    bool operator==(const CPoint&) const = default;
    CPoint offset(int32_t dx, int32_t dy) const { return {x + dx, y + dy}; }
};

struct CRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    static CRect sized(int32_t left, int32_t top, int32_t width, int32_t height)
    {
        return {left, top, left + width, top + height};
    }

    bool operator==(const CRect&) const = default;
    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    CPoint topLeft() const { return {left, top}; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    CRect offset(int32_t dx, int32_t dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    // Edges inclusive, as the views' hit tests count them.
    bool contains(CPoint p) const { return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom; }
    bool overlaps(const CRect& r) const
    {
        return r.left <= right && r.right >= left && r.top <= bottom && r.bottom >= top;
    }
    CRect intersection(const CRect& r) const
    {
        return {std::max(left, r.left), std::max(top, r.top), std::min(right, r.right), std::min(bottom, r.bottom)};
    }
    CRect united(const CRect& r) const
    {
        if (isEmpty())
            return r;
        if (r.isEmpty())
            return *this;
        return {std::min(left, r.left), std::min(top, r.top), std::max(right, r.right), std::max(bottom, r.bottom)};
    }
};

// Red, green, blue; the fourth byte is always 0.
struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused = 0;

    bool operator==(const CColor&) const = default;

    // Each channel halved, and each channel moved halfway to 255: the two edges of a bevel.
    CColor darker() const { return {uint8_t(red / 2), uint8_t(green / 2), uint8_t(blue / 2)}; }
    CColor lighter() const
    {
        return {uint8_t((red + 255) / 2), uint8_t((green + 255) / 2), uint8_t((blue + 255) / 2)};
    }
    // Per-channel integer average.
    static CColor average(CColor a, CColor b)
    {
        return {uint8_t((a.red + b.red) / 2), uint8_t((a.green + b.green) / 2), uint8_t((a.blue + b.blue) / 2)};
    }
};

constexpr CColor kWhite {255, 255, 255};
constexpr CColor kBlack {0, 0, 0};
constexpr CColor kGrey {127, 127, 127};
constexpr CColor kRed {255, 0, 0};
constexpr CColor kGreen {0, 255, 0};
constexpr CColor kBlue {0, 0, 255};
constexpr CColor kYellow {255, 255, 0};
constexpr CColor kMagenta {255, 0, 255};
constexpr CColor kCyan {0, 255, 255};

// Mouse and modifier state as the views read it.
enum EButtons : int {
    kLeftButton = 1,
    kMiddleButton = 2,
    kRightButton = 4,
    kShift = 8,
    kControl = 16,
    kAlt = 32,
};

} // namespace quorvix
