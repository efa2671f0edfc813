// Whole-pixel scaling: the setting, the screen layouts, and the scaled copy against replication of
// the 320x240 presentation.
#include "demo/present.h"
#include "demo/scale.h"
#include "fx/canvas.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(Scale, Setting) {
    struct Case {
        const char *value;
        int request;
        bool invalid;
    };
    const Case cases[] = {{nullptr, scale_none, false},
                          {"auto", scale_auto, false},
                          {"1", 1, false},
                          {"4", 4, false},
                          {"16", 16, false},
                          {"04", 4, false},
                          {"0", scale_none, true},
                          {"17", scale_none, true},
                          {"-2", scale_none, true},
                          {"", scale_none, true},
                          {"4x", scale_none, true},
                          {" 4", scale_none, true},
                          {"+4", scale_none, true},
                          {"AUTO", scale_none, true},
                          {"99999999999999999999", scale_none, true}};
    for (const Case &c : cases) {
        bool invalid = !c.invalid;
        EXPECT_EQ(demo_scale_request(c.value, &invalid), c.request)
            << (c.value ? c.value : "unset");
        EXPECT_EQ(invalid, c.invalid) << (c.value ? c.value : "unset");
    }
}

TEST(Scale, Layouts) {
    struct Case {
        int request;
        bool fullscreen;
        int desktop_w, desktop_h;
        ScreenLayout expected;
    };
    const Case cases[] = {
        // nothing asked: the specified mode, whatever the desktop
        {scale_none, false, 1920, 1080, {320, 240, 1, 0, 0}},
        {scale_none, true, 1920, 1080, {320, 240, 1, 0, 0}},
        // a window: auto fits 90 % of the desktop
        {scale_auto, false, 1920, 1080, {1280, 960, 4, 0, 0}},
        {scale_auto, false, 3840, 2160, {2560, 1920, 8, 0, 0}},
        {scale_auto, false, 1280, 1024, {960, 720, 3, 0, 0}},
        {scale_auto, false, 640, 480, {320, 240, 1, 0, 0}},
        {scale_auto, false, 0, 0, {320, 240, 1, 0, 0}},
        {scale_auto, false, 100000, 100000, {5120, 3840, 16, 0, 0}},
        {2, false, 1920, 1080, {640, 480, 2, 0, 0}},
        {16, false, 0, 0, {5120, 3840, 16, 0, 0}},
        // full screen: the desktop's size, the largest scale that fits, centred
        {scale_auto, true, 1280, 1024, {1280, 1024, 4, 0, 32}},
        {scale_auto, true, 1920, 1080, {1920, 1080, 4, 320, 60}},
        {scale_auto, true, 3840, 2160, {3840, 2160, 9, 480, 0}},
        {2, true, 1920, 1080, {1920, 1080, 2, 640, 300}},
        {8, true, 1920, 1080, {1920, 1080, 4, 320, 60}},
        {scale_auto, true, 320, 240, {320, 240, 1, 0, 0}},
        {scale_auto, true, 0, 0, {320, 240, 1, 0, 0}},
        {3, true, 0, 0, {960, 720, 3, 0, 0}},
    };
    for (const Case &c : cases) {
        const ScreenLayout l =
            demo_screen_layout(c.request, c.fullscreen, c.desktop_w, c.desktop_h);
        const ScreenLayout &e = c.expected;
        EXPECT_TRUE(l.width == e.width && l.height == e.height && l.scale == e.scale &&
                    l.left == e.left && l.top == e.top)
            << c.request << " " << c.fullscreen << " " << c.desktop_w << "x" << c.desktop_h << ": "
            << l.width << "x" << l.height << " scale " << l.scale << " at " << l.left << ","
            << l.top;
    }
}

// For every scale, in a window and centred on a larger screen with a padded pitch: every screen
// pixel is a copy of one pixel of the 320x240 presentation, and nothing outside the picture is
// written.
TEST(Scale, CopyIsWholePixelReplication) {
    for (int i = 0; i < 256; ++i) grey_palette[i] = (uint16_t)(i * 257 ^ 0x5a5a);
    std::vector<uint8_t> canvas(canvas_size);
    for (int i = 0; i < canvas_size; ++i) canvas[(size_t)i] = (uint8_t)(i * 7 + i / 320 * 13);
    std::vector<uint8_t> plain((size_t)screen_width * screen_height * 2, 0);
    present_copy(plain.data(), screen_width * 2, canvas.data());
    auto plain_px = [&](int x, int y) {
        return (uint16_t)(plain[(size_t)(y * screen_width + x) * 2] |
                          plain[(size_t)(y * screen_width + x) * 2 + 1] << 8);
    };
    const uint16_t untouched = 0xbeef;
    for (int s = 1; s <= scale_max; ++s) {
        for (int centred = 0; centred < (s == 1 || s == 3 || s == scale_max ? 2 : 1); ++centred) {
            ScreenLayout l = {screen_width * s, screen_height * s, s, 0, 0};
            if (centred) l = {screen_width * s + 10, screen_height * s + 6, s, 5, 3};
            const int pitch = l.width * 2 + 8 * centred;
            std::vector<uint16_t> screen((size_t)pitch / 2 * l.height, untouched);
            present_scaled_copy(reinterpret_cast<uint8_t *>(screen.data()), pitch, l,
                                canvas.data());
            int wrong = 0;
            for (int y = 0; y < l.height && wrong < 5; ++y)
                for (int x = 0; x < pitch / 2 && wrong < 5; ++x) {
                    const int px = x - l.left, py = y - l.top;
                    const bool picture =
                        px >= 0 && px < screen_width * s && py >= 0 && py < screen_height * s;
                    const bool band = picture && (py / s < screen_canvas_top ||
                                                  py / s >= screen_canvas_top + canvas_height);
                    const uint16_t want = picture && !band ? plain_px(px / s, py / s) : untouched;
                    const uint16_t got = screen[(size_t)y * (pitch / 2) + x];
                    if (got != want) {
                        ADD_FAILURE() << "scale " << s << " centred " << centred << " at " << x
                                      << "," << y << ": " << got << " not " << want;
                        ++wrong;
                    }
                }
        }
    }
}

} // namespace
