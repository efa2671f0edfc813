// Sound drivers: the driver menu, the SoundDriver hooks, the voice-operation table and ticks.
#pragma once
#include <cstdint>

// The mixer's operations as the player reaches them. Never empty: before a driver is chosen every
// entry does nothing.
struct SndVoiceOps {
    int (*set_sample)(int slot, const int8_t *data, uint32_t length, uint32_t loop_start,
                      uint32_t loop_end, int loop_flag);
    void (*select_voice)(int voice);
    void (*play_sample)(int slot);
    void (*set_period)(int period);
    void (*set_volume)(int volume);
    void (*set_pan)(int pan);
    void (*set_position)(uint32_t offset);
    void (*set_master_volume)(int level);
    void (*set_voices)(int count);
};
extern SndVoiceOps snd_voice_ops;
extern const SndVoiceOps snd_idle_ops;  // the empty table: every operation does nothing
extern const SndVoiceOps snd_mixer_ops; // what both drivers install

// Sound modes.
constexpr int snd_mode_silent = 0;
constexpr int snd_mode_u8_22050 = 1;
constexpr int snd_mode_s16_44100 = 2;
constexpr int snd_no_mode = -1; // an answer that names no driver
constexpr int snd_rate_low = 22050;
constexpr int snd_rate_high = 44100;
constexpr int snd_format_u8 = 0x0008;
constexpr int snd_format_s16lsb = 0x8010;
constexpr int snd_device_samples = 2048;
constexpr int snd_answer_bytes = 100;

extern int snd_sound_mode;
extern int snd_output_rate;
extern const char *snd_driver_name;
extern const char *snd_driver_error;
extern void (*drv_init)();
extern void (*drv_start)();

extern const char *const snd_sdl_driver_name;
extern const char *const snd_silent_driver_name;

// The audio device underneath the SDL driver and the silent driver's timer.
struct SndAudioDevice {
    int (*open)(int freq, int format, int channels, int samples); // 1 when open, paused
    void (*pause)(int paused);
    void (*start_timer)(int milliseconds); // calls snd_timer_callback at that interval
    uint32_t (*now_ms)();                  // a millisecond clock, for the silent driver's ticks
};
// The silent driver's timer interval: SDL 1.2's timer works in steps of this size, and each call
// runs the ticks that are due by the millisecond clock.
constexpr int snd_silent_timer_ms = 10;
// The device in use: none (it never opens) until the program sets one, such as SDL's.
extern SndAudioDevice snd_audio_device;
extern const SndAudioDevice snd_no_audio_device;

// Opens the driver of a sound mode (snd_mode_*). When the mode is none of them or the device
// cannot be opened, says so on standard error, installs the silent driver and returns 0.
int snd_open_driver(int mode);
// The driver menu: prints an empty line, reads one word from standard input and opens the driver
// its first character picks (0, 1 or 2; anything else counts as no driver).
int snd_choose_driver();
// The chosen driver's device opened again as it was first (paused), after the front end closed
// it; 1 when it opened. Nothing to open with the silent driver.
int snd_reopen_device();

// Tick scheduling. With a clock, every tick's first sample and the clock it leaves go to the heard
// clock (sound/heard.h).
void snd_set_tick_handler(void (*tick)(), int (*clock)() = nullptr);
void snd_start(int tick_rate);
void snd_audio_callback(void *userdata, uint8_t *stream, int len);
uint32_t snd_timer_callback(uint32_t interval);
int snd_samples_per_tick();
int snd_tick_carry();
// Tick thread: samples the callbacks have output so far, the first sample of the next buffer.
int64_t snd_stream_position();

// A device that goes away. The device's callbacks say when they ask for sound; the frame loop
// looks once a frame, with what the front end knows: a device that says it has stopped (SDL's
// audio thread ends itself when its device fails; a browser's audio context that no longer runs)
// is lost at once. One that has merely asked for nothing for snd_watch_lost_ms of time the loop
// itself ran is lost too (a device that hangs): its ring holds 93 ms (SDL 1.2's two 2048-sample
// fragments at 44100 Hz) or 186 ms (its PulseAudio stream), but a sound server may hold a new
// stream back for longer as it starts (a PulseAudio null sink asks for nothing for 1.9-2.0 s
// after its first buffers), and a busy machine delays a sound thread by a few hundred ms. A gap
// of more than snd_watch_loop_gap_ms in the loop's own looks means the whole process stood still
// (stopped, or a suspended machine): the wait starts again from then.
constexpr int snd_watch_lost_ms = 3000;
constexpr int snd_watch_loop_gap_ms = 250;
constexpr int snd_u8_silence = 0x80;
enum SndWatchEvent { snd_watch_quiet, snd_watch_lost, snd_watch_back };
// Tick thread: the device asked for sound at now_ms.
void snd_watch_request(uint32_t now_ms);
// Frame loop: snd_watch_lost when the device has just been found lost (stopped: the front end
// knows it has), snd_watch_back when a lost device asks again. Always quiet without a device.
SndWatchEvent snd_watch(uint32_t now_ms, int stopped);
// The hand-over: the silent driver's timer runs the ticks from the last one the device took (the
// device plays silence if it asks meanwhile), and back: the device (asking again, or opened
// again and paused) runs them from the song's position now, and is unpaused.
void snd_ticks_from_timer();
void snd_ticks_from_device();
int snd_ticks_on_device();
int snd_device_lost();

// Back to program start: no driver, empty table, no scheduling.
void snd_driver_clear();
