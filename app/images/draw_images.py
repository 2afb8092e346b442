#!/usr/bin/env python3
"""Draws the program's own pictures (tool-bar icons, window icon, MDI background tile) as PNG files.

Plain Python, no imaging library: shapes are rasterised at 4x and averaged down for smooth edges.
Run it in this folder to regenerate the PNGs that app/resources.qrc lists.
"""
import struct
import zlib

SCALE = 4


class Canvas:
    def __init__(self, size, background=(0, 0, 0, 0)):
        self.size = size
        self.n = size * SCALE
        self.px = [list(background) for _ in range(self.n * self.n)]

    def _blend(self, x, y, color):
        r, g, b, a = color
        dst = self.px[y * self.n + x]
        if a == 255:
            dst[:] = [r, g, b, 255]
            return
        inv = 255 - a
        out_a = a + dst[3] * inv // 255
        if out_a == 0:
            return
        for i, c in enumerate((r, g, b)):
            dst[i] = (c * a + dst[i] * dst[3] * inv // 255) // out_a
        dst[3] = out_a

    def polygon(self, points, color):
        pts = [(x * SCALE, y * SCALE) for x, y in points]
        ys = [p[1] for p in pts]
        for y in range(max(0, int(min(ys))), min(self.n, int(max(ys)) + 1)):
            cy = y + 0.5
            xs = []
            for (x1, y1), (x2, y2) in zip(pts, pts[1:] + pts[:1]):
                if (y1 <= cy < y2) or (y2 <= cy < y1):
                    xs.append(x1 + (cy - y1) * (x2 - x1) / (y2 - y1))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(max(0, int(a + 0.5)), min(self.n, int(b + 0.5))):
                    self._blend(x, y, color)

    def rect(self, x, y, w, h, color):
        self.polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], color)

    def frame(self, x, y, w, h, t, color):
        self.rect(x, y, w, t, color)
        self.rect(x, y + h - t, w, t, color)
        self.rect(x, y, t, h, color)
        self.rect(x + w - t, y, t, h, color)

    def circle(self, cx, cy, r, color):
        for y in range(self.n):
            for x in range(self.n):
                if ((x + 0.5) / SCALE - cx) ** 2 + ((y + 0.5) / SCALE - cy) ** 2 <= r * r:
                    self._blend(x, y, color)

    def line(self, x1, y1, x2, y2, width, color):
        dx, dy = x2 - x1, y2 - y1
        length = (dx * dx + dy * dy) ** 0.5
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x1 + nx, y1 + ny), (x2 + nx, y2 + ny), (x2 - nx, y2 - ny), (x1 - nx, y1 - ny)], color)

    def save(self, name):
        rows = []
        for y in range(self.size):
            row = bytearray([0])
            for x in range(self.size):
                acc = [0, 0, 0, 0]
                for sy in range(SCALE):
                    for sx in range(SCALE):
                        p = self.px[(y * SCALE + sy) * self.n + x * SCALE + sx]
                        for i in range(3):
                            acc[i] += p[i] * p[3]
                        acc[3] += p[3]
                a = acc[3] // (SCALE * SCALE)
                rgb = [acc[i] // acc[3] if acc[3] else 0 for i in range(3)]
                row += bytes(rgb + [a])
            rows.append(bytes(row))
        raw = zlib.compress(b"".join(rows), 9)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.size, self.size, 8, 6, 0, 0, 0)
        with open(name, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", raw) + chunk(b"IEND", b""))


INK = (40, 48, 64, 255)
PAPER = (250, 250, 250, 255)
BLUE = (40, 96, 200, 255)
YELLOW = (236, 184, 56, 255)
GREEN = (56, 150, 80, 255)
RED = (200, 56, 48, 255)
# Darker inks for the flat buttons' glyphs: their grey form keeps these as shadow, so the shape stays seen.
DARK_RED = (160, 36, 30, 255)
DARK_GREEN = (30, 120, 50, 255)
WHITE = (255, 255, 255, 255)


def page(c):
    c.polygon([(5, 2), (15, 2), (20, 7), (20, 22), (5, 22)], INK)
    c.polygon([(6, 3), (14.5, 3), (19, 7.5), (19, 21), (6, 21)], PAPER)
    c.polygon([(14, 3), (14, 8), (19, 8)], (190, 196, 206, 255))


def floppy(c):
    c.polygon([(3, 3), (18, 3), (21, 6), (21, 21), (3, 21)], BLUE)
    c.rect(7, 3, 10, 6, PAPER)
    c.rect(13, 4, 2, 4, BLUE)
    c.rect(6, 13, 12, 8, PAPER)
    for y in (15, 17, 19):
        c.rect(8, y, 8, 0.8, (150, 160, 180, 255))


def draw_new():
    c = Canvas(24)
    page(c)
    c.rect(15, 14, 6, 2, GREEN)
    c.rect(17, 12, 2, 6, GREEN)
    c.save("new.png")


def draw_open():
    c = Canvas(24)
    c.polygon([(2, 5), (9, 5), (11, 7), (20, 7), (20, 20), (2, 20)], (190, 140, 30, 255))
    c.polygon([(4, 10), (23, 10), (20, 20), (2, 20)], YELLOW)
    c.save("open.png")


def draw_save():
    c = Canvas(24)
    floppy(c)
    c.save("save.png")


def draw_saveas():
    c = Canvas(24)
    floppy(c)
    c.line(12, 21, 22, 11, 3, YELLOW)
    c.polygon([(10.5, 22.5), (11, 19.5), (13.5, 22)], INK)
    c.save("saveas.png")


def gear(c, cx, cy, r, color):
    import math
    points = []
    for i in range(16):
        angle = i * math.pi / 8
        radius = r if i % 2 == 0 else r * 0.72
        for da in (-0.14, 0.14):
            points.append((cx + radius * math.cos(angle + da), cy + radius * math.sin(angle + da)))
    c.polygon(points, color)
    c.circle(cx, cy, r * 0.32, PAPER)


def draw_projectoptions():
    c = Canvas(24)
    page(c)
    gear(c, 15, 16, 7, (90, 100, 120, 255))
    c.save("projectoptions.png")


def draw_options():
    c = Canvas(24)
    gear(c, 12, 12, 10, (90, 100, 120, 255))
    c.save("options.png")


def draw_exit():
    c = Canvas(24)
    c.rect(3, 2, 11, 20, INK)
    c.rect(4, 3, 9, 18, (120, 80, 50, 255))
    c.rect(5, 4, 7, 16, (170, 120, 80, 255))
    c.circle(10.5, 12, 1, YELLOW)
    c.line(12, 12, 19, 12, 3, DARK_RED)
    c.polygon([(18, 7.5), (23, 12), (18, 16.5)], DARK_RED)
    c.save("exit.png")


def draw_close():
    c = Canvas(24)
    c.circle(12, 12, 10, INK)
    c.circle(12, 12, 9, DARK_RED)
    c.line(8, 8, 16, 16, 2.6, WHITE)
    c.line(16, 8, 8, 16, 2.6, WHITE)
    c.save("close.png")


def draw_ok():
    c = Canvas(24)
    c.line(3.5, 12.5, 9.5, 18.5, 4, DARK_GREEN)
    c.line(8.2, 19, 21, 5.5, 4, DARK_GREEN)
    c.save("ok.png")


def envelope(c, x, y, w, h, body, ink, flap_width):
    c.rect(x, y, w, h, ink)
    c.rect(x + 1, y + 1, w - 2, h - 2, body)
    c.line(x + 1, y + 1, x + w / 2, y + h * 0.6, flap_width, ink)
    c.line(x + w - 1, y + 1, x + w / 2, y + h * 0.6, flap_width, ink)


def draw_icon():
    c = Canvas(32)
    envelope(c, 2, 7, 28, 19, PAPER, BLUE, 1.6)
    c.circle(25, 22, 5, GREEN)
    c.rect(22.5, 21.2, 5, 1.6, PAPER)
    c.rect(24.2, 19.5, 1.6, 5, PAPER)
    c.save("sorvanta.png")


def draw_background():
    c = Canvas(64, (214, 222, 232, 255))
    shade = (200, 210, 223, 255)
    envelope(c, 10, 12, 20, 13, (220, 228, 237, 255), shade, 1.2)
    envelope(c, 40, 42, 20, 13, (220, 228, 237, 255), shade, 1.2)
    c.save("background.png")


if __name__ == "__main__":
    for draw in (draw_new, draw_open, draw_save, draw_saveas, draw_projectoptions, draw_options, draw_exit,
                 draw_close, draw_ok, draw_icon, draw_background):
        draw()
