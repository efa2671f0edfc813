// Whole-pixel scaling on desktops: the scale setting, the screen layout and the scaled copy.
#include "demo/scale.h"
#include "demo/present.h"
#include "fx/canvas.h"

#include <cstdlib>
#include <cstring>

int demo_scale_request(const char *value, bool *invalid) {
    *invalid = false;
    if (!value) return scale_none;
    if (!std::strcmp(value, "auto")) return scale_auto;
    char *end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (end != value && *end == '\0' && value[0] >= '0' && value[0] <= '9' && n >= 1 &&
        n <= scale_max)
        return (int)n;
    *invalid = true;
    return scale_none;
}

namespace {
// The largest scale whose picture fits width x height, at least 1.
int largest_fit(int width, int height) {
    int s = 1;
    while (s < scale_max && screen_width * (s + 1) <= width && screen_height * (s + 1) <= height)
        ++s;
    return s;
}
} // namespace

ScreenLayout demo_screen_layout(int request, bool fullscreen, int desktop_width,
                                int desktop_height) {
    if (request == scale_none) return {screen_width, screen_height, 1, 0, 0};
    const bool desktop_known = desktop_width >= screen_width && desktop_height >= screen_height;
    if (fullscreen && desktop_known) {
        int s = largest_fit(desktop_width, desktop_height);
        if (request != scale_auto && request < s) s = request;
        return {desktop_width, desktop_height, s, (desktop_width - screen_width * s) / 2,
                (desktop_height - screen_height * s) / 2};
    }
    int s = request;
    if (request == scale_auto)
        s = desktop_known ? largest_fit(desktop_width * scale_auto_window_percent / 100,
                                        desktop_height * scale_auto_window_percent / 100)
                          : 1;
    return {screen_width * s, screen_height * s, s, 0, 0};
}

void present_scaled_copy(uint8_t *pixels, int pitch, const ScreenLayout &layout,
                         const uint8_t *canvas) {
    const int s = layout.scale;
    uint16_t row[screen_width * scale_max];
    const size_t row_bytes = sizeof(uint16_t) * (size_t)(screen_width * s);
    for (int y = 0; y < canvas_height; ++y) {
        const uint8_t *src = canvas + y * canvas_width;
        uint16_t *d = row;
        for (int x = 0; x < canvas_width; ++x) {
            const uint16_t p = grey_palette[src[x]];
            for (int k = 0; k < s; ++k) *d++ = p;
        }
        const int first = layout.top + (screen_canvas_top + y) * s;
        for (int k = 0; k < s; ++k)
            std::memcpy(pixels + (size_t)(first + k) * pitch + (size_t)layout.left * 2, row,
                        row_bytes);
    }
}
