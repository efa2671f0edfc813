// SDL's audio device and timer underneath the sound drivers.
#pragma once
#include "sound/driver.h"

extern const SndAudioDevice snd_sdl_audio_device;
