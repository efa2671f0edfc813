// quellbrand-icon: the program's icon from its own art, the galloping horse over the warped
// texture, at the sizes desktops ask for.
#include "demo/clip.h"
#include "demo/startup.h"
#include "fx/fx.h"
#include "png.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr float horse_position = 12.0f;
constexpr int backdrop_time = 900, backdrop_threshold = 100;
// the square around the horse, a little taller than the Canvas (black beyond it)
constexpr int crop_left = 44, crop_top = -10, crop_size = 220;

// Resamples a square grey picture by area: every output pixel is the mean of the source area it
// covers, so a smaller icon keeps the horse's fine lines as greys and a larger one has no steps
// of uneven width.
std::vector<uint8_t> resample(const std::vector<uint8_t> &src, int from, int to) {
    std::vector<uint8_t> out((size_t)to * to);
    const double step = (double)from / to;
    for (int oy = 0; oy < to; ++oy)
        for (int ox = 0; ox < to; ++ox) {
            const double y0 = oy * step, y1 = y0 + step, x0 = ox * step, x1 = x0 + step;
            double sum = 0, area = 0;
            for (int y = (int)y0; y < from && y < y1; ++y) {
                const double wy = std::min<double>(y + 1, y1) - std::max<double>(y, y0);
                for (int x = (int)x0; x < from && x < x1; ++x) {
                    const double w = wy * (std::min<double>(x + 1, x1) - std::max<double>(x, x0));
                    sum += w * src[(size_t)y * from + x];
                    area += w;
                }
            }
            out[(size_t)oy * to + ox] = (uint8_t)(sum / area + 0.5);
        }
    return out;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: quellbrand-icon SIZE OUT.png\n");
        return 2;
    }
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > 1024) return 2;
    demo_build_tables();
    std::vector<uint8_t> canvas(canvas_size);
    fx_warp_texture(canvas.data(), backdrop_time, backdrop_threshold);
    for (uint8_t &p : canvas) p = (uint8_t)(p / 3); // the water dim behind the horse
    clip_reset_state();
    ClipRecord horse = clip_table[clip_horse];
    horse.position = horse_position;
    clip_render(canvas.data(), horse, 0, clip_mode_add);
    std::vector<uint8_t> square((size_t)crop_size * crop_size);
    for (int y = 0; y < crop_size; ++y)
        for (int x = 0; x < crop_size; ++x) {
            const int cy = crop_top + y, cx = crop_left + x;
            const bool inside = cy >= 0 && cy < canvas_height && cx >= 0 && cx < canvas_width;
            square[(size_t)y * crop_size + x] = inside ? canvas[(size_t)cy * canvas_width + cx] : 0;
        }
    const std::vector<uint8_t> icon = resample(square, crop_size, size);
    return png_write_grey(argv[2], icon.data(), size, size) ? 0 : 1;
}
