// Writing grey and 16-bit screen pictures as PNG files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes a grey picture, each pixel scaled up to a scale x scale block.
bool png_write_grey(const std::string &path, const uint8_t *grey, int w, int h, int scale = 1);
// Writes an RGB picture (3 bytes a pixel), scaled up likewise.
bool png_write_rgb(const std::string &path, const uint8_t *rgb, int w, int h, int scale = 1);
// Scales an RGB picture up by an integer factor.
std::vector<uint8_t> rgb_scale(const uint8_t *rgb, int w, int h, int scale);
