#!/usr/bin/env python3
"""Draws the settings dialog's artwork and writes it next to this script:

  button_normal.bmp, button_highlight.bmp, button_highlight_select.bmp,
  button_selected.bmp, button_pressed.bmp, button_disable.bmp
      64 x 25, 24-bit: the push button's frame in each of its states. The
      button copies only the outer 4 pixels (corners as they are, edges
      stretched) around a gradient it paints itself; the centre is drawn all
      the same so the pictures read well on their own.
  option_off.bmp, option_on.bmp
      12 x 12, 24-bit: the option mark, an empty box and a box filled blue.
  hand.cur
      32 x 32 monochrome cursor: a hand pointing up, hot spot at the fingertip.

Run it from anywhere:  python3 saver/resources/draw_dialog_art.py [--preview DIR]
With --preview it also writes each picture enlarged 8 times as a PNG into DIR.
The output depends on nothing but this file; running it again gives the same
bytes. Python 3 standard library only.
"""
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

BUTTON_WIDTH, BUTTON_HEIGHT = 64, 25
CORNER_RADIUS = 4.0
MARK_SIZE = 12
CURSOR_SIZE = 32
PIXELS_PER_METRE = 3780  # 96 dots an inch: 15 twips a pixel, so 64 x 25 is 960 x 375 twips

# What lies outside the rounded corners. The corners are copied opaque onto a
# dialog whose background is a changing gradient, so no colour matches
# everywhere; a white with a touch of blue disappears best next to the light
# faces and the pale panel the buttons stand on.
OUTSIDE = (236, 236, 240)

DARK_BLUE = (0, 50, 110)


def mix(a, b, t):
    """The colour t of the way from a to b (t from 0 to 1)."""
    t = min(1.0, max(0.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def ramp(stops, t):
    """The colour at t on a ramp of (position, colour) stops in rising order."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0))
    return stops[-1][1]


def depth_inside(x, y, width, height, radius):
    """How far the point (x, y) lies inside a rectangle of the given size with
    corners rounded by radius; negative outside. Pixel edges are at integers."""
    cx = min(max(x, radius), width - radius)
    cy = min(max(y, radius), height - radius)
    if (cx, cy) != (x, y) and (x < radius or x > width - radius) and (
        y < radius or y > height - radius
    ):
        return radius - ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
    return min(x, y, width - x, height - y)


class Button:
    """A button state: the outline's colour, an inner border (or None) and a
    face colour by row. Depth 0 to 1 is the outline, 1 to 3 the inner border
    when there is one, the rest face."""

    def __init__(self, outline, border, face):
        self.outline = outline
        self.border = border
        self.face = face

    def colour_at(self, x, y, v):
        """The colour of the point (x, y) at v = y / height."""
        d = depth_inside(x, y, BUTTON_WIDTH, BUTTON_HEIGHT, CORNER_RADIUS)
        if d < 0.0:
            return OUTSIDE
        if d < 1.0:
            return self.outline
        if self.border is not None and d < 3.0:
            return self.border(v)
        return self.face(v)

    def pixels(self):
        """Rows top first of (r, g, b), each pixel the mean of 4 x 4 samples so
        the rounded corners are smoothed into the colour outside."""
        rows = []
        for row in range(BUTTON_HEIGHT):
            line = []
            for column in range(BUTTON_WIDTH):
                total = [0.0, 0.0, 0.0]
                for sy in range(4):
                    for sx in range(4):
                        x = column + (sx + 0.5) / 4.0
                        y = row + (sy + 0.5) / 4.0
                        c = self.colour_at(x, y, (row + 0.5) / BUTTON_HEIGHT)
                        total = [t + k for t, k in zip(total, c)]
                line.append(tuple(int(t / 16.0 + 0.5) for t in total))
            rows.append(line)
        return rows


def normal_face(v):
    # Near white, with a band a little darker along the bottom edge.
    return ramp([(0.0, (253, 253, 251)), (0.72, (246, 246, 242)), (0.86, (232, 231, 224)),
                 (1.0, (214, 212, 204))], v)


def highlight_border(v):
    # Amber: a light yellow at the top deepening to orange at the bottom.
    return ramp([(0.0, (255, 240, 160)), (0.45, (252, 208, 90)), (1.0, (232, 144, 30))], v)


def selected_border(v):
    # Light blue, stronger toward the bottom.
    return ramp([(0.0, (206, 228, 255)), (0.5, (166, 198, 250)), (1.0, (92, 128, 232))], v)


def pressed_face(v):
    # Greyer than the normal face, in shadow along the top as if pushed in.
    return ramp([(0.0, (190, 190, 182)), (0.2, (212, 212, 204)), (0.4, (226, 226, 219)),
                 (1.0, (232, 232, 226))], v)


def disabled_face(_v):
    return (244, 243, 234)


BUTTONS = [
    ("button_normal.bmp", Button(DARK_BLUE, None, normal_face)),
    ("button_highlight.bmp", Button(DARK_BLUE, highlight_border, normal_face)),
    # The highlighted button that is also the default looks the same.
    ("button_highlight_select.bmp", Button(DARK_BLUE, highlight_border, normal_face)),
    ("button_selected.bmp", Button(DARK_BLUE, selected_border, normal_face)),
    ("button_pressed.bmp", Button(DARK_BLUE, None, pressed_face)),
    ("button_disable.bmp", Button((202, 199, 184), None, disabled_face)),
]

MARK_BORDER = (196, 196, 200)
MARK_INSIDE = (255, 255, 255)


def option_mark(filled):
    """The 12 x 12 option mark: a light grey box, white inside or filled blue."""
    rows = []
    for y in range(MARK_SIZE):
        line = []
        for x in range(MARK_SIZE):
            edge = x in (0, MARK_SIZE - 1) or y in (0, MARK_SIZE - 1)
            if edge:
                line.append(MARK_BORDER)
            elif filled:
                v = (y - 1) / (MARK_SIZE - 3)
                line.append(tuple(int(c + 0.5) for c in mix((70, 120, 230), (30, 70, 190), v)))
            else:
                line.append(MARK_INSIDE)
        rows.append(line)
    return rows


# The cursor: '#' black, 'o' white, '.' see-through. The topmost black pixel
# on the left of the fingertip is the hot spot.
HAND = [
    ".....##..........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo#.........",
    "....#oo###.......",
    "....#oo#oo###....",
    "....#oo#oo#oo###.",
    "....#oo#oo#oo#oo#",
    ".##.#oo#oo#oo#oo#",
    "#oo##oo#oo#oo#oo#",
    "#ooo#oo#oo#oo#oo#",
    "#ooo#ooooooooooo#",
    ".#oooooooooooooo#",
    ".#oooooooooooooo#",
    "..#ooooooooooooo#",
    "..#ooooooooooooo#",
    "...#ooooooooooo#.",
    "...#ooooooooooo#.",
    "....#ooooooooo#..",
    "....#ooooooooo#..",
    "....###########..",
]


def hand_map():
    """The hand on the 32 x 32 cursor, as rows of '#', 'o' and '.'."""
    rows = [line.ljust(CURSOR_SIZE, ".") for line in HAND]
    rows += ["." * CURSOR_SIZE] * (CURSOR_SIZE - len(rows))
    for line in rows:
        if len(line) != CURSOR_SIZE or set(line) - set("#o."):
            sys.exit("draw_dialog_art.py: bad row in the hand: %r" % line)
    return rows


def hand_hot_spot(rows):
    for y, line in enumerate(rows):
        if "#" in line:
            return line.index("#"), y
    sys.exit("draw_dialog_art.py: the hand is empty")


def bmp_24(rows):
    """A 24-bit, bottom-up, uncompressed BMP with a BITMAPINFOHEADER."""
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for line in reversed(rows):
        for r, g, b in line:
            data += bytes((b, g, r))
        data += bytes(stride - width * 3)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data),
                       PIXELS_PER_METRE, PIXELS_PER_METRE, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return header + info + bytes(data)


def cur_mono(rows, hot_spot):
    """A one-image .cur file: a 1 bpp BITMAPINFOHEADER image of twice the
    height, the XOR mask (palette black, white) above the AND mask."""
    size = len(rows)
    stride = ((size + 31) // 32) * 4

    def mask(bit_of):
        data = bytearray()
        for line in reversed(rows):
            packed = bytearray(stride)
            for x, ch in enumerate(line):
                if bit_of(ch):
                    packed[x // 8] |= 0x80 >> (x % 8)
            data += packed
        return data

    xor = mask(lambda ch: ch == "o")  # 1 picks palette entry 1, white
    and_ = mask(lambda ch: ch == ".")  # 1 keeps the screen
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, len(xor) + len(and_),
                       0, 0, 2, 2)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + bytes(xor) + bytes(and_)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 2, 0, hot_spot[0], hot_spot[1], len(image),
                        len(directory) + 16)
    return directory + entry + image


def png(rows, scale):
    """An RGB PNG of the rows, each pixel a scale x scale square."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for line in rows:
        row = bytearray((0,))
        for pixel in line:
            row += bytes(pixel) * scale
        raw += bytes(row) * scale

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", width * scale, height * scale, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))


def cursor_preview(rows):
    """The cursor on a checkerboard, so the see-through part shows."""
    colours = {"#": (0, 0, 0), "o": (255, 255, 255)}
    checker = [(200, 120, 200), (150, 90, 150)]
    return [[colours.get(ch, checker[(x // 4 + y // 4) % 2]) for x, ch in enumerate(line)]
            for y, line in enumerate(rows)]


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)
    print("wrote %s (%d bytes)" % (path, len(data)))


def main(argv):
    preview = None
    if len(argv) == 3 and argv[1] == "--preview":
        preview = argv[2]
    elif len(argv) != 1:
        sys.exit("usage: draw_dialog_art.py [--preview DIR]")
    pictures = [(name, button.pixels()) for name, button in BUTTONS]
    pictures += [("option_off.bmp", option_mark(False)), ("option_on.bmp", option_mark(True))]
    if preview:
        os.makedirs(preview, exist_ok=True)
    for name, rows in pictures:
        write(os.path.join(HERE, name), bmp_24(rows))
        if preview:
            write(os.path.join(preview, name[:-4] + ".png"), png(rows, 8))
    hand = hand_map()
    write(os.path.join(HERE, "hand.cur"), cur_mono(hand, hand_hot_spot(hand)))
    if preview:
        write(os.path.join(preview, "hand.png"), png(cursor_preview(hand), 8))


if __name__ == "__main__":
    main(sys.argv)
