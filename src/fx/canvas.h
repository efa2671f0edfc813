// The Canvas: the 320x200 8-bit grey picture every effect draws into.
#pragma once
#include <cstdint>

constexpr int canvas_width = 320;
constexpr int canvas_height = 200;
constexpr int canvas_size = canvas_width * canvas_height;
// Canvases start at a word-aligned address: several steps read and write them a word at a time,
// which a 32-bit ARM without unaligned access would get wrong otherwise.
static_assert(canvas_size == 64000, "a Canvas is 64000 bytes");
