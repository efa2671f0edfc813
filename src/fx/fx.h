// Picture effects and the lookup tables they run on.
#pragma once
#include "fx/canvas.h"
#include <cstdint>

// Tables built once at start.
constexpr int blend_table_size = 256 * 256;
constexpr int row_offset_count = 256;
constexpr int division_widths = 640;
constexpr int grey_levels = 256;
extern uint8_t blend_table[blend_table_size];
extern int32_t row_offset_table[row_offset_count];
extern int32_t division_table[division_widths * grey_levels];
extern int32_t warp_map[canvas_size];
// warp_map's values in 16 bits (they lie between 1073 and 53564): the warp reads 128 KB a frame
// instead of 256 KB.
extern uint16_t warp_offsets[canvas_size];
extern float row_wave[canvas_height];
extern float column_wave[canvas_width];

void fx_build_blend_tables();
// Set by fx_build_blend_tables when multiply-and-shift gives every blend table value, so the
// feedback effect can blend without a lookup per pixel.
extern bool fx_blend_by_multiply;
// The blend table's two terms, c / 5 and (f x 90) / 100: min(sum, 255) is every entry, from 512
// bytes that stay in a 16 KB data cache where the whole table (64 KB) misses on almost every pixel.
extern uint8_t blend_canvas_term[grey_levels];
extern uint8_t blend_feedback_term[grey_levels];
void fx_build_division_table();
void fx_build_warp_map();

// Embedded pictures, each an uncompressed grey TGA file addressed past its header.
constexpr int tga_header_bytes = 18;
constexpr int tga_footer_bytes = 26;
constexpr int texture_side = 256;
constexpr int sprite_sheet_width = 207;
constexpr int sprite_sheet_height = 337;
constexpr int sprite_count = 11;
// The word sprites, by what they say: the index in sprite_row_table.
constexpr int sprite_quell = 0;       // "QUELL"
constexpr int sprite_quellbrand = 1;  // "QUELLBRAND"
constexpr int sprite_credits = 2;     // "Tessaline & Vek present"
constexpr int sprite_fin = 3;         // "fin."
constexpr int sprite_the_spring = 4;  // "the spring"
constexpr int sprite_the_steam = 5;   // "the steam"
constexpr int sprite_the_fire = 6;    // "the fire"
constexpr int sprite_greetings = 7;   // "greetings"
constexpr int sprite_brand = 8;       // "BRAND"
constexpr int sprite_spring_fire = 9; // "spring · fire"
constexpr int sprite_in_motion = 10;  // "in motion"
extern const uint8_t *const texture_image;
extern const uint8_t *const sprite_sheet;
extern const int32_t sprite_row_table[sprite_count + 1];
constexpr int blotch_side = 4;
extern const uint8_t blotch_mask[2][blotch_side * blotch_side];

// Blur and feedback.
void fx_vertical_blur(const uint8_t *src, uint8_t *dst, int src_x, int src_y, int dst_x, int dst_y,
                      int columns, int rows, int stride, int width);
void fx_feedback(uint8_t *canvas, int zoom, int angle);
void fx_rotozoom(uint8_t *dst, const uint8_t *src, int columns, int rows, int zoom_x, int zoom_y,
                 int angle);
void fx_feedback_clear();

// The blur and the feedback blend each work one of two ways, with the same pictures: for SIMD
// (division by reciprocal over the whole width, the blend by multiplying), where the processor
// has SSE2, or for a small data cache (division by table in 160-column strips, the blend from its
// two terms), elsewhere, as on the handheld. Both are built everywhere, so tests compare them.
enum FxKernels { fx_kernels_scalar, fx_kernels_simd };
#if defined(__SSE2__)
constexpr FxKernels fx_kernels_native = fx_kernels_simd;
#else
constexpr FxKernels fx_kernels_native = fx_kernels_scalar;
#endif
// fx_kernels_native until set; fx_reset_state sets it back.
void fx_set_kernels(FxKernels kernels);

// Further Canvas effects.
void fx_warp_texture(uint8_t *canvas, int t, int threshold);
void fx_block_glow(uint8_t *canvas, int n, int gain, int bias);
void fx_film_damage(uint8_t *canvas, int t);
void fx_film_strip(uint8_t *dst, const uint8_t *src, float position);
void fx_stamp_sprite(uint8_t *canvas, int x, int y, int sprite, int t);
// The same stamp from any sheet of sprite_sheet_width columns, with a given vertical shake.
void fx_stamp_sprite_from(uint8_t *canvas, const uint8_t *sheet, const int32_t *rows, int x, int y,
                          int sprite, int t, int shake_y);

// Start-up state of the effects: feedback memory black, shake generator at its seed.
void fx_reset_state();
