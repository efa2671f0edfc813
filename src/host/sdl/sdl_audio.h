// SDL's audio device and timer underneath the sound drivers.
#pragma once
#include "sound/driver.h"

extern const SndAudioDevice snd_sdl_audio_device;
// The silent driver's periodic timer: SDL's, or in the browser the page's own (its SDL has none).
// One file each, chosen by the build.
void sdl_start_timer(int milliseconds);
