// Writes contact sheets of the demo's pictures: every clip in shown order, the texture plain and
// at each backdrop threshold, and the sprite sheet.
#include "demo/clip.h"
#include "fx/fx.h"
#include "png.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int columns = 8;
constexpr int gap = 4;

void clip_sheet(const std::string &dir, int c) {
    const ClipRecord &clip = clip_table[c];
    const int n = clip.frame_count;
    const int rows = (n + columns - 1) / columns;
    const int w = columns * (canvas_width + gap), h = rows * (canvas_height + gap);
    std::vector<uint8_t> sheet((size_t)w * h, 40);
    for (int k = 0; k < n; ++k) {
        const int f = clip_frame_for((float)k, n);
        const uint8_t *frame = clip.frames + (size_t)f * clip_frame_bytes;
        const int ox = (k % columns) * (canvas_width + gap),
                  oy = (k / columns) * (canvas_height + gap);
        for (int y = 0; y < canvas_height; ++y)
            for (int x = 0; x < canvas_width; ++x) {
                const bool lit = frame[y * clip_row_bytes + x / 8] >> (x % 8) & 1;
                sheet[(size_t)(oy + y) * w + ox + x] = lit ? clip_lit : 0;
            }
    }
    png_write_grey(dir + "/clip" + std::to_string(c) + ".png", sheet.data(), w, h);
}

void texture_sheets(const std::string &dir) {
    png_write_grey(dir + "/texture.png", texture_image, texture_side, texture_side, 2);
    for (int threshold : {10, 20, 40, 100}) {
        std::vector<uint8_t> cut(texture_side * texture_side);
        for (size_t i = 0; i < cut.size(); ++i) cut[i] = texture_image[i] > threshold ? 150 : 0;
        png_write_grey(dir + "/texture-" + std::to_string(threshold) + ".png", cut.data(),
                       texture_side, texture_side, 2);
    }
    png_write_grey(dir + "/sprites.png", sprite_sheet, sprite_sheet_width, sprite_sheet_height, 2);
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: quellbrand-sheets DIR\n");
        return 2;
    }
    for (int c = 0; c < clip_count; ++c) clip_sheet(argv[1], c);
    texture_sheets(argv[1]);
    return 0;
}
