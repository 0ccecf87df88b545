#!/usr/bin/env python3
"""Draws the preview's background picture: translucent blue-green planes with
a grid on them, tilted in space, on black. Writes a binary PPM.

usage: draw_grid_planes.py WIDTH HEIGHT OUT.ppm
"""
import math
import sys


def normalise(v):
    length = math.sqrt(sum(c * c for c in v))
    return tuple(c / length for c in v)


def cross(a, b):
    return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])


def dot(a, b):
    return sum(x * y for x, y in zip(a, b))


def rotated(v, yaw, pitch, roll):
    """v turned by roll about z, pitch about x, then yaw about y (radians)."""
    x, y, z = v
    x, y = x * math.cos(roll) - y * math.sin(roll), x * math.sin(roll) + y * math.cos(roll)
    y, z = y * math.cos(pitch) - z * math.sin(pitch), y * math.sin(pitch) + z * math.cos(pitch)
    x, z = x * math.cos(yaw) + z * math.sin(yaw), -x * math.sin(yaw) + z * math.cos(yaw)
    return (x, y, z)


class Plane:
    """A square of the given half size around centre, tilted by the angles."""

    def __init__(self, centre, half, yaw, pitch, roll, colour, cells):
        self.centre = centre
        self.half = half
        self.u = rotated((1.0, 0.0, 0.0), yaw, pitch, roll)
        self.v = rotated((0.0, 1.0, 0.0), yaw, pitch, roll)
        self.normal = normalise(cross(self.u, self.v))
        self.colour = colour
        self.cells = cells

    def hit(self, direction):
        """(distance, opacity) where the ray from the eye meets the square, or None."""
        facing = dot(direction, self.normal)
        if abs(facing) < 1e-6:
            return None
        distance = dot(self.centre, self.normal) / facing
        if distance <= 0:
            return None
        point = tuple(d * distance - c for d, c in zip(direction, self.centre))
        a, b = dot(point, self.u), dot(point, self.v)
        if abs(a) > self.half or abs(b) > self.half:
            return None
        # Grid lines every half * 2 / cells, brighter than the glassy face.
        step = self.half * 2.0 / self.cells
        fa = ((a + self.half) / step) % 1.0
        fb = ((b + self.half) / step) % 1.0
        line = min(fa, 1.0 - fa, fb, 1.0 - fb) < 0.07
        # Fade with distance, like fog.
        fade = max(0.0, min(1.0, 1.6 - distance * 0.12))
        return distance, (0.75 if line else 0.22) * fade


def main():
    width, height, out = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
    planes = [
        Plane((-1.2, 0.3, 6.0), 2.6, math.radians(38), math.radians(-25), math.radians(10),
              (0.10, 0.75, 0.85), 8),
        Plane((1.4, -0.4, 7.5), 3.0, math.radians(-42), math.radians(30), math.radians(-15),
              (0.05, 0.85, 0.55), 10),
        Plane((0.2, 0.9, 9.0), 3.5, math.radians(10), math.radians(62), math.radians(25),
              (0.15, 0.45, 0.95), 12),
    ]
    focal = 1.0 / math.tan(math.radians(30))
    samples = [(0.25, 0.25), (0.75, 0.25), (0.25, 0.75), (0.75, 0.75)]
    pixels = bytearray()
    for row in range(height):
        for column in range(width):
            total = [0.0, 0.0, 0.0]
            for sx, sy in samples:
                x = ((column + sx) / width * 2.0 - 1.0) * width / height
                y = 1.0 - (row + sy) / height * 2.0
                direction = normalise((x, y, focal))
                hits = [(h, p) for p in planes for h in [p.hit(direction)] if h is not None]
                colour = [0.0, 0.0, 0.0]
                # Back to front, each plane over what lies behind it.
                for (distance, opacity), plane in sorted(hits, key=lambda hp: -hp[0][0]):
                    colour = [c * (1.0 - opacity) + pc * opacity
                              for c, pc in zip(colour, plane.colour)]
                total = [t + c for t, c in zip(total, colour)]
            pixels += bytes(min(255, int(t / len(samples) * 255.0 + 0.5)) for t in total)
    with open(out, "wb") as f:
        f.write(b"P6\n%d %d\n255\n" % (width, height))
        f.write(pixels)


if __name__ == "__main__":
    main()
