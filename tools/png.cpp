// PNG writing through stb_image_write.
#include "png.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

bool png_write_grey(const std::string &path, const uint8_t *grey, int w, int h, int scale) {
    if (scale < 1) scale = 1;
    std::vector<uint8_t> big((size_t)w * scale * h * scale);
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x)
            big[(size_t)y * w * scale + x] = grey[(y / scale) * w + x / scale];
    return stbi_write_png(path.c_str(), w * scale, h * scale, 1, big.data(), w * scale) != 0;
}

std::vector<uint8_t> rgb_scale(const uint8_t *rgb, int w, int h, int scale) {
    if (scale < 1) scale = 1;
    std::vector<uint8_t> big((size_t)w * scale * h * scale * 3);
    for (int y = 0; y < h * scale; ++y)
        for (int x = 0; x < w * scale; ++x)
            for (int c = 0; c < 3; ++c)
                big[((size_t)y * w * scale + x) * 3 + c] =
                    rgb[((size_t)(y / scale) * w + x / scale) * 3 + c];
    return big;
}

bool png_write_rgb(const std::string &path, const uint8_t *rgb, int w, int h, int scale) {
    const std::vector<uint8_t> big = rgb_scale(rgb, w, h, scale);
    return stbi_write_png(path.c_str(), w * scale, h * scale, 3, big.data(), w * scale * 3) != 0;
}
