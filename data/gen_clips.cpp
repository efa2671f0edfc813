// Draws the demo's ten one-bit animation clips and writes their frames, clip after clip.
#include "art.h"

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr int W = 320, H = 200;
constexpr int frame_bytes = W / 8 * H;
constexpr double tau = 6.283185307179586;

// Frame counts by clip, as the clip table declares them.
constexpr int clip_frames[10] = {63, 35, 10, 20, 45, 80, 80, 80, 80, 80};

// Frame shown at the k-th whole position: the even frames upward, then the odd ones back down.
int shown_frame(int k, int n) {
    int m = 2 * (k % n);
    if (m >= n) m = 2 * n - m - 1;
    return m;
}

// ---- articulated figures -------------------------------------------------------------

Pt polar(Pt o, double len, double angle) {
    return {o.x + len * std::sin(angle), o.y + len * std::cos(angle)};
}

// Scrolling ground: a horizon line and ticks that move left by one spacing per loop.
void ground(Image &img, double y, double phase, double spacing, int ticks) {
    art_line(img, {0, y}, {W, y}, 2.0, 1.0f);
    for (int i = -1; i <= ticks; ++i) {
        const double x = (i - phase) * spacing;
        art_line(img, {x, y + 4}, {x - 10, y + 14}, 2.0, 1.0f);
    }
}

// Clip 4: a runner, the chronophotographer's first subject. Seamless forward loop.
void runner(Image &img, double phase) {
    const double a = tau * phase;
    const double bob = 5.0 * std::cos(2 * a + 0.6);
    const Pt hip{150, 96 + bob};
    const double lean = 0.18;
    const Pt neck = polar(hip, 56, tau / 2 - lean);
    const Pt shoulder = polar(hip, 50, tau / 2 - lean);
    auto limbs = [&](int side, float v) {
        const double s = side ? a + tau / 2 : a;
        // thigh swings forward and back; the knee folds most while the leg swings through
        const double thigh = 0.1 + 0.72 * std::sin(s);
        const double fold = 0.25 + 1.5 * std::pow(std::max(0.0, std::cos(s + 0.35)), 1.5);
        const double shin = thigh - fold;
        const Pt knee = polar(hip, 42, thigh);
        const Pt ankle = polar(knee, 42, shin);
        art_line(img, hip, knee, 14, v);
        art_line(img, knee, ankle, 11, v);
        art_line(img, ankle, polar(ankle, 13, shin + 1.45), 7, v);
        // the arm swings against the leg of its side, elbow bent
        const double upper = -0.75 * std::sin(s) + 0.1;
        const Pt elbow = polar(shoulder, 28, upper);
        art_line(img, shoulder, elbow, 10, v);
        art_line(img, elbow, polar(elbow, 26, upper + 1.7), 8, v);
    };
    limbs(1, 0.45f); // far side first, in half tone
    art_line(img, hip, neck, 22, 1.0f);
    art_disc(img, hip.x + 2, hip.y - 2, 11, 1.0f);
    const Pt head = polar(neck, 15, tau / 2 - lean * 0.5);
    art_line(img, neck, head, 8, 1.0f);
    art_disc(img, head.x + 2, head.y - 4, 12, 1.0f);
    limbs(0, 1.0f);
    ground(img, 184, phase * 3, 48, 8);
}

// Clip 7: a galloping horse with a mane and tail of flame. Seamless forward loop.
void horse(Image &img, double phase) {
    const double a = tau * phase;
    const double bob = 5.0 * std::sin(a + 0.8);
    const double pitch = 0.08 * std::sin(a + 2.2);
    const Pt body{158, 92 + bob};
    art_ellipse(img, body.x, body.y, 58, 22, pitch, 1.0f);
    // chest and haunch
    art_disc(img, body.x + 42, body.y + 2, 21, 1.0f);
    art_disc(img, body.x - 44, body.y - 2, 22, 1.0f);
    // neck and head
    const Pt withers{body.x + 40, body.y - 12};
    const double nod = 0.15 * std::sin(a + 1.0);
    const Pt poll = polar(withers, 48, 2.35 + nod);
    art_stroke(img, {withers, {withers.x + 18, withers.y - 14}, poll}, 30, 15, 1.0f);
    const Pt muzzle = polar(poll, 30, 1.05 + nod);
    art_stroke(img, {poll, muzzle}, 16, 11, 1.0f);
    art_line(img, poll, polar(poll, 12, 3.5), 5, 1.0f);             // ear
    art_disc(img, poll.x + 7, poll.y + 7, 2.2, 0.0f, Paint::erase); // eye
    // mane and tail: flickering tongues of flame streaming back
    Rng rng(7);
    for (int i = 0; i < 9; ++i) {
        const double t = i / 8.0;
        const Pt root{withers.x + (poll.x - withers.x) * t,
                      withers.y + (poll.y - withers.y) * t - 4};
        const double len = 16 + 10 * std::sin(a * 2 + i * 1.7) + rng.range(0, 6);
        std::vector<Pt> flame;
        for (int k = 0; k <= 6; ++k) {
            const double u = k / 6.0;
            flame.push_back(
                {root.x - len * u * 1.2, root.y - len * u * 0.5 + 5 * std::sin(a * 2 + u * 4 + i)});
        }
        art_stroke(img, flame, 7, 1, 1.0f);
    }
    const Pt dock{body.x - 62, body.y - 10};
    for (int i = 0; i < 5; ++i) {
        std::vector<Pt> tail;
        for (int k = 0; k <= 8; ++k) {
            const double u = k / 8.0;
            tail.push_back({dock.x - 50 * u, dock.y + 8 * u + (i - 2) * 5 * u +
                                                 7 * std::sin(a * 2 - u * 5 + i * 0.9)});
        }
        art_stroke(img, tail, 8, 1, 1.0f);
    }
    // legs: a gallop, hind pair then fore pair, each leg a little after its partner
    struct Leg {
        double x, offset, shade;
        bool fore;
    };
    const Leg legs[4] = {{-48, 0.00, 0.5, false},
                         {-40, 0.10, 1.0, false},
                         {38, 0.45, 0.5, true},
                         {46, 0.55, 1.0, true}};
    for (const Leg &l : legs) {
        const double s = a - tau * l.offset;
        const double swing = 0.55 * std::sin(s);
        // a leg folds while it is carried forward, and reaches straight for the ground
        const double lift = std::pow(std::max(0.0, std::cos(s)), 1.2);
        const float v = (float)l.shade;
        if (l.fore) {
            const Pt top{body.x + l.x, body.y + 8};
            const Pt knee = polar(top, 30, swing - 0.1);
            const Pt fetlock = polar(knee, 28, swing - 0.1 - 1.5 * lift);
            const Pt hoof = polar(fetlock, 12, swing - 0.2 - 2.2 * lift + 0.3);
            art_line(img, top, knee, 13, v);
            art_line(img, knee, fetlock, 7, v);
            art_line(img, fetlock, hoof, 6, v);
        } else {
            const Pt top{body.x + l.x, body.y + 4};
            const Pt stifle = polar(top, 24, swing + 0.45);
            const Pt hock = polar(stifle, 26, swing - 0.55 - 0.3 * lift);
            const Pt fetlock = polar(hock, 26, swing + 0.15 + 0.9 * lift);
            const Pt hoof = polar(fetlock, 10, swing + 0.4 + 0.6 * lift);
            art_line(img, top, stifle, 16, v);
            art_line(img, stifle, hock, 10, v);
            art_line(img, hock, fetlock, 6, v);
            art_line(img, fetlock, hoof, 6, v);
        }
    }
    ground(img, 170, phase * 4, 40, 9);
}

// ---- fire and water ---------------------------------------------------------------

// Clip 0: a burst of fire that opens and closes. Back and forth.
void burst(Image &img, double p) {
    const double e = p * p * (3 - 2 * p);
    const Pt c{160, 100};
    const int petals = 12;
    for (int i = 0; i < petals; ++i) {
        const double ang = tau * i / petals + 0.5 * e;
        const double len = 30 + 70 * e * (i % 2 ? 0.8 : 1.0);
        const double width = 0.22 - 0.1 * e;
        std::vector<Pt> petal;
        for (int k = 0; k <= 10; ++k) {
            const double u = k / 10.0;
            const double r = 18 + len * u;
            const double bend = 0.35 * e * u * u;
            const double w = width * std::sin(3.14159 * std::pow(u, 0.7));
            petal.push_back(
                {c.x + r * std::cos(ang + bend + w), c.y + r * std::sin(ang + bend + w) * 0.9});
        }
        for (int k = 10; k >= 0; --k) {
            const double u = k / 10.0;
            const double r = 18 + len * u;
            const double bend = 0.35 * e * u * u;
            const double w = width * std::sin(3.14159 * std::pow(u, 0.7));
            petal.push_back(
                {c.x + r * std::cos(ang + bend - w), c.y + r * std::sin(ang + bend - w) * 0.9});
        }
        art_polygon(img, petal, 1.0f);
    }
    art_disc(img, c.x, c.y, 26 - 8 * e, 1.0f);
    art_disc(img, c.x, c.y, 14 - 6 * e, 0.0f, Paint::erase);
    art_ring(img, c.x, c.y, 40 + 110 * e, 6 - 4 * e, 1.0f);
    art_ring(img, c.x, c.y, 20 + 70 * e, 3, 0.6f);
}

// Clip 1: a crystal drop turning, its edges drawn as bright bars. Back and forth.
void crystal(Image &img, double p) {
    const double g = 1.6180339887;
    std::vector<Vec3> v = {{-1, g, 0}, {1, g, 0}, {-1, -g, 0}, {1, -g, 0},
                           {0, -1, g}, {0, 1, g}, {0, -1, -g}, {0, 1, -g},
                           {g, 0, -1}, {g, 0, 1}, {-g, 0, -1}, {-g, 0, 1}};
    const double ay = p * tau / 2.5, ax = 0.45 + 0.5 * p;
    const double scale = 1.0 + 0.25 * std::sin(p * tau * 2);
    std::vector<Pt> q;
    std::vector<double> depth;
    for (Vec3 w : v) {
        w = art_rotate({w.x * scale, w.y * scale * 1.25, w.z * scale}, ax, ay, 0.2);
        q.push_back(art_project(w, 5.0, 175, 160, 100));
        depth.push_back(w.z);
    }
    // edges join vertices at distance 2
    for (size_t i = 0; i < v.size(); ++i)
        for (size_t j = i + 1; j < v.size(); ++j) {
            const double dx = v[i].x - v[j].x, dy = v[i].y - v[j].y, dz = v[i].z - v[j].z;
            if (std::fabs(dx * dx + dy * dy + dz * dz - 4.0) > 0.01) continue;
            const double d = (depth[i] + depth[j]) / 2; // nearer edges are thicker and brighter
            art_line(img, q[i], q[j], 7.0 - 1.6 * d, (float)(0.75 - 0.12 * d));
        }
    for (size_t i = 0; i < q.size(); ++i) art_disc(img, q[i].x, q[i].y, 6 - depth[i], 1.0f);
}

// Clip 2: rain on water, rings widening. Seamless forward loop.
void ripples(Image &img, double phase) {
    const Pt drops[3] = {{90, 70}, {230, 120}, {150, 165}};
    const double spacing = 26;
    for (int d = 0; d < 3; ++d) {
        const double shift = phase + d / 3.0;
        for (int k = 0; k < 6; ++k) {
            const double r = (k + shift - std::floor(shift)) * spacing;
            const double fade = 1.0 - r / (6 * spacing);
            art_ring(img, drops[d].x, drops[d].y, r, 4.0 * fade + 1.5, (float)(0.5 + 0.5 * fade));
        }
    }
}

// Clip 3: a shoal of fish beating their tails. Back and forth.
void fish_shape(Image &img, Pt c, double size, double wave, bool left) {
    const double dir = left ? -1 : 1;
    std::vector<Pt> top, bottom;
    for (int k = 0; k <= 16; ++k) {
        const double u = k / 16.0; // head to tail
        const double half = size * 0.32 * std::sin(3.14159 * std::pow(u, 0.6)) * (1 - 0.55 * u);
        const double bend = wave * size * 0.25 * u * u;
        const double x = c.x + dir * size * (0.5 - u);
        top.push_back({x, c.y + bend - half});
        bottom.push_back({x, c.y + bend + half});
    }
    const Pt root = top.back();
    const double bend = wave * size * 0.25;
    const Pt fin_a{c.x - dir * size * 0.85, c.y + bend * 1.6 - size * 0.3};
    const Pt fin_b{c.x - dir * size * 0.85, c.y + bend * 1.6 + size * 0.3};
    std::vector<Pt> body(top);
    body.push_back(fin_a);
    body.push_back({c.x - dir * size * 0.62, c.y + bend * 1.2});
    body.push_back(fin_b);
    for (auto it = bottom.rbegin(); it != bottom.rend(); ++it) body.push_back(*it);
    (void)root;
    art_polygon(img, body, 1.0f);
    art_disc(img, c.x + dir * size * 0.32, c.y - size * 0.06, size * 0.06, 0.0f, Paint::erase);
    art_stroke(img,
               {{c.x + dir * size * 0.18, c.y - size * 0.22},
                {c.x + dir * size * 0.22, c.y + size * 0.18}},
               2.5, 2.5, 0.0f, Paint::erase); // gill
}

void shoal(Image &img, double p) {
    const double s = std::sin(p * 3.14159 - 1.5707963); // -1 .. 1
    fish_shape(img, {105, 70}, 90, s, true);
    fish_shape(img, {225, 120}, 70, -s * 0.8, true);
    fish_shape(img, {135, 160}, 55, s * 0.9, true);
    for (int i = 0; i < 7; ++i) {
        const double y = 180 - i * 26 - p * 14;
        art_ring(img, 40 + 8 * std::sin(i * 1.9), y, 4 + i % 3, 2, 0.9f);
    }
}

// Clip 5: a spring, water leaping from a source and falling into its pool. Seamless loop.
void spring(Image &img, double phase) {
    const Pt source{160, 168};
    // pool
    art_ellipse(img, source.x, source.y + 10, 120, 12, 0, 0.35f);
    art_ellipse(img, source.x, source.y + 10, 112, 8, 0, 0.0f, Paint::erase);
    for (int k = 0; k < 4; ++k) {
        const double r = 20 + 90 * std::fmod(phase * 2 + k / 4.0, 1.0);
        art_ellipse(img, source.x, source.y + 10, r, r * 0.1, 0, 0.8f);
        art_ellipse(img, source.x, source.y + 10, r - 3, r * 0.1 - 1.5, 0, 0.0f, Paint::erase);
    }
    // jets: drops on parabolas, each drop at its own time, the pattern repeating every loop
    Rng rng(55);
    const int jets = 9;
    const double g = 230, lifetime = 2.3;
    for (int j = 0; j < jets; ++j) {
        const double vx = (j - (jets - 1) / 2.0) * 10 + rng.range(-3, 3);
        const double vy = -(265 - std::fabs(vx) * 1.2) + rng.range(-10, 10);
        const double land = -2 * vy / g; // back at the pool's height
        const double t_end = std::min(lifetime, land);
        std::vector<Pt> arc;
        for (int k = 0; k <= 30; ++k) {
            const double t = k / 30.0 * t_end;
            arc.push_back({source.x + vx * t, source.y + vy * t + g / 2 * t * t});
        }
        art_stroke(img, arc, 2.4, 1.0, 0.4f);
        const int drops = 16;
        for (int d = 0; d < drops; ++d) {
            const double t = std::fmod(phase * 2 + (double)d / drops + j * 0.37, 1.0) * t_end;
            const Pt pnt{source.x + vx * t, source.y + vy * t + g / 2 * t * t};
            art_disc(img, pnt.x, pnt.y, 3.0 - 1.4 * t / t_end, 1.0f);
        }
    }
    art_disc(img, source.x, source.y, 10, 1.0f);
}

// Clip 6: steam curling up from a bowl. Seamless loop.
void steam(Image &img, double phase) {
    const double bowl_y = 160;
    for (int w = 0; w < 3; ++w) {
        const double x0 = 130 + 30 * w;
        for (int k = 0; k < 7; ++k) {
            const double u =
                std::fmod(phase + k / 7.0 + w * 0.31, 1.0); // 0 at the bowl, 1 at the top
            const double y = bowl_y - 8 - u * 150;
            const double x = x0 + 28 * std::sin(u * 6 + w * 2.1) * u;
            const double r = 6 + 26 * u;
            const float shade = (float)(0.9 * (1 - u) * std::min(1.0, u * 6));
            art_ring(img, x, y, r, 3 + 5 * (1 - u), shade);
            art_disc(img, x + r * 0.3, y - r * 0.2, r * 0.35, shade * 0.5f);
        }
    }
    // the bowl
    std::vector<Pt> bowl;
    for (int k = 0; k <= 20; ++k) {
        const double a = 3.14159 * k / 20;
        bowl.push_back({160 - 70 * std::cos(a), bowl_y + 34 * std::sin(a)});
    }
    art_polygon(img, bowl, 1.0f);
    art_ellipse(img, 160, bowl_y, 70, 9, 0, 1.0f);
    art_ellipse(img, 160, bowl_y, 63, 6, 0, 0.0f, Paint::erase);
    art_line(img, {110, bowl_y + 36}, {210, bowl_y + 36}, 5, 1.0f);
}

// Clip 8: fire, its tongues drawn as bright contour lines, with sparks. Seamless loop.
void fire(Image &img, double phase) {
    const int period = 8; // noise cells across the tile
    const double cell = 25;
    Image field(W, H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double h = (182.0 - y) / 150.0; // 0 at the logs, 1 at the flame's tip
            if (h < -0.1 || h > 1.25) {
                field.at(x, y) = -1.0f;
                continue;
            }
            const double nx = x / cell, ny = y / cell + phase * period;
            const double n1 = art_noise(nx, ny, period * 2, 11);
            const double n2 = art_noise(nx * 2, ny * 2, period * 4, 12);
            const double sway = 34 * (n1 - 0.5) * (0.3 + h);
            // a flame: round at the bottom, widest low down, drawn out into a tip
            const double hb = std::max(0.0, h);
            const double width = 95 * std::pow(std::max(0.0, 1.0 - hb), 0.9) *
                                     std::sqrt(std::min(1.0, hb * 4 + 0.05)) +
                                 1;
            const double f = 1.0 - std::fabs(x + sway - 160) / width - 0.55 * hb * n2;
            field.at(x, y) = (float)f;
        }
    // contour lines where the field crosses a few levels
    const float levels[4] = {0.05f, 0.32f, 0.56f, 0.78f};
    for (int y = 1; y < H - 1; ++y)
        for (int x = 1; x < W - 1; ++x) {
            const float f = field.at(x, y);
            for (float l : levels) {
                const bool in = f >= l;
                if (in != (field.at(x + 1, y) >= l) || in != (field.at(x, y + 1) >= l) ||
                    in != (field.at(x - 1, y) >= l) || in != (field.at(x, y - 1) >= l)) {
                    img.at(x, y) = 1.0f;
                    break;
                }
            }
        }
    Rng rng(99);
    for (int s = 0; s < 26; ++s) {
        const double x0 = rng.range(90, 230), speed = rng.range(1, 3), drift = rng.range(-40, 40);
        const double u = std::fmod(phase * std::round(speed) + rng.uniform(), 1.0);
        const Pt a{x0 + drift * u, 170 - 170 * u};
        const Pt b{a.x - drift * 0.05, a.y + 9};
        art_line(img, a, b, 2.0, 1.0f);
    }
    // logs
    art_line(img, {112, 192}, {232, 180}, 10, 1.0f);
    art_line(img, {114, 180}, {230, 194}, 10, 0.6f);
}

// Clip 9: a ring turning in space, a torus of bright wire. Seamless loop.
void torus(Image &img, double phase) {
    const int major = 18, minor = 10;
    const double R = 1.6, r = 0.55;
    const double spin = tau * phase / major; // one segment per loop looks continuous
    const double tilt = 1.05 + 0.18 * std::sin(tau * phase);
    auto point = [&](int i, int j) {
        const double u = tau * i / major + spin, v = tau * j / minor;
        Vec3 p{(R + r * std::cos(v)) * std::cos(u), (R + r * std::cos(v)) * std::sin(u),
               r * std::sin(v)};
        return art_rotate(p, tilt, 0.3 * std::sin(tau * phase), 0);
    };
    for (int i = 0; i < major; ++i)
        for (int j = 0; j < minor; ++j) {
            const Vec3 a = point(i, j), b = point(i + 1, j), c = point(i, j + 1);
            const double d = (a.z + 2.2) / 4.4; // 0 near, 1 far
            const float v = (float)(1.0 - 0.55 * d);
            const double t = 3.2 - 1.8 * d;
            art_line(img, art_project(a, 4.5, 205, 160, 100), art_project(b, 4.5, 205, 160, 100), t,
                     v);
            art_line(img, art_project(a, 4.5, 205, 160, 100), art_project(c, 4.5, 205, 160, 100), t,
                     v);
        }
}

struct ClipArt {
    std::function<void(Image &, double)> draw;
    bool loop; // seamless forward loop, else back and forth
};

} // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_clips OUT.bin\n");
        return 2;
    }
    const ClipArt clips[10] = {
        {burst, false}, {crystal, false}, {ripples, true}, {shoal, false}, {runner, true},
        {spring, true}, {steam, true},    {horse, true},   {fire, true},   {torus, true},
    };
    std::vector<uint8_t> out;
    for (int c = 0; c < 10; ++c) {
        const int n = clip_frames[c];
        std::vector<uint8_t> frames((size_t)n * frame_bytes);
        for (int k = 0; k < n; ++k) {
            // A loop draws the k-th shown frame at phase k/n; back and forth draws frame i at
            // i/(n-1).
            const int index = clips[c].loop ? shown_frame(k, n) : k;
            const double phase = clips[c].loop ? (double)k / n : (double)k / (n - 1);
            Image img(W, H);
            clips[c].draw(img, phase);
            art_pack_frame(img, frames.data() + (size_t)index * frame_bytes);
        }
        out.insert(out.end(), frames.begin(), frames.end());
    }
    return art_write_file(argv[1], out) ? 0 : 1;
}
