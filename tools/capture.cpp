// quellbrand-capture: the whole demo on a virtual clock, written as WAV, PNG frames, video, or a
// golden record of hashes. Same frame loop, timeline, effects, player and mixer as the demo; no
// SDL device is opened.
#include "demo/frame.h"
#include "demo/present.h"
#include "demo/startup.h"
#include "demo/trace.h"
#include "flashes.h"
#include "fx/canvas.h"
#include "host/offline/golden.h"
#include "host/offline/run_demo.h"
#include "offline.h"
#include "png.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Options {
    std::string wav, frames_dir, video, golden, at_dir, flashes, replay;
    std::vector<int> at;
    int scale = 1;
    int depth = 16;
} opt;

// ---- sound on the virtual clock ----

// --wav gets every buffer; the video's sound starts at the demo's start time, so the buffers mixed
// before it is known wait in pending (a few milliseconds' worth).
WavWriter wav_out, video_audio;
std::vector<int16_t> pending;
bool started = false;
uint64_t skip_samples = 0, samples_done = 0;

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
    golden_audio(buffer, offline_buffer_samples);
    wav_write(wav_out, buffer, offline_buffer_samples);
    keep_video_audio(buffer, offline_buffer_samples);
}

// ---- frames ----

std::vector<uint8_t> screen((size_t)screen_width *screen_height * 2);
int frame_number = 0;
size_t next_at = 0;
FILE *video_pipe = nullptr;
std::string video_temp;

// A 24- or 32-bit screen shows each grey level as itself; a 16-bit one, its 5-6-5 palette entry.
std::vector<uint8_t> screen_rgb(const uint8_t *canvas) {
    std::vector<uint8_t> rgb((size_t)screen_width * screen_height * 3);
    if (opt.depth > 16) {
        static_assert(canvas_width == screen_width, "the Canvas rows are whole screen rows");
        uint8_t *p = rgb.data() + (size_t)screen_canvas_top * screen_width * 3;
        for (int i = 0; i < canvas_width * canvas_height; ++i, p += 3)
            p[0] = p[1] = p[2] = canvas[i];
        return rgb;
    }
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

void present(const uint8_t *canvas, int t, int clock) {
    present_copy(screen.data(), screen_width * 2, canvas);
    golden_frame(canvas, t, clock);
    if (!opt.frames_dir.empty())
        png_write_rgb(numbered(opt.frames_dir, "frame-%05d.png", frame_number),
                      screen_rgb(canvas).data(), screen_width, screen_height, opt.scale);
    while (next_at < opt.at.size() && clock >= opt.at[next_at]) {
        png_write_rgb(numbered(opt.at_dir, "at-%04d.png", opt.at[next_at]),
                      screen_rgb(canvas).data(), screen_width, screen_height, opt.scale);
        ++next_at;
    }
    if (!opt.flashes.empty()) flash_frame(canvas, t * demo_ms_per_unit);
    if (video_pipe) {
        const std::vector<uint8_t> big =
            rgb_scale(screen_rgb(canvas).data(), screen_width, screen_height, opt.scale);
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

// ---- a live run's frames again, from its trace ----

// The frames the trace lists, made in its order with its demo times, song clocks and events: the
// same pictures the live run showed, whatever its timing.
std::vector<TraceFrame> traced;
size_t traced_next = 0;
int traced_event = 0;
uint32_t traced_ticks() {
    return (uint32_t)traced[traced_next].t * demo_ms_per_unit;
}
int traced_clock() {
    return traced[traced_next].clock;
}
int traced_poll(int *type, int *key) {
    const TraceFrame &f = traced[traced_next];
    if (traced_event == f.event_count) return 0;
    *type = f.types[traced_event];
    *key = f.keys[traced_event++];
    return 1;
}

bool replay(const std::string &path) {
    FILE *in = std::fopen(path.c_str(), "r");
    if (!in) {
        std::fprintf(stderr, "quellbrand-capture: cannot read %s\n", path.c_str());
        return false;
    }
    char line[trace_max_events * 16 + 64];
    for (int n = 1; std::fgets(line, sizeof line, in); ++n) {
        traced.emplace_back();
        if (!trace_parse(line, traced.back()) || traced.back().overflow) {
            std::fprintf(stderr, "quellbrand-capture: %s:%d is not a whole frame's line\n",
                         path.c_str(), n);
            std::fclose(in);
            return false;
        }
    }
    std::fclose(in);
    demo_build_tables();
    DemoLoop loop = demo_loop_start(0.0);
    const DemoHost host = {traced_ticks, traced_clock, traced_poll, present};
    for (traced_next = 0; traced_next < traced.size(); ++traced_next) {
        traced_event = 0;
        const DemoStepResult r = demo_step(host, loop);
        // every line a frame: its time is past the gate the frame before it left
        if (r == demo_step_waiting || (r == demo_step_ended && traced_next + 1 < traced.size())) {
            std::fprintf(stderr,
                         "quellbrand-capture: %s: frame %zu at t %d is not a frame of a run\n",
                         path.c_str(), traced_next, traced[traced_next].t);
            return false;
        }
    }
    return true;
}

bool have_ffmpeg() {
    return std::system("ffmpeg -version >/dev/null 2>&1") == 0;
}

int usage() {
    std::fprintf(
        stderr,
        "usage: quellbrand-capture [--wav FILE] [--frames DIR] [--at CLOCK[,CLOCK...] --out DIR]\n"
        "                          [--video FILE.mp4] [--scale N] [--golden FILE]\n"
        "                          [--flashes REPORT.txt] [--replay TRACE] [--depth 16|24|32]\n");
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
        else if (a == "--replay" && has)
            opt.replay = argv[++i];
        else if (a == "--depth" && has)
            opt.depth = std::atoi(argv[++i]);
        else if (a == "--scale" && has)
            opt.scale = std::max(1, std::atoi(argv[++i]));
        else
            return usage();
    }
    if (argc == 1 || (!opt.at.empty() && opt.at_dir.empty()) ||
        (opt.depth != 16 && opt.depth != 24 && opt.depth != 32))
        return usage();
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
    golden_begin();
    make_grey_palette_565(1, 0);
    if (!opt.flashes.empty()) start_flashes();
    if (!opt.replay.empty()) {
        if (!replay(opt.replay)) return 1;
    } else {
        offline_run_demo(take_buffer, start_video_audio, present);
    }
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
    if (!opt.golden.empty() && !golden_write(opt.golden.c_str(), offline_clock_buffers())) return 1;
    return 0;
}
