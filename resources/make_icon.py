#!/usr/bin/env python3
"""Draws the program icon (a monitor with a crescent moon: the screen saver
sleeps) and writes resources/Lullwick.ico: true colour with alpha at every size
Windows asks for from 100 % to 200 % and beyond; all but the 16-pixel one are stored
PNG-compressed, as Windows allows, to keep the program small.

Also writes resources/LullwickOff.ico, the tray's picture while nothing is held:
the same monitor in greys, its screen empty. Only the tray shows it, so it has
the small icon's sizes alone, all PNG-compressed (flat greys pack into a few
hundred bytes each; Windows reads them from Vista on)."""
import struct
import zlib
from pathlib import Path

# The sixteen VGA colours, then the unlit frame's dim grey.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
       (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
       (255, 0, 255), (0, 255, 255), (255, 255, 255),
       (80, 80, 80)]
SILVER, GRAY, NAVY, YELLOW, WHITE, BLACK, DIM = 7, 8, 4, 11, 15, 0, 16


def inside_rounded(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def colour_at(x, y, lit=True):
    """Palette index at a point of the unit square, or None for transparent.
    Unlit, the frame is dim grey rather than black, so that the outline still
    shows on a dark taskbar, and the screen is an empty grey."""
    if inside_rounded(x, y, 0.03, 0.08, 0.97, 0.80, 0.08):
        if inside_rounded(x, y, 0.13, 0.17, 0.87, 0.70, 0.03):
            if not lit:
                return GRAY
            moon = (x - 0.45) ** 2 + (y - 0.44) ** 2 <= 0.215 ** 2
            bite = (x - 0.56) ** 2 + (y - 0.35) ** 2 <= 0.185 ** 2
            if moon and not bite:
                return YELLOW
            if (x - 0.74) ** 2 + (y - 0.28) ** 2 <= 0.045 ** 2:
                return WHITE
            return NAVY
        if not inside_rounded(x, y, 0.06, 0.11, 0.94, 0.77, 0.06):
            return BLACK if lit else DIM
        return SILVER
    if 0.40 <= x <= 0.60 and 0.80 <= y <= 0.88:
        return GRAY
    if inside_rounded(x, y, 0.22, 0.87, 0.78, 0.97, 0.03):
        return GRAY
    return None


def render(size, samples, lit):
    """Rows (top first) of (palette index or None, coverage 0..1) per pixel."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = {}
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size, lit)
                    hits[c] = hits.get(c, 0) + 1
            total = samples * samples
            covered = total - hits.get(None, 0)
            solid = {k: v for k, v in hits.items() if k is not None}
            best = max(solid, key=solid.get) if solid else None
            row.append((best, covered / total, solid, total))
        rows.append(row)
    return rows


def and_mask(rows, opaque):
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, px in enumerate(row):
            if not opaque(px):
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def rgba_rows(size, lit):
    rows = render(size, 4, lit)
    out = []
    for row in rows:
        line = []
        for _, cov, solid, total in row:
            if not solid:
                line.append((0, 0, 0, 0))
                continue
            n = sum(solid.values())
            r = sum(VGA[k][0] * v for k, v in solid.items()) // n
            g = sum(VGA[k][1] * v for k, v in solid.items()) // n
            b = sum(VGA[k][2] * v for k, v in solid.items()) // n
            line.append((r, g, b, round(255 * cov)))
        out.append(line)
    return rows, out


def dib_32bpp(size, lit):
    rows, rgba = rgba_rows(size, lit)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(struct.pack('<BBBB', b, g, r, a) for line in reversed(rgba) for r, g, b, a in line)
    return header + pixels + and_mask(rows, lambda p: p[1] > 0)


def png(size, lit):
    _, rgba = rgba_rows(size, lit)
    raw = b''.join(b'\0' + bytes(v for px in line for v in px) for line in rgba)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


# The small icon (16 at 100 %) and the large one (32) at 100, 125, 150, 175 and 200 %, the
# small one also at 225 and 350 % (the tray), and 256 for Explorer's largest view.
SIZES = (16, 20, 24, 28, 32, 36, 40, 48, 56, 64, 256)
PNG_FROM = 20
# The tray's small icon from 100 % to 400 %.
TRAY_SIZES = (16, 20, 24, 28, 32, 36, 40, 48, 56, 64)


def icon_file(images):
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b''.join(data for _, data in images)


def main():
    lit = [(size, png(size, True) if size >= PNG_FROM else dib_32bpp(size, True)) for size in SIZES]
    Path(__file__).with_name('Lullwick.ico').write_bytes(icon_file(lit))
    unlit = [(size, png(size, False)) for size in TRAY_SIZES]
    Path(__file__).with_name('LullwickOff.ico').write_bytes(icon_file(unlit))


if __name__ == '__main__':
    main()
