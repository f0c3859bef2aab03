#!/usr/bin/env python3
"""Draws the package's icon, shown by the visual host's package manager.

    make-icon.py OUT.png

A 500x500 RGBA PNG: two object boxes joined by a patch cord, the lower one
sending waves out to the network. Drawn from shapes with anti-aliased edges
and written with the standard library alone, so the build needs nothing but
Python to make it.
"""
import math
import struct
import sys
import zlib

SIZE = 500


def clamp(value, low=0.0, high=1.0):
    return max(low, min(high, value))


def rounded_box(x, y, left, top, right, bottom, radius):
    """Signed distance from (x, y) to a rounded rectangle (negative inside)."""
    cx, cy = (left + right) / 2, (top + bottom) / 2
    hx, hy = (right - left) / 2 - radius, (bottom - top) / 2 - radius
    dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(dx, 0), max(dy, 0))
    inside = min(max(dx, dy), 0)
    return outside + inside - radius


def segment(x, y, ax, ay, bx, by):
    """Distance from (x, y) to the segment from (ax, ay) to (bx, by)."""
    px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
    t = clamp((px * vx + py * vy) / (vx * vx + vy * vy))
    return math.hypot(px - t * vx, py - t * vy)


def cord_points():
    """The patch cord: a cubic curve from the upper box's outlet to the lower
    box's inlet, as a polyline."""
    p0, p1, p2, p3 = (150, 190), (150, 270), (305, 230), (305, 310)
    points = []
    for i in range(33):
        t = i / 32
        u = 1 - t
        points.append(tuple(u**3 * a + 3 * u * u * t * b + 3 * u * t * t * c + t**3 * d
                            for a, b, c, d in zip(p0, p1, p2, p3)))
    return points


CORD = cord_points()

BACKGROUND_TOP = (38, 52, 74)
BACKGROUND_BOTTOM = (20, 28, 42)
BOX = (236, 240, 245)
PORT = (255, 176, 59)
CORD_COLOUR = (255, 176, 59)
WAVE = (120, 200, 255)


def coverage(distance):
    """How much of a pixel a shape covers, from the signed distance of its
    centre to the shape's edge."""
    return clamp(0.5 - distance)


def over(base, colour, alpha):
    return tuple(b + (c - b) * alpha for b, c in zip(base, colour))


def pixel(x, y):
    tile = rounded_box(x, y, 10, 10, 490, 490, 90)
    alpha = coverage(tile)
    if alpha == 0:
        return (0, 0, 0, 0)
    t = y / SIZE
    colour = tuple(a + (b - a) * t for a, b in zip(BACKGROUND_TOP, BACKGROUND_BOTTOM))

    # Waves from the lower box's right side.
    if x > 400 and abs(y - 350) < (x - 400) * 1.1:
        for radius in (24, 48, 72):
            ring = abs(math.hypot(x - 400, y - 350) - radius) - 6
            colour = over(colour, WAVE, coverage(ring) * (1.1 - radius / 120))

    if 130 < x < 350 and 180 < y < 320:
        cord = min(segment(x, y, *a, *b) for a, b in zip(CORD, CORD[1:])) - 8
        colour = over(colour, CORD_COLOUR, coverage(cord))

    for left, top, right, bottom in ((70, 110, 260, 190), (210, 310, 400, 390)):
        colour = over(colour, BOX, coverage(rounded_box(x, y, left, top, right, bottom, 18)))
    # The upper box's outlet and the lower box's inlet.
    colour = over(colour, PORT, coverage(rounded_box(x, y, 130, 178, 170, 190, 4)))
    colour = over(colour, PORT, coverage(rounded_box(x, y, 285, 310, 325, 322, 4)))
    # The object boxes' text, as bars.
    for left, top, right in ((95, 140, 235), (235, 340, 375)):
        colour = over(colour, BACKGROUND_BOTTOM,
                      coverage(rounded_box(x, y, left, top, right, top + 20, 10)))
    return (*colour, 255 * alpha)


def png(width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + bytes(round(v) for p in row for v in p) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py OUT.png")
    rows = [[pixel(x + 0.5, y + 0.5) for x in range(SIZE)] for y in range(SIZE)]
    with open(sys.argv[1], "wb") as out:
        out.write(png(SIZE, SIZE, rows))


if __name__ == "__main__":
    main()
