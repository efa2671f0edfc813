// Quellbrand: start-up, the frame loop on SDL, and the hand-over to the launcher.
#include "demo/frame.h"
#include "demo/present.h"
#include "fx/fx.h"
#include "player/player.h"
#include "sound/driver.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <unistd.h>

extern "C" uint8_t song_module[];
extern "C" uint8_t song_module_end[];

namespace {

static_assert(demo_fullscreen == SDL_FULLSCREEN, "the command line's full-screen flag is SDL's");
static_assert(event_key_down == SDL_KEYDOWN && event_mouse_button_down == SDL_MOUSEBUTTONDOWN,
              "event codes");
static_assert(key_escape == SDLK_ESCAPE && key_f4 == SDLK_F4 && key_down == SDLK_DOWN, "key codes");

constexpr int tick_rate = 41;
const char *const launcher_dir = "/usr/gp2x";
const char *const launcher = "/usr/gp2x/gp2xmenu";
const char *const caption = "Quellbrand by Tessaline & Vek";

SDL_Surface *screen = nullptr;

uint32_t sdl_ticks() {
    return SDL_GetTicks();
}

int sdl_poll(int *type, int *key) {
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return 0;
    *type = e.type;
    *key = e.type == SDL_KEYDOWN ? (int)e.key.keysym.sym : 0;
    return 1;
}

void sdl_present(const uint8_t *canvas) {
    present_frame(screen, canvas);
}

} // namespace

int main(int argc, char **argv) {
    const uint32_t flags = demo_video_flags(argc, argv);
    fx_build_blend_tables();
    fx_build_division_table();
    fx_build_warp_map();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO);

    std::ungetc('\n', stdin);
    std::ungetc('2', stdin);
    snd_audio_device = snd_sdl_audio_device;
    snd_set_tick_handler(pt_tick);
    snd_choose_driver();
    pt_load(song_module, (size_t)(song_module_end - song_module));

    // Without a graphical display SDL falls back to drawing in the terminal with characters,
    // which cannot show the demo: that counts as no video mode.
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    const bool text_only = !std::strcmp(driver, "caca") || !std::strcmp(driver, "aalib");
    screen =
        text_only ? nullptr : SDL_SetVideoMode(screen_width, screen_height, screen_bits, flags);
    if (!screen) {
        std::fprintf(stderr, "quellbrand: cannot open the 320x240 16-bit video mode: %s\n",
                     text_only ? "no graphical display" : SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption(caption, nullptr);
    SDL_ShowCursor(0);
    // Both bands and the Canvas area start black; the bands are never written again.
    std::memset(screen->pixels, 0, (size_t)screen->pitch * screen_height);
    make_grey_palette(screen, 1, 0);
    snd_start(tick_rate);

    const DemoHost host = {sdl_ticks, pt_song_clock, sdl_poll, sdl_present};
    demo_wait_for_music(host);
    const double start = (double)SDL_GetTicks();
    demo_run(host, start);

    SDL_Quit();
    if (chdir(launcher_dir) != 0) {
        // no launcher folder: the exec below fails too and the demo simply ends
    }
    execl(launcher, launcher, (char *)nullptr);
    return 0;
}
