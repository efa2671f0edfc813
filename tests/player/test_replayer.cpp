// Row sequencing, note starts and the song clock, seen through the recorded voice operations.
#include "recorder.h"

#include <gtest/gtest.h>
#include <atomic>
#include <thread>

namespace {

struct Replayer : testing::Test {
    ModWriterSong song = small_song(2);
    void SetUp() override {
        pt_clear();
        install_recorder();
    }
    ModWriterCell &at(int pattern, int row, int ch) { return song.patterns[pattern][row * 4 + ch]; }
    void start() {
        ASSERT_EQ(load(song), 1);
        calls.clear();
    }
};

TEST_F(Replayer, ClockBeforeAndAfterLoading) {
    EXPECT_EQ(pt_song_clock(), 0);
    start();
    EXPECT_EQ(pt_song_clock(), -37);
    ticks(1);
    EXPECT_EQ(pt_song_clock(), 0);
    ticks(5);
    EXPECT_EQ(pt_song_clock(), 0);
    ticks(1); // the seventh tick starts row 1
    EXPECT_EQ(pt_song_clock(), 1);
}

TEST_F(Replayer, PlainNoteCallOrder) {
    at(0, 0, 1) = cell(1, 36);
    start();
    ticks(1);
    const std::vector<Call> expected = {{"select", 1, 1}, {"volume", 40, 1},  {"pan", 144, 1},
                                        {"play", 1, 1},   {"period", 428, 1}, {"position", 0, 1},
                                        {"select", 2, 2}};
    ASSERT_GE(calls.size(), 8u);
    for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(calls[i + 1], expected[i]) << i;
    EXPECT_EQ(calls[0], (Call{"select", 0, 0}));
}

TEST_F(Replayer, SampleWithoutNote) {
    at(0, 0, 0) = cell(2, -1);
    start();
    ticks(1);
    EXPECT_EQ(values_of(0, "volume"), std::vector<long long>{50});
    EXPECT_EQ(values_of(0, "pan"), std::vector<long long>{112});
    EXPECT_EQ(values_of(0, "play"), std::vector<long long>{2});
    EXPECT_TRUE(values_of(0, "position").empty());
    EXPECT_TRUE(values_of(0, "period").empty());
}

TEST_F(Replayer, NoteWithoutSampleUsesTheChannelsFinetune) {
    at(0, 0, 0) = cell(0, 36); // no sample yet: finetune 0
    at(0, 1, 0) = cell(2, -1); // sample 2 has finetune 3
    at(0, 2, 0) = cell(0, 36);
    start();
    ticks(13);
    EXPECT_EQ(values_of(0, "period"), (std::vector<long long>{428, period_table[3][36]}));
    EXPECT_EQ(pt_channels[0].finetune, 3);
}

TEST_F(Replayer, NotesWithEffectsThatChangeTheStart) {
    at(0, 0, 0) = cell(1, 36, 0x3, 0);   // target only
    at(0, 0, 1) = cell(1, 36, 0x5, 0);   // target only
    at(0, 0, 2) = cell(1, 36, 0x9, 2);   // period, then the effect's position
    at(0, 0, 3) = cell(1, 36, 0xC, 20);  // no default volume
    at(0, 1, 0) = cell(1, 40, 0x8, 200); // no default pan
    start();
    ticks(1);
    for (int ch : {0, 1}) {
        EXPECT_TRUE(values_of(ch, "period").empty());
        EXPECT_EQ(pt_channels[ch].target_period, 428);
        EXPECT_EQ(pt_channels[ch].period, 0);
    }
    EXPECT_EQ(values_of(2, "period"), std::vector<long long>{428});
    EXPECT_EQ(values_of(2, "position"), std::vector<long long>{512});
    EXPECT_EQ(values_of(3, "volume"), std::vector<long long>{20});
    calls.clear();
    ticks(6);
    EXPECT_EQ(values_of(0, "pan"), std::vector<long long>{200});
    EXPECT_EQ(values_of(0, "volume"), std::vector<long long>{40});
}

TEST_F(Replayer, WrapToRestartWithBreakRow) {
    song.restart = 1;
    at(1, 63, 0) = cell(0, -1, 0xD, 0x12); // break to row 12 of the next position
    start();
    ticks(6 * 64 * 2 - 5); // the first tick of the last row
    EXPECT_EQ(pt_song_clock(), 163);
    ticks(5);
    EXPECT_EQ(pt_song_clock(), 163);
    ticks(1);
    EXPECT_EQ(pt_song_clock(), 112); // past the end: the restart position at the break row
}

TEST_F(Replayer, TwoPatternDelaysHoldForThree) {
    at(0, 0, 0) = cell(0, -1, 0xE, 0xE2);
    at(0, 0, 1) = cell(0, -1, 0xE, 0xE3);
    at(0, 1, 2) = cell(1, 36);
    start();
    ticks(6);
    calls.clear();
    ticks(6 * 3); // three held rows: their first ticks process nothing
    int selects_on_first_ticks = 0;
    for (const Call &c : calls) selects_on_first_ticks += c.op == "select";
    EXPECT_EQ(selects_on_first_ticks, 3 * 5 * 4); // only the 5 later ticks of each held row
    EXPECT_EQ(pt_song_clock(), 0);
    ticks(1);
    EXPECT_EQ(pt_song_clock(), 1);
    EXPECT_EQ(values_of(2, "period"), std::vector<long long>{428});
}

TEST_F(Replayer, SpeedZeroHoldsTheRow) {
    at(0, 0, 0) = cell(1, 36, 0xF, 0);
    start();
    ticks(20);
    EXPECT_EQ(pt_song_clock(), 0);
    EXPECT_EQ(values_of(0, "position").size(), 20u); // the row starts again on every tick
}

TEST_F(Replayer, ClockAfterJumpsAndBreaks) {
    ModWriterSong big = small_song(13);
    song = big;
    at(0, 0, 0) = cell(0, -1, 0xB, 12);
    at(0, 0, 1) = cell(0, -1, 0xD, 0x34);
    start();
    ticks(1);
    EXPECT_EQ(pt_song_clock(), 1163);
    ticks(6);
    EXPECT_EQ(pt_song_clock(), 1234);
}

TEST_F(Replayer, PositionJumpClock) {
    song = small_song(6);
    at(3, 10, 2) = cell(0, -1, 0xB, 5);
    start();
    ticks(6 * 64 * 3 + 6 * 10 + 1);
    EXPECT_EQ(pt_song_clock(), 463);
    ticks(5);
    EXPECT_EQ(pt_song_clock(), 463);
    ticks(1);
    EXPECT_EQ(pt_song_clock(), 500);
}

TEST_F(Replayer, ClockIsNeverTornAcrossThreads) {
    song = small_song(20);
    start();
    std::atomic<bool> done{false}, reading{false};
    std::atomic<int> bad{0}, reads{0};
    std::thread reader([&] {
        int last = -37;
        do {
            const int c = pt_song_clock();
            if (c < last || (c >= 0 && c % 100 > 63)) ++bad;
            last = c;
            ++reads;
            reading = true;
        } while (!done.load());
    });
    // the ticks start only once the reader is reading, however late the scheduler runs it
    while (!reading.load()) std::this_thread::yield();
    ticks(6 * 64 * 20 - 1);
    done = true;
    reader.join();
    EXPECT_EQ(bad.load(), 0);
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(pt_song_clock(), 1963);
}

TEST_F(Replayer, NothingLoadedNothingSent) {
    ticks(10);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(pt_song_clock(), 0);
}

} // namespace

namespace {

// Found by fuzzing: the stored high nibble can name samples 32..255, which do not exist.
TEST_F(Replayer, SampleNumbersBeyond31AreNoSample) {
    at(0, 0, 0) = {0xf3, mod_period(36), 0, 0}; // sample 0xf3
    at(0, 0, 1) = {33, mod_period(36), 0, 0};
    start();
    ticks(1);
    for (int ch : {0, 1}) {
        EXPECT_TRUE(values_of(ch, "play").empty());
        EXPECT_TRUE(values_of(ch, "volume").empty());
        EXPECT_EQ(values_of(ch, "period"), std::vector<long long>{428}); // the note still plays
    }
}

} // namespace

namespace {

// Found by fuzzing: a song length byte above 128 would step past the order list.
TEST_F(Replayer, SongLengthBeyondTheOrderListWrapsAt128) {
    song = small_song(1);
    std::vector<uint8_t> bytes = mod_write(song);
    bytes[950] = 200; // song length
    bytes[951] = 0;   // restart
    bytes.push_back(0);
    ASSERT_EQ(pt_load(bytes.data(), bytes.size() - 1), 1);
    ticks(6 * 64 * 128);
    EXPECT_EQ(pt_song_clock(), 12763);
    ticks(6);
    EXPECT_EQ(pt_song_clock(), 0);
}

} // namespace

namespace {

// Found by fuzzing: a jump beyond the song whose row a pattern loop takes back.
TEST_F(Replayer, JumpBeyondTheSongWithALoopBackGoesToRestart) {
    song = small_song(2);
    song.restart = 1;
    at(0, 4, 0) = cell(0, -1, 0xB, 180);
    at(0, 4, 1) = cell(0, -1, 0xE, 0x62); // loop start row 0 on this channel
    start();
    ticks(6 * 5);
    EXPECT_EQ(pt_song_clock(), 17899); // position 179, row 0 - 1
    ticks(1);
    EXPECT_EQ(pt_song_clock(), 100); // restart position, row 0
}

} // namespace
