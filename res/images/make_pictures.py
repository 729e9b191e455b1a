#!/usr/bin/env python3
"""Draws the HTML viewer's substitute pictures and cursors (run by hand; the
files are committed)."""
import os, struct

HERE = os.path.dirname(os.path.abspath(__file__))

def bmp24(name, rows):  # rows: top-down lists of (r, g, b)
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = b''
    for row in reversed(rows):
        line = b''.join(bytes([b, g, r]) for (r, g, b) in row)
        data += line + b'\0' * (stride - len(line))
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(os.path.join(HERE, name), 'wb').write(b'BM' + struct.pack('<IHHI', 54 + len(data), 0, 0, 54) + hdr + data)

def bmp1(name, bits):  # bits: top-down lists of 0/1 (1 = white)
    h, w = len(bits), len(bits[0])
    stride = ((w + 31) // 32) * 4
    data = b''
    for row in reversed(bits):
        line = bytearray(stride)
        for x, v in enumerate(row):
            if v:
                line[x // 8] |= 0x80 >> (x % 8)
        data += bytes(line)
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 1, 0, len(data), 2835, 2835, 2, 0)
    table = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    open(os.path.join(HERE, name), 'wb').write(b'BM' + struct.pack('<IHHI', 62 + len(data), 0, 0, 62) + hdr + table + data)

def inside_rounded(x, y, n=16, r=4):
    cx = min(max(x + 0.5, r), n - r); cy = min(max(y + 0.5, r), n - r)
    return (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r

def broken():
    mark = {(x, y) for x in (7, 8) for y in list(range(3, 10)) + [11, 12]}
    rows, mask = [], []
    for y in range(16):
        row, mrow = [], []
        for x in range(16):
            if not inside_rounded(x, y):
                row.append((255, 255, 255)); mrow.append(1)
            elif (x, y) in mark:
                row.append((0, 0, 0)); mrow.append(0)
            else:
                edge = not inside_rounded(x - 1, y) or not inside_rounded(x + 1, y) or \
                       not inside_rounded(x, y - 1) or not inside_rounded(x, y + 1)
                row.append((160, 120, 0) if edge else (255, 220, 0)); mrow.append(0)
        rows.append(row); mask.append(mrow)
    bmp24('broken.bmp', rows)
    bmp1('broken_mask.bmp', mask)

def pending():
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            dx, dy = x - 7.5, y - 7.5
            d = dx * dx + dy * dy
            if d > 56:
                row.append((192, 192, 192))
            elif d > 44:
                row.append((0, 0, 128))
            else:
                land = (abs(dx + 2) < 2.5 and -5 < dy < 2) or (abs(dx - 3) < 2 and -2 < dy < 5) or abs(dy) < 0.6
                row.append((0, 160, 64) if land else (48, 112, 255))
        rows.append(row)
    bmp24('pending.bmp', rows)

def cursor(name, art, hotspot):
    """art: rows of '#' black, '.' white, anything else transparent; 32x32."""
    w = h = 32
    xor_rows, and_rows = [], []
    for y in range(h):
        line = art[y] if y < len(art) else ''
        xr = bytearray(4); ar = bytearray(b'\xff' * 4)
        for x in range(w):
            c = line[x] if x < len(line) else ' '
            if c in '#.':
                ar[x // 8] &= ~(0x80 >> (x % 8)) & 0xFF
                if c == '.':
                    xr[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xr)); and_rows.append(bytes(ar))
    hdr = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    image = hdr + bytes([0, 0, 0, 0, 255, 255, 255, 0]) + b''.join(reversed(xor_rows)) + b''.join(reversed(and_rows))
    head = struct.pack('<HHH', 0, 2, 1) + struct.pack('<BBBBHHII', w, h, 2, 0, hotspot[0], hotspot[1], len(image), 22)
    open(os.path.join(HERE, name), 'wb').write(head + image)

HAND = [
    "     ##",
    "    #..#",
    "    #..#",
    "    #..#",
    "    #..###",
    "    #..#..###",
    "    #..#..#..##",
    " ## #..#..#..#.#",
    "#..##..#..#..#..#",
    "#...#........#..#",
    " #..#...........#",
    "  #.#...........#",
    "  #.............#",
    "   #...........#",
    "   #...........#",
    "    #.........#",
    "    #.........#",
    "    ###########",
]
IBEAM = ["  ### ###", "     #"] + ["     #"] * 12 + ["  ### ###"]
def arrows(up, down):
    art = []
    if up:
        art += [" " * (15 - i) + "#" + "." * (2 * i - 1 if i else 0) + ("#" if i else "") for i in range(6)]
        art[0] = " " * 15 + "#"
    else:
        art += [""] * 6
    art += [" " * 14 + "#.#"] * 3 + [" " * 13 + "#...#", " " * 13 + "#...#", " " * 14 + "#.#"] + [" " * 14 + "#.#"] * 3
    if down:
        art += [" " * (10 + i) + "#" + "." * (9 - 2 * i) + "#" for i in range(5)] + [" " * 15 + "#"]
    return art

broken()
pending()
cursor('link.cur', HAND, (5, 0))
cursor('ibeam.cur', IBEAM, (5, 7))
cursor('updown.cur', arrows(True, True), (15, 10))
cursor('uponly.cur', arrows(True, False), (15, 10))
cursor('downonly.cur', arrows(False, True), (15, 10))
