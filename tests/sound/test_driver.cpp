// Driver selection, the voice operations' arithmetic, and tick scheduling in the audio callback.
#include "sound/driver.h"
#include "sound/mixer.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Opened {
    int freq = 0, format = 0, channels = 0, samples = 0, opens = 0;
    int paused = -1, timer_ms = 0;
    bool fail = false;
} dev;

int fake_open(int freq, int format, int channels, int samples) {
    dev.freq = freq, dev.format = format, dev.channels = channels, dev.samples = samples;
    ++dev.opens;
    return dev.fail ? 0 : 1;
}
void fake_pause(int p) {
    dev.paused = p;
}
void fake_timer(int ms) {
    dev.timer_ms = ms;
}
uint32_t fake_now = 0;
uint32_t fake_clock() {
    return fake_now;
}

struct Driver : testing::Test {
    void SetUp() override {
        snd_driver_clear();
        snd_mixer_clear();
        dev = Opened{};
        fake_now = 0;
        snd_audio_device = {fake_open, fake_pause, fake_timer, fake_clock};
    }
    void TearDown() override { snd_audio_device = snd_no_audio_device; }
    // The menu reads standard input: the answer comes through a pipe in its place, and whatever
    // the menu left unread is drained before standard input is put back.
    int choose(const std::string &answer, std::string *printed = nullptr) {
        int fds[2];
        EXPECT_EQ(pipe(fds), 0);
        EXPECT_EQ(write(fds[1], answer.data(), answer.size()), (ssize_t)answer.size());
        close(fds[1]);
        const int saved = dup(0);
        dup2(fds[0], 0);
        close(fds[0]);
        std::clearerr(stdin);
        testing::internal::CaptureStdout();
        const int r = snd_choose_driver();
        const std::string out = testing::internal::GetCapturedStdout();
        if (printed) *printed = out;
        while (std::getchar() != EOF) {
        }
        dup2(saved, 0);
        close(saved);
        std::clearerr(stdin);
        return r;
    }
};

// Opened by its mode, as the offline clock and the browser do: no menu, nothing printed.
TEST_F(Driver, OpenedByMode) {
    struct Case {
        int mode, result, sound_mode, freq;
        const char *name;
    };
    const Case cases[] = {
        {snd_mode_s16_44100, 1, snd_mode_s16_44100, 44100, "SDL audio"},
        {snd_mode_u8_22050, 1, snd_mode_u8_22050, 22050, "SDL audio"},
        {snd_mode_silent, 1, snd_mode_silent, 0, "Super Vek NoSound Device 2.0c"},
        {snd_no_mode, 0, snd_mode_silent, 0, "Super Vek NoSound Device 2.0c"},
        {3, 0, snd_mode_silent, 0, "Super Vek NoSound Device 2.0c"},
        {'2', 0, snd_mode_silent, 0, "Super Vek NoSound Device 2.0c"},
    };
    for (const Case &c : cases) {
        SetUp();
        testing::internal::CaptureStdout();
        EXPECT_EQ(snd_open_driver(c.mode), c.result) << c.mode;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.mode;
        EXPECT_EQ(snd_sound_mode, c.sound_mode) << c.mode;
        EXPECT_EQ(dev.freq, c.freq) << c.mode;
        EXPECT_STREQ(snd_driver_name, c.name) << c.mode;
        EXPECT_EQ(snd_master_level(), 64) << c.mode;
        EXPECT_EQ(snd_voice_ops.set_period, snd_mixer_ops.set_period) << c.mode;
    }
}

TEST_F(Driver, AnswerTwoOpens44100Sixteen) {
    std::string printed;
    EXPECT_EQ(choose("2\n", &printed), 1);
    EXPECT_EQ(printed, "\n");
    EXPECT_EQ(snd_sound_mode, snd_mode_s16_44100);
    EXPECT_EQ(dev.freq, 44100);
    EXPECT_EQ(dev.format, 0x8010);
    EXPECT_EQ(dev.channels, 1);
    EXPECT_EQ(dev.samples, 2048);
    EXPECT_STREQ(snd_driver_name, "SDL audio");
    EXPECT_EQ(snd_master_level(), 64);
    EXPECT_EQ(snd_mixing_rate(), 44100);
    EXPECT_EQ(snd_voice_ops.set_period, snd_mixer_ops.set_period);
}

TEST_F(Driver, OnlyTheFirstCharacterCounts) {
    EXPECT_EQ(choose("1abc\n"), 1);
    EXPECT_EQ(snd_sound_mode, snd_mode_u8_22050);
    EXPECT_EQ(dev.freq, 22050);
    EXPECT_EQ(dev.format, 0x0008);
    EXPECT_EQ(snd_mixing_rate(), 22050);
}

TEST_F(Driver, ZeroIsTheSilentDriver) {
    EXPECT_EQ(choose("0"), 1);
    EXPECT_EQ(dev.opens, 0);
    EXPECT_STREQ(snd_driver_name, "Super Vek NoSound Device 2.0c");
    EXPECT_EQ(snd_mixing_rate(), 44100); // the silent driver never resets the mixer
    EXPECT_EQ(snd_master_level(), 64);
}

TEST_F(Driver, OtherAnswersAndFailuresFallBackToSilence) {
    for (const char *answer : {"x", "", "9", "   "}) {
        SetUp();
        EXPECT_EQ(choose(answer), 0) << answer;
        EXPECT_EQ(snd_sound_mode, snd_mode_silent);
        EXPECT_STREQ(snd_driver_name, "Super Vek NoSound Device 2.0c");
        EXPECT_EQ(snd_voice_ops.select_voice, snd_mixer_ops.select_voice);
    }
    SetUp();
    dev.fail = true;
    EXPECT_EQ(choose("2"), 0);
    EXPECT_STREQ(snd_driver_error, "SDL audio error");
    EXPECT_EQ(snd_sound_mode, snd_mode_silent);
    snd_start(41);
    EXPECT_EQ(dev.timer_ms, snd_silent_timer_ms);
    EXPECT_EQ(dev.paused, -1);
}

TEST_F(Driver, LongAnswerDoesNotOverrun) {
    EXPECT_EQ(choose(std::string(5000, '2')), 1);
    EXPECT_EQ(snd_sound_mode, snd_mode_s16_44100);
}

TEST_F(Driver, EmptyTableDoesNothing) {
    EXPECT_EQ(snd_voice_ops.set_sample(3, nullptr, 10, 0, 0, 0), 1);
    snd_voice_ops.select_voice(40); // out of range, but nothing is called through
    snd_voice_ops.set_voices(4);
    EXPECT_EQ(snd_sample_slot(3).length, 0u);
}

TEST_F(Driver, MasterVolumeCap) {
    const int cases[][2] = {{300, 252}, {252, 252}, {251, 251}, {-5, -5}, {64, 64}};
    for (const auto &c : cases) {
        snd_set_master_volume(c[0]);
        EXPECT_EQ(snd_master_level(), c[1]);
    }
}

TEST_F(Driver, PeriodSteps) {
    struct Case {
        int rate, period, whole;
        uint32_t fraction;
    };
    const Case cases[] = {{44100, 428, 0, 807083520u},
                          {44100, 113, 0, 3056918784u},
                          {44100, 1, 80, 1834467072u},
                          {22050, 428, 0, 1614167296u}};
    for (const Case &c : cases) {
        snd_reset(c.rate);
        snd_select_voice(0);
        snd_set_period(c.period);
        const Voice &v = snd_pending_voice(0);
        EXPECT_EQ(v.step, c.whole) << c.period;
        EXPECT_EQ(v.step_fraction, c.fraction) << c.period;
        EXPECT_EQ(v.step_fraction & 0xff, 0u);
        EXPECT_EQ(v.period_changed, 1);
    }
    snd_mix(nullptr, 0, 1); // clears the flag
    snd_set_period(0);
    EXPECT_EQ(snd_pending_voice(0).step, 0);
    EXPECT_EQ(snd_pending_voice(0).step_fraction, 0u);
    EXPECT_EQ(snd_pending_voice(0).period_changed, 1);
}

TEST_F(Driver, SetPositionRules) {
    std::vector<int8_t> data(100);
    snd_reset(44100);
    snd_set_sample(2, data.data(), 100, 10, 100, 1);
    snd_select_voice(1);
    snd_play_sample(2);
    snd_mix(nullptr, 0, 1);
    snd_set_position(100); // at the length: refused, the loop stays
    EXPECT_EQ(snd_pending_voice(1).position_changed, 0);
    EXPECT_EQ(snd_pending_voice(1).loop_flag, 1);
    snd_set_sample(2, data.data(), 100, 10, 50, 1);
    snd_play_sample(2);
    snd_set_position(60); // beyond the loop end: loop off, position taken
    EXPECT_EQ(snd_pending_voice(1).loop_flag, 0);
    EXPECT_EQ(snd_pending_voice(1).position, 60u);
    snd_play_sample(2);
    snd_set_position(500); // beyond both: loop off, position kept
    EXPECT_EQ(snd_pending_voice(1).loop_flag, 0);
    EXPECT_EQ(snd_pending_voice(1).position, 60u);
}

// ---- scheduling ----

int ticks = 0;
void counting_tick() {
    ++ticks;
}

struct Scheduling : Driver {
    void SetUp() override {
        Driver::SetUp();
        ticks = 0;
        snd_set_tick_handler(counting_tick);
    }
};

TEST_F(Scheduling, SixteenBitCarries) {
    choose("2");
    snd_start(41);
    EXPECT_EQ(dev.paused, 0);
    EXPECT_EQ(snd_samples_per_tick(), 1075);
    std::vector<uint8_t> buf(4096);
    snd_audio_callback(nullptr, buf.data(), 4096);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(snd_tick_carry(), 102); // 1075 + 973
    snd_audio_callback(nullptr, buf.data(), 4096);
    EXPECT_EQ(ticks, 4);
    EXPECT_EQ(snd_tick_carry(), 204); // 102 + 1075 + 871
}

TEST_F(Scheduling, ExactBoundaryStillRunsTheNextTick) {
    choose("2");
    snd_start(41);
    std::vector<uint8_t> buf(2 * 1075);
    snd_audio_callback(nullptr, buf.data(), 2 * 1075);
    EXPECT_EQ(ticks, 2);
    EXPECT_EQ(snd_tick_carry(), 1075);
}

// SDL's PulseAudio driver halves the buffer asked for: 1024 samples, less than a tick.
TEST_F(Scheduling, BufferShorterThanATickNeverWritesPastIt) {
    choose("2");
    snd_start(41);
    constexpr int samples = 1024, guard = 64;
    std::vector<uint8_t> buf(samples * 2 + guard);
    int mixed = 0;
    for (int k = 0; k < 50; ++k) {
        std::fill(buf.begin() + samples * 2, buf.end(), 0xaa);
        snd_audio_callback(nullptr, buf.data(), samples * 2);
        mixed += samples;
        for (int i = samples * 2; i < (int)buf.size(); ++i) ASSERT_EQ(buf[(size_t)i], 0xaa);
        // every tick whose first sample has been written has run, and no other
        ASSERT_EQ(ticks, (mixed - 1) / 1075 + 1) << "after buffer " << k;
    }
}

TEST_F(Scheduling, EightBitUses537) {
    choose("1");
    snd_start(41);
    EXPECT_EQ(snd_samples_per_tick(), 537);
    std::vector<uint8_t> buf(2048);
    snd_audio_callback(nullptr, buf.data(), 2048);
    EXPECT_EQ(ticks, 4); // 537 x 3 = 1611, then a fourth tick for the last 437
    EXPECT_EQ(snd_tick_carry(), 537 - 437);
}

TEST_F(Scheduling, OddByteLeftUnwritten) {
    choose("2");
    snd_start(41);
    std::vector<uint8_t> buf(101, 0xaa);
    snd_audio_callback(nullptr, buf.data(), 101);
    EXPECT_EQ(buf[100], 0xaa);
    EXPECT_EQ(buf[99], 0); // silence written
}

TEST_F(Scheduling, SilentDriverTicksFromTheTimer) {
    choose("0");
    fake_now = 5000;
    snd_start(41);
    EXPECT_EQ(dev.timer_ms, snd_silent_timer_ms);
    std::vector<uint8_t> buf(64, 0xaa);
    snd_audio_callback(nullptr, buf.data(), 64);
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(buf[0], 0xaa);
    fake_now += 24;
    EXPECT_EQ(snd_timer_callback(10), 10u);
    EXPECT_EQ(ticks, 0); // the first tick is due after 1000 / 41 ms
    fake_now += 1;
    snd_timer_callback(10);
    EXPECT_EQ(ticks, 1);
}

// 41 ticks a second whatever the timer's granularity, including one that does not divide the
// tick length and a clock that wraps around 2^32 ms.
TEST_F(Scheduling, SilentDriverKeepsTheTickRateAtAnyGranularity) {
    for (uint32_t start : {0u, 0xffffff00u}) {
        for (int granularity : {1, 10, 30, 7, 250}) {
            SetUp();
            choose("0");
            fake_now = start;
            snd_start(41);
            for (int ms = granularity; ms <= 600000; ms += granularity) {
                fake_now = start + (uint32_t)ms;
                snd_timer_callback(10);
                const long expected = 41L * ms / 1000;
                if (ticks < expected - 1 || ticks > expected + 1) {
                    ADD_FAILURE() << granularity << " ms: " << ticks << " ticks after " << ms;
                    break;
                }
            }
        }
    }
}

// A stall of minutes (the process stopped) catches up by at most a second's worth of ticks.
TEST_F(Scheduling, SilentDriverAfterAStall) {
    choose("0");
    snd_start(41);
    fake_now = 1000;
    snd_timer_callback(10);
    EXPECT_EQ(ticks, 41);
    fake_now = 301000;
    snd_timer_callback(10);
    EXPECT_EQ(ticks, 82);
    fake_now = 302000;
    snd_timer_callback(10);
    EXPECT_EQ(ticks, 123);
}

// The watch on a device, on tables of request and look times (ms). A step is a request ('r'), the
// frame loop looking every 40 ms up to a time ('l', each look quiet but the last), or one look
// after the loop itself stood still ('j'); a look says whether the front end knows the device
// stopped, and what it must report.
struct WatchStep {
    char op;
    uint32_t ms;
    int stopped;
    SndWatchEvent want;
};
struct WatchCase {
    const char *what;
    std::vector<WatchStep> steps;
};

TEST_F(Scheduling, WatchFindsALostDeviceAndNothingElse) {
    const auto q = snd_watch_quiet, lost = snd_watch_lost, back = snd_watch_back;
    const WatchCase cases[] = {
        {"requests stop: lost 3 s after the last",
         {{'r', 1000, 0, q}, {'l', 4000, 0, q}, {'l', 4001, 0, lost}, {'l', 6000, 0, q}}},
        {"a long but normal delay (a server holding a new stream back for 2 s)",
         {{'r', 100, 0, q},
          {'l', 2100, 0, q},
          {'r', 2150, 0, q},
          {'l', 5150, 0, q},
          {'l', 5151, 0, lost}}},
        {"the whole process stopped for a minute",
         {{'r', 1000, 0, q},
          {'l', 1010, 0, q},
          {'j', 61000, 0, q},
          {'r', 61050, 0, q},
          {'l', 64000, 0, q}}},
        {"the process stopped, and the device with it for good",
         {{'r', 1000, 0, q},
          {'l', 1010, 0, q},
          {'j', 61000, 0, q},
          {'l', 64000, 0, q},
          {'l', 64001, 0, lost}}},
        {"the device says it stopped: lost at once", {{'r', 1000, 0, q}, {'l', 1010, 1, lost}}},
        {"a lost device that asks again is back",
         {{'r', 1000, 0, q},
          {'l', 1040, 1, lost},
          {'l', 5000, 0, q},
          {'r', 5010, 0, q},
          {'l', 5040, 0, back}}},
        {"the millisecond counter wraps",
         {{'r', 0xfffffff0u, 0, q},
          {'l', 0xfffffff0u + 3000, 0, q},
          {'l', 0xfffffff0u + 3001, 0, lost}}},
    };
    for (const WatchCase &c : cases) {
        SetUp();
        choose("2");
        fake_now = c.steps[0].ms;
        snd_start(41);
        uint32_t looked = c.steps[0].ms;
        for (const WatchStep &st : c.steps) {
            if (st.op == 'r') {
                snd_watch_request(st.ms);
                continue;
            }
            if (st.op == 'l') {
                for (; (int32_t)(st.ms - (looked + 40)) > 0; looked += 40)
                    ASSERT_EQ(snd_watch(looked + 40, 0), q)
                        << c.what << ", look at " << looked + 40;
            }
            EXPECT_EQ(snd_watch(st.ms, st.stopped), st.want) << c.what << ", look at " << st.ms;
            looked = st.ms;
        }
    }
    // without a device there is nothing to lose
    SetUp();
    choose("0");
    snd_start(41);
    EXPECT_EQ(snd_watch(100000, 1), snd_watch_quiet);
}

// The hand-over: the timer takes the ticks from the last one the device took, the stream going on
// unheard a tick's samples a tick; the device back takes it up there. Throughout, every tick
// whose first sample has been made has run, and no other, as if the device had never gone.
TEST_F(Scheduling, HandOverKeepsTheStreamInStep) {
    choose("2");
    fake_now = 1000;
    snd_start(41);
    std::vector<uint8_t> buf(4096, 0xaa);
    auto in_step = [](const char *when) {
        const int64_t made = snd_stream_position();
        EXPECT_EQ(ticks, (made - 1) / 1075 + 1) << when;
    };
    snd_audio_callback(nullptr, buf.data(), 4096);
    in_step("first buffer");
    snd_ticks_from_timer();
    EXPECT_EQ(dev.timer_ms, snd_silent_timer_ms);
    EXPECT_FALSE(snd_ticks_on_device());
    const int before = ticks;
    snd_audio_callback(nullptr, buf.data(), 4096); // the device, if it asks, plays silence
    EXPECT_EQ(ticks, before);
    EXPECT_TRUE(std::all_of(buf.begin(), buf.end(), [](uint8_t b) { return b == 0; }));
    fake_now += 1000;
    snd_timer_callback(10);
    EXPECT_EQ(ticks, before + 41);
    in_step("a second on the timer");
    dev.paused = 1;
    snd_ticks_from_device();
    EXPECT_EQ(dev.paused, 0);
    EXPECT_TRUE(snd_ticks_on_device());
    fake_now += 1000;
    snd_timer_callback(10);
    EXPECT_EQ(ticks, before + 41); // the timer no longer ticks
    for (int k = 0; k < 5; ++k) snd_audio_callback(nullptr, buf.data(), 4096);
    in_step("back on the device");
}

} // namespace
