// A skin bitmap file of any bytes: it loads as an image of its stated size, or not at all.
#include "editor/skin/bitmap_file.h"
#include "editor/toolkit/skin_image.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/fuzz/fuzz_support.h"

using qfuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = qfuzz::writeScratch("input.bmp", data, size);
    quorvix::CSkinImage* image = quorvix::loadBitmapFile(path);
    if (!image)
        return 0;
    check(image->width() > 0 && image->height() > 0, "a loaded image has pixels");
    image->release();
    return 0;
}
