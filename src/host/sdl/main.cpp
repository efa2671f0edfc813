// Quellbrand on SDL: start-up, the frame loop, and the hand-over to the launcher.
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/scale.h"
#include "demo/startup.h"
#include "demo/sync.h"
#include "demo/trace.h"
#include "host/sdl/platform.h"
#include "host/sdl/present_sdl.h"
#include "host/sdl/quiet_stderr.h"
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

// The sound device going away mid-run (a sound server ended, a handheld's /dev/dsp failing): the
// silent driver's timer takes the ticks over and the pictures go on following the song. Every
// reopen_every_ms the device is opened again, right after a frame gate opens: a failed attempt
// takes 0-3 ms (measured, the server gone) of the 40 the frame has, and the gate goes by the
// clock, so no frame comes late; the one that succeeds takes as long as the device needs to open
// (0.1 s through PulseAudio), once. When it opens, the sound goes on from the song's position.
constexpr uint32_t reopen_every_ms = 3000;
uint32_t next_reopen_ms = 0;

bool reopen_audio() {
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    quiet_stderr_begin();
    const bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0 && snd_reopen_device();
    quiet_stderr_end();
    quiet_stderr_release(false);
    return ok;
}

void sound_back() {
    heard_last = snd_heard_nothing_yet;
    snd_ticks_from_device();
    std::fputs("quellbrand: the sound device is back; the sound goes on from here\n", stderr);
}

void watch_sound() {
    const uint32_t now = SDL_GetTicks();
    // SDL's audio thread ends itself when its device fails (a sound server gone, a write error)
    switch (snd_watch(now, SDL_GetAudioStatus() == SDL_AUDIO_STOPPED)) {
    case snd_watch_lost:
        snd_ticks_from_timer();
        std::fputs("quellbrand: the sound device stopped; the demo goes on without sound\n",
                   stderr);
        next_reopen_ms = now + reopen_every_ms;
        break;
    default:
        // a lost device that asks again may be a sound server's thread still failing: only a
        // device opened again counts as back
        if (snd_device_lost() && (int32_t)(now - next_reopen_ms) >= 0) {
            next_reopen_ms = now + reopen_every_ms;
            if (reopen_audio()) sound_back();
        }
        break;
    }
}

// The song clock the frame reads: the one chosen (mixed or heard) while the device runs the
// ticks, the song as the timer plays it while the device is lost.
int (*song_clock)() = pt_song_clock;
int watched_song_clock() {
    watch_sound();
    return snd_ticks_on_device() ? song_clock() : pt_song_clock();
}

// QUELLBRAND_TRACE=FILE: every presented frame's monotonic time, song clock, demo time and the
// events it handled, from which the capture makes its pictures again.
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

// SDL's audio device, opened with what the sound libraries print held back unless it opens.
int open_audio_quietly(int freq, int format, int channels, int samples) {
    quiet_stderr_begin();
    const int ok = snd_sdl_audio_device.open(freq, format, channels, samples);
    quiet_stderr_end();
    return ok;
}

// The driver menu, answered by the demo itself: "2", 44100 Hz 16-bit, unless the device cannot
// be opened.
int driver_menu() {
    // the newline first, so that the next read sees "2" and then the newline
    std::ungetc('\n', stdin);
    std::ungetc('2', stdin);
    return snd_choose_driver();
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
    catch_stop_signals(); // again, in case opening the screen set SDL's own
    sdl_platform.open_input();
    make_grey_palette(screen, 1, 0);
    choose_clock();
    return 1;
}

} // namespace

int main(int argc, char **argv) {
    video_flags = demo_video_flags(argc, argv);
    demo_build_tables();
    quiet_stderr_begin();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO);
    quiet_stderr_end();
    video_up = init_video();
    catch_stop_signals();

    SndAudioDevice audio = snd_sdl_audio_device;
    audio.open = open_audio_quietly;
    if (!demo_start_sound({audio, driver_menu, open_screen})) {
        SDL_Quit();
        return 1;
    }

    const DemoHost host = {sdl_ticks, watched_song_clock, sdl_poll, sdl_present,
                           sdl_platform.sleep_ms};
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
