#!/usr/bin/env python3
"""From qemu's -strace events (clone, exit, execve, one a line): every thread the demo started had
ended before it executed the launcher.
    threads_ended.py EVENTS"""
import re, sys
events = open(sys.argv[1], errors="replace").read().split("\n")
started = ended = 0
for i, e in enumerate(events):
    name = re.sub(r"^\d+ ", "", e).rstrip("(")
    if name == "clone":
        started += 1
    elif name == "exit":
        ended += 1
    elif name == "execve":
        break
else:
    sys.exit("FAILED: no execve of the launcher")
print(f"{started} threads started, {ended} ended before the launcher")
if ended != started:
    sys.exit("FAILED: threads still running at the exec")
