// The data the build generates and embeds: each block under its name, its size from the assembler.
#pragma once
#include <cstdint>

extern "C" {
// The song is rewritten in place by the loader, so it is writable.
extern uint8_t song_module[];
extern const uint32_t song_module_size;
extern const uint8_t clip_frames[];
extern const uint32_t clip_frames_size;
extern const uint8_t texture_tga[];
extern const uint32_t texture_tga_size;
extern const uint8_t sprite_sheet_tga[];
extern const uint32_t sprite_sheet_tga_size;
}
