// The heard clock: tick positions recorded by the audio callback, read back at any stream sample,
// and the desktop's estimate of the sample being heard.
#include "sound/driver.h"
#include "sound/heard.h"
#include "sound/mixer.h"

#include <gtest/gtest.h>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

namespace {

constexpr int per_tick = 1075; // 44100 / 41
constexpr int start_clock = 1000;

int opens(int, int, int, int) {
    return 1;
}
void no_pause(int) {}
void no_timer(int) {}
uint32_t no_ms() {
    return 0;
}

// The song clock is start_clock plus the ticks run: tick k leaves start_clock + k + 1.
int ticks = 0;
void tick() {
    ++ticks;
}
int clock_now() {
    return start_clock + ticks;
}

struct Heard : testing::Test {
    void SetUp() override {
        snd_driver_clear();
        snd_mixer_clear();
        ticks = 0;
        snd_audio_device = {opens, no_pause, no_timer, no_ms};
        snd_set_tick_handler(tick, clock_now);
        snd_open_driver(snd_mode_s16_44100);
        snd_start(41);
    }
    void TearDown() override {
        snd_driver_clear();
        snd_audio_device = snd_no_audio_device;
    }
    // Buffers of these sample counts; returns the samples output.
    int64_t play(const std::vector<int> &sizes) {
        int64_t total = 0;
        for (int n : sizes) {
            std::vector<int16_t> buf((size_t)n);
            snd_audio_callback(nullptr, reinterpret_cast<uint8_t *>(buf.data()), n * 2);
            total += n;
        }
        return total;
    }
};

// What is heard at a sample: the tick that starts at or before it, but never a tick not yet run.
int expected_at(int64_t p) {
    if (p < 0) return start_clock;
    const int64_t tick_index = p / per_tick;
    return tick_index < ticks ? start_clock + (int)tick_index + 1 : clock_now();
}

TEST_F(Heard, StepsAtEveryTickAcrossBuffersAndCarries) {
    const std::vector<std::vector<int>> runs = {
        {2048, 2048, 2048, 2048, 2048},       // the device's buffers: carries of 102, 204, ...
        {1075, 1075, 1075},                   // every buffer ends on a tick
        {4096, 1500, 2048, 1200, 3000, 2150}, // uneven buffers
        {1024, 1024, 1024, 1024, 1024,
         1024},                           // shorter than a tick, as SDL's PulseAudio driver asks
        {300, 2048, 700, 1075, 10, 1065}, // a tick over several buffers
    };
    for (const auto &sizes : runs) {
        SetUp();
        const int64_t total = play(sizes);
        for (int64_t p = -3; p < total + 2 * per_tick; ++p) {
            const int heard = snd_heard_clock(p);
            ASSERT_EQ(heard, expected_at(p)) << "sample " << p;
            ASSERT_LE(heard, clock_now()) << "ahead of the mixed clock at sample " << p;
        }
    }
}

TEST_F(Heard, BeforeTheFirstTickReadsTheClockAtStart) {
    EXPECT_EQ(snd_heard_clock(0), start_clock);
    EXPECT_EQ(snd_heard_clock(1 << 30), start_clock);
    play({2048});
    EXPECT_EQ(snd_heard_clock(-1), start_clock);
    EXPECT_EQ(snd_heard_clock(0), start_clock + 1);
}

TEST_F(Heard, KeepsTheLatestTicksOnceTheRingWraps) {
    const int64_t total = play(std::vector<int>(300, 2048)); // about 570 ticks
    ASSERT_GT(ticks, 2 * snd_heard_ring_size);
    const int64_t oldest_kept = (int64_t)(ticks - snd_heard_ring_size) * per_tick;
    for (int64_t p = oldest_kept; p < total; p += 7) ASSERT_EQ(snd_heard_clock(p), expected_at(p));
    // earlier than anything kept: the oldest tick still kept, never a later one
    EXPECT_EQ(snd_heard_clock(oldest_kept - 1), expected_at(oldest_kept));
    EXPECT_EQ(snd_heard_clock(0), expected_at(oldest_kept));
}

TEST_F(Heard, ClearingForgetsTheTicks) {
    play({2048, 2048});
    snd_heard_clear(-37);
    EXPECT_EQ(snd_heard_clock(0), -37);
    EXPECT_EQ(snd_heard_clock(1 << 20), -37);
}

// Positions that cross 2^32 samples, so both words of a position change while the reader reads.
TEST(HeardAcrossThreads, NeverTorn) {
    constexpr int64_t base = (int64_t)1 << 32;
    constexpr int first = -2000, last = 60000;
    snd_heard_clear(first - 1);
    std::atomic<bool> reading{false};
    std::thread writer([&] {
        while (!reading.load()) {
        }
        for (int k = first; k <= last; ++k) snd_heard_record(base + (int64_t)k * per_tick, k);
    });
    reading.store(true);
    int checked = 0;
    for (int latest = first - 1; latest < last;) {
        latest = snd_heard_clock(INT64_MAX);
        for (int k = latest; k > latest - 8 && k >= first; --k) {
            const int heard = snd_heard_clock(base + (int64_t)k * per_tick + per_tick / 2);
            // a reader left behind by a whole ring cannot say; anything else must be exact
            if (snd_heard_clock(INT64_MAX) - latest >= snd_heard_ring_size - 8) break;
            ASSERT_EQ(heard, k);
            ++checked;
        }
    }
    writer.join();
    EXPECT_GT(checked, 0);
    snd_heard_clear(0);
}

// ---- the desktop's estimate ----

constexpr int rate = 44100;
constexpr int buffer = 2048;

// Request k on time: buffer k asked for at 1000 ms + k buffers.
uint32_t on_time(int k) {
    return 1000u + (uint32_t)((int64_t)k * buffer * 1000 / rate);
}

TEST(HeardEstimate, FollowsTheRequestsAndTakesOffTheLatency) {
    snd_heard_clear(0);
    EXPECT_LT(snd_heard_position(5000, 0, rate), 0);
    for (int k = 0; k < 20; ++k) snd_heard_note_request(on_time(k), (int64_t)k * buffer, rate);
    const uint32_t now = on_time(19) + 10;
    const int64_t at = snd_heard_position(now, 0, rate);
    // 19 buffers and 10 ms, within the milliseconds the request times were rounded to
    EXPECT_NEAR((double)at, 19.0 * buffer + 441, 45);
    EXPECT_EQ(snd_heard_position(now, 3000, rate), at - 3000);
}

TEST(HeardEstimate, ALateRequestDoesNotPullItBack) {
    const struct {
        int late_ms;
        int which;
    } cases[] = {{5, 19}, {30, 19}, {80, 15}, {12, 19}};
    for (const auto &c : cases) {
        snd_heard_clear(0);
        for (int k = 0; k < 19; ++k) snd_heard_note_request(on_time(k), (int64_t)k * buffer, rate);
        const int64_t before = snd_heard_position(on_time(19) + 10, 0, rate);
        snd_heard_clear(0);
        for (int k = 0; k < 20; ++k)
            snd_heard_note_request(on_time(k) + (k == c.which ? c.late_ms : 0), (int64_t)k * buffer,
                                   rate);
        EXPECT_NEAR((double)snd_heard_position(on_time(19) + 10, 0, rate), (double)before, 45)
            << c.late_ms << " ms late";
    }
}

TEST(HeardEstimate, MillisecondCounterMayWrap) {
    snd_heard_clear(0);
    const uint32_t t0 = 0xffffff00u;
    for (int k = 0; k < 10; ++k)
        snd_heard_note_request(t0 + (uint32_t)(k * 46), (int64_t)k * buffer, rate);
    const uint32_t now = t0 + 9 * 46 + 20; // past the wrap
    EXPECT_NEAR((double)snd_heard_position(now, 0, rate), 9.0 * buffer + 882, 45);
}

// ---- the browser's estimate, from each buffer's scheduled start ----

// Buffers of 2048 samples scheduled back to back from 10 s on the context's timeline, buffer k
// starting at 10 + k x 2048 / 44100 s, except where a gap pushed a start later.
struct Schedule {
    SndScheduledBuffer ring[4];
    int count = 0;
    void add(int64_t first_sample, double start) { ring[count++ % 4] = {first_sample, start}; }
};
constexpr double seconds_per_buffer = (double)buffer / rate;

TEST(HeardScheduled, SampleLeavingByTheSchedule) {
    Schedule s;
    for (int k = 0; k < 3; ++k) s.add((int64_t)k * buffer, 10 + k * seconds_per_buffer);
    // a gap: buffer 3 starts 0.1 s after buffer 2 ends
    const double gap_end = 10 + 3 * seconds_per_buffer + 0.1;
    s.add(3 * buffer, gap_end);
    // times half a sample past a sample, so no rounding decides the answer
    auto at = [](double start, int samples) { return start + (samples + 0.5) / rate; };
    const struct {
        double output_time;
        int lead_ms;
        int64_t sample;
    } cases[] = {
        {9.0, 0, -1},                               // before every buffer
        {at(10, 0), 0, 0},                          // the first buffer's first sample
        {at(10, 0), 20, 882},                       // half a frame later: 20 ms of samples
        {at(10, -882), 20, 0},                      // the lead reaches into the first buffer
        {at(10, 2048 + 441), 0, 2048 + 441},        // the second buffer
        {at(10, 3 * buffer + 2205), 0, 3 * buffer}, // in the gap: the end of buffer 2
        {at(gap_end, 0), 0, 3 * buffer},            // buffer 3 begins
        {at(gap_end, 441), 0, 3 * buffer + 441},
        {30.0, 0, 4 * buffer}, // past the last buffer: its end
    };
    for (const auto &c : cases)
        EXPECT_EQ(snd_heard_scheduled(s.ring, 4, s.count, c.output_time, c.lead_ms, rate, buffer),
                  c.sample)
            << c.output_time << " + " << c.lead_ms << " ms";
    // buffers dropped from the ring are not looked at: before the oldest kept, nothing
    for (int k = 4; k < 9; ++k) s.add((int64_t)k * buffer, gap_end + (k - 3) * seconds_per_buffer);
    EXPECT_EQ(snd_heard_scheduled(s.ring, 4, s.count, at(gap_end, 441), 0, rate, buffer), -1);
    EXPECT_EQ(snd_heard_scheduled(s.ring, 4, 0, at(10, 441), 0, rate, buffer), -1);
}

TEST(HeardScheduled, NeverBack) {
    int64_t last = snd_heard_nothing_yet;
    const int64_t estimates[] = {-1, 500, 480, 520, 519, 4000, 3999};
    const int64_t passed[] = {-1, 500, 500, 520, 520, 4000, 4000};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(snd_heard_never_back(estimates[i], &last), passed[i]);
    EXPECT_EQ(last, 4000);
}

} // namespace
