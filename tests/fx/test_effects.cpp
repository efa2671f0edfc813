// Blur, feedback, rotate-and-zoom and the further Canvas effects, on small known pictures.
#include "fx/fx.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using Picture = std::vector<uint8_t>;

struct Effects : testing::Test {
    static void SetUpTestSuite() {
        fx_build_blend_tables();
        fx_build_division_table();
        fx_build_warp_map();
    }
    void SetUp() override { fx_reset_state(); }
};

Picture blur(const Picture &src, int width) {
    Picture dst(canvas_size, 77);
    fx_vertical_blur(src.data(), dst.data(), 0, 0, 0, 0, canvas_width, canvas_height, canvas_width,
                     width);
    return dst;
}

TEST_F(Effects, BlurOfWhiteAtWidthSixty) {
    const Picture out = blur(Picture(canvas_size, 255), 60);
    const int rows[][2] = {{0, 124},   {28, 236},  {29, 240}, {100, 240},
                           {169, 240}, {170, 236}, {199, 120}};
    for (const auto &r : rows)
        for (int x : {0, 159, 319}) EXPECT_EQ(out[r[0] * canvas_width + x], r[1]) << "row " << r[0];
}

TEST_F(Effects, BlurBelowWidthIsBlackWidthOneCopies) {
    for (int v : {0, 5, 59}) {
        const Picture out = blur(Picture(canvas_size, (uint8_t)v), 60);
        for (int k = 0; k < canvas_size; k += 97) ASSERT_EQ(out[k], 0);
    }
    Picture src(canvas_size);
    for (int k = 0; k < canvas_size; ++k) src[k] = (uint8_t)(k * 31 + k / 320);
    EXPECT_EQ(blur(src, 1), src);
}

TEST_F(Effects, BlurOfOnePixelAtWidthTen) {
    Picture src(canvas_size, 0);
    src[50 * canvas_width + 7] = 255;
    const Picture out = blur(src, 10);
    for (int y = 0; y < canvas_height; ++y)
        for (int x = 0; x < canvas_width; ++x)
            ASSERT_EQ(out[y * canvas_width + x], (x == 7 && y >= 45 && y <= 54) ? 25 : 0)
                << x << "," << y;
}

TEST_F(Effects, FeedbackBlend) {
    Picture canvas(canvas_size, 255);
    fx_feedback(canvas.data(), 250, 0);
    EXPECT_EQ(canvas[1234], 51); // black memory: one fifth
    // the memory now holds 51 where the rotozoom wrote; clear it and fill with 255 through a pass
    fx_feedback_clear();
    Picture white(canvas_size, 255);
    fx_feedback(white.data(), 256, 0); // memory rows 1..199 become 51
    Picture black(canvas_size, 0);
    fx_feedback(black.data(), 256, 0);
    EXPECT_EQ(black[100 * canvas_width + 5], blend_table[51 * 256]);
    EXPECT_EQ(blend_table[255 * 256 + 0], 229);
    fx_feedback_clear();
    Picture v(canvas_size, 200);
    fx_feedback(v.data(), 250, 1);
    EXPECT_EQ(v[777], 40);
}

TEST_F(Effects, RotozoomIdentityKeepsRowZero) {
    Picture src(canvas_size), dst(canvas_size, 9);
    for (int k = 0; k < canvas_size; ++k) src[k] = (uint8_t)(k % 251);
    fx_rotozoom(dst.data(), src.data(), canvas_width, canvas_height, 256, 256, 0);
    for (int x = 0; x < canvas_width; ++x) EXPECT_EQ(dst[x], 9);
    EXPECT_EQ(0, std::memcmp(dst.data() + canvas_width, src.data() + canvas_width,
                             canvas_size - canvas_width));
}

TEST_F(Effects, RotozoomDemoSettingsWriteEveryPixel) {
    // Each setting maps the source inside the picture; a marker value never survives.
    const int settings[][2] = {{250, 0}, {245, 0}, {250, 1}};
    Picture src(canvas_size, 1);
    for (const auto &s : settings) {
        Picture dst(canvas_size, 200);
        fx_rotozoom(dst.data(), src.data(), canvas_width, canvas_height, s[0], s[0], s[1]);
        for (int k = 0; k < canvas_size; ++k)
            ASSERT_EQ(dst[k], 1) << s[0] << "/" << s[1] << " at " << k;
    }
    // the centre (160, 120) maps onto itself
    Picture grad(canvas_size);
    for (int k = 0; k < canvas_size; ++k) grad[k] = (uint8_t)(k % 320 + k / 320);
    Picture dst(canvas_size, 0);
    fx_rotozoom(dst.data(), grad.data(), canvas_width, canvas_height, 250, 250, 1);
    EXPECT_EQ(dst[120 * canvas_width + 160], grad[120 * canvas_width + 160]);
}

TEST_F(Effects, RotozoomOutsideThePictureLeavesPixels) {
    Picture src(canvas_size, 1), dst(canvas_size, 200);
    fx_rotozoom(dst.data(), src.data(), canvas_width, canvas_height, 1024, 1024, 0);
    EXPECT_EQ(dst[0], 200); // far outside: unchanged
    EXPECT_EQ(dst[120 * canvas_width + 160], 1);
    fx_rotozoom(dst.data(), src.data(), canvas_width, 0, 256, 256, 0); // no rows: nothing
}

TEST_F(Effects, WarpTexture) {
    Picture canvas(canvas_size, 0);
    fx_warp_texture(canvas.data(), 0, 0);
    EXPECT_EQ(canvas[100 * canvas_width + 160], texture_image[200 * 256 + 160]);
    // thresholds cut to 150 or 0
    for (int threshold : {10, 100}) {
        fx_warp_texture(canvas.data(), 0, threshold);
        const uint8_t texel = texture_image[200 * 256 + 160];
        EXPECT_EQ(canvas[100 * canvas_width + 160], texel > threshold ? 150 : 0);
        for (int k = 0; k < canvas_size; k += 13) ASSERT_TRUE(canvas[k] == 0 || canvas[k] == 150);
    }
}

TEST_F(Effects, BlockGlow) {
    Picture black(canvas_size, 0);
    fx_block_glow(black.data(), 32, 244, 0);
    EXPECT_EQ(black, Picture(canvas_size, 0));
    Picture white(canvas_size, 255);
    fx_block_glow(white.data(), 32, 244, 0);
    EXPECT_EQ(white, Picture(canvas_size, 255));
    Picture grey(canvas_size, 250);
    grey[0] = 100;
    fx_block_glow(grey.data(), 20, 0, 10);
    EXPECT_EQ(grey[0], 110);
    EXPECT_EQ(grey[5000], 255);
    // a uniform grey block gains (gain x sum / 255) / count
    Picture mid(canvas_size, 100);
    fx_block_glow(mid.data(), 20, 51, 0);
    EXPECT_EQ(mid[321], 100 + ((51 * 100 * 49) / 255) / 49);
}

int count_changed(const Picture &a, const Picture &b) {
    int n = 0;
    for (int k = 0; k < canvas_size; ++k) n += a[k] != b[k];
    return n;
}

TEST_F(Effects, FilmDamageAtZero) {
    const Picture white(canvas_size, 255);
    Picture c(white);
    fx_film_damage(c.data(), 0);
    // mask A at offset 1000: row 3, column 40
    EXPECT_EQ(c[1000 + 1], 0);
    EXPECT_EQ(c[1000 + 2 * 320], 0);
    EXPECT_EQ(c[1000], 255);
    int halved = 0, black = 0;
    for (int k = 0; k < canvas_size; ++k) halved += c[k] == 127, black += c[k] == 0;
    EXPECT_EQ(black, 9);
    EXPECT_EQ(halved, 10); // ten dust specks (all at t = 0 on different pixels), no scratch
}

TEST_F(Effects, FilmDamageScratch) {
    const Picture white(canvas_size, 255);
    Picture at50(white), at60(white);
    fx_film_damage(at50.data(), 50);
    fx_film_damage(at60.data(), 60);
    const int x = (int)(std::sin(0.05 * 50) * 320.0 + 320.0) % 320;
    for (int y = 0; y < canvas_height; ++y) EXPECT_LE(at50[y * canvas_width + x], 127);
    EXPECT_LT(count_changed(white, at60), 40); // no scratch column
    EXPECT_GT(count_changed(white, at50), 200);
}

TEST_F(Effects, FilmDamageStaysDefinedFarPastTheSong) {
    for (int t : {12852, 12853, 46341, 1000000, 2147483647}) {
        Picture c(canvas_size, 255);
        fx_film_damage(c.data(), t);
        EXPECT_LT(count_changed(Picture(canvas_size, 255), c), 240);
    }
}

TEST_F(Effects, FilmStripAtZero) {
    Picture src(canvas_size);
    for (int k = 0; k < canvas_size; ++k) src[k] = (uint8_t)(1 + k % 200);
    Picture dst(canvas_size, 77);
    fx_film_strip(dst.data(), src.data(), 0.0f);
    auto px = [&](int x, int y) { return dst[y * canvas_width + x]; };
    for (int x = 34; x < 286; ++x) {
        EXPECT_EQ(px(x, 0), 0);
        EXPECT_EQ(px(x, 8), 0);
        EXPECT_EQ(px(x, 9), src[9 * canvas_width + x]);
        EXPECT_EQ(px(x, 191), src[191 * canvas_width + x]);
        EXPECT_EQ(px(x, 192), 0);
    }
    for (int y = 0; y < canvas_height; ++y) {
        const bool hole = (y / 20) % 2 == 1, cut = y % 20 == 0 || y % 20 == 19;
        EXPECT_EQ(px(6, y), hole && !cut ? 255 : 0) << y;
        EXPECT_EQ(px(7, y), hole ? 255 : 0) << y;
        EXPECT_EQ(px(26, y), hole ? 255 : 0) << y;
        EXPECT_EQ(px(27, y), hole && !cut ? 255 : 0) << y;
        EXPECT_EQ(px(28, y), 0);
        EXPECT_EQ(px(292, y), hole && !cut ? 255 : 0) << y;
        EXPECT_EQ(px(313, y), hole && !cut ? 255 : 0) << y;
        EXPECT_EQ(px(33, y), 0);
        EXPECT_EQ(px(319, y), 0);
    }
}

TEST_F(Effects, FilmStripMovesOneRowPerStep) {
    Picture src(canvas_size);
    for (int k = 0; k < canvas_size; ++k) src[k] = (uint8_t)(k / 320);
    Picture a(canvas_size), b(canvas_size);
    fx_film_strip(a.data(), src.data(), 40000.0f);
    fx_film_strip(b.data(), src.data(), 40000.005f);
    const int s = (int)(40000.005f * 200.0f) % 200;
    EXPECT_EQ(b[0 * canvas_width + 100], (s >= 9 && s <= 191) ? s : 0);
}

TEST_F(Effects, StampOrsTheRightNeighbour) {
    std::vector<uint8_t> sheet((size_t)sprite_sheet_width * 3, 0);
    sheet[0] = 0, sheet[1] = 5, sheet[2] = 7, sheet[3] = 0;
    const int32_t rows[3] = {0, 1, 1};
    Picture c(canvas_size, 0);
    fx_stamp_sprite_from(c.data(), sheet.data(), rows, 10, 20, 0, 0, 0);
    EXPECT_EQ(c[20 * canvas_width + 11], 7);
    EXPECT_EQ(c[20 * canvas_width + 12], 0);
    EXPECT_EQ(c[20 * canvas_width + 10], 0);
    int lit = 0;
    for (uint8_t v : c) lit += v != 0;
    EXPECT_EQ(lit, 1);
    // shakes: one column right at t bit 5, one row down with the random bit
    Picture d(canvas_size, 0);
    fx_stamp_sprite_from(d.data(), sheet.data(), rows, 10, 20, 0, 32, 1);
    EXPECT_EQ(d[21 * canvas_width + 12], 7);
    Picture e(canvas_size, 0);
    fx_stamp_sprite_from(e.data(), sheet.data(), rows, 10, 20, 1, 0, 0); // height 0
    EXPECT_EQ(e, Picture(canvas_size, 0));
}

} // namespace
