#!/usr/bin/env python3
"""The kernel modules to load for the given ones, each after those it depends on (read from their
.modinfo "depends=" field), as paths under the modules' folder, one per line.
    module_order.py MODULES_DIR MODULE..."""
import os
import re
import sys

top = sys.argv[1]
files = {}
for folder, _, names in os.walk(top):
    for name in names:
        if name.endswith(".ko"):
            files[name[:-3].replace("-", "_")] = os.path.join(folder, name)
order = []


def add(module):
    key = module.replace("-", "_")
    if key not in files:
        sys.exit(f"no module {module} under {top}")
    if files[key] in order:
        return
    found = re.search(rb"\0depends=([^\0]*)\0", open(files[key], "rb").read())
    for needed in (found.group(1).decode().split(",") if found else []):
        if needed:
            add(needed)
    order.append(files[key])


for module in sys.argv[2:]:
    add(module)
print("\n".join(order))
