// The software mixer: pending and mixing voice banks, sample slots, and the voice operations.
#pragma once
#include <cstdint>

struct Voice {
    const int8_t *sample_data;
    int32_t slot_index;
    int32_t volume;
    uint32_t position_fraction; // 1/2^32 sample
    uint32_t position;
    uint32_t step_fraction; // 24 significant bits, low 8 bits 0
    int32_t step;
    uint32_t loop_start;
    uint32_t loop_end;
    int32_t loop_flag;
    uint32_t length;
    int32_t pan;
    int32_t period_changed;
    int32_t position_changed;
};

struct SampleSlot {
    const int8_t *sample_data;
    uint32_t length;
    uint32_t loop_start;
    uint32_t loop_end;
    int32_t loop_flag;
};

constexpr int snd_voice_count = 32;
constexpr int snd_slot_count = 32;
constexpr int snd_mix_buffer_samples = 20480;
constexpr int snd_default_rate = 44100;
constexpr int snd_default_voices = 4;
constexpr int snd_default_master = 63;
constexpr int snd_master_cap = 252;
constexpr uint32_t snd_amiga_clock = 3546836; // the player's clock, not the PAL 3546895

void snd_reset(int mixing_rate);
// Copies the pending bank into the mixing bank, then writes count mono samples: signed 16-bit
// when sixteen_bit is non-zero, unsigned 8-bit otherwise.
void snd_mix(void *buffer, int count, int sixteen_bit);

// The nine voice operations; the drivers install these into the voice-operation table.
int snd_set_sample(int slot, const int8_t *data, uint32_t length, uint32_t loop_start,
                   uint32_t loop_end, int loop_flag);
void snd_select_voice(int voice);
void snd_play_sample(int slot);
void snd_set_period(int period);
void snd_set_volume(int volume);
void snd_set_pan(int pan);
void snd_set_position(uint32_t offset);
void snd_set_master_volume(int level);
void snd_set_voices(int count);

// Views for tests and tools.
const Voice &snd_pending_voice(int voice);
const Voice &snd_mixing_voice(int voice);
const SampleSlot &snd_sample_slot(int slot);
int snd_mixing_rate();
int snd_master_level();
int snd_active_voices();
uint32_t snd_gain(int volume, int master);
// Back to program start: every record zero, rate 44100, 4 voices, master 63.
void snd_mixer_clear();
