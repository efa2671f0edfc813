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

// Far positions follow the same arithmetic for as long as the scaled position fits an int.
TEST_F(Effects, FilmStripFarPositions) {
    Picture src(canvas_size);
    for (int k = 0; k < canvas_size; ++k) src[k] = (uint8_t)(k / 320);
    struct Far {
        float position;
        int row20; // the source row that destination row 20 shows: (s + 20) mod 200
    };
    // 10 000 001 × 200 rounds to 2 000 000 256 in single precision (s = 56); 10 737 417 × 200 to
    // 2 147 483 392 (s = 192, the largest below 2^31); 10 737 418 × 200 to 2^31, which no longer
    // fits an int; negative positions start at row 0 too
    const Far cases[] = {{10000001.0f, 76}, {10737417.0f, 12}, {10737418.0f, 20},
                         {1e12f, 20},       {-5.0f, 20},       {40000.045f, 29}};
    for (const Far &c : cases) {
        Picture d(canvas_size);
        fx_film_strip(d.data(), src.data(), c.position);
        EXPECT_EQ(d[20 * canvas_width + 100], c.row20) << c.position;
    }
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

namespace {

// The rotate-and-zoom as first written: one pixel at a time, every check at every pixel.
void rotozoom_reference(uint8_t *dst, const uint8_t *src, int columns, int rows, int zx, int zy,
                        int angle) {
    if (rows <= 0) return;
    const double theta = angle * M_PI / 180.0;
    const int32_t dxx = (int32_t)(zx * std::cos(theta)), dxy = (int32_t)(zx * std::sin(theta));
    const int32_t dyx = (int32_t)(zy * std::sin(-theta)), dyy = (int32_t)(zy * std::cos(theta));
    int32_t row_x = 40960 - 160 * dxx - 120 * dxy, row_y = 30720 - 160 * dyx - 120 * dyy;
    for (int r = 0; r < rows; ++r) {
        int32_t x = row_x, y = row_y;
        for (int c = 0; c < columns; ++c) {
            if (0 < y && y < 200 * 256 && (x >> 8) >= 0 && (x >> 8) < 320)
                dst[r * columns + c] = src[row_offset_table[y >> 8] + (x >> 8)];
            x += dxx;
            y += dyx;
        }
        row_x += dxy;
        row_y += dyy;
    }
}

TEST_F(Effects, RotozoomMatchesThePlainAlgorithm) {
    Picture src(canvas_size);
    for (int k = 0; k < canvas_size; ++k) src[k] = (uint8_t)(k * 7 + k / 320);
    const int zooms[] = {64, 200, 245, 250, 256, 300, 1024};
    const int angles[] = {0, 1, 5, 30, 45, 90, 135, 180, 270, -30, -1};
    for (int zoom : zooms)
        for (int angle : angles) {
            Picture a(canvas_size, 3), b(canvas_size, 3);
            fx_rotozoom(a.data(), src.data(), canvas_width, canvas_height, zoom, zoom, angle);
            rotozoom_reference(b.data(), src.data(), canvas_width, canvas_height, zoom, zoom,
                               angle);
            ASSERT_EQ(a, b) << "zoom " << zoom << " angle " << angle;
        }
}

// The box blur as first written: each column on its own, four phases, through the table.
void blur_reference(const uint8_t *src, uint8_t *dst, int columns, int rows, int stride,
                    int width) {
    const int32_t *T = division_table + width * 256;
    const int h = width / 2;
    for (int x = 0; x < columns; ++x) {
        int32_t sum = 0;
        int in = 0, out = 0;
        for (; in < h; ++in) sum += T[src[in * stride + x]];
        for (int i = 0; i < width - h; ++i, ++in, ++out) {
            sum += T[src[in * stride + x]];
            dst[out * stride + x] = (uint8_t)sum;
        }
        for (; in < rows; ++in, ++out) {
            sum += T[src[in * stride + x]] - T[src[(in - width) * stride + x]];
            dst[out * stride + x] = (uint8_t)sum;
        }
        for (; out < rows; ++in, ++out) {
            sum -= T[src[(in - width) * stride + x]];
            dst[out * stride + x] = (uint8_t)sum;
        }
    }
}

constexpr FxKernels both_kernels[] = {fx_kernels_scalar, fx_kernels_simd};

TEST_F(Effects, BlurMatchesThePlainAlgorithmAtEveryWidth) {
    constexpr int columns = 24, rows = 700, stride = 24;
    std::vector<uint8_t> src((size_t)rows * stride);
    for (size_t k = 0; k < src.size(); ++k) src[k] = (uint8_t)(k * 131 + k / 7);
    for (FxKernels kernels : both_kernels) {
        fx_set_kernels(kernels);
        for (int width = 1; width < 640; width += (width < 70 ? 1 : 37)) {
            std::vector<uint8_t> a(src.size(), 9), b(src.size(), 9);
            fx_vertical_blur(src.data(), a.data(), 0, 0, 0, 0, columns, rows, stride, width);
            blur_reference(src.data(), b.data(), columns, rows, stride, width);
            ASSERT_EQ(a, b) << "kernels " << kernels << " width " << width;
        }
    }
}

// Wider than a strip, on a window of a larger picture: both ways give the plain algorithm's
// picture, every strip boundary included.
TEST_F(Effects, BothBlursMatchAcrossStrips) {
    constexpr int stride = 700, rows = 700, columns = 650, x0 = 17, y0 = 11;
    std::vector<uint8_t> src((size_t)(rows + y0) * stride);
    for (size_t k = 0; k < src.size(); ++k) src[k] = (uint8_t)(k * 37 + k / 331);
    for (int width : {1, 2, 10, 33, 60, 255, 256, 257, 639}) {
        std::vector<uint8_t> want(src.size(), 9);
        blur_reference(src.data() + y0 * stride + x0, want.data() + y0 * stride + x0, columns, rows,
                       stride, width);
        for (FxKernels kernels : both_kernels) {
            fx_set_kernels(kernels);
            std::vector<uint8_t> got(src.size(), 9);
            fx_vertical_blur(src.data(), got.data(), x0, y0, x0, y0, columns, rows, stride, width);
            ASSERT_EQ(got, want) << "kernels " << kernels << " width " << width;
        }
    }
}

// Three feedback calls in a row, each blend reading what the call before remembered: the same
// Canvases both ways.
TEST_F(Effects, BothFeedbackBlendsGiveTheSamePictures) {
    const int settings[][2] = {{250, 0}, {245, 0}, {250, 1}};
    Picture results[2][3];
    for (FxKernels kernels : both_kernels) {
        fx_reset_state();
        fx_set_kernels(kernels);
        for (int i = 0; i < 3; ++i) {
            Picture canvas(canvas_size);
            for (int k = 0; k < canvas_size; ++k) canvas[k] = (uint8_t)(k * (i + 3) + k / 256);
            fx_feedback(canvas.data(), settings[i][0], settings[i][1]);
            results[kernels][i] = canvas;
        }
    }
    for (int i = 0; i < 3; ++i) EXPECT_EQ(results[0][i], results[1][i]) << "call " << i;
}

} // namespace
