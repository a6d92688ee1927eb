// The bitmaps the plug-in carries: drawn at build time and embedded as PNG data.
#pragma once

#include "editor/skin/skin_bitmaps.h"

#include <cstddef>
#include <cstdint>

namespace quorvix {

struct CBuiltinBitmap {
    ESkinBitmap bitmap;
    const uint8_t* png;
    size_t size;
};

// Every entry of the bitmap table that has a built-in picture (generated source).
extern const CBuiltinBitmap kBuiltinBitmaps[];
extern const size_t kBuiltinBitmapCount;

} // namespace quorvix
