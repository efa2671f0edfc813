// Drawing primitives shared by the picture generators: grey images, shapes, 3-D, dithering.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Image {
    int w = 0, h = 0;
    std::vector<float> px; // coverage or grey, 0..1
    Image() = default;
    Image(int width, int height) : w(width), h(height), px((size_t)width * height, 0.0f) {}
    float &at(int x, int y) { return px[(size_t)y * w + x]; }
    float at(int x, int y) const { return px[(size_t)y * w + x]; }
};

struct Pt {
    double x, y;
};

// Paint modes: set the value, keep the brighter, or cut to black.
enum class Paint { set, max, erase };

void art_disc(Image &img, double cx, double cy, double r, float v, Paint mode = Paint::max);
void art_ring(Image &img, double cx, double cy, double r, double thickness, float v,
              Paint mode = Paint::max);
void art_ellipse(Image &img, double cx, double cy, double rx, double ry, double angle, float v,
                 Paint mode = Paint::max);
// A line of the given thickness with round ends.
void art_line(Image &img, Pt a, Pt b, double thickness, float v, Paint mode = Paint::max);
// A polyline through points, tapering linearly from thickness t0 to t1.
void art_stroke(Image &img, const std::vector<Pt> &pts, double t0, double t1, float v,
                Paint mode = Paint::max);
// Filled polygon (even-odd rule), sampled at pixel centres.
void art_polygon(Image &img, const std::vector<Pt> &pts, float v, Paint mode = Paint::max);

// Ordered dithering threshold for a pixel, in (0, 1).
float art_bayer(int x, int y);

// Packs an image of canvas size into a one-bit clip frame: 40 bytes a row, least significant bit
// leftmost; a pixel is lit where its value passes the ordered-dither threshold.
void art_pack_frame(const Image &img, uint8_t *frame);

// Deterministic random numbers, the same on every machine.
struct Rng {
    uint32_t state;
    explicit Rng(uint32_t seed) : state(seed ? seed : 1u) {}
    uint32_t next();
    double uniform(); // [0, 1)
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
};

// Smooth value noise that tiles with the given period (in lattice cells).
double art_noise(double x, double y, int period, uint32_t seed);

struct Vec3 {
    double x, y, z;
};
Vec3 art_rotate(Vec3 v, double ax, double ay, double az);
// Perspective projection onto a canvas of w x h with the camera at distance d.
Pt art_project(Vec3 v, double d, double scale, double cx, double cy);

// Grey TGA (uncompressed, top row first) with the TGA 2.0 footer.
std::vector<uint8_t> art_tga(int w, int h, const std::vector<uint8_t> &grey);
bool art_write_file(const std::string &path, const std::vector<uint8_t> &bytes);
