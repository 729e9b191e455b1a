#!/usr/bin/env python3
"""Draws the program's icon, velmora.ico (run by hand in this folder; the icon is
committed): a folder holding a written page, with a blue 'v' on its front.
16, 24, 32 and 48 pixels as 32-bit images with an AND mask, and 256 pixels as
PNG for the large views of newer shells. Shapes are drawn on a unit square and
sampled many times per pixel, so edges are smooth at every size."""
import os
import struct
import zlib


FOLDER_BACK = (214, 150, 24)
FOLDER_FRONT = (255, 204, 64)
FOLDER_EDGE = (150, 98, 0)
PAGE = (255, 255, 255)
PAGE_EDGE = (96, 96, 96)
LINE = (112, 136, 176)
BLUE = (0, 64, 176)


def inside_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def rect(x0, y0, x1, y1):
    return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]


def thick_line(x0, y0, x1, y1, width):
    dx, dy = x1 - x0, y1 - y0
    length = (dx * dx + dy * dy) ** 0.5
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]


def shapes(size):
    """Painter's order: (polygon, colour). Small icons get thicker strokes."""
    edge = max(1.0 / size, 0.03)
    out = []
    # The folder's back with its tab.
    out.append((rect(0.04, 0.14, 0.42, 0.30), FOLDER_EDGE))
    out.append((rect(0.04 + edge, 0.14 + edge, 0.42 - edge, 0.30), FOLDER_BACK))
    out.append((rect(0.04, 0.22, 0.96, 0.90), FOLDER_EDGE))
    out.append((rect(0.04 + edge, 0.22 + edge, 0.96 - edge, 0.90 - edge), FOLDER_BACK))
    # The page standing in it.
    out.append((rect(0.20, 0.06, 0.82, 0.70), PAGE_EDGE))
    out.append((rect(0.20 + edge, 0.06 + edge, 0.82 - edge, 0.70), PAGE))
    # Lines of writing; on the smallest image on whole pixels, two pixels apart.
    tops = [3 / 16, 5 / 16] if size <= 16 else [0.16 + i * 0.09 for i in range(3)]
    for i, y in enumerate(tops):
        out.append((rect(0.28, y, 0.74 if i % 2 == 0 else 0.62, y + max(1.0 / size, 0.035)), LINE))
    # The folder's front, leaning forward.
    front = [(0.02, 0.40), (0.98, 0.40), (0.94, 0.94), (0.06, 0.94)]
    inner = [(0.02 + edge * 1.5, 0.40 + edge), (0.98 - edge * 1.5, 0.40 + edge),
             (0.94 - edge, 0.94 - edge), (0.06 + edge, 0.94 - edge)]
    out.append((front, FOLDER_EDGE))
    out.append((inner, FOLDER_FRONT))
    # A 'v' on the front.
    stroke = max(2.0 / size, 0.10)
    out.append((thick_line(0.36, 0.50, 0.50, 0.84, stroke), BLUE))
    out.append((thick_line(0.64, 0.50, 0.50, 0.84, stroke), BLUE))
    return out


def render(size):
    """Rows top-down of (r, g, b, a) pixels."""
    drawn = shapes(size)
    samples = 8 if size <= 48 else 3  # the large image has pixels enough
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    colour = None
                    for polygon, c in drawn:
                        if inside_polygon(x, y, polygon):
                            colour = c
                    if colour:
                        r += colour[0]; g += colour[1]; b += colour[2]; a += 1
            n = samples * samples
            if a:
                row.append((r // a, g // a, b // a, 255 * a // n))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def dib(size, rows):
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    stride = (size + 31) // 32 * 4
    mask = b''
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pixels + mask


def png(size, rows):
    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in rows)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def icon(sizes):
    images = [png(s, render(s)) if s >= 256 else dib(s, render(s)) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    with open(os.path.join(here, 'velmora.ico'), 'wb') as f:
        f.write(icon([16, 24, 32, 48, 256]))
