#!/usr/bin/env python3
"""Draws the wizard pictures and the result marks as BMP files of the exact
sizes and colour depths the wizard asks for. Run from the repository root;
writes res/bitmaps/<id>.bmp. Pure Python so that anyone can redraw them."""
import struct

VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def write_bmp(path, width, height, bits, palette, pixels):
    """pixels[y][x] is a palette index, row 0 at the top."""
    row_bytes = ((width * bits + 31) // 32) * 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(width):
            p = pixels[y][x]
            if bits == 8:
                row[x] = p
            else:
                row[x // 2] |= (p << 4) if x % 2 == 0 else p
        data += row
    colours = 1 << bits
    pal = bytearray()
    for i in range(colours):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        pal += bytes((b, g, r, 0))
    offset = 14 + 40 + len(pal)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, bits, 0, len(data), 2835, 2835,
                       colours, 0)
    with open(path, 'wb') as f:
        f.write(header + info + pal + data)


def nearest(palette, rgb):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))


def canvas(w, h, fill):
    return [[fill] * w for _ in range(h)]


def rect(px, x0, y0, x1, y1, c):
    for y in range(max(0, y0), min(len(px), y1)):
        for x in range(max(0, x0), min(len(px[0]), x1)):
            px[y][x] = c


def modem(px, x, y, scale, body, dark, led, light):
    """A desk modem: a flat case with a front panel and a row of lamps."""
    w, h = 40 * scale, 14 * scale
    rect(px, x, y + 2 * scale, x + w, y + h, dark)
    rect(px, x + scale, y, x + w - scale, y + h - scale, body)
    rect(px, x + scale, y + h - 4 * scale, x + w - scale, y + h - scale, light)
    for i in range(5):
        lx = x + (6 + 6 * i) * scale
        rect(px, lx, y + h - 3 * scale, lx + 2 * scale, y + h - 2 * scale, led)


def watermark(bits):
    w, h = 164, 312
    if bits == 8:
        palette = [(0, 0, 0)] * 256
        for i in range(200):  # blue gradient, top dark to bottom light
            t = i / 199
            palette[i] = (int(10 + 90 * t), int(40 + 130 * t), int(110 + 140 * t))
        extra = [(255, 255, 255), (200, 200, 205), (90, 90, 100), (40, 220, 60), (235, 235, 240),
                 (20, 30, 60)]
        for i, c in enumerate(extra):
            palette[200 + i] = c
        white, body, dark, led, light, line = 200, 201, 202, 203, 204, 205
        px = [[min(199, y * 200 // h)] * w for y in range(h)]
    else:
        palette = VGA16
        white, body, dark, led, light, line = 15, 7, 8, 10, 15, 0
        px = [[4 if y < h // 2 else 12] * w for y in range(h)]
    # telephone line: a wave across the picture
    import math
    for x in range(w):
        y = int(200 + 10 * math.sin(x / 9.0))
        rect(px, x, y, x + 1, y + 2, white)
    modem(px, 22, 120, 3, body, dark, led, light)
    rect(px, 80, 162, 82, 200, line)
    # a simple "N" badge at the top
    for i in range(24):
        rect(px, 20, 30 + i, 23, 31 + i, white)
        rect(px, 40, 30 + i, 43, 31 + i, white)
        rect(px, 20 + i * 20 // 24, 30 + i, 23 + i * 20 // 24, 31 + i, white)
    return w, h, bits, palette, px


def header_picture():
    px = canvas(49, 49, 15)
    modem(px, 4, 14, 1, 7, 8, 10, 15)
    rect(px, 4, 34, 45, 36, 12)
    rect(px, 24, 28, 26, 34, 0)
    return 49, 49, 4, VGA16, px


def check_mark():
    px = canvas(8, 9, 15)
    pts = [(0, 4), (1, 5), (2, 6), (3, 5), (4, 4), (5, 3), (6, 2), (7, 1)]
    for x, y in pts:
        rect(px, x, y, x + 1, y + 3, 2)
    return 8, 9, 4, VGA16, px


def arrow():
    px = canvas(8, 13, 15)
    for x in range(7):
        rect(px, x, x, x + 1, 13 - x, 0)
    return 8, 13, 4, VGA16, px


def cross():
    px = canvas(7, 7, 15)
    for i in range(7):
        px[i][i] = 9
        px[i][6 - i] = 9
    return 7, 7, 4, VGA16, px


if __name__ == '__main__':
    for ident, art in [(148, watermark(8)), (142, watermark(4)), (141, header_picture()),
                       (147, header_picture()), (151, check_mark()), (152, arrow()),
                       (165, cross())]:
        write_bmp('res/bitmaps/%d.bmp' % ident, *art)
