#!/usr/bin/env python3
"""Draws bitmap 2023, the unit's board as the operator prepares it for the
write: jumper JP1 on WE (not WP), JP2 left open, the operator connector XC2
and the M-Bus terminal block, with short Czech labels.

Needs Pillow (Debian: python3-pil) and the DejaVu fonts (fonts-dejavu-core).
Run from the repository root:  /usr/bin/python3 resources/art/make_unit_board.py
It writes resources/unit_board.bmp: 310 x 280, 8 bits per pixel, a palette of
256 colours, uncompressed.
"""
from pathlib import Path

from PIL import Image, ImageDraw, ImageFont

OUT = Path(__file__).resolve().parent.parent / 'unit_board.bmp'
FONT = '/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf'
BOLD = '/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf'

BACKGROUND = (236, 233, 216)
BOARD = (34, 120, 64)
BOARD_EDGE = (20, 80, 40)
COPPER = (196, 160, 72)
PIN = (210, 210, 210)
BLACK = (20, 20, 20)
WHITE = (255, 255, 255)
GOOD = (0, 150, 0)
BAD = (210, 0, 0)
YELLOW = (255, 220, 0)


def font(size, bold=False):
    return ImageFont.truetype(BOLD if bold else FONT, size)


def pins(draw, x, y, count, step=12):
    for i in range(count):
        draw.rectangle((x + i * step, y, x + i * step + 7, y + 7), fill=PIN, outline=BLACK)


def label(draw, xy, text, colour=BLACK, size=11, bold=False):
    draw.text(xy, text, fill=colour, font=font(size, bold))


def arrow(draw, start, end, colour):
    draw.line((start, end), fill=colour, width=2)
    x, y = end
    draw.ellipse((x - 3, y - 3, x + 3, y + 3), fill=colour)


def main():
    image = Image.new('RGB', (310, 280), BACKGROUND)
    draw = ImageDraw.Draw(image)

    # The board.
    draw.rounded_rectangle((70, 34, 300, 176), radius=8, fill=BOARD, outline=BOARD_EDGE, width=3)
    for y in range(52, 170, 18):
        draw.line((96, y, 280, y), fill=(44, 138, 76))
    draw.rectangle((150, 80, 220, 124), fill=BLACK)                  # the processor
    label(draw, (160, 93), 'TAVO', WHITE, 13, bold=True)

    # M-Bus terminal block at the top edge.
    draw.rectangle((212, 38, 282, 60), fill=(0, 110, 200), outline=BLACK)
    for x in (226, 262):
        draw.ellipse((x - 7, 42, x + 7, 56), fill=PIN, outline=BLACK)
        draw.line((x - 4, 49, x + 4, 49), fill=BLACK, width=2)
    label(draw, (220, 12), 'M-Bus', BLACK, 13, bold=True)

    # Operator connector XC2 on the left edge.
    draw.rectangle((76, 60, 100, 150), fill=BLACK)
    for y in range(66, 146, 12):
        draw.rectangle((82, y, 94, y + 7), fill=COPPER)
    label(draw, (28, 96), 'XC2', BLACK, 13, bold=True)
    arrow(draw, (58, 104), (76, 104), BLACK)

    # JP1: three pins WP | middle | WE, the cap bridging the middle and WE.
    label(draw, (122, 150), 'JP1', WHITE, 11, bold=True)
    label(draw, (146, 132), 'WP', WHITE, 10)
    label(draw, (176, 132), 'WE', YELLOW, 10, bold=True)
    pins(draw, 152, 152, 3)
    draw.rectangle((162, 148, 185, 163), outline=YELLOW, width=3)

    # JP2: two pins, left open.
    label(draw, (226, 132), 'JP2', WHITE, 11, bold=True)
    pins(draw, 228, 152, 2)
    draw.line((222, 146, 252, 166), fill=BAD, width=3)
    draw.line((222, 166, 252, 146), fill=BAD, width=3)

    # The legend.
    label(draw, (8, 186), 'JP1: propojka na WE (zápis povolen)', GOOD, 12, bold=True)
    label(draw, (8, 206), 'JP2: nepropojovat!', BAD, 12, bold=True)
    label(draw, (8, 226), 'XC2: konektor obsluhy', BLACK, 12, bold=True)
    label(draw, (8, 252), 'Připravte jednotku k zápisu.', BLACK, 12)

    # 8 bits per pixel with a full palette of 256 colours, uncompressed.
    indexed = image.convert('P', palette=Image.ADAPTIVE, colors=256)
    palette = indexed.getpalette()[:768]
    indexed.putpalette(palette + [0] * (768 - len(palette)))
    indexed.save(OUT, format='BMP')


if __name__ == '__main__':
    main()
