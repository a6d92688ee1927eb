#include "editor/skin/bitmap_file.h"

#include "editor/toolkit/skin_image.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// No skin bitmap is larger; a hostile header cannot make the reader allocate gigabytes.
#define STBI_MAX_DIMENSIONS 8192
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

#include <vector>

namespace quorvix {

namespace {

constexpr int kChannels = 3;

} // namespace

CSkinImage* loadBitmapFile(const std::string& path)
{
    int width = 0, height = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &width, &height, &channels, kChannels);
    if (!data)
        return nullptr;
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    for (size_t i = 0; i < pixels.size(); ++i) {
        const unsigned char* p = data + i * kChannels;
        pixels[i] = (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
    }
    stbi_image_free(data);
    auto* image = new CSkinImage(width, height, pixels);
    if (image->isEmpty()) {
        image->release();
        return nullptr;
    }
    return image;
}

} // namespace quorvix
