// Flash counting on made-up frames: flicker at three and four flashes a second, a slow fade, a
// small shape in motion, flicker among light greys, and red.
#include "flashes.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int w = 320, h = 200;

struct Levels {
    double luminance[256], red[256];
    Levels() {
        for (int v = 0; v < 256; ++v) {
            luminance[v] = flash_relative_luminance((uint8_t)v, (uint8_t)v, (uint8_t)v);
            red[v] = flash_saturated_red((uint8_t)v, (uint8_t)v, (uint8_t)v);
        }
    }
};

// The whole picture switching between two levels, `changes` times a second, for three seconds.
FlashReport flicker(int changes, uint8_t a, uint8_t b) {
    static const Levels levels;
    flash_begin(w, h, levels.luminance, levels.red);
    std::vector<uint8_t> frame((size_t)(w * h));
    for (int k = 0; k <= 3 * changes; ++k) {
        std::fill(frame.begin(), frame.end(), k % 2 ? b : a);
        flash_frame(frame.data(), k * 1000 / changes);
    }
    return flash_report();
}

TEST(Flashes, ThreeASecondIsTheLimitFourIsOver) {
    const struct {
        int changes;
        double most;
        bool over;
    } cases[] = {{6, 3.0, false}, {8, 4.0, true}, {2, 1.0, false}, {12, 6.0, true}};
    for (const auto &c : cases) {
        const FlashReport r = flicker(c.changes, 0, 255);
        EXPECT_DOUBLE_EQ(r.most_per_second, c.most) << c.changes << " changes a second";
        EXPECT_EQ(!r.seconds_over.empty(), c.over) << c.changes << " changes a second";
        EXPECT_EQ(r.most_red_per_second, 0);
    }
}

TEST(Flashes, ChangesAmongLightGreysDoNotCount) {
    // both sides above 0.8 relative luminance (levels 232 and 255)
    EXPECT_GT(flash_relative_luminance(232, 232, 232), flash_darker_below);
    EXPECT_EQ(flicker(12, 232, 255).most_per_second, 0);
    // small changes of dark greys neither: 0 and 20 differ by less than a tenth
    EXPECT_EQ(flicker(12, 0, 20).most_per_second, 0);
}

TEST(Flashes, SlowFadeIsNoFlash) {
    static const Levels levels;
    flash_begin(w, h, levels.luminance, levels.red);
    std::vector<uint8_t> frame((size_t)(w * h));
    // black to white and back, two seconds each way, at 25 frames a second
    for (int k = 0; k <= 100; ++k) {
        const int up = k <= 50 ? k : 100 - k;
        std::fill(frame.begin(), frame.end(), (uint8_t)(up * 255 / 50));
        flash_frame(frame.data(), k * 40);
    }
    const FlashReport r = flash_report();
    EXPECT_LE(r.most_per_second, 0.5);
    EXPECT_TRUE(r.seconds_over.empty());
    EXPECT_EQ(r.frames, 101);
}

TEST(Flashes, SmallShapeInMotionIsNoFlash) {
    static const Levels levels;
    flash_begin(w, h, levels.luminance, levels.red);
    std::vector<uint8_t> frame((size_t)(w * h));
    // a white 12x12 square jumping across black, 25 frames a second for four seconds
    for (int k = 0; k < 100; ++k) {
        std::fill(frame.begin(), frame.end(), 0);
        const int x0 = (k % 2) * 150 + 40, y0 = 90;
        for (int y = y0; y < y0 + 12; ++y)
            for (int x = x0; x < x0 + 12; ++x) frame[(size_t)(y * w + x)] = 255;
        flash_frame(frame.data(), k * 40);
    }
    EXPECT_EQ(flash_report().most_per_second, 0);
}

TEST(Flashes, SaturatedRedIsCountedApart) {
    EXPECT_EQ(flash_saturated_red(128, 128, 128), 0);
    EXPECT_EQ(flash_saturated_red(200, 30, 30), 0); // not 0.8 of the whole
    EXPECT_NEAR(flash_saturated_red(255, 0, 0), 320, 1e-9);
    // red against black, eight changes a second: four red flashes (and four general ones)
    double luminance[256] = {}, red[256] = {};
    luminance[1] = flash_relative_luminance(255, 0, 0);
    red[1] = flash_saturated_red(255, 0, 0);
    flash_begin(w, h, luminance, red);
    std::vector<uint8_t> frame((size_t)(w * h));
    for (int k = 0; k <= 24; ++k) {
        std::fill(frame.begin(), frame.end(), (uint8_t)(k % 2));
        flash_frame(frame.data(), k * 125);
    }
    EXPECT_DOUBLE_EQ(flash_report().most_red_per_second, 4.0);
    EXPECT_DOUBLE_EQ(flash_report().most_per_second, 4.0);
}

} // namespace
