// What every SDL host does around the core: stop signals, the song clock, the sound device's
// watch, the trace, the driver menu.
#include "host/sdl/session.h"
#include "demo/sync.h"
#include "demo/trace.h"
#include "host/sdl/platform.h"
#include "host/sdl/quiet_stderr.h"
#include "host/sdl/sdl_audio.h"
#include "player/player.h"
#include "sound/heard.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

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

int64_t monotonic_ns() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (int64_t)now.tv_sec * 1000000000LL + now.tv_nsec;
}

// QUELLBRAND_SYNC, or the platform's own default when it is unset: true when the pictures follow
// the song as heard.
bool sync_heard(bool *invalid) {
    const char *value = std::getenv("QUELLBRAND_SYNC");
    return demo_sync_heard(value, invalid) || (!value && sdl_platform.heard_by_default);
}

// QUELLBRAND_SYNC=heard: the pictures follow the song as it is heard, not as it is mixed. What a
// request waits is one device buffer, or the device's whole ring where it can say, asked once it
// runs; the frame's time to the screen is measured every frame.
int device_channels = 1; // as SDL's audio device is opened
int heard_device_samples = snd_device_samples;
int heard_allowance_ms = 0;
int heard_offset_ms = 0;
bool ring_asked = false;
SyncRender render;
int64_t clock_read_ns = 0;
int64_t heard_last = snd_heard_nothing_yet;
int heard_song_clock() {
    if (!ring_asked) {
        ring_asked = true;
        const int ring = sdl_platform.device_ring_frames(device_channels);
        if (ring > 0) heard_device_samples = ring;
    }
    const int latency = demo_heard_latency(snd_output_rate, heard_device_samples,
                                           heard_allowance_ms, heard_offset_ms, render.us);
    const int64_t p = snd_heard_position(SDL_GetTicks(), latency, snd_output_rate);
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
    bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    if (ok) session_choose_device_channels();
    ok = ok && snd_reopen_device();
    quiet_stderr_end();
    quiet_stderr_release(false);
    return ok;
}

void sound_back() {
    heard_last = snd_heard_nothing_yet;
    ring_asked = false;
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
    clock_read_ns = monotonic_ns();
    watch_sound();
    return snd_ticks_on_device() ? song_clock() : pt_song_clock();
}

// QUELLBRAND_TRACE=FILE: every presented frame's monotonic time, song clock, demo time and the
// events it handled, from which the capture makes its pictures again.
FILE *trace = nullptr;
TraceFrame traced;
void trace_frame(int64_t ns, int t, int clock) {
    traced.ns = ns;
    traced.clock = clock;
    traced.t = t;
    char line[trace_max_events * 16 + 64];
    const int n = trace_format(traced, line, sizeof line);
    // line by line: a run cut short, or watched as it runs, has every frame shown so far
    if (n > 0) {
        std::fwrite(line, 1, (size_t)n, trace);
        std::fflush(trace);
    }
    traced.event_count = 0;
    traced.overflow = false;
}

} // namespace

void session_catch_stop_signals() {
    catch_stop_signals();
}

int session_take_stop() {
    if (!stop_requested) return 0;
    stop_requested = 0;
    return 1;
}

// The channels SDL's audio device runs: for the heard clock, as the platform asks for them of the
// driver SDL chose; for the mixed clock, as the demo asks (one).
void session_choose_device_channels() {
    char driver[32] = "";
    sdl_audio_driver_name(driver, sizeof driver);
    bool invalid = false;
    device_channels = sync_heard(&invalid) ? sdl_platform.device_channels(driver) : 1;
    sdl_audio_widen(device_channels);
}

void session_choose_clock() {
    bool invalid = false;
    const char *value = std::getenv("QUELLBRAND_SYNC");
    const bool heard = sync_heard(&invalid);
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
        sdl_audio_driver_name(driver, sizeof driver);
        heard_allowance_ms = demo_server_allowance_ms(driver);
        heard_offset_ms = offset;
        song_clock = heard_song_clock;
    }
    const char *path = std::getenv("QUELLBRAND_TRACE");
    if (path && path[0]) {
        trace = std::fopen(path, "w");
        if (!trace) std::fprintf(stderr, "quellbrand: cannot write the trace %s\n", path);
    }
}

uint32_t session_ticks() {
    return SDL_GetTicks();
}

int session_song_clock() {
    return watched_song_clock();
}

void session_event(int type, int key) {
    if (trace) trace_add_event(traced, type, key);
}

void session_frame_shown(int t, int clock) {
    const int64_t shown = monotonic_ns();
    if (clock_read_ns) demo_render_note(&render, (int)((shown - clock_read_ns) / 1000));
    clock_read_ns = 0;
    if (trace) trace_frame(shown, t, clock);
}

void session_end() {
    if (trace) std::fclose(trace);
    trace = nullptr;
}

// SDL's audio device, opened with what the sound libraries print held back unless it opens.
int session_open_audio_quietly(int freq, int format, int channels, int samples) {
    quiet_stderr_begin();
    const int ok = snd_sdl_audio_device.open(freq, format, channels, samples);
    quiet_stderr_end();
    return ok;
}

// The driver menu, answered by the demo itself: "2", 44100 Hz 16-bit, unless the device cannot
// be opened.
int session_driver_menu() {
    // the newline first, so that the next read sees "2" and then the newline
    std::ungetc('\n', stdin);
    std::ungetc('2', stdin);
    return snd_choose_driver();
}
