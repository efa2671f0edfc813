#!/usr/bin/env python3
"""The guest's disk after a boot: the recorder's sound from 0 (as many bytes as the console's
RECORDED line for it says) into OUT/sound.raw, what a second recorder wrote from 24 MiB (the
sound after the card came back), if any, into OUT/sound2.raw, the demo's trace from 48 MiB into
OUT/trace, and the recorder's times from 56 MiB, if any, into OUT/times.
    disk_split.py OUT"""
import re, sys
out = sys.argv[1]
log = open(f"{out}/console.log").read()
disk = open(f"{out}/disk.img", "rb").read()


def recorded(mib):
    m = re.search(rf"RECORDED (\d+) bytes at {mib} MiB", log)
    return disk[mib << 20:(mib << 20) + int(m.group(1))] if m else b""


open(f"{out}/sound.raw", "wb").write(recorded(0))
if recorded(24):
    open(f"{out}/sound2.raw", "wb").write(recorded(24))
open(f"{out}/trace", "wb").write(disk[48 << 20:56 << 20].rstrip(b"\0"))
times = disk[56 << 20:].rstrip(b"\0")
if times:
    open(f"{out}/times", "wb").write(times)
