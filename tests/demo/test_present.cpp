// The grey palette for a 16-bit screen, and the Canvas copy into the screen.
#include "demo/present.h"
#include "fx/canvas.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint16_t map565(int g) {
    return (uint16_t)(((g >> 3) << 11) | ((g >> 2) << 5) | (g >> 3));
}

TEST(Palette, StepOneIsTheGreyRamp) {
    make_grey_palette_565(1, 0);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(grey_palette[i], map565(i)) << i;
    EXPECT_EQ(grey_palette[0], 0);
    EXPECT_EQ(grey_palette[255], 0xffff);
}

TEST(Palette, StepTwoOffsetTen) {
    make_grey_palette_565(2, 10);
    for (int i = 0; i <= 5; ++i) EXPECT_EQ(grey_palette[i], map565(0)) << i;
    EXPECT_EQ(grey_palette[6], map565(2));
    EXPECT_EQ(grey_palette[132], map565(254));
    for (int i = 133; i < 256; ++i) EXPECT_EQ(grey_palette[i], map565(255)) << i;
}

// Widened colours: black and white stay exact, and every grey of the ramp comes back within the
// 5-bit step of the red and blue channels.
TEST(Palette, WidenedGreys) {
    EXPECT_EQ(present_rgb888(0x0000), 0x000000u);
    EXPECT_EQ(present_rgb888(0xffff), 0xffffffu);
    EXPECT_EQ(present_rgb888(0xf800), 0xff0000u);
    EXPECT_EQ(present_rgb888(0x07e0), 0x00ff00u);
    EXPECT_EQ(present_rgb888(map565(128)), 0x848284u);
    for (int g = 0; g < 256; ++g) {
        const uint32_t c = present_rgb888(map565(g));
        EXPECT_LE(std::abs((int)(c >> 16) - g), 7) << g;
        EXPECT_LE(std::abs((int)((c >> 8) & 255) - g), 3) << g;
    }
}

struct Screen {
    int pitch;
    std::vector<uint8_t> bytes;
    explicit Screen(int p) : pitch(p), bytes((size_t)p * screen_height, 0) {}
    uint16_t px(int x, int y) const {
        uint16_t v;
        std::memcpy(&v, &bytes[(size_t)y * pitch + 2 * x], 2);
        return v;
    }
};

TEST(Present, WhiteCanvasFillsTheMiddleRowsOnly) {
    make_grey_palette_565(1, 0);
    for (int pitch : {640, 704}) {
        Screen screen(pitch);
        std::vector<uint8_t> canvas(canvas_size, 255);
        present_copy(screen.bytes.data(), pitch, canvas.data());
        for (int y = 0; y < screen_height; ++y) {
            const bool inside = y >= 20 && y < 220;
            for (int x = 0; x < screen_width; ++x)
                ASSERT_EQ(screen.px(x, y), inside ? 0xffff : 0)
                    << x << "," << y << " pitch " << pitch;
            // padding beyond the 320 pixels of a row stays untouched
            for (int b = 640; b < pitch; ++b) ASSERT_EQ(screen.bytes[(size_t)y * pitch + b], 0);
        }
    }
}

TEST(Present, LastCanvasPixelLandsAtRow219Column319) {
    make_grey_palette_565(1, 0);
    Screen screen(640);
    std::vector<uint8_t> canvas(canvas_size, 0);
    canvas[canvas_size - 1] = 255;
    canvas[0] = 128;
    present_copy(screen.bytes.data(), 640, canvas.data());
    EXPECT_EQ(screen.px(319, 219), 0xffff);
    EXPECT_EQ(screen.px(0, 20), map565(128));
    int lit = 0;
    for (size_t i = 0; i < screen.bytes.size(); ++i) lit += screen.bytes[i] != 0;
    EXPECT_EQ(lit, 4);
}

// 24- and 32-bit screens: every pixel of rows 20..219 the grey as equal colour bytes (a 32-bit
// pixel's fourth byte 0), the bands and the padding beyond each row untouched.
TEST(Present, GreysAt24And32Bits) {
    std::vector<uint8_t> canvas(canvas_size);
    for (int k = 0; k < canvas_size; ++k) canvas[k] = (uint8_t)(k * 7 + k / canvas_width);
    for (int bytes : {3, 4}) {
        const int pitch = canvas_width * bytes + 64;
        std::vector<uint8_t> screen((size_t)pitch * screen_height, 0xaa);
        if (bytes == 3)
            present_copy_grey24(screen.data(), pitch, canvas.data());
        else
            present_copy_grey32(screen.data(), pitch, canvas.data());
        for (int y = 0; y < screen_height; ++y)
            for (int b = 0; b < pitch; ++b) {
                const bool inside = y >= 20 && y < 220 && b < canvas_width * bytes;
                const uint8_t grey = inside ? canvas[(y - 20) * canvas_width + b / bytes] : 0;
                const uint8_t want = !inside ? 0xaa : (b % bytes == 3 ? 0 : grey);
                ASSERT_EQ(screen[(size_t)y * pitch + b], want)
                    << bytes << " bytes a pixel, row " << y << " byte " << b;
            }
    }
}

} // namespace
