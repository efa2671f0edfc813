// The replayer's effect commands, each a short case over one row at speed 6.
#include "recorder.h"

#include <gtest/gtest.h>

namespace {

using Values = std::vector<long long>;

struct Effects : testing::Test {
    ModWriterSong song = small_song(3);
    void SetUp() override {
        pt_clear();
        install_recorder();
    }
    ModWriterCell &at(int row, int ch = 0, int pattern = 0) {
        return song.patterns[pattern][row * 4 + ch];
    }
    // Loads, plays the first tick, clears the record, plays n more ticks.
    void play(int n, int skip_rows = 0) {
        ASSERT_EQ(load(song), 1);
        ticks(1 + 6 * skip_rows);
        calls.clear();
        ticks(n);
    }
};

int P(int note, int finetune = 0) {
    return period_table[finetune][note];
}

TEST_F(Effects, VolumeSlides) {
    struct Case {
        int param;
        Values volumes;
    } cases[] = {{0x35, {43, 46, 49, 52, 55}},
                 {0x05, {35, 30, 25, 20, 15}},
                 {0xF0, {55, 64, 64, 64, 64}},
                 {0x0F, {25, 10, 0, 0, 0}}};
    for (const Case &c : cases) {
        SetUp();
        at(0) = cell(1, 36, 0xA, c.param);
        play(5);
        EXPECT_EQ(values_of(0, "volume"), c.volumes) << std::hex << c.param;
    }
}

TEST_F(Effects, Arpeggio) {
    at(0) = cell(1, 36, 0x0, 0x37);
    ASSERT_EQ(load(song), 1);
    ticks(6);
    EXPECT_EQ(values_of(0, "period"), (Values{P(36), P(36), P(39), P(43), P(36), P(39), P(43)}));
}

TEST_F(Effects, ArpeggioPastTheTableUsesTheLastEntry) {
    at(0) = cell(1, 80, 0x0, 0xFF);
    play(2);
    EXPECT_EQ(values_of(0, "period"), (Values{P(84), P(84)}));
}

TEST_F(Effects, NoteCut) {
    struct Case {
        int param;
        int cut_tick; // -1: never
    } cases[] = {{0xC0, -1}, {0xC3, 3}, {0xC6, 5}, {0xCF, 5}};
    for (const Case &c : cases) {
        SetUp();
        at(0) = cell(1, 36, 0xE, c.param);
        play(5);
        const Values v = values_of(0, "volume");
        if (c.cut_tick < 0)
            EXPECT_TRUE(v.empty());
        else
            EXPECT_EQ(v, Values{0});
        EXPECT_EQ(pt_channels[0].volume, 40); // the channel keeps its volume
        if (c.cut_tick > 0) {
            SetUp();
            at(0) = cell(1, 36, 0xE, c.param);
            play(c.cut_tick - 1);
            EXPECT_TRUE(values_of(0, "volume").empty());
        }
    }
}

TEST_F(Effects, NoteDelay) {
    for (int param : {0xD0, 0xD2, 0xD9}) {
        SetUp();
        at(0) = cell(1, 36, 0xE, param);
        ASSERT_EQ(load(song), 1);
        ticks(1);
        EXPECT_TRUE(values_of(0, "period").empty()); // tick 0 attaches, sends no period
        EXPECT_EQ(values_of(0, "volume"), Values{40});
        calls.clear();
        ticks(5);
        const Values positions = values_of(0, "position");
        if (param == 0xD0) {
            EXPECT_TRUE(positions.empty());
        } else {
            EXPECT_EQ(positions, Values{0});
            EXPECT_EQ(values_of(0, "period"), Values{P(36)});
            EXPECT_EQ(pt_channels[0].note, 36);
        }
    }
}

TEST_F(Effects, Retrigger) {
    at(0) = cell(1, 36, 0xE, 0x93);
    at(0, 1) = cell(0, -1, 0xE, 0x92); // no note: nothing
    at(0, 2) = cell(1, 36, 0xE, 0x90); // zero: nothing
    play(5);
    EXPECT_EQ(values_of(0, "position"), Values{0}); // tick 3 only
    EXPECT_TRUE(values_of(1, "position").empty());
    EXPECT_TRUE(values_of(2, "position").empty());
}

TEST_F(Effects, VibratoWaveformKeepsPositionForHighValues) {
    at(0) = cell(1, 36, 0x4, 0x41);
    at(1) = cell(0, -1, 0xE, 0x45);
    ASSERT_EQ(load(song), 1);
    ticks(7);
    EXPECT_EQ(pt_state.vibrato_waveform, 1);
    EXPECT_EQ(pt_channels[0].vibrato_position, 20); // 5 ticks x 4, kept
    at(1) = cell(0, -1, 0xE, 0x41);
    SetUp();
    ASSERT_EQ(load(song), 1);
    ticks(7);
    EXPECT_EQ(pt_channels[0].vibrato_position, 0);
}

TEST_F(Effects, SlideLimits) {
    at(0) = cell(1, 60, 0x1, 0xFF);
    at(0, 1) = cell(1, 0, 0x2, 0xFF);
    play(2);
    EXPECT_EQ(values_of(0, "period"), (Values{27, 27}));
    EXPECT_EQ(values_of(1, "period"), (Values{3628, 3628}));
}

TEST_F(Effects, SpeedAndTempo) {
    at(0) = cell(0, -1, 0xF, 0x20);
    play(0);
    EXPECT_EQ(pt_state.tempo, 32);
    EXPECT_EQ(pt_state.speed, 6);
    SetUp();
    at(0) = cell(0, -1, 0xF, 0x1F);
    play(0);
    EXPECT_EQ(pt_state.speed, 31);
}

TEST_F(Effects, SetVolumeIsNotCapped) {
    at(0) = cell(1, 36, 0xC, 0x50);
    ASSERT_EQ(load(song), 1);
    ticks(1);
    EXPECT_EQ(values_of(0, "volume"), Values{80});
}

TEST_F(Effects, SampleOffset) {
    at(0) = cell(1, 36);
    at(1) = cell(0, -1, 0x9, 0x01); // no note: moves the playing sample
    at(2) = cell(1, 36, 0x9, 0x00); // 900: position 0
    play(12);
    EXPECT_EQ(values_of(0, "position"), (Values{256, 0}));
}

TEST_F(Effects, VibratoAndTremoloDepths) {
    at(0) = cell(1, 36, 0x4, 0x81);    // depth 1: at most 2 period units
    at(0, 1) = cell(1, 36, 0x7, 0x81); // tremolo depth 1 (stored 2): at most 4 volume steps
    play(5);
    for (long long p : values_of(0, "period")) EXPECT_LE(std::abs(p - P(36)), 2);
    for (long long v : values_of(1, "volume")) EXPECT_LE(std::abs(v - 40), 4);
    EXPECT_EQ(values_of(0, "period").size(), 5u);
    EXPECT_EQ(pt_channels[1].tremolo_depth, 2);
}

TEST_F(Effects, JumpPastTheEndGoesToRestart) {
    song.restart = 2;
    at(0) = cell(0, -1, 0xB, 0x40);
    play(6);
    EXPECT_EQ(pt_song_clock(), 200);
}

TEST_F(Effects, JumpWithBreak) {
    at(0) = cell(0, -1, 0xB, 0x02);
    at(0, 1) = cell(0, -1, 0xD, 0x32);
    play(6);
    EXPECT_EQ(pt_song_clock(), 232);
}

TEST_F(Effects, BreakBeyondThePatternStartsAtTheTop) {
    at(0) = cell(0, -1, 0xD, 0x99);
    play(6);
    EXPECT_EQ(pt_song_clock(), 100);
}

TEST_F(Effects, PatternLoop) {
    at(4) = cell(0, -1, 0xE, 0x60);
    at(6) = cell(0, -1, 0xE, 0x62); // rows 4..6 three times in all
    ASSERT_EQ(load(song), 1);
    std::vector<int> rows;
    for (int i = 0; i < 6 * 14; ++i) {
        pt_tick();
        if (pt_state.tick == 0) rows.push_back(pt_state.row);
    }
    const std::vector<int> expected = {0, 1, 2, 3, 4, 5, 3, 4, 5, 6, 4, 5, 6, 4};
    // after E6 jumps back the row reads loop start - 1 for the rest of the row
    EXPECT_EQ(rows[6], 3);
    EXPECT_EQ(rows.size(), expected.size());
}

TEST_F(Effects, PatternLoopSequence) {
    at(4) = cell(0, -1, 0xE, 0x60);
    at(6) = cell(1, 36, 0xE, 0x62);
    ASSERT_EQ(load(song), 1);
    ticks(6 * 13);
    // the note at row 6 has started three times: rows 6, 6 again, 6 again
    EXPECT_EQ(values_of(0, "position").size(), 3u);
    ticks(6);
    EXPECT_EQ(pt_song_clock(), 7);
}

TEST_F(Effects, PortamentoAndGlissando) {
    at(0) = cell(1, 36);
    at(1) = cell(0, 35, 0x3, 0x10); // slide up towards 453 by 16 a tick
    at(2) = cell(0, -1, 0xE, 0x31);
    at(3) = cell(0, 30, 0x3, 0x05);
    play(5, 1);
    EXPECT_EQ(values_of(0, "period"), (Values{444, 453, 453, 453, 453}));
    calls.clear();
    ticks(6 + 3);
    // glissando: sent periods snap to the next table period, the channel period slides on
    EXPECT_EQ(values_of(0, "period"), (Values{480, 480}));
    EXPECT_EQ(pt_channels[0].period, 453 + 10);
}

TEST_F(Effects, FineSlidesAndFineVolume) {
    at(0) = cell(1, 36);
    at(1) = cell(0, -1, 0xE, 0x2F); // +1 whatever the value
    at(2) = cell(0, -1, 0xE, 0x15); // -1
    at(3) = cell(0, -1, 0xE, 0xA7);
    at(4) = cell(0, -1, 0xE, 0xB3);
    play(24);
    EXPECT_EQ(values_of(0, "period"), (Values{429, 428}));
    EXPECT_EQ(values_of(0, "volume"), (Values{41, 40}));
}

TEST_F(Effects, SetPanAndE8) {
    at(0) = cell(0, -1, 0x8, 0x80);
    at(0, 1) = cell(0, -1, 0xE, 0x83);
    at(1, 1) = cell(1, 36);
    play(6);
    EXPECT_EQ(pt_channels[0].pan, 0x80);
    EXPECT_EQ(default_pan[1], 3);
    EXPECT_EQ(values_of(1, "pan"), Values{48}); // the next note with a sample uses 3 x 16
}

} // namespace
