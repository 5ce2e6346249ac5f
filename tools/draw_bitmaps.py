#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws velor's bitmaps and its icon as PNG files into res/.

    tools/draw_bitmaps.py            (writes res/bitmap139.png ... res/icon128.png)

Bitmaps use magenta RGB(255,0,255) as their transparency key where the
controls draw them transparently; the icon has a real alpha channel.
Only the Python standard library is used, so the output is reproducible.

  139  48 x 128  lamp sheet: 3 columns (lit, dark, grey) x 8 rows of 16 x 16
                 (red, green, yellow, blue circular; then the same square)
  140  16 x 16   lit red circular lamp on magenta (the lamp statics' image)
  143  32 x 21   two grey arrows, up and down, on blue (the arrow static's image)
  144  112 x 21  arrow strip of 7 frames of 16 x 21 on black: blank, red up,
                 red down, blank, blank, green up, green down
  128  32 x 32   the program icon: a lift car between up and down arrows
"""

import os
import struct
import zlib

MAGENTA = (255, 0, 255)
BLACK = (0, 0, 0)
BLUE = (0, 0, 255)
RIM = (192, 192, 192)
GREY = (128, 128, 128)
LIT = [(255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255)]
DARK = [(128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128)]

CELL = 16
ARROW_W, ARROW_H = 16, 21


class Image:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill_rect(self, x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.put(x, y, colour)

    def png(self):
        channels = len(self.pixels[0][0])
        colour_type = 6 if channels == 4 else 2
        raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in self.pixels)

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, colour_type, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def draw_round_lamp(image, left, top, colour):
    """A disc of diameter 14 centred in the 16 x 16 cell, with a 1-pixel rim."""
    centre = 7.5
    for y in range(CELL):
        for x in range(CELL):
            distance = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            if distance <= 7.0:
                image.put(left + x, top + y, RIM if distance > 5.9 else colour)


def draw_square_lamp(image, left, top, colour):
    """A 12 x 12 square centred in the cell, with a 1-pixel rim."""
    image.fill_rect(left + 2, top + 2, 12, 12, RIM)
    image.fill_rect(left + 3, top + 3, 10, 10, colour)


def draw_lamp_sheet():
    sheet = Image(3 * CELL, 8 * CELL, MAGENTA)
    for row in range(8):
        draw = draw_round_lamp if row < 4 else draw_square_lamp
        hue = row % 4
        for column, colour in enumerate((LIT[hue], DARK[hue], GREY)):
            draw(sheet, column * CELL, row * CELL, colour)
    return sheet


def arrow_pixels(pointing_up):
    """Pixels of an arrow in a 16 x 21 frame: a head 7 rows high over a shaft."""
    pixels = []
    for k in range(7):                     # head, widening downwards
        pixels += [(x, 2 + k) for x in range(7 - k, 9 + k)]
    for y in range(9, 19):                 # shaft
        pixels += [(x, y) for x in range(5, 11)]
    if pointing_up:
        return pixels
    return [(x, ARROW_H - 1 - y) for x, y in pixels]


def draw_arrow(image, left, pointing_up, colour):
    for x, y in arrow_pixels(pointing_up):
        image.put(left + x, y, colour)


def draw_arrow_strip():
    strip = Image(7 * ARROW_W, ARROW_H, BLACK)
    frames = {1: (True, LIT[0]), 2: (False, LIT[0]), 5: (True, LIT[1]), 6: (False, LIT[1])}
    for frame, (pointing_up, colour) in frames.items():
        draw_arrow(strip, frame * ARROW_W, pointing_up, colour)
    return strip


def draw_arrow_placeholder():
    image = Image(2 * ARROW_W, ARROW_H, BLUE)
    draw_arrow(image, 0, True, GREY)
    draw_arrow(image, ARROW_W, False, GREY)
    return image


def draw_template_lamp():
    image = Image(CELL, CELL, MAGENTA)
    draw_round_lamp(image, 0, 0, LIT[0])
    return image


def draw_icon():
    clear = (0, 0, 0, 0)
    frame = (40, 60, 90, 255)
    car = (200, 215, 235, 255)
    door_gap = (40, 60, 90, 255)
    green = (0, 170, 0, 255)
    icon = Image(32, 32, clear)
    icon.fill_rect(1, 1, 20, 30, frame)     # shaft
    icon.fill_rect(3, 6, 16, 20, car)       # car
    icon.fill_rect(10, 8, 2, 18, door_gap)  # the meeting doors
    for k in range(5):                      # up and down arrows beside the shaft
        icon.fill_rect(27 - k, 3 + k, 1 + 2 * k, 1, green)
        icon.fill_rect(27 - k, 28 - k, 1 + 2 * k, 1, green)
    icon.fill_rect(26, 8, 3, 5, green)
    icon.fill_rect(26, 19, 3, 5, green)
    return icon


def main():
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res")
    images = {
        "bitmap139.png": draw_lamp_sheet(),
        "bitmap140.png": draw_template_lamp(),
        "bitmap143.png": draw_arrow_placeholder(),
        "bitmap144.png": draw_arrow_strip(),
        "icon128.png": draw_icon(),
    }
    for name, image in images.items():
        with open(os.path.join(res, name), "wb") as f:
            f.write(image.png())


if __name__ == "__main__":
    main()
