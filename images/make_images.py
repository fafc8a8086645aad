#!/usr/bin/env python3
"""Draws the program's PNG images: the two status lamps and the tray icon.

Standard library only, so the images can be redrawn on any build machine:
    python3 images/make_images.py [output directory]
Shapes are described by signed distance functions; a pixel's coverage comes
from its distance to the edge, which gives smooth anti-aliased outlines.
"""

import math
import os
import struct
import sys
import zlib


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hex_rgb(text):
    return tuple(int(text[i:i + 2], 16) / 255.0 for i in (1, 3, 5))


class Canvas:
    """Premultiplied RGBA floats, composited with the 'over' operator."""

    def __init__(self, size):
        self.size = size
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def paint(self, sdf, color, alpha=1.0):
        """Fills the shape sdf(x, y) < 0; color(x, y) gives (r, g, b[, a])."""
        for y in range(self.size):
            for x in range(self.size):
                cx, cy = x + 0.5, y + 0.5
                cover = clamp(0.5 - sdf(cx, cy))
                if cover <= 0.0:
                    continue
                c = color(cx, cy) if callable(color) else color
                a = cover * alpha * (c[3] if len(c) > 3 else 1.0)
                p = self.px[y * self.size + x]
                keep = 1.0 - a
                p[0] = c[0] * a + p[0] * keep
                p[1] = c[1] * a + p[1] * keep
                p[2] = c[2] * a + p[2] * keep
                p[3] = a + p[3] * keep

    def write_png(self, path):
        rows = bytearray()
        for y in range(self.size):
            rows.append(0)  # filter: none
            for x in range(self.size):
                r, g, b, a = self.px[y * self.size + x]
                if a > 0.0:
                    r, g, b = r / a, g / a, b / a
                rows += bytes(int(round(clamp(v) * 255)) for v in (r, g, b, a))

        def chunk(tag, data):
            body = tag + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", header))
            f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
            f.write(chunk(b"IEND", b""))


# Signed distance functions (negative inside, in pixels).

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry):
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * min(rx, ry)


def polygon(points, rounding=0.0):
    """Exact distance to a simple polygon, grown by `rounding` for soft corners."""
    n = len(points)

    def sdf(x, y):
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            t = clamp(((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey))
            best = min(best, math.hypot(x - ax - ex * t, y - ay - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / (by - ay):
                inside = not inside
        return (-best if inside else best) - rounding

    return sdf


def arc(cx, cy, radius, half_span_deg, width):
    """A band around the circle's right side with round caps."""
    half = math.radians(half_span_deg)
    ends = [(cx + radius * math.cos(s * half), cy + radius * math.sin(s * half)) for s in (-1, 1)]

    def sdf(x, y):
        if abs(math.atan2(y - cy, x - cx)) <= half:
            d = abs(math.hypot(x - cx, y - cy) - radius)
        else:
            d = min(math.hypot(x - ex, y - ey) for ex, ey in ends)
        return d - width / 2.0

    return sdf


def grown(sdf, by):
    return lambda x, y: sdf(x, y) - by


def ring(sdf, width):
    return lambda x, y: abs(sdf(x, y)) - width / 2.0


# The status lamps.

def lamp(light, base, deep):
    c = Canvas(32)
    mid = 16.0
    # Metal bezel, lit from above.
    c.paint(circle(mid, mid, 15.2),
            lambda x, y: mix(hex_rgb("#d9dde2"), hex_rgb("#4b5057"), clamp((y - 1) / 30)))
    c.paint(circle(mid, mid, 13.4),
            lambda x, y: mix(hex_rgb("#3a3f45"), hex_rgb("#aab0b7"), clamp((y - 3) / 26)))
    # Glass: radial gradient with its bright spot up and to the left.
    def glass(x, y):
        t = clamp(math.hypot(x - 13.5, y - 12.5) / 14.0)
        return mix(light, base, clamp(t * 1.8)) if t < 0.55 else mix(base, deep, clamp((t - 0.55) / 0.45))
    c.paint(circle(mid, mid, 12.2), glass)
    # Light from the lamp bouncing off the lower rim.
    c.paint(ring(circle(mid, mid, 10.6), 1.6), lambda x, y: light + (clamp((y - 18) / 8) * 0.45,))
    # Soft specular highlight.
    c.paint(ellipse(13.2, 10.2, 6.4, 3.9), lambda x, y: (1.0, 1.0, 1.0, 0.9 * clamp(1.0 - (y - 6.3) / 7.8)))
    return c


def red_lamp():
    return lamp(hex_rgb("#ff9a8c"), hex_rgb("#e3261c"), hex_rgb("#7a0a06"))


def green_lamp():
    return lamp(hex_rgb("#b8ffab"), hex_rgb("#2ec23a"), hex_rgb("#0b5e16"))


# The application icon: a loudspeaker sending out sound waves.

def sounds():
    c = Canvas(128)
    body = polygon([(9, 45), (33, 45), (60, 17), (60, 111), (33, 83), (9, 83)], rounding=3.5)
    centre_x, centre_y = 63.0, 64.0
    waves = [arc(centre_x, centre_y, r, span, 10.0) for r, span in ((21, 38), (37, 44), (53, 48))]

    # A light rim keeps the shapes visible on dark panels, their dark edges on light ones.
    halo = (1.0, 1.0, 1.0, 0.95)
    c.paint(grown(body, 3.2), halo)
    for w in waves:
        c.paint(grown(w, 3.2), halo)

    c.paint(body, hex_rgb("#1b222b"))
    c.paint(grown(body, -2.0), lambda x, y: mix(hex_rgb("#7d8a9b"), hex_rgb("#2c3440"), clamp((y - 17) / 94)))
    # Cone edge catching the light.
    c.paint(polygon([(36, 50), (56, 30), (56, 37), (37, 55)], rounding=0.6), (1.0, 1.0, 1.0, 0.3))

    for w in waves:
        c.paint(w, hex_rgb("#0f4fa8"))
        c.paint(grown(w, -1.8), lambda x, y: mix(hex_rgb("#6cc8ff"), hex_rgb("#1f72dc"), clamp((y - 10) / 108)))
    return c


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    red_lamp().write_png(os.path.join(out_dir, "red-button.png"))
    green_lamp().write_png(os.path.join(out_dir, "green-button.png"))
    sounds().write_png(os.path.join(out_dir, "sounds.png"))


if __name__ == "__main__":
    main()
