// Bitmap files of skins (Windows BMP), read with stb_image.
#pragma once

#include <string>

namespace quorvix {

class CSkinImage;

// Null when the file is missing or no bitmap it can read; otherwise an image with count 1.
CSkinImage* loadBitmapFile(const std::string& path);

} // namespace quorvix
