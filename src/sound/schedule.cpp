// Tick scheduling: replayer ticks placed at exact sample positions in the audio stream.
#include "sound/driver.h"
#include "sound/heard.h"
#include "sound/mixer.h"

#include <atomic>
#include <cstring>
#include <thread>

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

// Who runs the ticks: the device's callbacks, or the silent driver's timer (the silent driver,
// or a device that stopped asking). A callback or a timer call that finds the ticks are not its
// own does nothing; each says while it is inside, so that a hand-over can wait for it to leave.
enum TickSource { source_none, source_device, source_timer };
std::atomic<int> tick_source{source_none};
std::atomic<int> in_device{0};
std::atomic<int> in_timer{0};
bool timer_started = false;
// Where a lost device's stream goes while the timer runs it, a piece at a time.
constexpr int unheard_samples = 2048;
uint8_t unheard[unheard_samples * 2];

int bytes_per_sample() {
    return snd_sound_mode == snd_mode_u8_22050 ? 1 : 2;
}

// The watch on the device: when it last asked for sound, from when the frame loop has been
// watching it, when the loop last looked, and whether it counts as lost.
std::atomic<uint32_t> last_request_ms{0};
uint32_t watch_from_ms = 0;
uint32_t last_look_ms = 0;
bool looked = false;
bool device_lost = false;
uint32_t lost_request_ms = 0;

// a is later than b, on a millisecond counter that may wrap
bool later(uint32_t a, uint32_t b) {
    return (int32_t)(a - b) > 0;
}

void start_watch(uint32_t now) {
    last_request_ms.store(now);
    watch_from_ms = now;
    looked = false;
    device_lost = false;
}

// The silent driver's ticks from now on, a tick_rate a second by the device's clock.
void start_timer_ticks() {
    silent_last_ms = snd_audio_device.now_ms();
    silent_elapsed_ms = 0;
    silent_ticks = 0;
    tick_source.store(source_timer);
    if (!timer_started) {
        timer_started = true;
        snd_audio_device.start_timer(snd_silent_timer_ms);
    }
}

// Waits until the other side has left its callback (it never blocks inside).
void wait_until_out(const std::atomic<int> &inside) {
    while (inside.load()) std::this_thread::yield();
}

void run_tick() {
    if (tick_handler) tick_handler();
}

// A tick whose samples start at sample fill of this callback's buffer.
void run_tick_at(int fill) {
    run_tick();
    if (clock_reader) snd_heard_record(stream_position + fill, clock_reader());
}

// Ticks placed at exact sample positions of the device's buffer, a tick that straddles its end
// carried into the next.
void device_callback(uint8_t *stream, int len) {
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

// The ticks due by the clock, whatever the timer's granularity: tick_rate a second. After a
// stall (the process stopped, a suspended machine) at most a second's worth catches up.
void run_due_ticks() {
    const uint32_t now = snd_audio_device.now_ms();
    silent_elapsed_ms += (uint32_t)(now - silent_last_ms);
    silent_last_ms = now;
    const uint64_t due = silent_elapsed_ms * (uint64_t)tick_rate / 1000u;
    if (due > silent_ticks + (uint64_t)tick_rate) silent_ticks = due - (uint64_t)tick_rate;
    while (silent_ticks < due) {
        if (snd_sound_mode == snd_mode_silent) {
            run_tick();
        } else {
            // a lost device: its stream goes on unheard, a tick's samples a tick, so the voices
            // keep their places and a device back takes it up where the song is
            for (int left = snd_samples_per_tick(); left > 0;) {
                const int n = left < unheard_samples ? left : unheard_samples;
                device_callback(unheard, n * bytes_per_sample());
                left -= n;
            }
        }
        ++silent_ticks;
    }
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
        start_watch(snd_audio_device.now_ms());
        tick_source.store(source_device);
        snd_audio_device.pause(0);
    } else {
        start_timer_ticks();
    }
}

void snd_watch_request(uint32_t now_ms) {
    last_request_ms.store(now_ms);
}

SndWatchEvent snd_watch(uint32_t now_ms, int stopped) {
    if (snd_sound_mode == snd_mode_silent || tick_rate <= 0) return snd_watch_quiet;
    // the frame loop stood still too (the whole process stopped, a suspended machine): the
    // device gets its time again from now
    if (looked && (int32_t)(now_ms - last_look_ms) > snd_watch_loop_gap_ms) watch_from_ms = now_ms;
    last_look_ms = now_ms;
    looked = true;
    const uint32_t asked = last_request_ms.load();
    if (!device_lost) {
        const uint32_t since = later(asked, watch_from_ms) ? asked : watch_from_ms;
        if (!stopped && (int32_t)(now_ms - since) <= snd_watch_lost_ms) return snd_watch_quiet;
        device_lost = true;
        lost_request_ms = asked;
        return snd_watch_lost;
    }
    return later(asked, lost_request_ms) ? snd_watch_back : snd_watch_quiet;
}

void snd_ticks_from_timer() {
    start_timer_ticks();
    wait_until_out(in_device);
}

void snd_ticks_from_device() {
    // the timer's last ticks are done before the device's first; the device takes the stream up
    // where the timer left it, and what it has heard starts again at the song's clock now
    tick_source.store(source_none);
    wait_until_out(in_timer);
    snd_heard_clear(clock_reader ? clock_reader() : 0);
    start_watch(snd_audio_device.now_ms());
    tick_source.store(source_device);
    snd_audio_device.pause(0);
}

int snd_ticks_on_device() {
    return tick_source.load() == source_device;
}

int snd_device_lost() {
    return device_lost;
}

uint32_t snd_timer_callback(uint32_t interval) {
    in_timer.store(1);
    if (tick_source.load() == source_timer && tick_rate > 0) run_due_ticks();
    in_timer.store(0);
    return interval;
}

void snd_audio_callback(void *, uint8_t *stream, int len) {
    in_device.store(1);
    if (tick_source.load() == source_device) {
        device_callback(stream, len);
    } else if (snd_sound_mode != snd_mode_silent) {
        // the ticks are the timer's (the device was found lost): it plays silence meanwhile
        std::memset(stream, snd_sound_mode == snd_mode_u8_22050 ? snd_u8_silence : 0, (size_t)len);
    }
    in_device.store(0);
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
    tick_source.store(source_none);
    timer_started = false;
    start_watch(0);
}
