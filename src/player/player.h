// The module player: loader, replayer state, effects and the song clock.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int pt_max_samples = 31;
constexpr int pt_max_channels = 32;
constexpr int pt_max_patterns = 128;
constexpr int pt_order_entries = 128;
constexpr int pt_rows = 64;
constexpr int pt_cell_bytes = 4;
constexpr int pt_header_bytes = 1084; // titles, sample headers, order list and signature
constexpr int pt_finetunes = 16;
constexpr int pt_notes = 84; // seven octaves; index 84 means "no note"
constexpr int pt_no_note = pt_notes;
constexpr int pt_period_min = 27;
constexpr int pt_period_max = 3628;

struct ModSample {
    int32_t length; // bytes
    uint8_t finetune;
    int32_t volume;
    int32_t loop_start;  // bytes
    int32_t loop_length; // bytes
};

struct PatternCell {
    uint8_t sample;
    uint8_t note;
    uint8_t command;
    uint8_t param;
};
static_assert(sizeof(PatternCell) == pt_cell_bytes, "cells are rewritten in place");

struct Module {
    uint8_t *bytes;
    int32_t read_offset;
    ModSample samples[pt_max_samples + 1]; // slot 0 unused
    uint8_t song_length;
    int32_t restart_position;
    uint8_t order_list[pt_order_entries];
    char signature[5];
    int32_t channels;
    uint8_t highest_pattern;
    PatternCell *pattern_table[pt_max_patterns];
};

struct PlayerState {
    int32_t speed;
    int32_t tempo;
    int32_t tick;
    int32_t row;
    int32_t position;
    int32_t current_pattern;
    int32_t break_row;
    const PatternCell *row_pointer;
    int32_t vibrato_waveform;
    int32_t tremolo_waveform;
};

struct ChannelState {
    int32_t sample, note, finetune, period, target_period, portamento_speed, volume, pan;
    int32_t vibrato_position, vibrato_speed, vibrato_depth;
    int32_t tremolo_position, tremolo_speed, tremolo_depth;
    int32_t glissando, loop_start_row, loop_count, delay_count;
};

extern const uint16_t period_table[pt_finetunes][pt_notes + 1];
extern int16_t waveform_table[4][64];
extern uint8_t default_pan[pt_max_channels];
extern const char *pt_error;
extern Module pt_module;
extern PlayerState pt_state;
extern ChannelState pt_channels[pt_max_channels];

// Loads a complete module of size bytes; bytes[size] must be readable (a zero byte after the
// module), since a loop that ends the last sample plays the byte after it. Pattern cells are
// rewritten in place. Returns 1 on success, 0 with pt_error set.
int pt_load(uint8_t *bytes, size_t size);
int pt_takemod(uint8_t *bytes, size_t size);
void pt_convert_pattern(uint8_t *pattern, int channels);
void pt_reset();
void pt_tick();
// Order position x 100 + row, one consistent pair.
int pt_song_clock();
// Program start: nothing loaded, clock 0, default pans.
void pt_clear();

extern const char *const pt_error_unknown_type;
