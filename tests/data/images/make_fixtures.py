#!/usr/bin/env python3
"""Writes the small picture fixtures the image tests read (run by hand; the
files are committed). BMP and GIF are written byte by byte so that every
header field, compression mode and block is exactly what the test expects;
the JPEGs come from ImageMagick."""
import os, struct, subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
PAL16 = [(0,0,0),(255,0,0),(0,255,0),(0,0,255),(255,255,0),(0,255,255),(255,0,255),(255,255,255),
         (128,0,0),(0,128,0),(0,0,128),(128,128,0),(0,128,128),(128,0,128),(192,192,192),(128,128,128)]
W, H = 5, 3

def out(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)

# ---------------------------------------------------------------- BMP
def bmp(bits, rows_bottom_up, palette=None, compression=0, header='info', top_down=False,
        masks=None, colors_used=0, width=W, height=H, entry=4, size_image=None):
    table = b''
    for (r, g, b) in (palette or []):
        table += bytes([b, g, r]) + (b'\0' if entry == 4 else b'')
    pixels = b''.join(rows_bottom_up if not top_down else rows_bottom_up)
    if header == 'core':
        hdr = struct.pack('<IHHHH', 12, width, height, 1, bits)
        extra = b''
    elif header == 'v5':
        hdr = struct.pack('<IiiHHIIiiII', 124, width, -height if top_down else height, 1, bits, compression,
                          len(pixels), 2835, 2835, colors_used, 0)
        hdr += struct.pack('<IIII', *(masks + [0])) + b'sRGB' + b'\0' * (124 - 56 - 4)
        extra = b''
    else:
        hdr = struct.pack('<IiiHHIIiiII', 40, width, -height if top_down else height, 1, bits, compression,
                          len(pixels) if size_image is None else size_image, 2835, 2835, colors_used, 0)
        extra = struct.pack('<III', *masks) if masks else b''
    off = 14 + len(hdr) + len(extra) + len(table)
    return b'BM' + struct.pack('<IHHI', off + len(pixels), 0, 0, off) + hdr + extra + table + pixels

def pad(row):
    return row + b'\0' * ((4 - len(row) % 4) % 4)

def index(x, y, n):
    return (x + 2 * y) % n

def packed_rows(bits, n):
    rows = []
    for y in range(H):
        v = 0; nb = 0; row = b''
        for x in range(W):
            v = (v << bits) | index(x, y, n); nb += bits
            if nb == 8:
                row += bytes([v]); v = 0; nb = 0
        if nb:
            row += bytes([v << (8 - nb)])
        rows.append(pad(row))
    return rows  # top-down

def rgb(x, y):  # 24/32-bit test colours
    return (x * 50, y * 100, 255 - x * 40)

def rgb5(x, y):  # colours exact in 5 bits per channel
    return (x * 6, y * 10, 31 - x * 5)

def make_bmps():
    bw = [(0, 0, 0), (255, 255, 255)]
    out('bmp_1.bmp', bmp(1, packed_rows(1, 2)[::-1], bw))
    out('bmp_4.bmp', bmp(4, packed_rows(4, 16)[::-1], PAL16))
    out('bmp_8.bmp', bmp(8, packed_rows(8, 16)[::-1], PAL16 + [(9, 9, 9)] * 240))
    out('bmp_8_os2.bmp', bmp(8, packed_rows(8, 16)[::-1], PAL16 + [(9, 9, 9)] * 240, header='core', entry=3))
    # A short table: 4 colours given, indices 4 and up have no colour (black).
    out('bmp_8_short_table.bmp', bmp(8, packed_rows(8, 16)[::-1], PAL16[:4], colors_used=4))
    out('bmp_8_topdown.bmp', bmp(8, packed_rows(8, 16), PAL16, colors_used=16, top_down=True))
    rows24 = [pad(b''.join(bytes([rgb(x, y)[2], rgb(x, y)[1], rgb(x, y)[0]]) for x in range(W))) for y in range(H)]
    out('bmp_24.bmp', bmp(24, rows24[::-1]))
    out('bmp_24_topdown.bmp', bmp(24, rows24, top_down=True))
    rows32 = [b''.join(bytes([rgb(x, y)[2], rgb(x, y)[1], rgb(x, y)[0], 0xAA]) for x in range(W)) for y in range(H)]
    out('bmp_32.bmp', bmp(32, rows32[::-1]))
    # 32-bit bit fields with red in the low byte, in a version 5 header.
    rows32r = [b''.join(bytes([rgb(x, y)[0], rgb(x, y)[1], rgb(x, y)[2], 0]) for x in range(W)) for y in range(H)]
    out('bmp_32_v5_bitfields.bmp', bmp(32, rows32r[::-1], compression=3, header='v5',
                                       masks=[0x000000FF, 0x0000FF00, 0x00FF0000]))
    rows555 = []
    rows565 = []
    for y in range(H):
        a = b''; b = b''
        for x in range(W):
            r, g, bl = rgb5(x, y)
            a += struct.pack('<H', (r << 10) | (g << 5) | bl)
            b += struct.pack('<H', (r << 11) | ((g * 2) << 5) | bl)
        rows555.append(pad(a)); rows565.append(pad(b))
    out('bmp_16.bmp', bmp(16, rows555[::-1]))
    out('bmp_16_565.bmp', bmp(16, rows565[::-1], compression=3, masks=[0xF800, 0x07E0, 0x001F]))
    # RLE8, rows bottom-up: y=2: run 2 x 1, absolute [2 3 4] (+pad), EOL;
    # y=1: delta (2,0), run 3 x 7, EOL; y=0: run 5 x 9, end of bitmap.
    rle8 = bytes([2, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 0, 3, 7, 0, 0, 5, 9, 0, 1])
    out('bmp_8_rle.bmp', bmp(8, [rle8], PAL16, compression=1, colors_used=16))
    # RLE4: y=2: run 5 of nibbles 1,2; EOL; y=1: absolute [3 4 5] (2 bytes), run 2 x 6, EOL;
    # y=0: delta (1,0), run 2 x 7, end of bitmap.
    rle4 = bytes([5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 2, 0x66, 0, 0, 0, 2, 1, 0, 2, 0x77, 0, 1])
    out('bmp_4_rle.bmp', bmp(4, [rle4], PAL16, compression=2, colors_used=16))
    full = bmp(24, rows24[::-1])
    out('bmp_truncated.bmp', full[:len(full) - 10])
    # Claims 30000 x 30000 pixels but holds a handful of bytes.
    out('bmp_lying.bmp', bmp(24, rows24[::-1], width=30000, height=30000))

# ---------------------------------------------------------------- GIF
def lzw(indices, min_size, max_codes=None, end=True, clear_first=True):
    clear = 1 << min_size
    codes = []
    table = {bytes([i]): i for i in range(clear)}
    nxt = clear + 2
    width = min_size + 1
    out_bits = []  # (code, width)
    if clear_first:
        out_bits.append((clear, width))
    w = b''
    for px in indices:
        c = w + bytes([px])
        if c in table:
            w = c
            continue
        out_bits.append((table[w], width))
        if nxt < 4096:
            table[c] = nxt
            nxt += 1
            if nxt > (1 << width) and width < 12:
                width += 1
        else:
            out_bits.append((clear, width))
            table = {bytes([i]): i for i in range(clear)}
            nxt = clear + 2
            width = min_size + 1
        w = bytes([px])
    if w:
        out_bits.append((table[w], width))
    if end:
        out_bits.append((clear + 1, width))
    if max_codes is not None:
        out_bits = out_bits[:max_codes]
    acc = 0; n = 0; data = bytearray()
    for code, wd in out_bits:
        acc |= code << n; n += wd
        while n >= 8:
            data.append(acc & 255); acc >>= 8; n -= 8
    if n:
        data.append(acc & 255)
    blocks = b''
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        blocks += bytes([len(chunk)]) + chunk
    return bytes([min_size]) + blocks + b'\0'

def table(colors, bits):
    t = b''.join(bytes(c) for c in colors)
    return t + b'\0' * (3 * (1 << bits) - len(t))

def gce(disposal=0, delay=0, transparent=None):
    packed = (disposal << 2) | (1 if transparent is not None else 0)
    return b'\x21\xF9\x04' + bytes([packed]) + struct.pack('<H', delay) + bytes([transparent or 0]) + b'\0'

def frame(left, top, w, h, pixels, local=None, local_bits=0, interlaced=False, min_size=None, **lz):
    packed = (0x40 if interlaced else 0)
    lt = b''
    if local is not None:
        packed |= 0x80 | (local_bits - 1)
        lt = table(local, local_bits)
    if interlaced:
        order = list(range(0, h, 8)) + list(range(4, h, 8)) + list(range(2, h, 4)) + list(range(1, h, 2))
        pixels = [p for y in order for p in pixels[y * w:(y + 1) * w]]
    ms = min_size or max(2, local_bits or 2)
    return b'\x2C' + struct.pack('<HHHH', left, top, w, h) + bytes([packed]) + lt + lzw(pixels, ms, **lz)

def gif(w, h, colors, bits, body, version=b'89a', trailer=True):
    packed = 0x80 | (bits - 1) if colors else 0
    g = b'GIF' + version + struct.pack('<HH', w, h) + bytes([packed, 0, 0])
    if colors:
        g += table(colors, bits)
    return g + body + (b';' if trailer else b'')

NETSCAPE = lambda loops: b'\x21\xFF\x0BNETSCAPE2.0\x03\x01' + struct.pack('<H', loops) + b'\0'
COMMENT = lambda text: b'\x21\xFE' + bytes([len(text)]) + text + b'\0'
G4 = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255)]

def pattern(w, h, n):
    return [(x * 3 + y * 5) % n for y in range(h) for x in range(w)]

def make_gifs():
    out('gif_basic87a.gif', gif(4, 3, G4, 2, frame(0, 0, 4, 3, pattern(4, 3, 4)), version=b'87a'))
    p = pattern(5, 10, 4)
    out('gif_plain.gif', gif(5, 10, G4, 2, frame(0, 0, 5, 10, p)))
    out('gif_interlaced.gif', gif(5, 10, G4, 2, frame(0, 0, 5, 10, p, interlaced=True)))
    local = [(10, 20, 30), (40, 50, 60), (70, 80, 90), (100, 110, 120), (1, 2, 3), (4, 5, 6), (7, 8, 9), (250, 251, 252)]
    out('gif_local_table.gif', gif(4, 3, G4, 2, frame(0, 0, 4, 3, pattern(4, 3, 8), local=local, local_bits=3)))
    # One frame, transparent index 2, the control extension right after the table.
    out('gif_transparent.gif', gif(4, 3, G4, 2, gce(transparent=2) + frame(0, 0, 4, 3, pattern(4, 3, 4))))
    # The same with a comment between table and control extension: the quick probe misses it.
    out('gif_transparent_late.gif', gif(4, 3, G4, 2, COMMENT(b'hi') + gce(transparent=2) +
                                        frame(0, 0, 4, 3, pattern(4, 3, 4))))
    # Four frames on a 4x4 screen, one per disposal method, played twice.
    C = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]
    body = NETSCAPE(2) + COMMENT(b'first ') + COMMENT(b'frame')
    # Frame 1 is transparent (index 0, unused): the picture is drawn over its background.
    body += gce(disposal=1, delay=10, transparent=0) + frame(0, 0, 4, 4, [1] * 16, min_size=3)
    body += gce(disposal=2, delay=0) + frame(0, 0, 2, 2, [2] * 4, min_size=3)
    body += gce(disposal=3, delay=5, transparent=0) + frame(2, 2, 2, 2, [3, 0, 3, 3], min_size=3)
    body += gce(disposal=6, delay=20) + frame(3, 0, 1, 1, [4], min_size=3)
    out('gif_disposal.gif', gif(4, 4, C, 3, body))
    # Two frames, no loop extension: one pass.
    body = gce(delay=1) + frame(0, 0, 2, 2, [1] * 4) + gce(delay=1) + frame(0, 0, 2, 2, [2] * 4)
    out('gif_noloop.gif', gif(2, 2, G4, 2, body))
    out('gif_forever.gif', gif(2, 2, G4, 2, NETSCAPE(0) + body))
    # A frame reaching beyond the logical screen.
    out('gif_beyond_screen.gif', gif(8, 8, G4, 2, frame(10, 6, 4, 4, [3] * 16)))
    # The code stream stops (properly terminated) after a few codes: the rest stays index 0.
    out('gif_truncated_lzw.gif', gif(4, 4, G4, 2, frame(0, 0, 4, 4, [1, 2, 3, 1] * 4, max_codes=4, end=False)))
    full = gif(4, 4, G4, 2, frame(0, 0, 4, 4, pattern(4, 4, 4)))
    out('gif_truncated_file.gif', full[:len(full) - 6])
    # A minimum code size no GIF can have.
    out('gif_bad_code_size.gif', gif(2, 2, G4, 2, b'\x2C' + struct.pack('<HHHH', 0, 0, 2, 2) + b'\0' + b'\x0C\x01\x00\x00;'))

# ---------------------------------------------------------------- JPEG
def make_jpegs():
    src = os.path.join(HERE, 'quadrants.ppm')
    w = h = 16
    px = bytearray()
    for y in range(h):
        for x in range(w):
            q = (x >= 8) + 2 * (y >= 8)
            px += bytes([(200, 40, 30), (30, 180, 60), (40, 60, 200), (230, 230, 230)][q])
    with open(src, 'wb') as f:
        f.write(b'P6 16 16 255\n' + px)
    im = lambda *a: subprocess.run(['convert', src] + list(a), check=True)
    common = ['-quality', '100', '-sampling-factor', '1x1']
    im(*common, os.path.join(HERE, 'jpeg_baseline.jpg'))
    im(*common, '-interlace', 'Plane', os.path.join(HERE, 'jpeg_progressive.jpg'))
    im(*common, '-colorspace', 'Gray', os.path.join(HERE, 'jpeg_grey.jpg'))
    im(*common, '-colorspace', 'CMYK', os.path.join(HERE, 'jpeg_cmyk.jpg'))
    os.remove(src)
    data = open(os.path.join(HERE, 'jpeg_baseline.jpg'), 'rb').read()
    out('jpeg_truncated.jpg', data[:len(data) * 2 // 3])
    seglen = struct.unpack('>H', data[4:6])[0]
    # CMYK files come without JFIF; give this one a JFIF segment so that it is recognised.
    cmyk = open(os.path.join(HERE, 'jpeg_cmyk.jpg'), 'rb').read()
    if cmyk[2:4] != b'\xFF\xE0':
        out('jpeg_cmyk.jpg', cmyk[:2] + data[2:4 + seglen] + cmyk[2:])

def exif_segment():
    """An APP1 segment as cameras write it: a big-endian TIFF header, IFD0 with
    the maker, the orientation and a pointer to the EXIF IFD with the date taken."""
    make = b'velmora\0'
    taken = b'2026:12:10 16:00:00\0'
    ifd0_at = 8
    ifd0_size = 2 + 3 * 12 + 4
    make_at = ifd0_at + ifd0_size
    exif_ifd_at = make_at + len(make)
    exif_ifd_size = 2 + 1 * 12 + 4
    taken_at = exif_ifd_at + exif_ifd_size
    entry = lambda tag, kind, count, value: struct.pack('>HHI', tag, kind, count) + value
    tiff = b'MM\0\x2a' + struct.pack('>I', ifd0_at)
    tiff += struct.pack('>H', 3)
    tiff += entry(0x010F, 2, len(make), struct.pack('>I', make_at))          # Make
    tiff += entry(0x0112, 3, 1, struct.pack('>HH', 1, 0))                    # Orientation
    tiff += entry(0x8769, 4, 1, struct.pack('>I', exif_ifd_at))              # EXIF IFD
    tiff += struct.pack('>I', 0) + make
    tiff += struct.pack('>H', 1)
    tiff += entry(0x9003, 2, len(taken), struct.pack('>I', taken_at))        # DateTimeOriginal
    tiff += struct.pack('>I', 0) + taken
    body = b'Exif\0\0' + tiff
    return b'\xFF\xE1' + struct.pack('>H', len(body) + 2) + body

def make_camera_jpegs():
    """The baseline picture as photos come from cameras and other tools: an EXIF
    segment instead of JFIF, and one with no application segment at all."""
    data = open(os.path.join(HERE, 'jpeg_baseline.jpg'), 'rb').read()
    assert data[2:4] == b'\xFF\xE0'
    rest = data[4 + struct.unpack('>H', data[4:6])[0]:]
    out('jpeg_exif.jpg', data[:2] + exif_segment() + rest)
    out('jpeg_no_app.jpg', data[:2] + rest)

# ---------------------------------------------------------------- PNG (probe only)
def png(colour_type, chunks_before_idat, chunks_after_idat=()):
    import zlib
    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    ihdr = struct.pack('>IIBBBBB', 2, 2, 8, colour_type, 0, 0, 0)
    raw = b'\0' + b'\0' * 6 + b'\0' + b'\0' * 6
    body = chunk(b'IHDR', ihdr) + b''.join(chunk(k, d) for k, d in chunks_before_idat)
    body += chunk(b'IDAT', zlib.compress(raw)) + b''.join(chunk(k, d) for k, d in chunks_after_idat)
    return b'\x89PNG\r\n\x1a\n' + body + chunk(b'IEND', b'')

def make_pngs():
    plte = bytes([10, 20, 30, 40, 50, 60, 70, 80, 90])
    out('png_indexed_trns.png', png(3, [(b'tEXt', b'a\0b'), (b'PLTE', plte), (b'tRNS', bytes([255, 0]))]))
    out('png_rgb_trns.png', png(2, [(b'tRNS', bytes(6))]))
    out('png_grey_trns.png', png(0, [(b'tRNS', bytes(2))]))
    out('png_trns_after_idat.png', png(3, [(b'PLTE', plte)], [(b'tRNS', bytes([0]))]))

if __name__ == '__main__':
    import sys
    groups = {'bmp': make_bmps, 'png': make_pngs, 'gif': make_gifs, 'jpeg': make_jpegs,
              'camera': make_camera_jpegs}
    for name in sys.argv[1:] or groups:
        groups[name]()
