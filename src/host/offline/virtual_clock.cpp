// The sound path without a device, and the virtual clock the offline front ends run on.
#include "host/offline/virtual_clock.h"
#include "demo/startup.h"
#include "player/player.h"
#include "sound/driver.h"

namespace {
int open_device(int, int, int, int) {
    return 1;
}
void no_pause(int) {}
void no_timer(int) {}
uint32_t no_clock() {
    return 0;
}
} // namespace

const SndAudioDevice offline_audio_device = {open_device, no_pause, no_timer, no_clock};

void offline_start_demo_sound() {
    demo_start_sound({offline_audio_device, demo_driver_s16});
}

void offline_sound_start() {
    snd_audio_device = offline_audio_device;
    snd_set_tick_handler(pt_tick);
    demo_driver_s16();
    snd_start(demo_tick_rate);
}

void offline_audio_buffer(int16_t *samples) {
    snd_audio_callback(nullptr, reinterpret_cast<uint8_t *>(samples),
                       offline_buffer_samples * (int)sizeof(int16_t));
}

namespace {
uint32_t clock_ms = 0;
uint64_t clock_buffers = 0;
void (*buffer_hook)(const int16_t *) = nullptr;

void run_due_buffers() {
    while (clock_buffers * offline_buffer_samples * 1000 <= (uint64_t)clock_ms * offline_rate) {
        int16_t buffer[offline_buffer_samples];
        offline_audio_buffer(buffer);
        if (buffer_hook) buffer_hook(buffer);
        ++clock_buffers;
    }
}
} // namespace

void offline_clock_reset(void (*on_buffer)(const int16_t *samples)) {
    clock_ms = 0;
    clock_buffers = 0;
    buffer_hook = on_buffer;
}

uint32_t offline_clock_ticks() {
    const uint32_t t = clock_ms++;
    run_due_buffers();
    return t;
}

uint32_t offline_clock_now_ms() {
    return clock_ms;
}

uint64_t offline_clock_buffers() {
    return clock_buffers;
}

double offline_clock_start_demo(int first_tick_clock) {
    run_due_buffers();
    while ((unsigned)pt_song_clock() > (unsigned)first_tick_clock) {
        ++clock_ms;
        run_due_buffers();
    }
    return clock_ms;
}
