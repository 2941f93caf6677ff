#!/usr/bin/env python3
"""Draws the main frame's toolbar bitmaps, the small icons and the delete-button bitmap.

The images are simple pictograms drawn with a few raster primitives, written as 24-bit BMP and
32-bit ICO files into resources/. Run it again after changing a drawing; the build only reads the
files it writes.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources")


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]
        self.alpha = [[0 for _ in range(w)] for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c
            self.alpha[y][x] = 255

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.put(x, y0, c)
            self.put(x, y1, c)
        for y in range(y0, y1 + 1):
            self.put(x0, y, c)
            self.put(x1, y, c)

    def line(self, x0, y0, x1, y1, c, width=1):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            for ox in range(width):
                for oy in range(width):
                    self.put(x0 + ox, y0 + oy, c)
            if x0 == x1 and y0 == y1:
                break
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c, inner=-1.0):
        for y in range(self.h):
            for x in range(self.w):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if d <= r and d > inner:
                    self.put(x, y, c)

    def polygon(self, pts, c):
        for y in range(self.h):
            yc = y + 0.5
            xs = []
            for i in range(len(pts)):
                (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % len(pts)]
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(round(a)), int(round(b))):
                    self.put(x, y, c)


BLACK, WHITE = (0, 0, 0), (255, 255, 255)
BLUE, DBLUE, LBLUE = (40, 90, 200), (20, 40, 120), (150, 190, 240)
GREEN, DGREEN = (40, 160, 60), (20, 100, 30)
RED, ORANGE, GOLD = (210, 40, 40), (230, 130, 30), (220, 180, 30)
GREY, DGREY, PAPER = (150, 150, 150), (80, 80, 80), (250, 250, 240)
PURPLE = (130, 60, 170)


def cylinder(c, x0, y0, x1, y1, body, top):
    c.fill(x0, y0 + 2, x1, y1 - 1, body)
    c.fill(x0 + 1, y1 - 1, x1 - 1, y1, body)
    c.fill(x0 + 1, y0, x1 - 1, y0 + 3, top)
    c.frame(x0 + 1, y0, x1 - 1, y0 + 3, DBLUE)
    c.line(x0, y0 + 2, x0, y1 - 1, DBLUE)
    c.line(x1, y0 + 2, x1, y1 - 1, DBLUE)
    c.line(x0 + 1, y1, x1 - 1, y1, DBLUE)


def page(c, x0, y0, x1, y1):
    c.fill(x0, y0, x1, y1, PAPER)
    c.frame(x0, y0, x1, y1, DGREY)
    for y in range(y0 + 3, y1 - 1, 2):
        c.line(x0 + 2, y, x1 - 2, y, GREY)


def grid(c, x0, y0, x1, y1, head):
    c.fill(x0, y0, x1, y1, WHITE)
    c.fill(x0, y0, x1, y0 + 3, head)
    c.frame(x0, y0, x1, y1, DGREY)
    for y in range(y0 + 3, y1, 3):
        c.line(x0, y, x1, y, DGREY)
    for x in range(x0 + (x1 - x0) // 3, x1, (x1 - x0) // 3 + 1):
        c.line(x, y0, x, y1, DGREY)


def key(c, s, colour, edge=None):
    k = Canvas(c.w, c.h, BLACK)
    k.disc(5 * s, 8 * s, 4 * s, colour, 1.6 * s)
    k.fill(int(8 * s), int(7.5 * s), int(15 * s) - 1, int(9 * s), colour)
    k.fill(int(12 * s), int(9 * s), int(13 * s), int(11.5 * s), colour)
    k.fill(int(14.5 * s), int(9 * s), int(15 * s) - 1, int(11 * s), colour)
    # A mid-tone key disappears on a caption bar of its own brightness: a dark rim keeps its
    # shape readable on light and dark backgrounds alike.
    if edge is not None:
        for y in range(c.h):
            for x in range(c.w):
                if not k.alpha[y][x] and any(
                        0 <= x + dx < c.w and 0 <= y + dy < c.h and k.alpha[y + dy][x + dx]
                        for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                    c.put(x, y, edge)
    for y in range(c.h):
        for x in range(c.w):
            if k.alpha[y][x]:
                c.put(x, y, k.px[y][x])


def tb_connect_strings(c):
    cylinder(c, 2, 3, 10, 15, LBLUE, WHITE)
    c.polygon([(10, 6), (14, 6), (14, 3), (17, 8), (14, 13), (14, 10), (10, 10)], GREEN)


def tb_dsn(c):
    cylinder(c, 4, 2, 13, 15, LBLUE, WHITE)


def tb_close(c):
    cylinder(c, 2, 2, 11, 14, LBLUE, WHITE)
    c.line(9, 9, 15, 15, RED, 2)
    c.line(15, 9, 9, 15, RED, 2)


def tb_new(c):
    page(c, 4, 2, 14, 16)


def tb_open(c):
    c.polygon([(1, 5), (6, 5), (7, 7), (15, 7), (15, 15), (1, 15)], GOLD)
    c.polygon([(4, 9), (17, 9), (14, 15), (1, 15)], (245, 215, 110))
    c.frame(1, 5, 15, 15, DGREY)


def tb_save(c):
    c.fill(2, 2, 15, 15, BLUE)
    c.fill(5, 2, 12, 7, WHITE)
    c.fill(5, 10, 12, 15, DBLUE)
    c.frame(2, 2, 15, 15, DBLUE)


def tb_cut(c):
    c.line(5, 2, 11, 11, DGREY)
    c.line(12, 2, 6, 11, DGREY)
    c.disc(5, 13.5, 2.8, RED, 1.2)
    c.disc(12.5, 13.5, 2.8, RED, 1.2)


def tb_copy(c):
    page(c, 2, 2, 10, 12)
    page(c, 7, 6, 15, 16)


def tb_paste(c):
    c.fill(2, 3, 12, 16, ORANGE)
    c.fill(5, 1, 9, 4, DGREY)
    page(c, 7, 7, 16, 16)


def tb_sql_query(c):
    page(c, 2, 2, 11, 16)
    c.polygon([(10, 6), (17, 11), (10, 16)], GREEN)


def tb_tables(c):
    grid(c, 1, 3, 16, 15, BLUE)


def tb_views(c):
    grid(c, 1, 3, 16, 15, GREEN)


def tb_procedures(c):
    c.disc(9, 9, 7, GREY, 0)
    for (x, y) in ((9, 1.5), (9, 16.5), (1.5, 9), (16.5, 9)):
        c.disc(x, y, 1.8, GREY)
    c.disc(9, 9, 2.5, WHITE)


def tb_refresh(c):
    c.disc(9, 9, 6.5, GREEN, 4.2)
    c.fill(9, 0, 17, 8, (192, 192, 192))
    c.polygon([(9, 0), (15, 4), (9, 8)], GREEN)


def tb_filter(c):
    c.polygon([(1, 3), (17, 3), (11, 10), (11, 16), (7, 14), (7, 10)], BLUE)


def tb_sort(c):
    for i, w in enumerate((13, 10, 7, 4)):
        c.fill(2, 3 + i * 4, 2 + w, 4 + i * 4, DBLUE)
    c.polygon([(13, 10), (17, 10), (15, 15)], RED)
    c.fill(14, 3, 15, 10, RED)


def tb_begin_trans(c):
    c.fill(7, 2, 10, 15, GREEN)
    c.fill(2, 7, 15, 10, GREEN)


def tb_end_trans(c):
    c.line(2, 9, 6, 14, DGREEN, 3)
    c.line(6, 14, 15, 3, DGREEN, 3)


def tb_dbbar(c):
    c.fill(1, 2, 16, 15, WHITE)
    c.fill(1, 2, 6, 15, LBLUE)
    c.frame(1, 2, 16, 15, DGREY)


def tb_output(c):
    c.fill(1, 2, 16, 15, WHITE)
    c.fill(1, 10, 16, 15, LBLUE)
    c.frame(1, 2, 16, 15, DGREY)


def tb_about(c):
    c.disc(9, 9, 8, BLUE)
    c.fill(8, 7, 9, 13, WHITE)
    c.fill(8, 4, 9, 5, WHITE)


# Button order of toolbar 128 (resources/app.rc lists the commands in the same order).
TOOLBAR = [tb_connect_strings, tb_dsn, tb_close, tb_new, tb_open, tb_save, tb_cut, tb_copy,
           tb_paste, tb_sql_query, tb_tables, tb_views, tb_procedures, tb_refresh, tb_filter,
           tb_sort, tb_begin_trans, tb_end_trans, tb_dbbar, tb_output, tb_about]


def write_bmp(path, w, h, rows):
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for (r, g, b) in rows[y]:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


def toolbar_strip(mask, disabled):
    w = 18 * len(TOOLBAR)
    rows = [[mask] * w for _ in range(18)]
    for i, draw in enumerate(TOOLBAR):
        c = Canvas(18, 18, (192, 192, 192))
        draw(c)
        for y in range(18):
            for x in range(18):
                if c.alpha[y][x]:
                    r, g, b = c.px[y][x]
                    if disabled:
                        v = 110 + (r * 30 + g * 59 + b * 11) // 100 // 3
                        r = g = b = v
                    rows[y][i * 18 + x] = (r, g, b)
    return w, rows


def icon_image(draw, size):
    s = size / 16.0
    c = Canvas(size, size, (0, 0, 0))
    draw(c, s)
    bgra = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b = c.px[y][x]
            bgra += bytes((b, g, r, c.alpha[y][x]))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if not c.alpha[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(bgra) + len(mask), 0, 0,
                       0, 0)
    return info + bgra + mask


def write_ico(path, draw):
    images = [icon_image(draw, 16), icon_image(draw, 32)]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, img in zip((16, 32), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))




def ic_tables(c, s):
    k = int(s)
    c.fill(1 * k, 2 * k, 15 * k - 1, 14 * k - 1, WHITE)
    c.fill(1 * k, 2 * k, 15 * k - 1, 5 * k - 1, BLUE)
    c.frame(1 * k, 2 * k, 15 * k - 1, 14 * k - 1, DGREY)
    for y in (5, 8, 11):
        c.line(1 * k, y * k, 15 * k - 1, y * k, DGREY)
    for x in (6, 10):
        c.line(x * k, 2 * k, x * k, 14 * k - 1, DGREY)


def ic_views(c, s):
    ic_tables(c, s)
    k = int(s)
    c.fill(1 * k, 2 * k, 15 * k - 1, 5 * k - 1, GREEN)
    c.frame(1 * k, 2 * k, 15 * k - 1, 14 * k - 1, DGREY)


def ic_procedure(c, s):
    c.disc(8 * s, 8 * s, 6 * s, ORANGE, 0)
    for (x, y) in ((8, 1.5), (8, 14.5), (1.5, 8), (14.5, 8)):
        c.disc(x * s, y * s, 1.6 * s, ORANGE)
    c.disc(8 * s, 8 * s, 2.2 * s, WHITE)


def ic_supported(c, s):
    k = int(s)
    c.line(2 * k, 8 * k, 6 * k, 13 * k, DGREEN, 2 * k)
    c.line(6 * k, 13 * k, 13 * k, 3 * k, DGREEN, 2 * k)


def ic_pk(c, s):
    key(c, s, GOLD)


def ic_fk(c, s):
    key(c, s, (90, 130, 200), DBLUE)


def ic_pk_fk(c, s):
    key(c, s, GOLD)
    c.disc(12.5 * s, 4 * s, 3 * s, (90, 130, 200))


def ic_procedures_tab(c, s):
    c.disc(6 * s, 6 * s, 4.5 * s, PURPLE, 1.8 * s)
    c.disc(11 * s, 11 * s, 4.5 * s, ORANGE, 1.8 * s)


ICONS = {
    "tables_tab.ico": ic_tables,
    "views_tab.ico": ic_views,
    "procedure.ico": ic_procedure,
    "supported.ico": ic_supported,
    "primary_key.ico": ic_pk,
    "foreign_key.ico": ic_fk,
    "primary_foreign_key.ico": ic_pk_fk,
    "procedures_tab.ico": ic_procedures_tab,
}


def delete_bitmap():
    c = Canvas(15, 15, WHITE)
    c.line(3, 3, 11, 11, RED, 2)
    c.line(11, 3, 3, 11, RED, 2)
    return c.px


def main():
    w, rows = toolbar_strip((192, 192, 192), False)
    write_bmp(os.path.join(OUT, "toolbar.bmp"), w, 18, rows)
    write_bmp(os.path.join(OUT, "toolbar_normal.bmp"), w, 18, rows)
    w, rows = toolbar_strip((255, 255, 0), True)
    write_bmp(os.path.join(OUT, "toolbar_disabled.bmp"), w, 18, rows)
    write_bmp(os.path.join(OUT, "delete.bmp"), 15, 15, delete_bitmap())
    for name, draw in ICONS.items():
        write_ico(os.path.join(OUT, name), draw)


if __name__ == "__main__":
    main()
