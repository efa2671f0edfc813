// Quellbrand: start-up, the frame loop on SDL, and the hand-over to the launcher.
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/scale.h"
#include "fx/fx.h"
#include "player/player.h"
#include "sound/driver.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
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
ScreenLayout layout = {screen_width, screen_height, 1, 0, 0};
bool scaled = false;

// Ctrl-C and SIGTERM end the demo the way Escape does: SDL would turn them into the window-close
// event, which the demo ignores.
volatile std::sig_atomic_t stop_requested = 0;
void request_stop(int) {
    stop_requested = 1;
}
void catch_stop_signals() {
    struct sigaction action = {};
    action.sa_handler = request_stop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

uint32_t sdl_ticks() {
    return SDL_GetTicks();
}

int sdl_poll(int *type, int *key) {
    if (stop_requested) {
        stop_requested = 0;
        *type = SDL_KEYDOWN;
        *key = SDLK_ESCAPE;
        return 1;
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e)) return 0;
    *type = e.type;
    *key = e.type == SDL_KEYDOWN ? (int)e.key.keysym.sym : 0;
    return 1;
}

void sdl_present(const uint8_t *canvas) {
    if (!scaled) {
        present_frame(screen, canvas);
        return;
    }
    SDL_LockSurface(screen);
    present_scaled_copy((uint8_t *)screen->pixels, screen->pitch, layout, canvas);
    SDL_UnlockSurface(screen);
    SDL_Flip(screen);
}

void sdl_sleep(int ms) {
    SDL_Delay((Uint32)ms);
}

// QUELLBRAND_SCALE, read before the mode is set (the desktop's size is known only then).
void choose_layout(uint32_t flags) {
    const char *value = std::getenv("QUELLBRAND_SCALE");
    bool invalid = false;
    const int request = demo_scale_request(value, &invalid);
    if (invalid)
        std::fprintf(stderr,
                     "quellbrand: QUELLBRAND_SCALE is 1 to 16 or auto, not \"%s\"; not scaling\n",
                     value);
    if (request == scale_none) return;
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    layout = demo_screen_layout(request, flags == SDL_FULLSCREEN, info ? info->current_w : 0,
                                info ? info->current_h : 0);
    scaled = true;
}

} // namespace

int main(int argc, char **argv) {
    const uint32_t flags = demo_video_flags(argc, argv);
    fx_build_blend_tables();
    fx_build_division_table();
    fx_build_warp_map();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO);
    catch_stop_signals();

    std::ungetc('\n', stdin);
    std::ungetc('2', stdin);
    snd_audio_device = snd_sdl_audio_device;
    snd_set_tick_handler(pt_tick);
    snd_choose_driver();
    pt_load(song_module, (size_t)(song_module_end - song_module));

    // Without a graphical display SDL 1.2 falls back to drawing in the terminal with characters,
    // and SDL 1.2 on SDL 2 to drawing nowhere: neither shows the demo, so both count as no video
    // mode (the drawing-nowhere driver only when it was not asked for by name).
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    const char *asked = std::getenv("SDL_VIDEODRIVER");
    const bool shows_nothing =
        !std::strcmp(driver, "caca") || !std::strcmp(driver, "aalib") ||
        (!std::strcmp(driver, "offscreen") && !(asked && !std::strcmp(asked, driver)));
    if (!shows_nothing) choose_layout(flags);
    screen =
        shows_nothing ? nullptr : SDL_SetVideoMode(layout.width, layout.height, screen_bits, flags);
    if (!screen) {
        std::fprintf(stderr, "quellbrand: cannot open the 320x240 16-bit video mode: %s\n",
                     shows_nothing ? "no graphical display" : SDL_GetError());
        SDL_Quit();
        return 1;
    }
    SDL_WM_SetCaption(caption, nullptr);
    SDL_ShowCursor(0);
    // Both bands and the Canvas area start black; the bands are never written again.
    std::memset(screen->pixels, 0, (size_t)screen->pitch * (size_t)screen->h);
    catch_stop_signals(); // again, in case opening the screen set SDL's own
    make_grey_palette(screen, 1, 0);
    snd_start(tick_rate);

#ifdef QB_BUSY_GATE
    const DemoHost host = {sdl_ticks, pt_song_clock, sdl_poll, sdl_present, nullptr};
#else
    const DemoHost host = {sdl_ticks, pt_song_clock, sdl_poll, sdl_present, sdl_sleep};
#endif
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
