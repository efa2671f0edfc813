// Writes the fuzzer's seed corpus: modules from the module writer with every signature and
// effect, the demo's own song, and hand-made edge cases.
#include "data/embedded.h"
#include "modwriter.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string dir;
int written = 0;

void put(const std::string &name, const std::vector<uint8_t> &bytes) {
    FILE *f = std::fopen((dir + "/" + name).c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    ++written;
}

ModWriterSong base(int channels, const char *signature) {
    ModWriterSong s;
    s.signature = signature;
    s.channels = channels;
    ModWriterSample looped, shot;
    looped.data.assign(200, 20);
    looped.loop_start = 40;
    looped.loop_length = 100;
    shot.data.assign(64, -30);
    s.samples = {looped, shot};
    std::vector<ModWriterCell> p = mod_empty_pattern(channels);
    // every command with a spread of parameters
    for (int r = 0; r < 64; ++r)
        for (int c = 0; c < channels; ++c) {
            const int cmd = (r + c) % 16;
            const int param = cmd == 0xE ? ((r % 16) << 4) | (c + 1) : (r * 37 + c * 11) & 0xff;
            p[r * channels + c] = {1 + (r + c) % 2, mod_period(12 + (r * 5 + c) % 60), cmd, param};
        }
    s.patterns = {p, mod_empty_pattern(channels)};
    s.order = {0, 1, 0};
    return s;
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz-seeds DIR\n");
        return 2;
    }
    dir = argv[1];
    const struct {
        const char *sig;
        int channels;
    } signatures[] = {{"2CHN", 2},  {"4CHN", 4},  {"M.K.", 4},  {"M!K!", 4},  {"FLT4", 4},
                      {"FLT8", 8},  {"OCTA", 8},  {"6CHN", 6},  {"8CHN", 8},  {"10CH", 10},
                      {"12CH", 12}, {"14CH", 14}, {"16CH", 16}, {"18CH", 18}, {"20CH", 20},
                      {"22CH", 22}, {"24CH", 24}, {"26CH", 26}, {"28CH", 28}, {"30CH", 30},
                      {"32CH", 32}, {"STOP", 4},  {"ABCD", 4}};
    for (const auto &s : signatures)
        put(std::string("sig-") + s.sig, mod_write(base(s.channels, s.sig)));

    ModWriterSong empty = base(4, "M.K.");
    empty.order.clear();
    put("empty-order", mod_write(empty));

    std::vector<uint8_t> whole = mod_write(base(4, "M.K."));
    put("patterns-past-the-data", std::vector<uint8_t>(whole.begin(), whole.begin() + 1084 + 700));
    put("samples-past-the-end", std::vector<uint8_t>(whole.begin(), whole.end() - 50));
    std::vector<uint8_t> long_sample = whole;
    long_sample[42] = 0x7f; // sample 1 announces far more words than follow
    put("sample-length-past-the-end", long_sample);
    std::vector<uint8_t> loop_past = whole;
    loop_past[46] = 0x00, loop_past[47] = 0x50; // loop start 160 bytes
    loop_past[48] = 0x00, loop_past[49] = 0x40; // loop length 128 bytes: past the 200-byte sample
    put("loop-past-the-sample", loop_past);
    std::vector<uint8_t> high_order = whole;
    high_order[952 + 100] = 200;
    put("order-beyond-127", high_order);
    std::vector<uint8_t> restart = whole;
    restart[951] = 255;
    restart[950] = 0;
    put("restart-and-no-length", restart);

    put("song", std::vector<uint8_t>(song_module, song_module + song_module_size));
    std::printf("%d seeds in %s\n", written, dir.c_str());
    return 0;
}
