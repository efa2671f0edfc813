// Quellbrand in a web browser: started by the page's click, stepped once per animation frame,
// and exact renders on the capture's virtual clock for the page's tests.
#include "data/embedded.h"
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/startup.h"
#include "demo/sync.h"
#include "fx/canvas.h"
#include "host/offline/virtual_clock.h"
#include "host/sdl/sdl_audio.h"
#include "player/player.h"
#include "sound/driver.h"
#include "sound/heard.h"
#include "sound/mixer.h"

#include <SDL.h>
#include <cstring>
#include <emscripten.h>
#include <vector>

// What the page shows and is told: a finished screen of RGBA pixels, the end of the demo, an exact
// render that is ready.
EM_JS(void, page_show, (const uint32_t *pixels, int count),
      { Module.qbShow(HEAPU8.subarray(pixels, pixels + count * 4)); });
EM_JS(void, page_ended, (), { Module.qbEnded(); });
EM_JS(void, page_ready, (int clock), { Module.qbReady(clock); });
EM_JS(int, page_audio_running, (),
      { return SDL.audioContext && SDL.audioContext.state == 'running' ? 1 : 0; });
// Seconds of the audio context's timeline filled with the demo's samples so far.
EM_JS(double, page_audio_queued_until, (), { return SDL.audio ? SDL.audio.nextPlayTime : 0; });
// The audio context's time of the sound leaving for the speakers now: its output timestamp moved
// on to this moment, or where there is none, its time less the output latency.
EM_JS(double, page_output_time, (), {
    const c = SDL.audioContext;
    if (!c) return 0;
    if (c.getOutputTimestamp) {
        const t = c.getOutputTimestamp();
        if (t.performanceTime > 0)
            return t.contextTime + (performance.now() - t.performanceTime) / 1000;
    }
    return c.currentTime - (c.outputLatency || c.baseLatency || 0);
});
// Every buffer SDL schedules is told to web_buffer_scheduled with its start on the context's
// timeline; a buffer that starts later than the last one ended leaves a gap in the sound.
EM_JS(void, page_watch_audio, (), {
    const audio = SDL.audio;
    const push = audio.pushAudio;
    audio.pushAudio = function(ptr, size) {
        const before = audio.nextPlayTime;
        push(ptr, size);
        if (audio.nextPlayTime == before) return;
        const start = audio.nextPlayTime - audio.bufferDurationSecs;
        if (before != 0 && start > before + 1e-6) ++Module.qbAudioGaps;
        const first = Module._web_buffer_scheduled(start);
        if (Module.qbTrace) Module.qbTrace.buffers.push([ first, start ]);
    };
});
// With ?trace: each presented frame's song clock and its time on the context's output timeline.
EM_JS(int, page_tracing, (), { return Module.qbTrace ? 1 : 0; });
EM_JS(void, page_trace_frame, (double at, int clock), {
    Module.qbTrace.frames.push([ at, clock ]);
});

namespace {

constexpr int screen_pixels = screen_width * screen_height;
constexpr uint32_t opaque = 0xff000000u;
constexpr int key_queue_size = 64;
// An exact render runs in slices this long, so the page keeps answering while it works.
constexpr double offline_slice_ms = 50;

// The loader rewrites the song in place: every start loads it from this copy (and its zero byte).
std::vector<uint8_t> song_as_built;

uint32_t screen_rgba[screen_pixels];
uint32_t rgba_palette[256];

int key_queue[key_queue_size];
int key_first = 0, key_count = 0;

enum class Phase { idle, waiting_for_music, playing, rendering_offline, done };
Phase phase = Phase::idle;
DemoLoop loop;
int render_clock = 0;
bool render_shown = false;

uint32_t sdl_ticks() {
    return SDL_GetTicks();
}

int queued_key(int *type, int *key) {
    if (key_count == 0) return 0;
    *type = event_key_down;
    *key = key_queue[key_first];
    key_first = (key_first + 1) % key_queue_size;
    --key_count;
    return 1;
}

int no_events(int *, int *) {
    return 0;
}

// The screen as a 16-bit display shows it: Canvas through the grey palette, widened to 8 bits.
void show(const uint8_t *canvas) {
    for (int y = 0; y < canvas_height; ++y) {
        const uint8_t *src = canvas + y * canvas_width;
        uint32_t *dst = screen_rgba + (y + screen_canvas_top) * screen_width;
        for (int x = 0; x < canvas_width; ++x) dst[x] = rgba_palette[src[x]];
    }
    page_show(screen_rgba, screen_pixels);
}

void offline_present(const uint8_t *canvas, int, int clock) {
    if (render_shown || clock < render_clock) return;
    show(canvas);
    render_shown = true;
}

// The buffers scheduled last: their first sample of the stream and their start on the context's
// timeline. A few more than the queue holds.
constexpr int scheduled_kept = 16;
SndScheduledBuffer scheduled[scheduled_kept];
int scheduled_count = 0;

// The song as heard: the sample leaving for the speakers half a frame from now, by the schedule.
bool heard_sync = true;
int64_t heard_last = snd_heard_nothing_yet;
int heard_song_clock() {
    const int64_t p =
        snd_heard_scheduled(scheduled, scheduled_kept, scheduled_count, page_output_time(),
                            sync_frame_lead_ms, snd_output_rate, snd_device_samples);
    return snd_heard_clock(snd_heard_never_back(p, &heard_last));
}

// An audio context that no longer runs (the system took the sound device, the tab was told to
// be quiet) stops asking for sound: the silent driver's timer takes the ticks over, so the
// picture goes on by the wall clock, and the sound goes on from the song's position when the
// context runs again.
bool audio_ran = false;
void watch_sound() {
    const bool running = page_audio_running() != 0;
    audio_ran = audio_ran || running;
    switch (snd_watch(SDL_GetTicks(), audio_ran && !running)) {
    case snd_watch_lost:
        snd_ticks_from_timer();
        break;
    case snd_watch_back:
        if (running) {
            heard_last = snd_heard_nothing_yet;
            scheduled_count = 0;
            snd_ticks_from_device();
        }
        break;
    default:
        break;
    }
}

int live_song_clock() {
    watch_sound();
    if (!snd_ticks_on_device()) return pt_song_clock();
    return heard_sync ? heard_song_clock() : pt_song_clock();
}

void show_live(const uint8_t *canvas, int, int clock) {
    show(canvas);
    if (page_tracing()) page_trace_frame(page_output_time(), clock);
}

const DemoHost live_host = {sdl_ticks, live_song_clock, queued_key, show_live, nullptr};
const DemoHost offline_host = {offline_clock_ticks, pt_song_clock, no_events, offline_present,
                               nullptr};

int watch_audio() {
    page_watch_audio();
    return 1;
}

// A second start opens the browser's audio again: the first device is closed before.
int reopen_audio(int freq, int format, int channels, int samples) {
    SDL_CloseAudio();
    return snd_sdl_audio_device.open(freq, format, channels, samples);
}

// Everything back to the state the program starts in, and the palette the screen uses.
void reset_all() {
    snd_audio_device.pause(1);
    pt_clear();
    snd_driver_clear();
    snd_mixer_clear();
    demo_reset();
    std::memcpy(song_module, song_as_built.data(), song_as_built.size());
    key_first = key_count = 0;
    make_grey_palette_565(1, 0);
    for (int i = 0; i < 256; ++i) {
        const uint32_t c = present_rgb888(grey_palette[i]);
        rgba_palette[i] = opaque | (c & 0xff) << 16 | (c & 0xff00) | (c >> 16);
    }
    for (uint32_t &p : screen_rgba) p = opaque;
}

void frame() {
    switch (phase) {
    case Phase::waiting_for_music:
        if (demo_music_started(live_host)) {
            loop = demo_loop_start((double)SDL_GetTicks());
            phase = Phase::playing;
        }
        break;
    case Phase::playing:
        if (demo_step(live_host, loop) == demo_step_ended) {
            // closed, not paused: the browser's SDL calls a paused device's callback still, and
            // the song would play on unheard
            SDL_CloseAudio();
            phase = Phase::done;
            page_ended();
        }
        break;
    case Phase::rendering_offline: {
        const double until = emscripten_get_now() + offline_slice_ms;
        bool ended = false;
        while (!render_shown && !ended && emscripten_get_now() < until)
            ended = demo_step(offline_host, loop) == demo_step_ended;
        if (render_shown || ended) {
            phase = Phase::done;
            page_ready(pt_song_clock());
        }
        break;
    }
    default:
        break;
    }
}

} // namespace

extern "C" {

// The click: sound and pictures start together, in the desktop's order. heard: the pictures follow
// the song as heard (otherwise as mixed).
EMSCRIPTEN_KEEPALIVE void web_start(int heard) {
    reset_all();
    heard_sync = heard != 0;
    heard_last = snd_heard_nothing_yet;
    audio_ran = false;
    scheduled_count = 0;
    const SndAudioDevice browser_audio = {reopen_audio, snd_sdl_audio_device.pause,
                                          snd_sdl_audio_device.start_timer,
                                          snd_sdl_audio_device.now_ms};
    demo_start_sound({browser_audio, demo_driver_s16, watch_audio});
    phase = Phase::waiting_for_music;
}

// SDL has just scheduled the buffer the last callback mixed to start at this time.
EMSCRIPTEN_KEEPALIVE double web_buffer_scheduled(double start) {
    const int64_t first = snd_stream_position() - snd_device_samples;
    scheduled[scheduled_count % scheduled_kept] = {first, start};
    ++scheduled_count;
    return (double)first;
}

// A key as SDL 1.2 numbers it; kept until the next frame reads its events.
EMSCRIPTEN_KEEPALIVE void web_key(int key) {
    if (phase != Phase::playing || key_count == key_queue_size) return;
    key_queue[(key_first + key_count) % key_queue_size] = key;
    ++key_count;
}

// The first frame at or after the song clock, made on the virtual clock without sound.
EMSCRIPTEN_KEEPALIVE void web_render_at(int clock) {
    reset_all();
    offline_start_demo_sound();
    offline_clock_reset(nullptr);
    loop = demo_loop_start(offline_clock_start_demo(demo_first_tick_clock));
    render_clock = clock;
    render_shown = false;
    phase = Phase::rendering_offline;
}

EMSCRIPTEN_KEEPALIVE int web_song_clock() {
    return pt_song_clock();
}

EMSCRIPTEN_KEEPALIVE int web_audio_running() {
    return page_audio_running();
}

EMSCRIPTEN_KEEPALIVE double web_audio_queued_until() {
    return page_audio_queued_until();
}

} // extern "C"

int main() {
    demo_build_tables();
    SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO);
    // with the zero byte after it
    song_as_built.assign(song_module, song_module + song_module_size + 1);
    emscripten_set_main_loop(frame, 0, 0);
    return 0;
}
