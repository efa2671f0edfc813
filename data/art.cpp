// Drawing primitives shared by the picture generators.
#include "art.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>

namespace {

void paint(float &dst, float v, Paint mode) {
    switch (mode) {
    case Paint::set:
        dst = v;
        break;
    case Paint::max:
        dst = std::max(dst, v);
        break;
    case Paint::erase:
        dst = 0.0f;
        break;
    }
}

struct Box {
    int x0, y0, x1, y1;
};

Box clip_box(const Image &img, double x0, double y0, double x1, double y1) {
    Box b{(int)std::floor(x0), (int)std::floor(y0), (int)std::ceil(x1), (int)std::ceil(y1)};
    b.x0 = std::max(b.x0, 0);
    b.y0 = std::max(b.y0, 0);
    b.x1 = std::min(b.x1, img.w - 1);
    b.y1 = std::min(b.y1, img.h - 1);
    return b;
}

double segment_distance(Pt p, Pt a, Pt b, double *along) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    if (along) *along = t;
    const double ex = a.x + t * dx - p.x, ey = a.y + t * dy - p.y;
    return std::sqrt(ex * ex + ey * ey);
}

} // namespace

void art_disc(Image &img, double cx, double cy, double r, float v, Paint mode) {
    const Box b = clip_box(img, cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            if (dx * dx + dy * dy <= r * r) paint(img.at(x, y), v, mode);
        }
}

void art_ring(Image &img, double cx, double cy, double r, double thickness, float v, Paint mode) {
    const double outer = r + thickness / 2, inner = std::max(0.0, r - thickness / 2);
    const Box b = clip_box(img, cx - outer - 1, cy - outer - 1, cx + outer + 1, cy + outer + 1);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double d2 = dx * dx + dy * dy;
            if (d2 <= outer * outer && d2 >= inner * inner) paint(img.at(x, y), v, mode);
        }
}

void art_ellipse(Image &img, double cx, double cy, double rx, double ry, double angle, float v,
                 Paint mode) {
    const double r = std::max(rx, ry);
    const double c = std::cos(angle), s = std::sin(angle);
    const Box b = clip_box(img, cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1);
    for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) {
            const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
            const double u = (dx * c + dy * s) / rx, w = (-dx * s + dy * c) / ry;
            if (u * u + w * w <= 1.0) paint(img.at(x, y), v, mode);
        }
}

void art_line(Image &img, Pt a, Pt b, double thickness, float v, Paint mode) {
    art_stroke(img, {a, b}, thickness, thickness, v, mode);
}

void art_stroke(Image &img, const std::vector<Pt> &pts, double t0, double t1, float v, Paint mode) {
    if (pts.size() < 2) {
        if (pts.size() == 1) art_disc(img, pts[0].x, pts[0].y, t0 / 2, v, mode);
        return;
    }
    std::vector<double> length(pts.size(), 0.0);
    for (size_t i = 1; i < pts.size(); ++i)
        length[i] = length[i - 1] + std::hypot(pts[i].x - pts[i - 1].x, pts[i].y - pts[i - 1].y);
    const double total = length.back() > 0 ? length.back() : 1.0;
    for (size_t i = 1; i < pts.size(); ++i) {
        const Pt a = pts[i - 1], b = pts[i];
        const double ra = (t0 + (t1 - t0) * length[i - 1] / total) / 2;
        const double rb = (t0 + (t1 - t0) * length[i] / total) / 2;
        const double r = std::max(ra, rb);
        const Box box = clip_box(img, std::min(a.x, b.x) - r - 1, std::min(a.y, b.y) - r - 1,
                                 std::max(a.x, b.x) + r + 1, std::max(a.y, b.y) + r + 1);
        for (int y = box.y0; y <= box.y1; ++y)
            for (int x = box.x0; x <= box.x1; ++x) {
                double along;
                const double d = segment_distance({x + 0.5, y + 0.5}, a, b, &along);
                if (d <= ra + (rb - ra) * along) paint(img.at(x, y), v, mode);
            }
    }
}

void art_polygon(Image &img, const std::vector<Pt> &pts, float v, Paint mode) {
    if (pts.size() < 3) return;
    double y0 = pts[0].y, y1 = pts[0].y;
    for (const Pt &p : pts) {
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    const Box b = clip_box(img, 0, y0 - 1, img.w - 1, y1 + 1);
    std::vector<double> xs;
    for (int y = b.y0; y <= b.y1; ++y) {
        const double sy = y + 0.5;
        xs.clear();
        for (size_t i = 0; i < pts.size(); ++i) {
            const Pt p = pts[i], q = pts[(i + 1) % pts.size()];
            if ((p.y <= sy && q.y > sy) || (q.y <= sy && p.y > sy))
                xs.push_back(p.x + (sy - p.y) * (q.x - p.x) / (q.y - p.y));
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            const int xa = std::max(0, (int)std::ceil(xs[i] - 0.5));
            const int xb = std::min(img.w - 1, (int)std::floor(xs[i + 1] - 0.5));
            for (int x = xa; x <= xb; ++x) paint(img.at(x, y), v, mode);
        }
    }
}

float art_bayer(int x, int y) {
    static const int m[8][8] = {
        {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
        {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
        {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
        {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21},
    };
    return (m[y & 7][x & 7] + 0.5f) / 64.0f;
}

void art_pack_frame(const Image &img, uint8_t *frame) {
    for (int y = 0; y < img.h; ++y)
        for (int c = 0; c < img.w / 8; ++c) {
            uint8_t byte = 0;
            for (int j = 0; j < 8; ++j) {
                const int x = 8 * c + j;
                if (img.at(x, y) > art_bayer(x, y)) byte |= (uint8_t)(1u << j);
            }
            frame[y * (img.w / 8) + c] = byte;
        }
}

uint32_t Rng::next() {
    // xorshift32
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

double Rng::uniform() {
    return (next() >> 8) / 16777216.0;
}

namespace {
uint32_t hash3(int x, int y, uint32_t seed) {
    uint32_t h = (uint32_t)x * 374761393u + (uint32_t)y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}
double lattice(int x, int y, int period, uint32_t seed) {
    x = ((x % period) + period) % period;
    y = ((y % period) + period) % period;
    return (hash3(x, y, seed) & 0xffff) / 65535.0;
}
double smooth(double t) {
    return t * t * (3 - 2 * t);
}
} // namespace

double art_noise(double x, double y, int period, uint32_t seed) {
    const int xi = (int)std::floor(x), yi = (int)std::floor(y);
    const double fx = smooth(x - xi), fy = smooth(y - yi);
    const double a = lattice(xi, yi, period, seed), b = lattice(xi + 1, yi, period, seed);
    const double c = lattice(xi, yi + 1, period, seed), d = lattice(xi + 1, yi + 1, period, seed);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

Vec3 art_rotate(Vec3 v, double ax, double ay, double az) {
    double c = std::cos(ax), s = std::sin(ax);
    v = {v.x, v.y * c - v.z * s, v.y * s + v.z * c};
    c = std::cos(ay), s = std::sin(ay);
    v = {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
    c = std::cos(az), s = std::sin(az);
    return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

Pt art_project(Vec3 v, double d, double scale, double cx, double cy) {
    const double k = scale / (v.z + d);
    return {cx + v.x * k, cy - v.y * k};
}

std::vector<uint8_t> art_tga(int w, int h, const std::vector<uint8_t> &grey) {
    constexpr size_t header = 18, footer = 26;
    std::vector<uint8_t> out(header + grey.size() + footer, 0);
    out[2] = 3; // uncompressed grey
    out[12] = (uint8_t)(w & 0xff);
    out[13] = (uint8_t)(w >> 8);
    out[14] = (uint8_t)(h & 0xff);
    out[15] = (uint8_t)(h >> 8);
    out[16] = 8;    // bits per pixel
    out[17] = 0x20; // first stored row is the top row
    std::copy(grey.begin(), grey.end(), out.begin() + header);
    // extension and developer-area offsets stay 0; the signature keeps its final zero
    const char signature[] = "TRUEVISION-XFILE.";
    static_assert(sizeof signature + 8 == footer, "TGA 2.0 footer");
    std::copy(signature, signature + sizeof signature,
              out.end() - (std::ptrdiff_t)sizeof signature);
    return out;
}

bool art_write_file(const std::string &path, const std::vector<uint8_t> &bytes) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}
