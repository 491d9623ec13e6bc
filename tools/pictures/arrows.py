#!/usr/bin/env python3
"""Draws the four 18x18 arrow pictures of the side panel's title band.

A round light button with a blue double chevron: up for an open panel, down for a closed one,
and a lighter "MOVE" pair shown while the pointer is over the title. Everything outside the
button is magenta (252, 2, 252), the colour the panel leaves out when it draws the picture, so
the button edge is kept hard (a blended edge would leave a pink fringe).

Usage: arrows.py [output folder]   (default: resources/arrows next to this tools folder)
"""
import math
import os
import struct
import sys

SIZE = 18
KEY = (252, 2, 252)
CENTER = SIZE / 2.0
RADIUS = 8.45
SUB = 4  # supersamples per axis for the chevron strokes

# (button top, button bottom, rim, chevron) for the normal and the lighter hover look.
NORMAL = ((255, 255, 255), (206, 216, 234), (126, 144, 178), (24, 72, 184))
LIGHT = ((255, 255, 255), (232, 240, 252), (160, 182, 222), (96, 150, 236))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def chevron_segments(up):
    """Two stacked chevrons, apex up for `up`, in pixel coordinates (y down)."""
    segs = []
    for apex in (4.9, 8.9):
        tip = apex if up else SIZE - apex
        arm = tip + 3.4 if up else tip - 3.4
        segs.append((CENTER, tip, CENTER - 3.6, arm))
        segs.append((CENTER, tip, CENTER + 3.6, arm))
    return segs


def on_chevron(x, y, segs):
    return any(segment_distance(x, y, *s) <= 0.95 for s in segs)


def render(up, look):
    top, bottom, rim, blue = look
    segs = chevron_segments(up)
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            d = math.hypot(x + 0.5 - CENTER, y + 0.5 - CENTER)
            if d > RADIUS:
                row.append(KEY)
                continue
            face = mix(top, bottom, y / (SIZE - 1.0))
            if d > RADIUS - 1.1:
                face = rim
            hits = 0
            for sy in range(SUB):
                for sx in range(SUB):
                    if on_chevron(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB, segs):
                        hits += 1
            row.append(mix(face, blue, hits / float(SUB * SUB)))
        rows.append(row)
    return rows


def write_bmp(path, rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources",
                                                             "arrows")
    os.makedirs(out, exist_ok=True)
    for name, up, look in (("iconup", True, NORMAL), ("iconmoveup", True, LIGHT),
                           ("icondown", False, NORMAL), ("iconmovedown", False, LIGHT)):
        write_bmp(os.path.join(out, name + ".bmp"), render(up, look))


if __name__ == "__main__":
    main()
