// The file helpers the offline tools share: whole files and streamed WAV.
#include "offline.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

std::vector<uint8_t> offline_read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

namespace {
constexpr uint32_t wav_header_bytes = 44;
constexpr size_t wav_stdio_buffer_bytes = 1 << 20;
constexpr long wav_riff_size_at = 4, wav_data_size_at = 40;
// WAV sizes are 32-bit: a longer file keeps its samples and says the largest size it can.
constexpr uint64_t wav_max_data = 0xffffffffu - (wav_header_bytes - 8);

void put_u32(uint8_t *p, uint32_t v) {
    p[0] = (uint8_t)v, p[1] = (uint8_t)(v >> 8), p[2] = (uint8_t)(v >> 16),
    p[3] = (uint8_t)(v >> 24);
}
void put_u16(uint8_t *p, uint16_t v) {
    p[0] = (uint8_t)v, p[1] = (uint8_t)(v >> 8);
}
} // namespace

bool wav_open(WavWriter &w, const std::string &path, int rate) {
    w = WavWriter{};
    w.file = std::fopen(path.c_str(), "wb");
    if (!w.file) return false;
    w.stdio_buffer.resize(wav_stdio_buffer_bytes);
    std::setvbuf(w.file, w.stdio_buffer.data(), _IOFBF, w.stdio_buffer.size());
    uint8_t h[wav_header_bytes];
    std::memcpy(h, "RIFF", 4);
    put_u32(h + 4, 0); // sizes come at the end
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put_u32(h + 16, 16);
    put_u16(h + 20, 1); // PCM
    put_u16(h + 22, 1); // mono
    put_u32(h + 24, (uint32_t)rate);
    put_u32(h + 28, (uint32_t)rate * 2);
    put_u16(h + 32, 2);
    put_u16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put_u32(h + 40, 0);
    w.failed = std::fwrite(h, 1, sizeof h, w.file) != sizeof h;
    return !w.failed;
}

void wav_write(WavWriter &w, const int16_t *samples, size_t count) {
    if (!w.file) return;
    // little-endian whatever the machine, one block write per piece
    constexpr size_t piece = 4096;
    uint8_t bytes[piece * 2];
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(piece, count - done);
        for (size_t i = 0; i < n; ++i) put_u16(bytes + 2 * i, (uint16_t)samples[done + i]);
        if (std::fwrite(bytes, 2, n, w.file) != n) w.failed = true;
        done += n;
    }
    w.samples += count;
}

bool wav_close(WavWriter &w) {
    if (!w.file) return false;
    const uint32_t data = (uint32_t)std::min<uint64_t>(w.samples * 2, wav_max_data);
    uint8_t b[4];
    put_u32(b, data + wav_header_bytes - 8);
    bool ok = !w.failed && std::fseek(w.file, wav_riff_size_at, SEEK_SET) == 0 &&
              std::fwrite(b, 1, 4, w.file) == 4;
    put_u32(b, data);
    ok = ok && std::fseek(w.file, wav_data_size_at, SEEK_SET) == 0 &&
         std::fwrite(b, 1, 4, w.file) == 4;
    ok = std::fclose(w.file) == 0 && ok;
    w.file = nullptr;
    w.stdio_buffer = {};
    return ok;
}
