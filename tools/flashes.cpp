// Flash counting: each window's mean luminance and red over time, its opposing changes, and the
// most of them in any one second.
#include "flashes.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <set>

namespace {

double linear(uint8_t c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

// Changes of one window's value: a change counts once it has moved at least `change` away from
// the last extreme, against the direction of the change before, with its darker side below
// `darker_below`.
struct Series {
    Series(double c, double d) : change(c), darker_below(d) {}
    double change, darker_below;
    bool started = false;
    int direction = 0; // of the last change counted: +1 up, -1 down, 0 none yet
    double low = 0, high = 0, extreme = 0;
    std::deque<int> times; // of the changes in the last second

    // Returns the flashes in the second up to time_ms.
    double add(double v, int time_ms) {
        if (!started) {
            started = true;
            low = high = extreme = v;
        } else if (direction == 0) {
            low = std::min(low, v), high = std::max(high, v);
            if (v - low >= change && low < darker_below)
                counted(+1, v, time_ms);
            else if (high - v >= change && v < darker_below)
                counted(-1, v, time_ms);
        } else if (direction > 0) {
            if (v > extreme)
                extreme = v;
            else if (extreme - v >= change && v < darker_below)
                counted(-1, v, time_ms);
        } else {
            if (v < extreme)
                extreme = v;
            else if (v - extreme >= change && extreme < darker_below)
                counted(+1, v, time_ms);
        }
        while (!times.empty() && times.front() <= time_ms - 1000) times.pop_front();
        return times.size() / 2.0;
    }
    void counted(int d, double v, int time_ms) {
        direction = d;
        extreme = v;
        times.push_back(time_ms);
    }
};

int width = 0, height = 0, window_w = 0, window_h = 0;
const double *luminance = nullptr, *red = nullptr;
std::vector<Series> general, reds;
std::vector<double> sum_l, sum_r; // summed-area tables, (width + 1) x (height + 1)
FlashReport report;
std::set<int> seconds_over;

} // namespace

double flash_relative_luminance(uint8_t r, uint8_t g, uint8_t b) {
    return 0.2126 * linear(r) + 0.7152 * linear(g) + 0.0722 * linear(b);
}

double flash_saturated_red(uint8_t r, uint8_t g, uint8_t b) {
    const int all = r + g + b;
    if (all == 0 || r < 0.8 * all) return 0;
    return std::max(0.0, (r - g - b) / 255.0 * 320);
}

void flash_begin(int w, int h, const double *luminance_of_level, const double *red_of_level) {
    width = w, height = h;
    window_w = w / 3, window_h = h / 3;
    luminance = luminance_of_level, red = red_of_level;
    const int across = (width - window_w) / flash_window_step + 1;
    const int down = (height - window_h) / flash_window_step + 1;
    general.assign((size_t)(across * down), Series(flash_luminance_change, flash_darker_below));
    reds.assign(general.size(), Series(flash_red_change, INFINITY));
    sum_l.assign((size_t)((width + 1) * (height + 1)), 0);
    sum_r.assign(sum_l.size(), 0);
    report = FlashReport{};
    seconds_over.clear();
}

void flash_frame(const uint8_t *levels, int time_ms) {
    const int stride = width + 1;
    for (int y = 0; y < height; ++y) {
        double row_l = 0, row_r = 0;
        for (int x = 0; x < width; ++x) {
            const uint8_t v = levels[y * width + x];
            row_l += luminance[v], row_r += red[v];
            const size_t at = (size_t)((y + 1) * stride + x + 1);
            sum_l[at] = sum_l[at - (size_t)stride] + row_l;
            sum_r[at] = sum_r[at - (size_t)stride] + row_r;
        }
    }
    const auto mean = [&](const std::vector<double> &s, int x, int y) {
        const size_t a = (size_t)(y * stride + x), b = a + (size_t)window_w,
                     c = a + (size_t)(window_h * stride), d = c + (size_t)window_w;
        return (s[d] - s[b] - s[c] + s[a]) / (window_w * window_h);
    };
    size_t i = 0;
    for (int y = 0; y + window_h <= height; y += flash_window_step)
        for (int x = 0; x + window_w <= width; x += flash_window_step, ++i) {
            const double flashes = general[i].add(mean(sum_l, x, y), time_ms);
            report.most_per_second = std::max(report.most_per_second, flashes);
            if (flashes > flash_limit_per_second) seconds_over.insert(time_ms / 1000);
            report.most_red_per_second =
                std::max(report.most_red_per_second, reds[i].add(mean(sum_r, x, y), time_ms));
        }
    ++report.frames;
}

FlashReport flash_report() {
    FlashReport r = report;
    r.seconds_over.assign(seconds_over.begin(), seconds_over.end());
    return r;
}
