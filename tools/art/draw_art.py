#!/usr/bin/env python3
"""Draws the main window's background flower, its mask and the program icons.

Writes, with nothing but the standard library:
  back.bmp      146 x 165, 1 bit: six white petals around a white hexagon,
                outlined in near-black, near-black outside (palette 1,1,1 / white)
  backmask.bmp  the same shape's silhouette, black on white (palette 0,0,0 / white)
  tolvo.png     32 x 32 icon, 16 colours (4-bit palette, magenta slot transparent)
  tolvo16.png   16 x 16 icon, 16 colours
  tolvo.svg     the same icon, scalable: the desktop's icon from 32 px up
  tolvo-16.svg, tolvo-24.svg
                the icon fitted to the pixels of 16 and 24 px, for those sizes

The flower is laid out for the letter boxes it sits behind: the image goes to
(16, 6) of the picture area, so its centre (72.5, 82.5) is the centre of the
answer label, and the petals' centres lie 50 px out at -90, -30, 30, 90, 150
and 210 degrees, under the six boxes (whose centres lie 52 px out).

Usage: draw_art.py OUTPUT_DIR   (the committed copies live in src/ui/images/)
"""
import math
import os
import struct
import sys
import zlib

# --- shapes ---------------------------------------------------------------


class Ellipse:
    def __init__(self, cx, cy, a, b, angle):
        # a: semi-axis along the direction `angle` (radians), b: across it
        self.cx, self.cy, self.a, self.b = cx, cy, a, b
        self.c, self.s = math.cos(angle), math.sin(angle)

    def distance(self, x, y):
        """Approximate signed distance: negative inside."""
        dx, dy = x - self.cx, y - self.cy
        u = dx * self.c + dy * self.s
        v = -dx * self.s + dy * self.c
        f = (u / self.a) ** 2 + (v / self.b) ** 2 - 1.0
        g = 2.0 * math.hypot(u / self.a ** 2, v / self.b ** 2)
        return f / g if g > 1e-9 else -min(self.a, self.b)


class Hexagon:
    """Flat-topped regular hexagon: its edges face the six petals."""

    def __init__(self, cx, cy, radius):
        self.cx, self.cy = cx, cy
        self.apothem = radius * math.cos(math.pi / 6)
        self.normals = [(math.cos(math.radians(a)), math.sin(math.radians(a)))
                        for a in (30, 90, 150, 210, 270, 330)]

    def distance(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return max(dx * nx + dy * ny for nx, ny in self.normals) - self.apothem


def flower(cx, cy, petal_dist, petal_a, petal_b, hex_radius):
    """Shapes in drawing order: petals first, the hexagon on top."""
    shapes = []
    for deg in (-90, -30, 30, 90, 150, 210):
        t = math.radians(deg)
        shapes.append(Ellipse(cx + petal_dist * math.cos(t), cy + petal_dist * math.sin(t),
                              petal_a, petal_b, t))
    shapes.append(Hexagon(cx, cy, hex_radius))
    return shapes


def classify(shapes, x, y, outline):
    """-1 outside; else (index of the topmost shape there, on its outline?)."""
    top = -1
    d_top = 0.0
    for i, s in enumerate(shapes):
        d = s.distance(x, y)
        if d < 0:
            top, d_top = i, d
    if top < 0:
        return -1, False
    return top, d_top > -outline


# --- file writers ---------------------------------------------------------


def write_bmp1(path, width, height, bits, palette):
    """bits[y][x] in {0, 1}; palette: two (r, g, b). Rows bottom-up, 4-byte aligned."""
    row_bytes = ((width + 31) // 32) * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(width):
            if bits[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    pixel_data = b"".join(rows)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    offset = 14 + 40 + len(pal)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(pixel_data),
                       3780, 3780, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + pal + pixel_data)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_png4(path, width, height, pixels, palette, transparent):
    """pixels[y][x]: palette index 0..15; `transparent` index gets alpha 0."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        for x in range(0, width, 2):
            hi = pixels[y][x]
            lo = pixels[y][x + 1] if x + 1 < width else 0
            raw.append((hi << 4) | lo)
    trns = bytes(0 if i == transparent else 255 for i in range(len(palette)))
    data = (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 4, 3, 0, 0, 0))
            + png_chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + png_chunk(b"tRNS", trns)
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + png_chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


# --- the artwork ------------------------------------------------------------

BACK_W, BACK_H = 146, 165


def background():
    shapes = flower(72.5, 82.5, 50.0, 28.0, 24.0, 28.0)
    picture = [[0] * BACK_W for _ in range(BACK_H)]
    mask = [[1] * BACK_W for _ in range(BACK_H)]
    for y in range(BACK_H):
        for x in range(BACK_W):
            top, edge = classify(shapes, x + 0.5, y + 0.5, 1.3)
            if top >= 0:
                mask[y][x] = 0
                picture[y][x] = 0 if edge else 1
    return picture, mask


# The 16 colours of the classic VGA palette, with magenta as the transparent key.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREY, RED, YELLOW, KEY, WHITE = 0, 1, 8, 9, 11, 13, 15

# 出 as a 7 x 7 stamp for the large icon's centre.
DE = ["...#...",
      "#..#..#",
      "#..#..#",
      "#######",
      "...#...",
      "#..#..#",
      "#######"]

# The same, 5 x 7, for the 24 px icon; at 16 px no stamp is readable.
DE_SMALL = ["..#..",
            "#.#.#",
            "#.#.#",
            "#####",
            "..#..",
            "#.#.#",
            "#####"]


def icon(size):
    scale = size / 32.0
    c = size / 2.0
    shapes = flower(c, c, 10.5 * scale, 6.5 * scale, 5.6 * scale, 9.0 * scale)
    px = [[KEY] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            top, edge = classify(shapes, x + 0.5, y + 0.5, 1.0 if size >= 24 else 0.8)
            if top < 0:
                continue
            if edge:
                px[y][x] = BLACK
            else:
                px[y][x] = RED if top == len(shapes) - 1 else YELLOW
    stamp = DE if size >= 32 else DE_SMALL if size >= 24 else []
    if stamp:
        ox, oy = int(c) - len(stamp[0]) // 2, int(c) - len(stamp) // 2
        for j, row in enumerate(stamp):
            for i, ch in enumerate(row):
                if ch == "#":
                    px[oy + j][ox + i] = WHITE
    return px


def svg_colour(index):
    return "#%02x%02x%02x" % VGA[index]


def runs(row, wanted):
    """(start, length) of each run of `wanted` in a row."""
    i = 0
    while i < len(row):
        if row[i] == wanted:
            start = i
            while i < len(row) and row[i] == wanted:
                i += 1
            yield start, i - start
        else:
            i += 1


def svg_head(size):
    return ['<?xml version="1.0" encoding="UTF-8"?>',
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            % (size, size, size, size),
            '<title>tolvo</title>']


def icon_svg_fitted(size):
    """The icon drawn for one small size, every edge on a pixel edge.

    Scaled down, the scalable icon's one-unit outlines and stamp cells fall
    between pixels and blur; this one is the bitmap icon of that size, cell
    by cell, so it renders as sharp as the bitmap.
    """
    px = icon(size)
    out = svg_head(size)
    out.append('<g shape-rendering="crispEdges">')
    for colour in (BLACK, YELLOW, RED, WHITE):
        cells = "".join("M%d %dh%dv1h-%dz" % (x, y, n, n)
                        for y in range(size) for x, n in runs(px[y], colour))
        if cells:
            out.append('<path d="%s" fill="%s"/>' % (cells, svg_colour(colour)))
    out.append('</g>')
    out.append('</svg>')
    return "\n".join(out) + "\n"


def icon_svg():
    """The 32 x 32 icon's shapes as SVG, in its 32-unit grid.

    The bitmap draws each outline one pixel inside its shape; here a stroke
    of 1 rides the shape shrunk by half of it, so that both have the same
    outer edge. The 出 stamp keeps its pixel cells, which makes the 32 px
    rendering as sharp as the bitmap.
    """
    size, c, half = 32, 16.0, 0.5
    petal_dist, petal_a, petal_b, hex_radius = 10.5, 6.5, 5.6, 9.0
    black, yellow, red, white = (svg_colour(i) for i in (BLACK, YELLOW, RED, WHITE))
    out = svg_head(size)
    out.append('<g stroke="%s" stroke-width="1">' % black)
    for deg in (-90, -30, 30, 90, 150, 210):
        t = math.radians(deg)
        out.append('<ellipse cx="%g" cy="%g" rx="%g" ry="%g" transform="rotate(%d %g %g)" fill="%s"/>'
                   % (round(c + petal_dist * math.cos(t), 4), round(c + petal_dist * math.sin(t), 4),
                      petal_a - half, petal_b - half, deg,
                      round(c + petal_dist * math.cos(t), 4), round(c + petal_dist * math.sin(t), 4),
                      yellow))
    # Flat-topped: corners at 0, 60, ... degrees, the edges between them
    # facing the petals. The top and bottom edges sit on whole units, so that
    # their outline fills one row of pixels at 32 px and its multiples.
    apothem = round(hex_radius * math.cos(math.pi / 6))
    corner = (apothem - half) / math.cos(math.pi / 6)
    points = " ".join("%g,%g" % (round(c + corner * math.cos(math.radians(a)), 4),
                                 round(c + corner * math.sin(math.radians(a)), 4))
                      for a in range(0, 360, 60))
    out.append('<polygon points="%s" fill="%s"/>' % (points, red))
    out.append('</g>')
    # The stamp as runs of cells, at the bitmap's place.
    ox = oy = int(c) - 3
    cells = "".join("M%d %dh%dv1h-%dz" % (ox + x, oy + y, n, n)
                    for y, row in enumerate(DE) for x, n in runs(row, "#"))
    out.append('<path d="%s" fill="%s"/>' % (cells, white))
    out.append('</svg>')
    return "\n".join(out) + "\n"


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(out, exist_ok=True)
    picture, mask = background()
    write_bmp1(os.path.join(out, "back.bmp"), BACK_W, BACK_H, picture,
               [(1, 1, 1), (255, 255, 255)])
    write_bmp1(os.path.join(out, "backmask.bmp"), BACK_W, BACK_H, mask,
               [(0, 0, 0), (255, 255, 255)])
    write_png4(os.path.join(out, "tolvo.png"), 32, 32, icon(32), VGA, KEY)
    write_png4(os.path.join(out, "tolvo16.png"), 16, 16, icon(16), VGA, KEY)
    svgs = {"tolvo.svg": icon_svg()}
    for size in (16, 24):
        svgs["tolvo-%d.svg" % size] = icon_svg_fitted(size)
    for name, text in svgs.items():
        with open(os.path.join(out, name), "w", encoding="utf-8", newline="\n") as f:
            f.write(text)


if __name__ == "__main__":
    main()
