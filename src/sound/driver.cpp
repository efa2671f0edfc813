// Driver selection, the SoundDriver hooks and the voice-operation table.
#include "sound/driver.h"
#include "sound/mixer.h"

#include <cstdio>

namespace {

int idle_set_sample(int, const int8_t *, uint32_t, uint32_t, uint32_t, int) {
    return 1;
}
void idle_int(int) {}
void idle_offset(uint32_t) {}
void do_nothing() {}
int no_device_open(int, int, int, int) {
    return 0;
}
void no_device_timer(int) {}
uint32_t no_device_clock() {
    return 0;
}
void sdl_driver_init() {
    snd_reset(snd_output_rate);
}

constexpr int device_channels = 1;

int format_of(int rate) {
    return rate <= snd_rate_high - 1 ? snd_format_u8 : snd_format_s16lsb;
}

int open_sdl_driver(int rate) {
    snd_output_rate = rate;
    if (!snd_audio_device.open(rate, format_of(rate), device_channels, snd_device_samples)) {
        snd_driver_error = "SDL audio error";
        return 0;
    }
    drv_init = sdl_driver_init;
    drv_start = do_nothing;
    snd_voice_ops = snd_mixer_ops;
    snd_driver_name = snd_sdl_driver_name;
    return 1;
}

void open_silent_driver() {
    drv_init = do_nothing;
    drv_start = do_nothing;
    snd_voice_ops = snd_mixer_ops;
    snd_driver_name = snd_silent_driver_name;
}

constexpr int selection_master_level = 64;

} // namespace

const SndVoiceOps snd_idle_ops = {idle_set_sample, idle_int,    idle_int, idle_int, idle_int,
                                  idle_int,        idle_offset, idle_int, idle_int};
const SndVoiceOps snd_mixer_ops = {snd_set_sample,   snd_select_voice,      snd_play_sample,
                                   snd_set_period,   snd_set_volume,        snd_set_pan,
                                   snd_set_position, snd_set_master_volume, snd_set_voices};
SndVoiceOps snd_voice_ops = snd_idle_ops;
// Until a front end names its device: none, so programs without SDL need no SDL library.
const SndAudioDevice snd_no_audio_device = {no_device_open, idle_int, no_device_timer,
                                            no_device_clock};
SndAudioDevice snd_audio_device = snd_no_audio_device;

int snd_sound_mode = snd_mode_silent;
int snd_output_rate = snd_rate_high;
const char *snd_driver_name = "";
const char *snd_driver_error = "";
void (*drv_init)() = do_nothing;
void (*drv_start)() = do_nothing;
const char *const snd_sdl_driver_name = "SDL audio";
const char *const snd_silent_driver_name = "Super Vek NoSound Device 2.0c";

int snd_choose_driver() {
    std::fputs("\n", stdout);
    std::fflush(stdout);
    // The word is read with a width so a long answer cannot overrun the buffer.
    char word[snd_answer_bytes] = "";
    if (std::scanf("%99s", word) != 1) word[0] = '\0';
    static_assert(snd_answer_bytes == 100, "the scanf width above is one less than the buffer");
    const bool known = word[0] >= '0' && word[0] <= '2';
    return snd_open_driver(known ? word[0] - '0' : snd_no_mode);
}

int snd_reopen_device() {
    if (snd_sound_mode == snd_mode_silent) return 0;
    return snd_audio_device.open(snd_output_rate, format_of(snd_output_rate), device_channels,
                                 snd_device_samples);
}

int snd_open_driver(int mode) {
    int ok = 0;
    switch (mode) {
    case snd_mode_u8_22050:
        snd_sound_mode = snd_mode_u8_22050;
        ok = open_sdl_driver(snd_rate_low);
        break;
    case snd_mode_s16_44100:
        snd_sound_mode = snd_mode_s16_44100;
        ok = open_sdl_driver(snd_rate_high);
        break;
    case snd_mode_silent:
        snd_sound_mode = snd_mode_silent;
        open_silent_driver();
        ok = 1;
        break;
    default:
        break;
    }
    if (!ok) {
        // The replayer must still run from the timer so the pictures follow the song.
        std::fputs("quellbrand: no usable sound device, running without sound\n", stderr);
        snd_sound_mode = snd_mode_silent;
        open_silent_driver();
    }
    drv_init();
    snd_voice_ops.set_master_volume(selection_master_level);
    drv_start();
    return ok;
}
