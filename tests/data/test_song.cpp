// The demo's song: made the same way every time, loads as intended, and renders within its levels.
#include "data/embedded.h"
#include "demo/frame.h"
#include "offline.h"
#include "player/player.h"

#include <gtest/gtest.h>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int positions = 19;
constexpr int samples_per_row = 6 * 1075;
constexpr int samples_per_position = 64 * samples_per_row;

TEST(Song, GeneratorIsDeterministicAndEmbedded) {
    const std::string a = testing::TempDir() + "song-a.mod", b = testing::TempDir() + "song-b.mod";
    ASSERT_EQ(std::system((std::string(QB_GEN_SONG) + " " + a).c_str()), 0);
    ASSERT_EQ(std::system((std::string(QB_GEN_SONG) + " " + b).c_str()), 0);
    const std::vector<uint8_t> first = offline_read_file(a), second = offline_read_file(b);
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second);
    // the embedded copy has been converted in place by earlier loads only if loaded; compare
    // the untouched headers and sample data
    ASSERT_EQ((size_t)song_module_size, first.size());
    EXPECT_EQ(song_module[song_module_size], 0); // the zero byte a loop at the end may read
    EXPECT_EQ(0, std::memcmp(first.data(), song_module, pt_header_bytes));
    std::remove(a.c_str());
    std::remove(b.c_str());
}

struct Rendered {
    std::vector<int16_t> pcm;
    Rendered() {
        offline_sound_start();
        static std::vector<uint8_t> copy(song_module, song_module + song_module_size + 1);
        EXPECT_EQ(pt_load(copy.data(), song_module_size), 1);
        int16_t buffer[offline_buffer_samples];
        while (pt_song_clock() <= demo_end_clock) {
            offline_audio_buffer(buffer);
            pcm.insert(pcm.end(), buffer, buffer + offline_buffer_samples);
        }
    }
};

const Rendered &song() {
    static const Rendered r;
    return r;
}

TEST(Song, LoadsAsFourChannelsInOrder) {
    song();
    EXPECT_EQ(pt_module.channels, 4);
    EXPECT_STREQ(pt_module.signature, "M.K.");
    EXPECT_EQ(pt_module.song_length, positions);
    for (int i = 0; i < positions; ++i) EXPECT_EQ(pt_module.order_list[i], i);
    for (int i = 1; i <= 14; ++i) EXPECT_GT(pt_module.samples[i].length, 0) << i;
}

double rms_db(const int16_t *p, size_t n) {
    double sum = 0;
    for (size_t i = 0; i < n; ++i) sum += (double)p[i] * p[i];
    return 10 * std::log10(sum / n / (32768.0 * 32768.0) + 1e-20);
}

TEST(Song, LengthLevelsAndEnding) {
    const std::vector<int16_t> &pcm = song().pcm;
    // about 174 s to the end mark
    EXPECT_NEAR(pcm.size() / 44100.0, 174.5, 1.0);
    size_t clipped = 0;
    for (int16_t v : pcm) clipped += v == 32767 || v == -32768;
    EXPECT_LE(clipped * 10000, pcm.size()) << clipped << " clipped samples"; // at most 0.01 %
    // every position but the last sits between -20 and -10 dB RMS
    for (int p = 0; p < positions - 1; ++p) {
        const double db =
            rms_db(pcm.data() + (size_t)p * samples_per_position, samples_per_position);
        EXPECT_GT(db, -20.0) << "position " << p;
        EXPECT_LT(db, -10.0) << "position " << p;
    }
    // no second of silence before the end; the end hit has died away by row 40 of position 18
    const size_t second = 44100, end_rows = (size_t)18 * samples_per_position;
    for (size_t s = 0; s + second < end_rows; s += second / 2)
        EXPECT_GT(rms_db(pcm.data() + s, second), -40.0) << "silence at " << s / 44100.0 << " s";
    const size_t row40 = end_rows + 40 * samples_per_row;
    ASSERT_LT(row40, pcm.size());
    for (size_t i = row40; i < pcm.size(); ++i) ASSERT_EQ(pcm[i], 0) << i;
    EXPECT_GT(rms_db(pcm.data() + end_rows, samples_per_row * 4), -15.0); // the final hit
}

} // namespace
