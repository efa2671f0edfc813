// Tick scheduling: replayer ticks placed at exact sample positions in the audio stream.
#include "sound/driver.h"
#include "sound/heard.h"
#include "sound/mixer.h"

namespace {

int tick_rate = 0;
int milliseconds_per_tick = 0;
int tick_carry = 0;
void (*tick_handler)() = nullptr;
int (*clock_reader)() = nullptr;
// Samples output by the callbacks before the current one.
int64_t stream_position = 0;
// The silent driver: milliseconds since its start, read from the device's clock, and the ticks
// run so far.
uint32_t silent_last_ms = 0;
uint64_t silent_elapsed_ms = 0;
uint64_t silent_ticks = 0;

void run_tick() {
    if (tick_handler) tick_handler();
}

// A tick whose samples start at sample fill of this callback's buffer.
void run_tick_at(int fill) {
    run_tick();
    if (clock_reader) snd_heard_record(stream_position + fill, clock_reader());
}

} // namespace

void snd_set_tick_handler(void (*tick)(), int (*clock)()) {
    tick_handler = tick;
    clock_reader = clock;
}

int64_t snd_stream_position() {
    return stream_position;
}

int snd_samples_per_tick() {
    if (tick_rate <= 0) return 0;
    return (snd_sound_mode == snd_mode_u8_22050 ? snd_rate_low : snd_rate_high) / tick_rate;
}

int snd_tick_carry() {
    return tick_carry;
}

void snd_start(int rate) {
    tick_rate = rate;
    milliseconds_per_tick = 1000 / rate;
    snd_heard_clear(clock_reader ? clock_reader() : 0);
    if (snd_sound_mode != snd_mode_silent) {
        snd_audio_device.pause(0);
    } else {
        silent_last_ms = snd_audio_device.now_ms();
        silent_elapsed_ms = 0;
        silent_ticks = 0;
        snd_audio_device.start_timer(snd_silent_timer_ms);
    }
}

// Whatever the timer's granularity, the ticks due by the clock run: tick_rate a second. After a
// stall (the process stopped, a suspended machine) at most a second's worth catches up.
uint32_t snd_timer_callback(uint32_t interval) {
    if (snd_sound_mode != snd_mode_silent || tick_rate <= 0) return interval;
    const uint32_t now = snd_audio_device.now_ms();
    silent_elapsed_ms += (uint32_t)(now - silent_last_ms);
    silent_last_ms = now;
    const uint64_t due = silent_elapsed_ms * (uint64_t)tick_rate / 1000u;
    if (due > silent_ticks + (uint64_t)tick_rate) silent_ticks = due - (uint64_t)tick_rate;
    while (silent_ticks < due) {
        run_tick();
        ++silent_ticks;
    }
    return interval;
}

void snd_audio_callback(void *, uint8_t *stream, int len) {
    int n, bytes_per_sample, sixteen_bit;
    if (snd_sound_mode == snd_mode_u8_22050) {
        n = len;
        bytes_per_sample = 1;
        sixteen_bit = 0;
    } else if (snd_sound_mode == snd_mode_s16_44100) {
        n = len / 2;
        bytes_per_sample = 2;
        sixteen_bit = 1;
    } else {
        return;
    }
    const int s = snd_samples_per_tick();
    if (s <= 0) return; // not started
    int fill = 0;
    if (tick_carry > n) {
        // A buffer shorter than the rest of a tick (SDL's PulseAudio driver halves the 2048
        // asked for): the tick goes on into the next buffer, and only what fits is written.
        snd_mix(stream, n, sixteen_bit);
        tick_carry -= n;
        stream_position += n;
        return;
    }
    if (tick_carry != 0) {
        snd_mix(stream, tick_carry, sixteen_bit);
        fill = tick_carry;
    }
    while (fill + s <= n) {
        run_tick_at(fill);
        snd_mix(stream + fill * bytes_per_sample, s, sixteen_bit);
        fill += s;
    }
    run_tick_at(fill);
    snd_mix(stream + fill * bytes_per_sample, n - fill, sixteen_bit);
    tick_carry = s - (n - fill);
    stream_position += n;
}

void snd_driver_clear() {
    snd_voice_ops = snd_idle_ops;
    snd_sound_mode = snd_mode_silent;
    snd_output_rate = snd_rate_high;
    snd_driver_name = "";
    snd_driver_error = "";
    tick_rate = 0;
    milliseconds_per_tick = 0;
    tick_carry = 0;
    tick_handler = nullptr;
    clock_reader = nullptr;
    stream_position = 0;
    silent_last_ms = 0;
    silent_elapsed_ms = 0;
    silent_ticks = 0;
}
