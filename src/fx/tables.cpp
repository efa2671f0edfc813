// Lookup tables built at start, and the constant sprite and blotch tables.
#include "fx/fx.h"
#include "data/embedded.h"

#include <cmath>

uint8_t blend_table[blend_table_size];
uint8_t blend_canvas_term[grey_levels];
uint8_t blend_feedback_term[grey_levels];
int32_t row_offset_table[row_offset_count];
int32_t division_table[division_widths * grey_levels];
int32_t warp_map[canvas_size];
uint16_t warp_offsets[canvas_size];
float row_wave[canvas_height];
float column_wave[canvas_width];

const uint8_t *const texture_image = texture_tga + tga_header_bytes;
const uint8_t *const sprite_sheet = sprite_sheet_tga + tga_header_bytes;

const int32_t sprite_row_table[sprite_count + 1] = {0,   33,  60,  88,  124, 148,
                                                    178, 203, 230, 264, 302, 335};

const uint8_t blotch_mask[2][blotch_side * blotch_side] = {
    {0, 1, 0, 0, 0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 0},
    {0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 0, 0, 0},
};

void fx_build_blend_tables() {
    for (int f = 0; f < 256; ++f)
        for (int c = 0; c < 256; ++c) {
            const int v = c / 5 + (f * 90) / 100;
            blend_table[f * 256 + c] = (uint8_t)(v > 255 ? 255 : v);
        }
    // row 0 is c / 5 alone, column 0 (f x 90) / 100 alone: neither reaches 255
    for (int v = 0; v < grey_levels; ++v) {
        blend_canvas_term[v] = blend_table[v];
        blend_feedback_term[v] = blend_table[v * 256];
    }
    for (int r = 0; r < row_offset_count; ++r) row_offset_table[r] = canvas_width * r;
    fx_blend_by_multiply = true;
    for (int f = 0; f < 256; ++f)
        for (int c = 0; c < 256; ++c)
            if ((((uint32_t)c * 13108u) >> 16) + (((uint32_t)f * 58983u) >> 16) !=
                (uint32_t)(c / 5 + (f * 90) / 100))
                fx_blend_by_multiply = false;
}

bool fx_blend_by_multiply = false;

void fx_build_division_table() {
    for (int v = 0; v < grey_levels; ++v) {
        division_table[v] = 255;
        for (int w = 1; w < division_widths; ++w) division_table[w * grey_levels + v] = v / w;
    }
}

void fx_build_warp_map() {
    for (int y = 0; y < canvas_height; ++y) row_wave[y] = (float)(0.1 * std::cos(0.01 * y));
    for (int x = 0; x < canvas_width; ++x) column_wave[x] = (float)(0.05 * std::sin(0.1 * x));
    for (int y = 0; y < canvas_height; ++y)
        for (int x = 0; x < canvas_width; ++x) {
            const float z = (row_wave[y] + 1.0f) + column_wave[x];
            const float i = 1.0f / z;
            const int u = (int)((float)(x - 160) * i + 160.0f);
            const int v = (int)((float)(y - 100) * i + 100.0f);
            warp_map[y * canvas_width + x] = u + texture_side * v;
            warp_offsets[y * canvas_width + x] = (uint16_t)(u + texture_side * v);
        }
}
