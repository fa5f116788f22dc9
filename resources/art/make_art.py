#!/usr/bin/env python3
"""Draws the module's small pictures: the icon MAINICON and the toolbar strip
IDB_TOOLBAR. Run from the repository root:  python3 resources/art/make_art.py
"""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent.parent


def bmp_rows_24(width, height, pixel):
    """Bottom-up BGR rows padded to 4 bytes; pixel(x, y) gives (r, g, b)."""
    pad = (4 - (width * 3) % 4) % 4
    out = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            r, g, b = pixel(x, y)
            out += bytes((b, g, r))
        out += bytes(pad)
    return bytes(out)


def write_bmp_24(path, width, height, pixel):
    rows = bmp_rows_24(width, height, pixel)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    path.write_bytes(header + info + rows)


def unit_pixel(x, y, size=32):
    """A green counter unit with a terminal block and a blue bus line."""
    if 3 <= x < size - 3 and 6 <= y < size - 4:
        if y < 11 and (x - 3) % 5 < 3:
            return (200, 200, 200)         # terminal screws
        if 14 <= y < 20 and 8 <= x < size - 8:
            return (20, 20, 20)            # display window
        return (40, 140, 60)               # board
    if y in (2, 3) and 2 <= x < size - 2:
        return (0, 0, 255)                 # bus line
    return (255, 0, 255)                   # transparent (masked below)


def write_icon(path, size=32):
    pixels = bytearray()
    mask_rows = bytearray()
    stride = ((size + 31) // 32) * 4
    for y in range(size - 1, -1, -1):
        bits = 0
        row = bytearray()
        for x in range(size):
            r, g, b = unit_pixel(x, y, size)
            transparent = (r, g, b) == (255, 0, 255)
            pixels += bytes((b, g, r, 0 if transparent else 255))
            bits = (bits << 1) | (1 if transparent else 0)
            if x % 8 == 7:
                row.append(bits)
                bits = 0
        mask_rows += row + bytes(stride - len(row))
    info = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0,
                       len(pixels) + len(mask_rows), 0, 0, 0, 0)
    image = info + pixels + mask_rows
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), 6 + 16)
    path.write_bytes(directory + entry + image)


def toolbar_pixel(x, y):
    """Three 16x16 buttons: configure (gear-ish square), test (tick), next (arrow)."""
    button, u = divmod(x, 16)
    if button == 0:
        return (40, 140, 60) if 3 <= u < 13 and 3 <= y < 13 else (192, 192, 192)
    if button == 1:
        on = (u + 8 == y + 4 and 4 <= u < 8) or (u + y == 18 and 7 <= u < 13)
        return (0, 128, 0) if on else (192, 192, 192)
    on = (y == 8 and 2 <= u < 13) or (abs(y - 8) == 13 - u and 9 <= u < 14)
    return (0, 0, 255) if on else (192, 192, 192)


if __name__ == '__main__':
    write_icon(HERE / 'TestTAVO02.ico')
    write_bmp_24(HERE / 'toolbar.bmp', 48, 16, toolbar_pixel)
