// The grey palette through SDL's own 16-bit pixel format, and a frame on SDL's dummy screen.
#include "demo/present.h"
#include "fx/canvas.h"
#include "host/sdl/present_sdl.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

SDL_Surface *rgb565() {
    return SDL_CreateRGBSurface(SDL_SWSURFACE, screen_width, screen_height, screen_bits, 0xf800,
                                0x07e0, 0x001f, 0);
}

// The palette worked out without SDL is the one SDL maps, for every step and offset the demo
// could pass.
TEST(Palette, WithoutSdlEqualsSdlMapping) {
    SDL_Surface *s = rgb565();
    ASSERT_NE(s, nullptr);
    const struct { int step, offset; } cases[] = {{1, 0}, {2, 10}, {3, -40}, {1, 255}, {0, -128}};
    for (const auto &c : cases) {
        make_grey_palette(s, c.step, c.offset);
        uint16_t by_sdl[256];
        std::memcpy(by_sdl, grey_palette, sizeof by_sdl);
        make_grey_palette_565(c.step, c.offset);
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ(grey_palette[i], by_sdl[i]) << c.step << " " << c.offset << " " << i;
    }
    SDL_FreeSurface(s);
}

TEST(Present, FrameOnTheDummyScreen) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0);
    SDL_Surface *screen = SDL_SetVideoMode(screen_width, screen_height, screen_bits, 0);
    ASSERT_NE(screen, nullptr);
    std::memset(screen->pixels, 0, (size_t)screen->pitch * screen_height);
    make_grey_palette(screen, 1, 0);
    std::vector<uint8_t> canvas(canvas_size, 255);
    present_frame(screen, canvas.data());
    const uint8_t *p = static_cast<const uint8_t *>(screen->pixels);
    uint16_t top, mid;
    std::memcpy(&top, p + 19 * screen->pitch, 2);
    std::memcpy(&mid, p + 20 * screen->pitch, 2);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(mid, grey_palette[255]);
    SDL_Quit();
}

} // namespace
