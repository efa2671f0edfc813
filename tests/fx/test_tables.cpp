// The lookup tables built at start and the embedded pictures' storage form.
#include "fx/fx.h"

#include <gtest/gtest.h>
#include <cstring>

namespace {

struct Tables : testing::Test {
    static void SetUpTestSuite() {
        fx_build_blend_tables();
        fx_build_division_table();
        fx_build_warp_map();
    }
};

TEST_F(Tables, Blend) {
    const int cases[][3] = {
        {0, 255, 51}, {255, 0, 229}, {100, 100, 110}, {255, 255, 255}, {0, 0, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(blend_table[c[0] * 256 + c[1]], c[2]) << c[0] << "," << c[1];
}

TEST_F(Tables, BlendTermsGiveEveryEntry) {
    for (int f = 0; f < 256; ++f)
        for (int c = 0; c < 256; ++c) {
            const int v = blend_canvas_term[c] + blend_feedback_term[f];
            ASSERT_EQ(blend_table[f * 256 + c], v > 255 ? 255 : v) << f << "," << c;
        }
    EXPECT_EQ(blend_canvas_term[255], 51);
    EXPECT_EQ(blend_feedback_term[255], 229);
}

TEST_F(Tables, WarpOffsetsAreTheMapIn16Bits) {
    for (int k = 0; k < canvas_size; ++k) ASSERT_EQ(warp_offsets[k], warp_map[k]) << k;
}

TEST_F(Tables, RowOffsets) {
    for (int r = 0; r < row_offset_count; ++r) EXPECT_EQ(row_offset_table[r], 320 * r);
}

TEST_F(Tables, Division) {
    for (int v = 0; v < 256; ++v) {
        EXPECT_EQ(division_table[v], 255);
        EXPECT_EQ(division_table[256 + v], v);
        EXPECT_EQ(division_table[639 * 256 + v], 0);
    }
    EXPECT_EQ(division_table[10 * 256 + 255], 25);
}

TEST_F(Tables, WarpMapPoints) {
    // x, y, u, v: each entry is u + 256 v, u running past the texture's edge into the next row
    const int cases[][4] = {{160, 100, 160, 100}, {0, 0, 14, 9},  {0, 199, -6, 203},
                            {319, 199, 321, 200}, {44, 0, 49, 4}, {303, 199, 316, 208}};
    for (const auto &c : cases) {
        EXPECT_EQ(warp_map[c[1] * canvas_width + c[0]], c[2] + 256 * c[3]) << c[0] << "," << c[1];
    }
}

TEST_F(Tables, WarpMapRange) {
    int lo = warp_map[0], hi = warp_map[0], lo_at = 0, hi_at = 0;
    for (int k = 0; k < canvas_size; ++k) {
        if (warp_map[k] < lo) lo = warp_map[k], lo_at = k;
        if (warp_map[k] > hi) hi = warp_map[k], hi_at = k;
    }
    EXPECT_EQ(lo, 1073);
    EXPECT_EQ(hi, 53564);
    EXPECT_EQ(lo_at, 44);
    EXPECT_EQ(hi_at, 199 * canvas_width + 303);
    EXPECT_EQ(row_wave[0], (float)0.1);
    EXPECT_EQ(column_wave[0], 0.0f);
}

TEST(Pictures, TgaStorageForm) {
    struct Picture {
        const uint8_t *pixels;
        int w, h;
    };
    for (const Picture &p : {Picture{texture_image, texture_side, texture_side},
                             Picture{sprite_sheet, sprite_sheet_width, sprite_sheet_height}}) {
        const uint8_t *h = p.pixels - tga_header_bytes;
        EXPECT_EQ(h[0], 0);
        EXPECT_EQ(h[1], 0);
        EXPECT_EQ(h[2], 3);
        EXPECT_EQ(h[12] | h[13] << 8, p.w);
        EXPECT_EQ(h[14] | h[15] << 8, p.h);
        EXPECT_EQ(h[16], 8);
        EXPECT_EQ(h[17], 0x20);
        const uint8_t *footer = p.pixels + p.w * p.h;
        for (int i = 0; i < 8; ++i) EXPECT_EQ(footer[i], 0);
        EXPECT_EQ(0, std::memcmp(footer + 8, "TRUEVISION-XFILE.", 18));
    }
}

TEST(Pictures, SpriteRowsAndBlotches) {
    const int heights[11] = {33, 27, 28, 36, 24, 30, 25, 27, 34, 38, 33};
    for (int i = 0; i < sprite_count; ++i)
        EXPECT_EQ(sprite_row_table[i + 1] - sprite_row_table[i], heights[i]);
    EXPECT_EQ(sprite_row_table[sprite_count], 335);
    int a = 0, b = 0;
    for (int i = 0; i < 16; ++i) a += blotch_mask[0][i], b += blotch_mask[1][i];
    EXPECT_EQ(a, 9);
    EXPECT_EQ(b, 4);
}

} // namespace
