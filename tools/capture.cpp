// quellbrand-capture: the whole demo on a virtual clock, written as WAV, PNG frames, video, or a
// golden record of hashes. Same frame loop, timeline, effects, player and mixer as the demo; no
// SDL device is opened.
#include "demo/frame.h"
#include "demo/present.h"
#include "flashes.h"
#include "fx/fx.h"
#include "offline.h"
#include "player/player.h"
#include "png.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

extern "C" uint8_t song_module[];
extern "C" uint8_t song_module_end[];

namespace {

struct Options {
    std::string wav, frames_dir, video, golden, at_dir, flashes;
    std::vector<int> at;
    int scale = 1;
} opt;

// ---- sound on the virtual clock ----

// --wav gets every buffer; the video's sound starts at the demo's start time, so the buffers mixed
// before it is known wait in pending (a few milliseconds' worth).
WavWriter wav_out, video_audio;
std::vector<int16_t> pending;
bool started = false;
uint64_t skip_samples = 0, samples_done = 0;
uint64_t audio_hash = 1469598103934665603ull;

uint64_t fnv(uint64_t h, const uint8_t *p, size_t n) {
    for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

void keep_video_audio(const int16_t *samples, size_t count) {
    if (!video_audio.file) return;
    if (!started) {
        pending.insert(pending.end(), samples, samples + count);
        return;
    }
    const uint64_t first = samples_done;
    samples_done += count;
    if (samples_done <= skip_samples) return;
    const size_t from = first >= skip_samples ? 0 : (size_t)(skip_samples - first);
    wav_write(video_audio, samples + from, count - from);
}

// The demo's start time is known: the pending samples from it on go to the video's sound.
void start_video_audio(double start) {
    skip_samples = (uint64_t)(start * offline_rate / 1000);
    started = true;
    keep_video_audio(pending.data(), pending.size());
    pending.clear();
    pending.shrink_to_fit();
}

void take_buffer(const int16_t *buffer) {
    audio_hash = fnv(audio_hash, reinterpret_cast<const uint8_t *>(buffer),
                     offline_buffer_samples * sizeof(int16_t));
    wav_write(wav_out, buffer, offline_buffer_samples);
    keep_video_audio(buffer, offline_buffer_samples);
}

int no_events(int *, int *) {
    return 0;
}

// ---- frames ----

std::vector<uint8_t> screen((size_t)screen_width *screen_height * 2);
int frame_number = 0;
size_t next_at = 0;
FILE *video_pipe = nullptr;
std::string video_temp;
double start_ms = 0;

struct Record {
    int clock;
    uint64_t hash;
};
std::vector<Record> every_25th, frames_at_clock;
std::vector<int> record_clocks;
size_t next_record = 0;

std::vector<uint8_t> screen_rgb() {
    std::vector<uint8_t> rgb((size_t)screen_width * screen_height * 3);
    for (int i = 0; i < screen_width * screen_height; ++i) {
        uint16_t p;
        std::memcpy(&p, &screen[(size_t)i * 2], 2);
        const uint32_t c = present_rgb888(p);
        rgb[(size_t)i * 3] = (uint8_t)(c >> 16);
        rgb[(size_t)i * 3 + 1] = (uint8_t)(c >> 8);
        rgb[(size_t)i * 3 + 2] = (uint8_t)c;
    }
    return rgb;
}

std::string numbered(const std::string &dir, const char *fmt, int n) {
    char name[64];
    std::snprintf(name, sizeof name, fmt, n);
    return dir + "/" + name;
}

int first_t = -1, first_clock = 0, last_t = 0, last_clock = 0;

void present(const uint8_t *canvas) {
    present_copy(screen.data(), screen_width * 2, canvas);
    const int clock = pt_song_clock();
    const int t = demo_time(offline_clock_now_ms(), start_ms);
    if (first_t < 0) first_t = t, first_clock = clock;
    last_t = t;
    last_clock = clock;
    const uint64_t hash = fnv(1469598103934665603ull, canvas, canvas_size);
    if (frame_number % 25 == 0) every_25th.push_back({clock, hash});
    while (next_record < record_clocks.size() && clock >= record_clocks[next_record]) {
        frames_at_clock.push_back({record_clocks[next_record], hash});
        ++next_record;
    }
    if (!opt.frames_dir.empty())
        png_write_rgb(numbered(opt.frames_dir, "frame-%05d.png", frame_number), screen_rgb().data(),
                      screen_width, screen_height, opt.scale);
    while (next_at < opt.at.size() && clock >= opt.at[next_at]) {
        png_write_rgb(numbered(opt.at_dir, "at-%04d.png", opt.at[next_at]), screen_rgb().data(),
                      screen_width, screen_height, opt.scale);
        ++next_at;
    }
    if (!opt.flashes.empty()) flash_frame(canvas, t * demo_ms_per_unit);
    if (video_pipe) {
        const std::vector<uint8_t> big =
            rgb_scale(screen_rgb().data(), screen_width, screen_height, opt.scale);
        std::fwrite(big.data(), 1, big.size(), video_pipe);
    }
    if (frame_number % 250 == 0 && (opt.frames_dir.size() || video_pipe || opt.wav.size()))
        std::fprintf(stderr, "\rframe %d, song clock %d", frame_number, clock);
    ++frame_number;
}

// ---- flashes: every Canvas as the screen shows it, through the grey palette ----

double level_luminance[256], level_red[256];

void start_flashes() {
    for (int v = 0; v < 256; ++v) {
        const uint32_t c = present_rgb888(grey_palette[v]);
        const uint8_t r = (uint8_t)(c >> 16), g = (uint8_t)(c >> 8), b = (uint8_t)c;
        level_luminance[v] = flash_relative_luminance(r, g, b);
        level_red[v] = flash_saturated_red(r, g, b);
    }
    flash_begin(canvas_width, canvas_height, level_luminance, level_red);
}

bool write_flashes() {
    const FlashReport r = flash_report();
    FILE *f = std::fopen(opt.flashes.c_str(), "w");
    if (!f) return false;
    std::fprintf(f, "frames %d\n", r.frames);
    std::fprintf(f, "most general flashes in one second: %.1f\n", r.most_per_second);
    std::fprintf(f, "most red flashes in one second: %.1f\n", r.most_red_per_second);
    std::fprintf(f, "seconds with more than %.0f:", flash_limit_per_second);
    for (int s : r.seconds_over) std::fprintf(f, " %d", s);
    std::fprintf(f, "\n");
    return std::fclose(f) == 0;
}

std::vector<int> parse_clocks(const char *list) {
    std::vector<int> out;
    for (const char *p = list; *p;) {
        char *end;
        out.push_back((int)std::strtol(p, &end, 10));
        p = *end == ',' ? end + 1 : end;
        if (end == p && *p) break;
    }
    return out;
}

bool have_ffmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: quellbrand-capture [--wav FILE] [--frames DIR] [--at CLOCK[,CLOCK...] --out DIR]\n"
        "                          [--video FILE.mp4] [--scale N] [--golden FILE]\n"
        "                          [--flashes REPORT.txt]\n");
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool has = i + 1 < argc;
        if (a == "--wav" && has)
            opt.wav = argv[++i];
        else if (a == "--frames" && has)
            opt.frames_dir = argv[++i];
        else if (a == "--video" && has)
            opt.video = argv[++i];
        else if (a == "--golden" && has)
            opt.golden = argv[++i];
        else if (a == "--at" && has)
            opt.at = parse_clocks(argv[++i]);
        else if (a == "--out" && has)
            opt.at_dir = argv[++i];
        else if (a == "--flashes" && has)
            opt.flashes = argv[++i];
        else if (a == "--scale" && has)
            opt.scale = std::max(1, std::atoi(argv[++i]));
        else
            return usage();
    }
    if (argc == 1 || (!opt.at.empty() && opt.at_dir.empty())) return usage();
    std::sort(opt.at.begin(), opt.at.end());
    for (const std::string &dir : {opt.frames_dir, opt.at_dir})
        if (!dir.empty() && mkdir(dir.c_str(), 0755) != 0 && errno != EEXIST) {
            std::fprintf(stderr, "quellbrand-capture: cannot make %s\n", dir.c_str());
            return 1;
        }
    if (!opt.video.empty()) {
        if (!have_ffmpeg()) {
            std::fprintf(stderr,
                         "quellbrand-capture: --video needs ffmpeg (Debian package ffmpeg)\n");
            return 1;
        }
        video_temp = opt.video + ".video-only.mp4";
        const std::string cmd = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                                std::to_string(screen_width * opt.scale) + "x" +
                                std::to_string(screen_height * opt.scale) +
                                " -r 25 -i - -c:v libx264 -pix_fmt yuv420p -crf 18 '" + video_temp +
                                "'";
        video_pipe = popen(cmd.c_str(), "w");
        if (!video_pipe) return 1;
    }
    if (!opt.wav.empty() && !wav_open(wav_out, opt.wav, offline_rate)) {
        std::fprintf(stderr, "quellbrand-capture: cannot write %s\n", opt.wav.c_str());
        return 1;
    }
    const std::string video_wav = opt.video + ".audio.wav";
    if (!opt.video.empty() && !wav_open(video_audio, video_wav, offline_rate)) {
        std::fprintf(stderr, "quellbrand-capture: cannot write %s\n", video_wav.c_str());
        return 1;
    }
    for (int i = 0; i < scene_cue_count; ++i) record_clocks.push_back(scene_cues[i].time);
    for (int i = 0; i < overlay_cue_count; ++i) record_clocks.push_back(overlay_cues[i].time);
    std::sort(record_clocks.begin(), record_clocks.end());
    record_clocks.erase(std::unique(record_clocks.begin(), record_clocks.end()),
                        record_clocks.end());

    // Start-up in the demo's order, with the device and the screen replaced.
    fx_build_blend_tables();
    fx_build_division_table();
    fx_build_warp_map();
    offline_sound_choose();
    pt_load(song_module, (size_t)(song_module_end - song_module));
    make_grey_palette_565(1, 0);
    if (!opt.flashes.empty()) start_flashes();
    offline_clock_reset(take_buffer);
    start_ms = offline_clock_start_demo(demo_first_tick_clock);
    start_video_audio(start_ms);
    demo_run({offline_clock_ticks, pt_song_clock, no_events, present}, start_ms);
    if (frame_number >= 250) std::fprintf(stderr, "\rframe %d, done%20s\n", frame_number, "");

    if (!opt.wav.empty() && !wav_close(wav_out)) return 1;
    if (video_pipe) {
        if (pclose(video_pipe) != 0) return 1;
        // The frame made at demo time t shows while the audio mixed at that time plays.
        if (!wav_close(video_audio)) return 1;
        const std::string &wav = video_wav;
        const std::string cmd = "ffmpeg -loglevel error -y -i '" + video_temp + "' -i '" + wav +
                                "' -c:v copy -c:a aac -b:a 192k -shortest '" + opt.video + "'";
        const int r = std::system(cmd.c_str());
        std::remove(video_temp.c_str());
        std::remove(wav.c_str());
        if (r != 0) return 1;
    }
    if (!opt.flashes.empty() && !write_flashes()) return 1;
    if (!opt.golden.empty()) {
        FILE *g = std::fopen(opt.golden.c_str(), "w");
        if (!g) return 1;
        std::fprintf(
            g,
            "# Quellbrand golden record: regenerate only on purpose (see tests/whole/golden.sh)\n");
        std::fprintf(g, "frames %d\n", frame_number);
        std::fprintf(g, "first frame t %d clock %d\n", first_t, first_clock);
        std::fprintf(g, "last frame t %d clock %d\n", last_t, last_clock);
        std::fprintf(g, "audio %016llx %llu buffers\n", (unsigned long long)audio_hash,
                     (unsigned long long)offline_clock_buffers());
        for (const Record &r : frames_at_clock)
            std::fprintf(g, "at %04d %016llx\n", r.clock, (unsigned long long)r.hash);
        for (size_t i = 0; i < every_25th.size(); ++i)
            std::fprintf(g, "frame %05zu clock %d\n", i * 25, every_25th[i].clock);
        if (std::fclose(g) != 0) return 1;
    }
    return 0;
}
