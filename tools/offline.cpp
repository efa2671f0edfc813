// The sound path on a virtual clock, and the file helpers the offline tools share.
#include "offline.h"
#include "player/player.h"
#include "sound/driver.h"

#include <cstdio>
#include <fstream>
#include <iterator>

namespace {
int open_device(int, int, int, int) {
    return 1;
}
void no_pause(int) {}
void no_timer(int) {}
constexpr int tick_rate = 41;
} // namespace

void offline_sound_start() {
    offline_sound_choose();
    offline_sound_begin();
}

void offline_sound_begin() {
    snd_start(tick_rate);
}

void offline_sound_choose() {
    snd_audio_device = {open_device, no_pause, no_timer};
    snd_set_tick_handler(pt_tick);
    FILE *answer = tmpfile();
    FILE *sink = tmpfile();
    std::fputs("2\n", answer);
    std::rewind(answer);
    snd_choose_driver_from(answer, sink);
    std::fclose(answer);
    std::fclose(sink);
}

void offline_audio_buffer(int16_t *samples) {
    snd_audio_callback(nullptr, reinterpret_cast<uint8_t *>(samples),
                       offline_buffer_samples * (int)sizeof(int16_t));
}

std::vector<uint8_t> offline_read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool offline_write_wav(const std::string &path, const std::vector<int16_t> &samples, int rate) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const uint32_t data = (uint32_t)(samples.size() * 2);
    auto u32 = [&](uint32_t v) {
        const uint8_t b[4] = {(uint8_t)v, (uint8_t)(v >> 8), (uint8_t)(v >> 16),
                              (uint8_t)(v >> 24)};
        std::fwrite(b, 1, 4, f);
    };
    auto u16 = [&](uint16_t v) {
        const uint8_t b[2] = {(uint8_t)v, (uint8_t)(v >> 8)};
        std::fwrite(b, 1, 2, f);
    };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(1);
    u32((uint32_t)rate);
    u32((uint32_t)rate * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data);
    for (int16_t s : samples) u16((uint16_t)s);
    return std::fclose(f) == 0;
}
