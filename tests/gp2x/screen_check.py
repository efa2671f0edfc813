#!/usr/bin/env python3
"""Screen dumps of a guest's framebuffer against the frames its trace replays: each dump must be,
pixel for pixel, one replayed frame, in the order of the run; the dumps start after the first
frame was shown. A dump taken while a frame was being presented holds the new frame's top rows
over the last frame's bottom rows (the row being written when it was taken may be new on its left
and old on its right), and counts when both parts are exact. qemu widens 5-6-5 by
shifting; at 16 bits the dumps are widened again as the frames are, by repeating the high bits.
With --scaled the screen may be larger: the picture at the largest whole scale that fits, centred
on black, each of its pixels a square of that many screen pixels. With --sdl the 5-6-5 picture
reached the screen widened by SDL 2's own conversion, which the host's SDL 2 (the guest's version)
gives; the dumps are taken back through it.
    screen_check.py DUMPS_DIR FRAMES_DIR DEPTH [--scaled] [--sdl]"""
import functools
import glob
import hashlib
import subprocess
import sys

dumps_dir, frames_dir, depth = sys.argv[1], sys.argv[2], int(sys.argv[3])
scaled = "--scaled" in sys.argv[4:]
by_sdl = "--sdl" in sys.argv[4:]
WIDTH, HEIGHT = 320, 240
ROW = WIDTH * 3


def ppm(path):
    data = open(path, "rb").read()
    fields, at = [], 0
    while len(fields) < 4:  # magic, width, height, maximum, each ended by white space
        while data[at:at + 1].isspace():
            at += 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    if fields != [b"P6", str(WIDTH).encode(), str(HEIGHT).encode(), b"255"] and not scaled:
        sys.exit(f"FAILED: {path} is not a {WIDTH}x{HEIGHT} screen: {fields}")
    pixels = data[at + 1:]
    if scaled:
        pixels = unscaled(path, pixels, int(fields[1]), int(fields[2]))
    if depth == 16 and by_sdl:
        widened = bytearray(pixels)
        for channel in range(3):
            widened[channel::3] = pixels[channel::3].translate(sdl_back[channel])
        return bytes(widened)
    if depth == 16:
        pixels = bytes(c | c >> (6 if k % 3 == 1 else 5) for k, c in enumerate(pixels))
    return pixels


def sdl_widening_back():
    """Per channel, a table from SDL 2's 8-bit value of each 5- or 6-bit value to the value the
    frames hold (its high bits repeated); a value SDL never makes maps to itself."""
    import ctypes
    sdl = ctypes.CDLL("libSDL2-2.0.so.0")
    rgb565, xrgb8888 = 0x15151002, 0x16161804
    source = (ctypes.c_uint16 * 64)(*((k & 31) << 11 | k << 5 | (k & 31) for k in range(64)))
    out = (ctypes.c_uint32 * 64)()
    if sdl.SDL_ConvertPixels(64, 1, rgb565, source, 128, xrgb8888, out, 256) != 0:
        sys.exit("FAILED: SDL 2 does not convert 5-6-5")
    tables = []
    for channel, shift, bits in ((0, 16, 5), (1, 8, 6), (2, 0, 5)):
        table = bytearray(range(256))
        for v in range(1 << bits):
            table[out[v] >> shift & 255] = v << (8 - bits) | v >> (2 * bits - 8)
        tables.append(bytes(table))
    return tables


sdl_back = sdl_widening_back() if by_sdl else None


def unscaled(path, pixels, width, height):
    s = min(width // WIDTH, height // HEIGHT)
    if s < 1:
        sys.exit(f"FAILED: {path}: a {width}x{height} screen cannot hold the picture")
    left, top = (width - WIDTH * s) // 2, (height - HEIGHT * s) // 2
    rows = [pixels[y * width * 3:(y + 1) * width * 3] for y in range(height)]
    black_row = bytes(width * 3)
    black_side = bytes(left * 3)
    picture = bytearray()
    for y in range(height):
        row = rows[y]
        if not top <= y < top + HEIGHT * s:
            if row != black_row:
                sys.exit(f"FAILED: {path}: row {y} of the band above or below the picture is not black")
            continue
        inner = row[left * 3:(left + WIDTH * s) * 3]
        if row[:left * 3] != black_side or row[(left + WIDTH * s) * 3:] != bytes(len(row) - (left + WIDTH * s) * 3):
            sys.exit(f"FAILED: {path}: row {y}: the bands beside the picture are not black")
        if (y - top) % s:
            if row != rows[y - 1]:
                sys.exit(f"FAILED: {path}: row {y} is not its picture row's copy ({s}x)")
            continue
        shrunk = b"".join(inner[x * 3 * s:x * 3 * s + 3] for x in range(WIDTH))
        if b"".join(shrunk[x * 3:x * 3 + 3] * s for x in range(WIDTH)) != inner:
            sys.exit(f"FAILED: {path}: row {y}: the picture's pixels are not {s} screen pixels wide")
        picture += shrunk
    return bytes(picture)


@functools.lru_cache(maxsize=4)
def frame(k):
    return subprocess.run(["ffmpeg", "-loglevel", "error", "-i", f"{frames_dir}/frame-{k:05d}.png",
                           "-f", "rawvideo", "-pix_fmt", "rgb24", "-"],
                          capture_output=True, check=True).stdout


sums = subprocess.run(["ffmpeg", "-loglevel", "error", "-i", f"{frames_dir}/frame-%05d.png",
                       "-pix_fmt", "rgb24", "-f", "framemd5", "-"],
                      capture_output=True, text=True, check=True).stdout
index = {}
for line in sums.splitlines():
    if not line.startswith("#"):
        k, digest = int(line.split(",")[1]), line.split(",")[-1].strip()
        index.setdefault(digest, []).append(k)  # a still picture is several frames
frames = len(sums.splitlines()) - sum(1 for l in sums.splitlines() if l.startswith("#"))
dumps = sorted(glob.glob(f"{dumps_dir}/dump-*.ppm"))
if not dumps:
    sys.exit("FAILED: no screen dumps")
shown, exact, torn, failed, matched = -1, 0, 0, 0, []
for path in dumps:
    name = path.split("/")[-1]
    pixels = ppm(path)
    same = index.get(hashlib.md5(pixels).hexdigest(), [])
    k = next((k for k in same if k >= shown), same[-1] if same else None)
    if k is not None:
        if k < shown:
            print(f"FAILED: {name} is frame {k}, after frame {shown}")
            failed = 1
        shown = k
        exact += 1
        matched.append(str(k))
        continue
    # a present under way: frame k+1 down to some row, frame k below it
    found = None
    for k in range(max(shown, 0), frames - 1):
        older, newer = frame(k), frame(k + 1)
        split = 0
        while split < HEIGHT and pixels[split * ROW:(split + 1) * ROW] == newer[split * ROW:(split + 1) * ROW]:
            split += 1
        # the dump may come halfway through writing a row: its left part new, the rest old
        at = split * ROW
        while at < len(pixels) and pixels[at] == newer[at]:
            at += 1
        at -= at % 3
        if pixels[at:] == older[at:]:
            found = (k, split)
            break
        if k > shown + 400:  # 16 s of frames: past the next dump
            break
    if found:
        print(f"{name}: frame {found[0] + 1} down to row {found[1]}, frame {found[0]} below it")
        shown = found[0]
        torn += 1
        matched.append(f"{found[0] + 1}/{found[0]}")
    else:
        print(f"FAILED: {name} is no replayed frame, nor two of them halfway through a present")
        failed = 1
print("the dumps show frames", " ".join(matched))
if not exact:
    print("FAILED: no dump is a whole frame")
    failed = 1
print(f"{len(dumps)} screen dumps at {depth} bits{', scaled' if scaled else ''}{' by SDL' if by_sdl else ''}: {exact} exactly a replayed frame, {torn} taken during"
      f" a present; {frames} frames replayed")
sys.exit(failed)
