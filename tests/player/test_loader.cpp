// The module loader: signatures, header caps, pattern conversion, sample registration, bad input.
#include "recorder.h"
#include "sound/mixer.h"

#include <gtest/gtest.h>
#include <vector>
#include <cmath>

namespace {

struct Loader : testing::Test {
    void SetUp() override {
        pt_clear();
        snd_mixer_clear();
        install_recorder();
    }
};

TEST_F(Loader, Signatures) {
    const struct {
        const char *sig;
        int channels;
    } cases[] = {{"M.K.", 4},  {"M!K!", 4}, {"4CHN", 4},  {"FLT8", 8}, {"OCTA", 8},
                 {"10CH", 10}, {"2CHN", 2}, {"32CH", 32}, {"6CHN", 6}};
    for (const auto &c : cases) {
        SetUp();
        ModWriterSong s = small_song();
        s.signature = c.sig;
        s.channels = c.channels;
        s.patterns[0] = mod_empty_pattern(c.channels);
        EXPECT_EQ(load(s), 1) << c.sig;
        EXPECT_EQ(pt_module.channels, c.channels) << c.sig;
        EXPECT_EQ(calls.back(), (Call{"voices", c.channels, -1}));
    }
}

TEST_F(Loader, UnknownTypesFail) {
    for (const char *sig : {"ABCD", "STOP", "m.k.", "1CHN"}) {
        SetUp();
        ModWriterSong s = small_song();
        s.signature = sig;
        s.order = {0};
        EXPECT_EQ(load(s), 0) << sig;
        EXPECT_STREQ(pt_error, "pt_takemod error: unknown module type!");
        EXPECT_EQ(pt_module.channels, 0);
        EXPECT_TRUE(calls.empty()); // nothing registered, no voice count
        EXPECT_EQ(pt_song_clock(), 0);
        EXPECT_EQ(pt_module.song_length, 1); // headers were already stored
    }
}

TEST_F(Loader, HeaderCaps) {
    const int restarts[] = {126, 127, 200, 255};
    for (int volume : {64, 65, 200, 255}) {
        SetUp();
        ModWriterSong s = small_song();
        s.samples[0].volume = volume;
        s.restart = restarts[volume == 64 ? 0 : volume == 65 ? 1 : volume == 200 ? 2 : 3];
        ASSERT_EQ(load(s), 1);
        EXPECT_EQ(pt_module.samples[1].volume, 64);
        EXPECT_EQ(pt_module.restart_position, volume == 64 ? 126 : 0);
    }
    SetUp();
    ModWriterSong s = small_song();
    s.samples[1].finetune = -1;
    ASSERT_EQ(load(s), 1);
    EXPECT_EQ(pt_module.samples[2].finetune, 15);
}

TEST_F(Loader, LoopFlags) {
    // loop length in words: 0, 1 give no loop; 2 (4 bytes) loops
    for (int words : {0, 1, 2}) {
        SetUp();
        ModWriterSong s = small_song();
        s.samples[1].loop_start = 8;
        s.samples[1].loop_length = words * 2;
        std::vector<uint8_t> bytes = mod_write(s);
        bytes[42 + 30 + 6] = 0; // write the loop-length word of sample 2 exactly
        bytes[42 + 30 + 7] = (uint8_t)words;
        bytes.push_back(0);
        ASSERT_EQ(pt_load(bytes.data(), bytes.size() - 1), 1);
        const long long loop = 8LL * 1000000 + (8 + words * 2) * 10 + (words == 2);
        bool found = false;
        for (const Call &c : calls)
            if (c.op == "loop" && c.voice == 2) found = c.a == loop;
        EXPECT_TRUE(found) << words;
    }
}

TEST_F(Loader, ZeroLengthSampleTakesNoBytesAndTailPatternsCount) {
    snd_voice_ops = snd_mixer_ops;
    ModWriterSong s = small_song();
    ModWriterSample empty;
    s.samples.insert(s.samples.begin() + 1, empty); // slots: 1 looped, 2 empty, 3 one-shot
    s.order_tail = {3};                             // an unused order entry names pattern 3
    ASSERT_EQ(load(s), 1);
    EXPECT_EQ(pt_module.highest_pattern, 3);
    const uint8_t *base = pt_module.bytes;
    const uint8_t *first = base + pt_header_bytes + 4 * 1024;
    EXPECT_EQ((const uint8_t *)snd_sample_slot(1).sample_data, first);
    EXPECT_EQ(snd_sample_slot(2).length, 0u);
    EXPECT_EQ((const uint8_t *)snd_sample_slot(3).sample_data, first + 64);
    EXPECT_EQ(snd_active_voices(), 4);
}

TEST_F(Loader, PeriodsToNotes) {
    const int cases[][2] = {{856, 24}, {113, 59}, {0, 84},   {3500, 0}, {850, 25},
                            {3424, 0}, {28, 83},  {27, 84},  {428, 36}, {4095, 0},
                            {3423, 1}, {29, 83},  {857, 24}, {855, 25}, {1, 84}};
    ModWriterSong s = small_song();
    for (int i = 0; i < (int)(sizeof cases / sizeof cases[0]); ++i)
        s.patterns[0][i] = {i % 32, cases[i][0], 0xA, 0x12};
    ASSERT_EQ(load(s), 1);
    for (int i = 0; i < (int)(sizeof cases / sizeof cases[0]); ++i) {
        const PatternCell &c = pt_module.pattern_table[0][i];
        EXPECT_EQ(c.note, cases[i][1]) << cases[i][0];
        EXPECT_EQ(c.sample, i % 32);
        EXPECT_EQ(c.command, 0xA);
        EXPECT_EQ(c.param, 0x12);
    }
}

// Every stored period: its note is the number of notes whose finetune-0 period lies above it.
TEST(PeriodTable, EveryPeriodToItsNote) {
    constexpr int periods = 4096, channels = periods / pt_rows;
    std::vector<uint8_t> cells((size_t)periods * pt_cell_bytes);
    for (int p = 0; p < periods; ++p) {
        cells[(size_t)p * 4] = (uint8_t)(0x10 | (p >> 8)); // sample 1 in the high nibble
        cells[(size_t)p * 4 + 1] = (uint8_t)p;
        cells[(size_t)p * 4 + 2] = 0x2c; // sample low nibble 2, command C
        cells[(size_t)p * 4 + 3] = 0x40;
    }
    pt_convert_pattern(cells.data(), channels);
    for (int p = 0; p < periods; ++p) {
        int above = 0;
        for (int n = 0; n < pt_notes; ++n) above += period_table[0][n] > p;
        ASSERT_EQ(cells[(size_t)p * 4 + 1], above) << p;
        ASSERT_EQ(cells[(size_t)p * 4], 0x12);
        ASSERT_EQ(cells[(size_t)p * 4 + 2], 0x0c);
    }
}

TEST(PeriodTable, RowZero) {
    const int start[] = {3424, 3232, 3048, 2880, 2712, 2560, 2416,
                         2280, 2152, 2032, 1920, 1812, 1712};
    for (int n = 0; n < 13; ++n) EXPECT_EQ(period_table[0][n], start[n]);
    const int end[] = {33, 31, 30, 28, 28};
    for (int n = 0; n < 5; ++n) EXPECT_EQ(period_table[0][80 + n], end[n]);
    EXPECT_EQ(period_table[0][24], 856);
    EXPECT_EQ(period_table[0][59], 113);
}

TEST(PeriodTable, MiddleOctavesArePublished) {
    // finetune +7 and -8 rows, first and last published entries
    EXPECT_EQ(period_table[7][24], 814);
    EXPECT_EQ(period_table[7][59], 108);
    EXPECT_EQ(period_table[8][24], 907);
    EXPECT_EQ(period_table[8][59], 120);
    EXPECT_EQ(period_table[15][49], 203);
}

TEST(PeriodTable, ExtremesOrderAndTemperament) {
    int largest = 0, smallest = 100000;
    for (int f = 0; f < 16; ++f) {
        for (int n = 1; n < 84; ++n)
            EXPECT_LT(period_table[f][n], period_table[f][n - 1]) << f << "/" << n;
        EXPECT_EQ(period_table[f][84], period_table[f][83]);
        for (int n = 0; n < 85; ++n) {
            largest = std::max<int>(largest, period_table[f][n]);
            smallest = std::min<int>(smallest, period_table[f][n]);
        }
        const int s = f < 8 ? f : f - 16;
        if (f != 0)
            for (int n : {0, 5, 11, 23, 60, 71, 83}) {
                const double ideal = 3424.0 * std::pow(2.0, -(n + s / 8.0) / 12.0);
                EXPECT_NEAR(period_table[f][n], ideal, 3.0) << f << "/" << n;
            }
    }
    EXPECT_EQ(largest, 3628);
    EXPECT_EQ(period_table[8][0], 3628);
    EXPECT_EQ(smallest, 27);
    for (int f = 3; f <= 7; ++f) EXPECT_EQ(period_table[f][83], 27);
}

TEST_F(Loader, EveryTruncationFailsCleanly) {
    ModWriterSong s = small_song(2);
    const std::vector<uint8_t> whole = mod_write(s);
    for (size_t len = 0; len < whole.size(); len += (len < 1100 ? 7 : 61)) {
        SetUp();
        std::vector<uint8_t> part(whole.begin(), whole.begin() + (long)len);
        part.push_back(0);
        EXPECT_EQ(pt_load(part.data(), len), 0) << len;
        EXPECT_NE(pt_error, nullptr);
    }
    std::vector<uint8_t> full(whole);
    full.push_back(0);
    EXPECT_EQ(pt_load(full.data(), whole.size()), 1);
}

TEST_F(Loader, HostileHeaders) {
    std::vector<uint8_t> bytes = mod_write(small_song());
    bytes[952 + 5] = 200; // an order entry beyond the pattern table
    bytes.push_back(0);
    EXPECT_EQ(pt_load(bytes.data(), bytes.size() - 1), 0);
    EXPECT_NE(std::string(pt_error).find("beyond 127"), std::string::npos);

    std::vector<uint8_t> huge = mod_write(small_song());
    huge[42] = 0xff; // sample 1 claims 131070 bytes
    huge.push_back(0);
    EXPECT_EQ(pt_load(huge.data(), huge.size() - 1), 0);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Loader, LoopsPastTheSampleAreCut) {
    ModWriterSong s = small_song();
    s.samples[1].loop_start = 24; // sample 2 is 32 bytes long
    s.samples[1].loop_length = 20;
    s.samples[0].loop_start = 64; // sample 1 (64 bytes): a loop that starts at its end
    s.samples[0].loop_length = 8;
    ASSERT_EQ(load(s), 1);
    for (const Call &c : calls) {
        if (c.op != "loop") continue;
        if (c.voice == 2) {
            EXPECT_EQ(c.a, 24LL * 1000000 + 32 * 10 + 1);
        }
        if (c.voice == 1) {
            EXPECT_EQ(c.a, 64LL * 1000000 + 64 * 10 + 0);
        }
    }
}

} // namespace
