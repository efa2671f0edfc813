// The file helpers the offline tools share: whole files and streamed WAV.
#pragma once
#include "host/offline/virtual_clock.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Reads a whole file; empty when it cannot.
std::vector<uint8_t> offline_read_file(const std::string &path);
// A 16-bit mono WAV written as the samples come, a buffer at a time, so memory stays flat for any
// length; the header's sizes are filled in when it is closed.
struct WavWriter {
    FILE *file = nullptr;
    uint64_t samples = 0;
    bool failed = false;
    std::vector<char> stdio_buffer; // large: a write system call per megabyte, not per 4 kB
};
bool wav_open(WavWriter &w, const std::string &path, int rate);
void wav_write(WavWriter &w, const int16_t *samples, size_t count);
// Closes the file; false when anything could not be written.
bool wav_close(WavWriter &w);
