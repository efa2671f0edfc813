// Running the sound path without a device: the driver menu, ticks and mixing on a virtual clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Chooses the 44100 Hz 16-bit driver over a device that opens without SDL, and starts ticks at
// the demo's rate; from then on offline_audio_buffer plays the part of the audio thread.
void offline_sound_start();
// The same in the demo's two steps: the driver menu (before the song is loaded), then the start.
void offline_sound_choose();
void offline_sound_begin();
// One device buffer of 2048 samples, as the audio thread would ask for it.
void offline_audio_buffer(int16_t *samples);
constexpr int offline_buffer_samples = 2048;
constexpr int offline_rate = 44100;

// Reads a whole file; empty when it cannot.
std::vector<uint8_t> offline_read_file(const std::string &path);
// 16-bit mono WAV.
bool offline_write_wav(const std::string &path, const std::vector<int16_t> &samples, int rate);
