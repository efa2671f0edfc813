// Writing grey and 16-bit screen pictures as PNG files.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Writes a grey picture, each pixel scaled up to a scale x scale block.
bool png_write_grey(const std::string &path, const uint8_t *grey, int w, int h, int scale = 1);
