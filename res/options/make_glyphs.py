#!/usr/bin/env python3
"""Draws the options window's own 16x16 pictures as 24-bit BMP files (run by
hand; the BMPs are committed). The bottom-left pixel is the transparent colour.
The other pictures of the window are the tool bar's."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'toolbar'))
from make_glyphs import Glyph, K, W, G, GR, B, LB, Y, DY, R  # noqa: E402


def make():
    # A framed picture: sky, sun and a green hill.
    g = Glyph()
    g.rect(1, 2, 14, 13, LB, K)
    g.circle(10, 5, 1.6, Y, Y)
    for x in range(2, 14):
        top = 13 - max(0, 5 - abs(x - 6))
        for y in range(top, 13):
            g.px(x, y, GR)
    picture = g
    # A page with a green plus: "add".
    g = Glyph()
    g.rect(2, 1, 11, 14, W, K)
    for y in (4, 6, 8):
        g.line(4, y, 9, y, G)
    g.rect(8, 8, 14, 14, GR, GR)
    g.line(11, 9, 11, 13, W)
    g.line(9, 11, 13, 11, W)
    add = g
    here = os.path.dirname(os.path.abspath(__file__))
    picture.save(os.path.join(here, 'picture.bmp'))
    add.save(os.path.join(here, 'add.bmp'))


if __name__ == '__main__':
    make()
