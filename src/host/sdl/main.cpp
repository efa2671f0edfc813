// Quellbrand on SDL: start-up, the frame loop, and the hand-over to the launcher.
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/scale.h"
#include "demo/startup.h"
#include "demo/sync.h"
#include "demo/trace.h"
#include "host/sdl/buttons.h"
#include "host/sdl/present_sdl.h"
#include "host/sdl/sdl_audio.h"
#include "player/player.h"
#include "sound/driver.h"
#include "sound/heard.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
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

// QUELLBRAND_SYNC=heard: the pictures follow the song as it is heard, not as it is mixed.
int heard_latency = 0;
int64_t heard_last = snd_heard_nothing_yet;
int heard_song_clock() {
    const int64_t p = snd_heard_position(SDL_GetTicks(), heard_latency, snd_output_rate);
    return snd_heard_clock(snd_heard_never_back(p, &heard_last));
}

// QUELLBRAND_TRACE=FILE: every presented frame's monotonic time, song clock, demo time and the
// events it handled, from which the capture makes its pictures again.
int (*song_clock)() = pt_song_clock;
FILE *trace = nullptr;
TraceFrame traced;
void trace_frame(int t, int clock) {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    traced.ns = (int64_t)now.tv_sec * 1000000000LL + now.tv_nsec;
    traced.clock = clock;
    traced.t = t;
    char line[trace_max_events * 16 + 64];
    const int n = trace_format(traced, line, sizeof line);
    if (n > 0) std::fwrite(line, 1, (size_t)n, trace);
    traced.event_count = 0;
    traced.overflow = false;
}

void choose_clock() {
    bool invalid = false;
    const char *value = std::getenv("QUELLBRAND_SYNC");
    const bool heard = demo_sync_heard(value, &invalid);
    if (invalid)
        std::fprintf(stderr, "quellbrand: QUELLBRAND_SYNC is heard or mixed, not \"%s\"\n", value);
    value = std::getenv("QUELLBRAND_AV_OFFSET_MS");
    const int offset = demo_sync_offset_ms(value, &invalid);
    if (invalid)
        std::fprintf(stderr,
                     "quellbrand: QUELLBRAND_AV_OFFSET_MS is -%d to %d, not \"%s\"; using 0\n",
                     sync_offset_limit_ms, sync_offset_limit_ms, value);
    // without sound nothing is heard: the silent driver's ticks are the song
    if (heard && snd_sound_mode != snd_mode_silent) {
        char driver[32] = "";
        SDL_AudioDriverName(driver, sizeof driver);
        heard_latency = demo_heard_latency(snd_output_rate, snd_device_samples,
                                           demo_server_allowance_ms(driver), offset);
        song_clock = heard_song_clock;
    }
    const char *path = std::getenv("QUELLBRAND_TRACE");
    if (path && path[0]) {
        trace = std::fopen(path, "w");
        if (!trace) std::fprintf(stderr, "quellbrand: cannot write the trace %s\n", path);
    }
}

int sdl_event(int *type, int *key) {
    if (stop_requested) {
        stop_requested = 0;
        *type = SDL_KEYDOWN;
        *key = SDLK_ESCAPE;
        return 1;
    }
    SDL_Event e;
    if (!SDL_PollEvent(&e)) {
#ifdef QB_HANDHELD
        // the handheld's buttons, after SDL's own events
        *type = SDL_KEYDOWN;
        return buttons_poll(key);
#else
        return 0;
#endif
    }
    *type = e.type;
    *key = e.type == SDL_KEYDOWN ? (int)e.key.keysym.sym : 0;
    return 1;
}

int sdl_poll(int *type, int *key) {
    if (!sdl_event(type, key)) return 0;
    if (trace) trace_add_event(traced, *type, *key);
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
    if (trace) trace_frame(t, clock);
}

#ifndef QB_BUSY_GATE
void sdl_sleep(int ms) {
    SDL_Delay((Uint32)ms);
}
#endif

// The screen's depth: 16 bits wherever the display can switch; a handheld's framebuffer at the
// 24 or 32 bits it has (the Caanoo's takes a 16-bit mode but goes on showing 24-bit pixels).
int screen_depth() {
#ifdef QB_HANDHELD
    const SDL_VideoInfo *info = SDL_GetVideoInfo();
    const int bits = info && info->vfmt ? info->vfmt->BitsPerPixel : screen_bits;
    if (bits == 24 || bits == 32) return bits;
#endif
    return screen_bits;
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
#ifdef QB_HANDHELD
    buttons_close();
#endif
    for (int fd = STDERR_FILENO + 1; fd < descriptors_closed_below; ++fd) close(fd);
}

} // namespace

int main(int argc, char **argv) {
    const uint32_t flags = demo_video_flags(argc, argv);
    demo_build_tables();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO);
    const bool video = init_video();
    catch_stop_signals();

    std::ungetc('\n', stdin);
    std::ungetc('2', stdin);
    snd_audio_device = snd_sdl_audio_device;
    snd_set_tick_handler(pt_tick, pt_song_clock);
    snd_choose_driver();
    demo_load_song();

    // Without a graphical display SDL 1.2 falls back to drawing in the terminal with characters,
    // and SDL 1.2 on SDL 2 to drawing nowhere: neither shows the demo, so both count as no video
    // mode (the drawing-nowhere driver only when it was not asked for by name).
    char driver[32] = "";
    SDL_VideoDriverName(driver, sizeof driver);
    const char *asked = std::getenv("SDL_VIDEODRIVER");
    const bool shows_nothing =
        !video || !std::strcmp(driver, "caca") || !std::strcmp(driver, "aalib") ||
        (!std::strcmp(driver, "offscreen") && !(asked && !std::strcmp(asked, driver)));
    if (!shows_nothing) choose_layout(flags);
    screen = shows_nothing ? nullptr
                           : SDL_SetVideoMode(layout.width, layout.height, screen_depth(), flags);
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
#ifdef QB_HANDHELD
    // QUELLBRAND_GPIO and QUELLBRAND_EVENTS name stand-ins for the button devices, for tests
    buttons_open(std::getenv("QUELLBRAND_GPIO"), std::getenv("QUELLBRAND_EVENTS"));
#endif
    make_grey_palette(screen, 1, 0);
    choose_clock();
    snd_start(demo_tick_rate);

#ifdef QB_BUSY_GATE
    const DemoHost host = {sdl_ticks, song_clock, sdl_poll, sdl_present, nullptr};
#else
    const DemoHost host = {sdl_ticks, song_clock, sdl_poll, sdl_present, sdl_sleep};
#endif
    demo_wait_for_music(host);
    const double start = (double)SDL_GetTicks();
    demo_run(host, start);

    if (trace) std::fclose(trace);
    SDL_Quit();
    close_descriptors();
    if (chdir(launcher_dir) != 0) {
        // no launcher folder: the exec below fails too and the demo simply ends
    }
    execl(launcher, launcher, (char *)nullptr);
    return 0;
}
