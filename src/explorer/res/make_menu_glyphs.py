#!/usr/bin/env python3
"""Draws the context menus' 16x16 pictures as 24-bit BMP files (run by hand in
this folder; the BMPs are committed). Shares the tool bar's drawing helpers;
pictures that show the same command as a tool bar button are that button's."""
import os
import shutil
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
# The tool bar's script draws its own pictures when loaded: let it do so elsewhere.
os.chdir(tempfile.mkdtemp())
sys.dont_write_bytecode = True  # leave nothing behind in the tool bar's folder
sys.path.insert(0, os.path.join(here, '..', '..', '..', 'res', 'toolbar'))
import make_glyphs as tb  # noqa: E402
Glyph, folder, page = tb.Glyph, tb.folder, tb.page
K, W, G, LG, Y, DY, B, LB, R, GR, N = tb.K, tb.W, tb.G, tb.LG, tb.Y, tb.DY, tb.B, tb.LB, tb.R, tb.GR, tb.N


def arrow(g, x0, y, x1, c):
    g.line(x0, y, x1, y, c)
    g.line(x1 - 3, y - 3, x1, y, c)
    g.line(x1 - 3, y + 3, x1, y, c)


def make():
    out = {}
    g = Glyph(); page(g, 1, 1, 8, 12); arrow(g, 5, 9, 14, B); out['sendto'] = g
    g = Glyph(); page(g, 2, 1, 10, 14, lines=False)
    for y in (4, 8, 12):
        g.rect(4, y - 1, 6, y + 1, W, K)
        g.line(8, y, 10, y, G)
    g.line(4, 3, 6, 5, GR); out['attributes'] = g
    g = Glyph(); folder(g); arrow(g, 3, 9, 12, B); out['anyfolder'] = g
    g = Glyph(); g.rect(2, 2, 13, 15, DY, K); g.rect(5, 1, 10, 3, LG, K); g.rect(4, 5, 11, 13, W, G)
    out['clipboard'] = g
    g = Glyph(); folder(g); g.line(6, 13, 14, 5, B); g.line(7, 13, 14, 6, LB); g.px(5, 14, K); out['editfolder'] = g
    g = Glyph(); g.rect(1, 11, 4, 14, LB, B); g.rect(6, 7, 9, 14, LB, B); g.rect(11, 3, 14, 14, LB, B)
    g.line(0, 15, 15, 15, K); out['treesize'] = g
    return out


SHARED = ['open', 'view', 'cut', 'copy', 'paste', 'rename', 'delete', 'newfolder', 'newdoc', 'delfolder']

if __name__ == '__main__':
    toolbar = os.path.join(here, '..', '..', '..', 'res', 'toolbar')
    for name in SHARED:
        shutil.copyfile(os.path.join(toolbar, name + '.bmp'), os.path.join(here, 'menu_' + name + '.bmp'))
    for name, glyph in make().items():
        glyph.save(os.path.join(here, 'menu_' + name + '.bmp'))
