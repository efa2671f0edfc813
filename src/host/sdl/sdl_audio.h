// SDL's audio device and timer underneath the sound drivers.
#pragma once
#include "sound/driver.h"

extern const SndAudioDevice snd_sdl_audio_device;
// The silent driver's periodic timer: SDL's, or in the browser the page's own (its SDL has none).
// One file each, chosen by the build.
void sdl_start_timer(int milliseconds);
// SDL's device opened from now on with so many channels for each one the driver asks for, every
// sample written to each (1 by default).
void sdl_audio_widen(int channels);
