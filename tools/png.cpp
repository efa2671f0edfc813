// PNG writing through stb_image_write.
#include "png.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

bool png_write_grey(const std::string &path, const uint8_t *grey, int w, int h, int scale)
{
    if (scale < 1) scale = 1;
    std::vector<uint8_t> big((size_t)w * scale * h * scale);
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x) big[(size_t)y * w * scale + x] = grey[(y / scale) * w + x / scale];
    return stbi_write_png(path.c_str(), w * scale, h * scale, 1, big.data(), w * scale) != 0;
}
