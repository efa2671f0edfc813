#!/usr/bin/env python3
"""The guest's disk after a boot: the recorder's sound from 0 (as many bytes as the console's
RECORDED line says) into OUT/sound.raw, the demo's trace from 48 MiB into OUT/trace.
    disk_split.py OUT"""
import re, sys
out = sys.argv[1]
disk = open(f"{out}/disk.img", "rb").read()
m = re.search(r"RECORDED (\d+) bytes", open(f"{out}/console.log").read())
open(f"{out}/sound.raw", "wb").write(disk[:int(m.group(1))] if m else b"")
open(f"{out}/trace", "wb").write(disk[48 << 20:].rstrip(b"\0"))
