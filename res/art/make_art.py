#!/usr/bin/env python3
"""Draws wavedesk's icons and bitmaps and writes them as .ico and .bmp files.

Standard library only; every pixel is drawn here (text with the small pixel
font below), so the artwork carries no third-party material. Run by hand
after a change and commit the outputs beside this script:

    python3 res/art/make_art.py            # writes into res/art/

Icons are 4-bit images in the standard 16-colour VGA palette with an AND
mask, the one icon format every Windows from 95 on shows on every display.
Bitmaps are uncompressed DIBs: the banner 24-bit (it has some 300 colours),
the meter and its cover with a colour table of exactly their own colours
(8-bit and 4-bit), which shows the same pixels in a third of the bytes or
less.
"""

import math
import os
import struct
import sys

# --- the 16-colour palette (the order of the VGA / Windows default palette)

VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DKRED, DKGREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE = range(8, 16)
CLEAR = None  # transparent: AND bit set, XOR black


# --- file writers

def bmp24(width, height, pixel):
    """A 24-bit bottom-up DIB file; pixel(x, y) gives (r, g, b), y = 0 at the top."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return header + info + bits


def bmp_indexed(width, height, bits, pixel):
    """A bottom-up DIB file of `bits` (4 or 8) bits per pixel whose colour
    table holds exactly the colours pixel(x, y) gives, in the order first met."""
    colours = {}
    for y in range(height):
        for x in range(width):
            colours.setdefault(pixel(x, y), len(colours))
    assert len(colours) <= 1 << bits, "more colours than the depth holds"
    stride = ((width * bits + 31) // 32) * 4
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(width):
            index = colours[pixel(x, y)]
            if bits == 8:
                row[x] = index
            else:
                row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows.append(bytes(row))
    bits_data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(bits_data), 2835, 2835,
                       len(colours), 0)
    table = b"".join(bytes((b, g, r, 0)) for (r, g, b) in colours)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits_data), 0, 0, offset)
    return header + info + table + bits_data


def icon_image(grid):
    """One 4-bit icon image (header, palette, XOR bits, AND mask) from rows of
    palette indices, CLEAR for transparent pixels."""
    size = len(grid)
    assert all(len(row) == size for row in grid)
    xor_stride = ((size * 4 + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        row = grid[y]
        line = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            value = 0 if c is CLEAR else c
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if c is CLEAR:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, len(xor) + len(mask),
                       0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    return info + palette + bytes(xor) + bytes(mask)


def ico(grids):
    images = [icon_image(g) for g in grids]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for grid, image in zip(grids, images):
        size = len(grid)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


# --- drawing on palette grids

def blank(size):
    return [[CLEAR] * size for _ in range(size)]


def rect(grid, x0, y0, x1, y1, c):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            grid[y][x] = c


def arc(grid, cx, cy, radius, colour, shade, width=1):
    """A signal arc around pixel (cx, cy), opening to the upper right: a
    bright ring `width` pixels wide with a darker one-pixel ring just inside
    it, so it reads on a light taskbar as on a dark one. The ends near the
    two axes are left off, so the arcs fan out from the antenna."""
    for y in range(len(grid)):
        for x in range(len(grid)):
            dx, dy = x - cx, cy - y
            if dx < 1 or dy < 1:
                continue
            d = math.hypot(dx, dy)
            if radius - width + 0.5 <= d < radius + 0.5:
                grid[y][x] = colour
            elif radius - width - 0.5 <= d < radius - width + 0.5:
                grid[y][x] = shade


def adapter(grid, s):
    """The PC-card adapter at the lower left with its antenna stub standing
    on the far end; `s` is the scale (1 for 16 x 16, 2 for 32 x 32).
    Returns the antenna tip, where the signal arcs start."""
    size = len(grid)
    x0, x1 = 0, 10 * s
    y0, y1 = size - 6 * s, size - 1
    rect(grid, x0, y0, x1, y1, BLACK)                 # outline
    rect(grid, x0 + 1, y0 + 1, x1 - 1, y1 - 1, SILVER)  # body
    rect(grid, x0 + 1, y0 + 1, x1 - 1, y0 + s, WHITE)   # lit top edge
    rect(grid, x0 + 1, y1 - s, x1 - 1, y1 - 1, GREY)    # shaded lower edge
    for k in range(y0 + 1 + s, y1 - s, 2):              # contacts at the connector end
        rect(grid, x0 + 1, k, x0 + s, k, OLIVE)
    rect(grid, x0 + 2 * s + 1, y0 + 2 * s, x1 - 2 * s, y1 - 2 * s, NAVY)  # label
    if s > 1:
        rect(grid, x0 + 2 * s + 2, y0 + 2 * s + 1, x1 - 2 * s - 1, y0 + 2 * s + 1, BLUE)
    ax0, ax1 = x1 - 2 * s, x1                       # antenna stub
    top = y0 - 3 * s
    rect(grid, ax0, top, ax1, y0, BLACK)
    rect(grid, ax0 + 1, top + 1, ax1 - 1, y0, GREY if s == 1 else SILVER)
    return (ax0 + ax1) // 2, top - (1 if s > 1 else 0)


def tray_icon(colour, shade):
    grid = blank(16)
    cx, cy = adapter(grid, 1)
    if colour is not None:
        for r in (3, 6):
            arc(grid, cx, cy, r, colour, shade)
    return grid


def product_icon(size):
    grid = blank(size)
    s = size // 16
    cx, cy = adapter(grid, s)
    radii = (3, 6) if s == 1 else (4, 8, 12)
    for r in radii:
        arc(grid, cx, cy, r, CYAN, BLUE, s)
    return grid


# --- the pixel font (5 x 7, drawn here), for the banner's text

FONT = {
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "K": ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "X": ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    "a": ["00000", "00000", "01110", "00001", "01111", "10001", "01111"],
    "0": ["01110", "10011", "10101", "10101", "10101", "11001", "01110"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "5": ["11111", "10000", "11110", "00001", "00001", "10001", "01110"],
    "7": ["11111", "00001", "00010", "00100", "01000", "01000", "01000"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    ".": ["00000", "00000", "00000", "00000", "00000", "01100", "01100"],
    " ": ["00000"] * 7,
}


def text_pixels(text, scale, left, top):
    """The set of (x, y) pixels the text covers, one blank column between letters."""
    on = set()
    x = left
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "1":
                    for sy in range(scale):
                        for sx in range(scale):
                            on.add((x + gx * scale + sx, top + gy * scale + sy))
        x += 6 * scale
    return on


def text_width(text, scale):
    return 6 * scale * len(text) - scale


# --- the bitmaps

def lerp(a, b, t):
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def banner():
    width, height = 342, 64
    title = text_pixels("VELNORA KX750", 3, 18, 11)
    band = text_pixels("802.11a", 2, 18 + text_width("VELNORA KX750", 3) - text_width("802.11a", 2),
                       40)
    shadow = {(x + 1, y + 1) for x, y in title | band}
    # signal arcs at the right, fanning out from a point near the bottom
    cx, cy = 296.0, 56.0

    def pixel(x, y):
        t = x / (width - 1)
        base = lerp((0, 32, 96), (24, 96, 176), t)
        # a lighter band along the bottom edge
        if y >= height - 3:
            base = lerp(base, (255, 255, 255), 0.35)
        if (x, y) in title or (x, y) in band:
            return (255, 255, 255)
        if (x, y) in shadow:
            return (0, 16, 48)
        dx, dy = x + 0.5 - cx, cy - (y + 0.5)
        if dy > 0:
            d = math.hypot(dx, dy)
            angle = math.degrees(math.atan2(dy, abs(dx)))
            if 20 <= angle <= 80:
                for r in (10, 20, 30, 40):
                    if abs(d - r) <= 2.0:
                        return lerp(base, (160, 220, 255), 1.0 - r / 70.0)
            if d <= 3.5:
                return (160, 220, 255)
        return base

    return bmp24(width, height, pixel)


METER_STOPS = [(0, 200, 0), (154, 220, 0), (255, 240, 0), (255, 150, 0), (230, 0, 0)]


def meter_colour(t):
    """Green at t = 0 through yellow-green, yellow and orange to red at t = 1."""
    span = t * (len(METER_STOPS) - 1)
    k = min(int(span), len(METER_STOPS) - 2)
    return lerp(METER_STOPS[k], METER_STOPS[k + 1], span - k)


def meter():
    width, height = 22, 123
    bars = height // 3  # 41 groups of one black line and a two-pixel bar

    def pixel(x, y):
        group, row = divmod(y, 3)
        if row == 0:
            return (0, 0, 0)
        return meter_colour(group / (bars - 1))

    return bmp_indexed(width, height, 8, pixel)


def cover():
    return bmp_indexed(22, 123, 4, lambda x, y: (192, 192, 192))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    files = {
        "wavedesk.ico": ico([product_icon(16), product_icon(32)]),
        "link_good.ico": ico([tray_icon(GREEN, DKGREEN)]),
        "link_none.ico": ico([tray_icon(None, None)]),
        "link_weak.ico": ico([tray_icon(YELLOW, OLIVE)]),
        "banner.bmp": banner(),
        "meter.bmp": meter(),
        "cover.bmp": cover(),
    }
    for name, data in files.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
        print(os.path.join(out, name), len(data))


if __name__ == "__main__":
    main()
