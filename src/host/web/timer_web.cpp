// The silent driver's timer in the browser, whose SDL has no periodic timer: the page's own
// interval timer calls back instead.
#include "host/sdl/sdl_audio.h"

#include <emscripten/eventloop.h>

namespace {
void interval_callback(void *) {
    snd_timer_callback(snd_silent_timer_ms);
}
} // namespace

// Once: a second start (the page's "play again") finds it running.
void sdl_start_timer(int milliseconds) {
    static bool started = false;
    if (started) return;
    started = true;
    emscripten_set_interval(interval_callback, milliseconds, nullptr);
}
