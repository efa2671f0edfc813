// Quellbrand on SDL: start-up, the frame loop, and the hand-over to the launcher.
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/scale.h"
#include "demo/startup.h"
#include "host/sdl/platform.h"
#include "host/sdl/present_sdl.h"
#include "host/sdl/quiet_stderr.h"
#include "host/sdl/sdl_audio.h"
#include "host/sdl/session.h"
#include "player/player.h"
#include "sound/driver.h"

#include <SDL.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

static_assert(demo_fullscreen == SDL_FULLSCREEN, "the command line's full-screen flag is SDL's");
static_assert(event_key_down == SDL_KEYDOWN && event_mouse_button_down == SDL_MOUSEBUTTONDOWN,
              "event codes");
static_assert(key_escape == SDLK_ESCAPE && key_f4 == SDLK_F4 && key_down == SDLK_DOWN, "key codes");

const char *const launcher_dir = "/usr/gp2x";
const char *const launcher = "/usr/gp2x/gp2xmenu";
const char *const caption = "Quellbrand by Tessaline & Vek";
// SDL 1.2's video drivers that draw on a screen, as it tries them on Linux.
const char *const graphical_drivers[] = {"x11", "dga", "fbcon", "directfb", "svgalib", "ggi"};
// sdl12-compat calls itself 1.2.50 and later.
constexpr int sdl12_compat_first_patch = 50;

SDL_Surface *screen = nullptr;
ScreenLayout layout = {screen_width, screen_height, 1, 0, 0};
bool scaled = false;

int sdl_event(int *type, int *key) {
    if (session_take_stop()) {
        *type = SDL_KEYDOWN;
        *key = SDLK_ESCAPE;
        return 1;
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e)) {
        // the platform's own input, after SDL's events
        *type = SDL_KEYDOWN;
        return sdl_platform.poll_key(key);
    }
    *type = e.type;
    *key = e.type == SDL_KEYDOWN ? (int)e.key.keysym.sym : 0;
    return 1;
}

int sdl_poll(int *type, int *key) {
    if (!sdl_event(type, key)) return 0;
    session_event(*type, *key);
    return 1;
}

void sdl_present(const uint8_t *canvas, int t, int clock) {
    if (screen->format->BitsPerPixel > screen_bits) {
        present_frame_grey(screen, canvas);
    } else if (!scaled) {
        present_frame(screen, canvas);
    } else {
        SDL_LockSurface(screen);
        present_scaled_copy((uint8_t *)screen->pixels, screen->pitch, layout, canvas);
        SDL_UnlockSurface(screen);
        SDL_Flip(screen);
    }
    session_frame_shown(t, clock);
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

// SDL's video, but without a graphical display SDL 1.2 would go on to its text-mode drivers, which
// take over the terminal (alternate screen, cursor, title) before the demo could turn them down:
// unless a driver is asked for by name, SDL 1.2 tries only the graphical ones, in its own order.
// SDL 1.2 on SDL 2 has no text-mode driver.
bool init_video() {
    const bool on_sdl2 = SDL_Linked_Version()->patch >= sdl12_compat_first_patch;
    if (std::getenv("SDL_VIDEODRIVER") || on_sdl2) return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    for (const char *name : graphical_drivers) {
        setenv("SDL_VIDEODRIVER", name, 1);
        const bool ok = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
        unsetenv("SDL_VIDEODRIVER");
        if (ok) return true;
    }
    return false;
}

// Nothing of the demo's goes on into the launcher: SDL_Quit has closed its devices, and the
// handheld's Linux 2.4 has no close-on-exec for whatever else is open.
constexpr int descriptors_closed_below = 1024;
void close_descriptors() {
    sdl_platform.before_launcher();
    for (int fd = STDERR_FILENO + 1; fd < descriptors_closed_below; ++fd) close(fd);
}

// Between the song and the music: the screen (320x240 at the platform's depth, the caption, no
// cursor, black), the platform's input, the palette and the song clock to follow.
uint32_t video_flags = 0;
bool video_up = false;
int open_screen() {
    // what the sound libraries said looking for a device, only if one opened
    quiet_stderr_release(snd_sound_mode != snd_mode_silent);
    // Without a graphical display SDL 1.2 falls back to drawing in the terminal with characters,
    // and SDL 1.2 on SDL 2 to drawing nowhere: neither shows the demo, so both count as no video
    // mode (the drawing-nowhere driver only when it was not asked for by name).
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    const char *asked = std::getenv("SDL_VIDEODRIVER");
    const bool shows_nothing =
        !video_up || !std::strcmp(driver, "caca") || !std::strcmp(driver, "aalib") ||
        (!std::strcmp(driver, "offscreen") && !(asked && !std::strcmp(asked, driver)));
    if (!shows_nothing) choose_layout(video_flags);
    screen = shows_nothing ? nullptr
                           : SDL_SetVideoMode(layout.width, layout.height,
                                              sdl_platform.screen_depth(), video_flags);
    if (!screen) {
        std::fprintf(stderr, "quellbrand: cannot open the 320x240 16-bit video mode: %s\n",
                     shows_nothing ? "no graphical display" : SDL_GetError());
        return 0;
    }
    SDL_WM_SetCaption(caption, nullptr);
    SDL_ShowCursor(0);
    // Both bands and the Canvas area start black; the bands are never written again.
    std::memset(screen->pixels, 0, (size_t)screen->pitch * (size_t)screen->h);
    session_catch_stop_signals(); // again, in case opening the screen set SDL's own
    sdl_platform.open_input();
    make_grey_palette(screen, 1, 0);
    session_choose_clock();
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    video_flags = demo_video_flags(argc, argv);
    demo_build_tables();
    quiet_stderr_begin();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO);
    quiet_stderr_end();
    session_choose_device_channels();
    video_up = init_video();
    session_catch_stop_signals();

    SndAudioDevice audio = snd_sdl_audio_device;
    audio.open = session_open_audio_quietly;
    if (!demo_start_sound({audio, session_driver_menu, open_screen})) {
        SDL_Quit();
        return 1;
    }

    const DemoHost host = {session_ticks, session_song_clock, sdl_poll, sdl_present,
                           sdl_platform.sleep_ms};
    demo_wait_for_music(host);
    const double start = (double)SDL_GetTicks();
    demo_run(host, start);

    session_end();
    SDL_Quit();
    close_descriptors();
    if (chdir(launcher_dir) != 0) {
        // no launcher folder: the exec below fails too and the demo simply ends
    }
    execl(launcher, launcher, (char *)nullptr);
    return 0;
}
