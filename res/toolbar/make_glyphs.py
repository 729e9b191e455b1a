#!/usr/bin/env python3
"""Draws the tool bar's 16x16 glyphs as 24-bit BMP files (run by hand; the
BMPs are committed). The bottom-left pixel is the transparent colour."""
import struct

BG = (255, 0, 255)
K = (0, 0, 0); W = (255, 255, 255); G = (128, 128, 128); LG = (192, 192, 192)
Y = (255, 204, 51); DY = (176, 128, 0); B = (0, 0, 160); LB = (80, 144, 224)
R = (200, 0, 0); GR = (0, 128, 0); N = (0, 0, 96)


class Glyph:
    def __init__(self):
        self.p = [[BG] * 16 for _ in range(16)]

    def px(self, x, y, c):
        if 0 <= x < 16 and 0 <= y < 16:
            self.p[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, edge=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                on_edge = x in (x0, x1) or y in (y0, y1)
                if on_edge and edge:
                    self.px(x, y, edge)
                elif fill:
                    self.px(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.px(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def circle(self, cx, cy, r, c, fill=None):
        for y in range(16):
            for x in range(16):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if fill and d < r - 0.5:
                    self.px(x, y, fill)
                if abs(d - r) < 0.6:
                    self.px(x, y, c)

    def save(self, path):
        # rows bottom-up, pixels BGR
        data = b''
        for y in range(15, -1, -1):
            for x in range(16):
                r, g, b = self.p[y][x]
                data += bytes((b, g, r))
        header = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, 16, 16, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(header + info + data)


def folder(g, x=1, y=4, w=13, h=10):
    g.rect(x, y - 1, x + 5, y, Y, DY)
    g.rect(x, y, x + w, y + h, Y, DY)


def page(g, x=3, y=1, w=10, h=14, lines=True):
    g.rect(x, y, x + w, y + h, W, K)
    if lines:
        for ly in range(y + 3, y + h - 1, 2):
            g.line(x + 2, ly, x + w - 2, ly, G)


def make():
    out = {}
    g = Glyph(); folder(g); g.line(8, 12, 8, 6, GR); g.line(5, 9, 8, 6, GR); g.line(11, 9, 8, 6, GR); out['up'] = g
    g = Glyph(); folder(g); g.rect(5, 7, 10, 11, LB, B); out['archive'] = g
    g = Glyph(); g.rect(1, 1, 6, 4, Y, DY); g.line(3, 5, 3, 13, G); g.line(3, 8, 8, 8, G); g.line(3, 12, 8, 12, G)
    g.rect(8, 6, 13, 9, Y, DY); g.rect(8, 10, 13, 13, Y, DY); out['folders'] = g
    g = Glyph(); g.circle(8, 8, 5, GR); g.rect(9, 1, 13, 5, BG); g.line(9, 3, 13, 3, GR); g.line(13, 3, 13, 7, GR)
    out['refresh'] = g
    g = Glyph(); page(g); g.line(10, 0, 14, 4, R); g.line(14, 0, 10, 4, R); g.line(12, 0, 12, 4, R); out['newdoc'] = g
    g = Glyph(); folder(g); g.rect(7, 7, 9, 13, GR); g.rect(5, 9, 11, 11, GR); out['newfolder'] = g
    g = Glyph(); g.circle(4, 12, 2, K); g.circle(11, 12, 2, K); g.line(5, 10, 11, 1, G); g.line(10, 10, 4, 1, G)
    out['cut'] = g
    g = Glyph(); page(g, 1, 1, 8, 10); page(g, 6, 5, 8, 10); out['copy'] = g
    g = Glyph(); g.rect(2, 2, 12, 14, DY, K); g.rect(5, 1, 9, 3, LG, K); page(g, 6, 6, 8, 9); out['paste'] = g
    g = Glyph()
    for i in range(10):
        g.rect(3 + i, 3 + i, 4 + i, 4 + i, R); g.rect(12 - i, 3 + i, 13 - i, 4 + i, R)
    out['delete'] = g
    g = Glyph(); g.rect(2, 1, 13, 14, W, N)
    for ly in (4, 7, 10):
        g.rect(4, ly, 5, ly + 1, B); g.line(7, ly, 11, ly, K)
    out['topics'] = g
    g = Glyph(); g.circle(8, 8, 6, K, W); g.circle(8, 8, 3, B, LB); g.rect(7, 7, 8, 8, K); out['view'] = g
    g = Glyph(); g.circle(6, 6, 4, K, LB); g.line(9, 9, 14, 14, K); g.line(10, 9, 14, 13, K); out['search'] = g
    g = Glyph(); folder(g, 5, 5, 10, 9); g.line(0, 9, 8, 9, R); g.line(6, 7, 8, 9, R); g.line(6, 11, 8, 9, R)
    out['goto'] = g
    g = Glyph(); g.rect(1, 2, 14, 13, LG, K); g.rect(3, 4, 6, 7, W, K); g.line(4, 5, 5, 6, K)
    g.rect(3, 9, 6, 12, W, K); g.line(8, 5, 12, 5, K); g.line(8, 10, 12, 10, K); out['options'] = g
    g = Glyph(); page(g); g.line(5, 4, 11, 4, B); out['textdoc'] = g
    g = Glyph(); g.circle(8, 8, 6, N, LB); g.line(2, 8, 14, 8, N); g.line(8, 2, 8, 14, N); g.circle(8, 8, 3, N)
    out['html'] = g
    g = Glyph(); g.rect(0, 2, 15, 13, W, N)
    for x, y in ((2, 4), (2, 9), (9, 4), (9, 9)):
        g.rect(x, y, x + 4, y + 3, None, B)
    out['hex'] = g
    g = Glyph()
    for x, y in ((1, 1), (9, 1), (1, 9), (9, 9)):
        g.rect(x, y, x + 5, y + 5, LB, B)
    out['largeicons'] = g
    g = Glyph()
    for y in (2, 7, 12):
        for x in (1, 9):
            g.rect(x, y, x + 2, y + 2, LB, B); g.line(x + 4, y + 1, x + 6, y + 1, K)
    out['smallicons'] = g
    g = Glyph()
    for y in (2, 6, 10):
        g.rect(1, y, 3, y + 2, LB, B); g.line(5, y + 1, 13, y + 1, K)
    out['list'] = g
    g = Glyph(); g.rect(0, 1, 15, 3, LG, G)
    for y in (5, 8, 11, 14):
        g.rect(1, y - 1, 2, y, B); g.line(4, y, 7, y, K); g.line(9, y, 11, y, G); g.line(13, y, 14, y, G)
    out['details'] = g
    g = Glyph(); g.rect(2, 1, 9, 14, DY, K); g.rect(4, 3, 7, 14, Y); g.line(8, 8, 14, 8, R); g.line(12, 6, 14, 8, R)
    g.line(12, 10, 14, 8, R); out['exit'] = g
    g = Glyph(); folder(g); out['open'] = g
    g = Glyph(); folder(g); g.line(4, 6, 11, 12, R); g.line(11, 6, 4, 12, R); out['delfolder'] = g
    g = Glyph(); g.rect(1, 5, 14, 10, W, K); g.line(3, 7, 3, 8, K); g.line(4, 7, 9, 7, B); out['rename'] = g
    g = Glyph(); g.rect(1, 2, 14, 11, LB, N); g.rect(5, 12, 10, 13, G); g.rect(3, 14, 12, 14, G)
    g.rect(3, 4, 7, 8, W, K); g.line(4, 7, 6, 5, R); out['shortcut'] = g
    for name, glyph in out.items():
        glyph.save(name + '.bmp')


if __name__ == '__main__':
    make()
