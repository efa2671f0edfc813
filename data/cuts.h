// The timeline's eleven major cuts, as song clocks: where the song lands with the picture.
#pragma once

constexpr int major_cuts[] = {100, 200, 332, 400, 600, 800, 1000, 1200, 1400, 1600, 1800};
constexpr int major_cut_count = sizeof major_cuts / sizeof major_cuts[0];
static_assert(major_cut_count == 11, "eleven cuts");
