// Makes the two grey pictures: the tiling backdrop texture and the sheet of eleven word sprites.
#include "art.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr int tex = 256;
constexpr int sheet_w = 207, sheet_h = 337;
constexpr int sprite_rows[12] = {0, 33, 60, 88, 124, 148, 178, 203, 230, 264, 302, 335};

// Fractal sum of tiling noise; every octave's period divides the texture.
double fbm(double x, double y, int octaves, uint32_t seed) {
    double sum = 0, amp = 0.5, norm = 0;
    int period = 4;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * art_noise(x * period / tex, y * period / tex, period, seed + o);
        norm += amp;
        amp *= 0.5;
        period *= 2;
    }
    return sum / norm;
}

// Light through moving water: bright caustic veins over darker cells, warped so it flows.
std::vector<uint8_t> texture() {
    std::vector<uint8_t> px((size_t)tex * tex);
    for (int y = 0; y < tex; ++y)
        for (int x = 0; x < tex; ++x) {
            const double wx = x + 40 * (fbm(x, y, 3, 101) - 0.5);
            const double wy = y + 40 * (fbm(x + 77, y + 31, 3, 202) - 0.5);
            const double n1 = fbm(wx, wy, 4, 303);
            const double n2 = fbm(wx * 1.0 + 13, wy + 57, 4, 404);
            const double r1 = std::pow(1 - std::fabs(2 * n1 - 1), 6.0);
            const double r2 = std::pow(1 - std::fabs(2 * n2 - 1), 8.0);
            const double glow = fbm(x, y, 2, 505);
            double v = 0.75 * r1 + 0.45 * r2 + 0.55 * (glow - 0.55);
            v = std::clamp(v, 0.0, 1.0);
            px[(size_t)y * tex + x] = (uint8_t)std::lround(255 * std::pow(v, 1.25));
        }
    return px;
}

FT_Library library;

FT_Face load_face(const char *file) {
    FT_Face face;
    const std::string path = std::string(QB_FONT_DIR) + "/" + file;
    if (FT_New_Face(library, path.c_str(), 0, &face)) {
        std::fprintf(stderr, "gen_pictures: cannot load %s\n", path.c_str());
        std::exit(1);
    }
    return face;
}

// Width in pixels of a text at a size.
int text_width(FT_Face face, const std::string &text, int size) {
    FT_Set_Pixel_Sizes(face, 0, (FT_UInt)size);
    int x = 0;
    for (unsigned char ch : text) {
        FT_Load_Char(face, ch, FT_LOAD_DEFAULT);
        x += (int)(face->glyph->advance.x >> 6);
    }
    return x;
}

// Draws text with its baseline at (x, baseline) into a grey sheet, brightest wins.
void draw_text(std::vector<uint8_t> &sheet, FT_Face face, const std::string &text, int size, int x,
               int baseline, int top, int bottom) {
    FT_Set_Pixel_Sizes(face, 0, (FT_UInt)size);
    for (unsigned char ch : text) {
        FT_Load_Char(face, ch, FT_LOAD_RENDER);
        const FT_GlyphSlot g = face->glyph;
        for (unsigned r = 0; r < g->bitmap.rows; ++r)
            for (unsigned c = 0; c < g->bitmap.width; ++c) {
                const int sx = x + g->bitmap_left + (int)c;
                const int sy = baseline - g->bitmap_top + (int)r;
                if (sx < 1 || sx >= sheet_w - 1 || sy < top || sy >= bottom) continue;
                uint8_t &p = sheet[(size_t)sy * sheet_w + sx];
                p = std::max(p, g->bitmap.buffer[r * g->bitmap.pitch + c]);
            }
        x += (int)(g->advance.x >> 6);
    }
}

struct Line {
    FT_Face face;
    std::string text;
    int size;
};

// Lays one or two lines out in a sprite's band, centred, within a given width.
void sprite(std::vector<uint8_t> &sheet, int index, const std::vector<Line> &lines, int max_width,
            bool centred = true) {
    const int top = sprite_rows[index], bottom = sprite_rows[index + 1];
    const int height = bottom - top;
    int total = 0;
    for (const Line &l : lines) total += l.size;
    int baseline = top + (height - total) / 2;
    for (const Line &l : lines) {
        FT_Set_Pixel_Sizes(l.face, 0, (FT_UInt)l.size);
        const int ascent = (int)(l.face->size->metrics.ascender >> 6);
        const int descent = (int)(-l.face->size->metrics.descender >> 6);
        const int w = text_width(l.face, l.text, l.size);
        // a little space is kept left of the text: the stamp drops each run's first pixel
        const int x = 2 + (centred ? std::max(0, (max_width - 2 - w) / 2) : 0);
        baseline += ascent * l.size / (ascent + descent);
        draw_text(sheet, l.face, l.text, l.size, x, baseline, top, bottom);
        baseline += descent * l.size / (ascent + descent);
    }
}

} // namespace

int main(int argc, char **argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gen_pictures TEXTURE.tga SPRITES.tga\n");
        return 2;
    }
    if (!art_write_file(argv[1], art_tga(tex, tex, texture()))) return 1;

    FT_Init_FreeType(&library);
    FT_Face bold = load_face("DejaVuSerif-Bold.ttf");
    FT_Face italic = load_face("DejaVuSerif-BoldItalic.ttf");
    FT_Face plain = load_face("DejaVuSerif.ttf");
    std::vector<uint8_t> sheet((size_t)sheet_w * sheet_h, 0);
    // Widths keep each sprite inside the Canvas at every place the overlay table puts it.
    sprite(sheet, 0, {{bold, "QUELL", 30}}, 200);
    sprite(sheet, 1, {{bold, "QUELLBRAND", 24}}, 205);
    sprite(sheet, 2, {{italic, "Tessaline & Vek", 15}, {plain, "present", 12}}, 205);
    sprite(sheet, 3, {{italic, "fin.", 32}}, 205);
    // the captions in the lower left corner start at its edge
    sprite(sheet, 4, {{italic, "the spring", 21}}, 205, false);
    sprite(sheet, 5, {{italic, "the steam", 22}}, 134);
    sprite(sheet, 6, {{italic, "the fire", 22}}, 205, false);
    sprite(sheet, 7, {{italic, "greetings", 24}}, 205);
    sprite(sheet, 8, {{bold, "BRAND", 30}}, 164);
    sprite(sheet, 9, {{italic, "spring \xb7 fire", 30}}, 205);
    sprite(sheet, 10, {{italic, "in motion", 28}}, 205);
    return art_write_file(argv[2], art_tga(sheet_w, sheet_h, sheet)) ? 0 : 1;
}
