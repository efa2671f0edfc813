// Builds ProTracker modules in memory: samples, an order list and pattern cells.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct ModWriterSample {
    std::string name;
    std::vector<int8_t> data; // even length, at most 131070 bytes
    int finetune = 0;         // -8..7
    int volume = 64;
    int loop_start = 0;  // bytes, even
    int loop_length = 0; // bytes, even; 0 or 2 for no loop
};

struct ModWriterCell {
    int sample = 0;  // 0..31
    int period = 0;  // Amiga period, 0 for none
    int command = 0; // 0..15
    int param = 0;   // 0..255
};

struct ModWriterSong {
    std::string title;
    std::string signature = "M.K.";
    int channels = 4;
    int restart = 0;
    std::vector<ModWriterSample> samples;             // slots 1.., at most 31
    std::vector<int> order;                           // played positions
    std::vector<int> order_tail;                      // entries after the played ones, if any
    std::vector<std::vector<ModWriterCell>> patterns; // 64 x channels cells each, row-major
};

// A pattern of empty cells for a song's channel count.
std::vector<ModWriterCell> mod_empty_pattern(int channels);
// The module's bytes.
std::vector<uint8_t> mod_write(const ModWriterSong &song);
// Period of note n (0..83, 12 per octave from C) at finetune 0, as the player's table has it.
int mod_period(int note);
