#!/usr/bin/env python3
"""Draws the main window's three logos and writes each as a single-frame
GIF89a file (NAME.gif) and as the picture control's form data (NAME.dat: the
file's length in 4 bytes, little-endian, then the file).
Usage: make_logos.py OUTPUT-FOLDER"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from font import draw_text, text_width  # noqa: E402
from gifwrite import Gif  # noqa: E402

TRANSPARENT = (255, 0, 255)  # never shown: the transparent index's colour
WHITE, BLACK = (255, 255, 255), (0, 0, 0)
FACE, SHADOW, LIGHT = (192, 192, 192), (128, 128, 128), (223, 223, 223)
NAVY = (0, 0, 128)


def canvas(width, height, colour):
    return [[colour] * width for _ in range(height)]


def fill(c, x0, y0, x1, y1, colour):
    for y in range(max(0, y0), min(len(c), y1)):
        for x in range(max(0, x0), min(len(c[0]), x1)):
            c[y][x] = colour


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def inside_rounded(x, y, width, height, radius):
    cx = min(max(x, radius), width - 1 - radius)
    cy = min(max(y, radius), height - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius + radius * 0.8


def raised_frame(c, x0, y0, x1, y1):
    """The classic raised 3-D edge: white and light inside the top and left, grey and black bottom and right."""
    for x in range(x0, x1):
        c[y0][x] = WHITE
        c[y1 - 1][x] = BLACK
        c[y0 + 1][x] = LIGHT if x < x1 - 1 else c[y0 + 1][x]
        if x > x0:
            c[y1 - 2][x] = SHADOW
    for y in range(y0, y1):
        c[y][x0] = WHITE
        c[y][x1 - 1] = BLACK
        if y < y1 - 1:
            c[y][x0 + 1] = LIGHT if y > y0 else c[y][x0 + 1]
        if y > y0:
            c[y][x1 - 2] = SHADOW


def rounded_tile(c, tile_width, radius, top, bottom, steps, rim):
    """A rounded tile from the left edge, TILE_WIDTH wide and as tall as the
    canvas, shaded from TOP to BOTTOM in STEPS bands on a transparent canvas;
    every pixel next to the transparent outside or the edge gets RIM."""
    height, width = len(c), len(c[0])
    for y in range(height):
        for x in range(tile_width):
            if inside_rounded(x, y, tile_width, height, radius):
                c[y][x] = mix(top, bottom, round(y / (height - 1) * steps) / steps)
    for y in range(height):
        for x in range(width):
            if c[y][x] == TRANSPARENT:
                continue
            edge = any(not (0 <= x + dx < width and 0 <= y + dy < height) or c[y + dy][x + dx] == TRANSPARENT
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            if edge:
                c[y][x] = rim


def disc(c, cx, cy, radius, colour):
    for y in range(len(c)):
        for x in range(len(c[0])):
            if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                c[y][x] = colour


def line(c, x0, y0, x1, y1, colour):
    steps = max(abs(x1 - x0), abs(y1 - y0))
    for i in range(steps + 1):
        x = x0 + (x1 - x0) * i // max(steps, 1)
        y = y0 + (y1 - y0) * i // max(steps, 1)
        c[y][x] = colour


def opennap():
    """88 x 31: a grey button with a network emblem, "OpenNap" and "network"."""
    c = canvas(88, 31, FACE)
    raised_frame(c, 0, 0, 88, 31)
    # Emblem: a navy disc with three linked white nodes.
    disc(c, 15, 15, 10, NAVY)
    disc(c, 15, 15, 9, (30, 60, 170))
    for a, b in (((10, 11), (20, 11)), ((10, 11), (15, 20)), ((20, 11), (15, 20))):
        line(c, a[0], a[1], b[0], b[1], (150, 190, 255))
    for x, y in ((10, 11), (20, 11), (15, 20)):
        fill(c, x - 1, y - 1, x + 2, y + 2, WHITE)
    draw_text(c, 30, 6, "OpenNap", NAVY, bold=True)
    draw_text(c, 31, 18, "network", (64, 64, 64))
    return c, None


def winmx():
    """234 x 39: a blue rounded bar with two linked peers, "WinMX 3" and "peer-to-peer client"."""
    width, height = 234, 39
    c = canvas(width, height, TRANSPARENT)
    top, bottom, rim = (96, 156, 232), (18, 54, 140), (10, 30, 90)
    # The control shows the left 225 columns: the bar ends, rounded, inside them.
    bar = 224
    rounded_tile(c, bar, 7, top, bottom, 10, rim)
    # Two peers and the link between them.
    disc(c, 15, 19, 8, (255, 210, 60))
    disc(c, 15, 19, 6, (255, 236, 140))
    disc(c, 31, 19, 8, WHITE)
    disc(c, 31, 19, 6, (200, 220, 255))
    fill(c, 21, 18, 26, 21, (255, 120, 40))
    draw_text(c, 46, 5, "WinMX 3", (10, 30, 90), scale=2, bold=True)  # shadow
    draw_text(c, 45, 4, "WinMX 3", WHITE, scale=2, bold=True)
    draw_text(c, 46, 24, "peer-to-peer client", (220, 232, 255))
    return c, TRANSPARENT


def server_list():
    """58 x 55: a dark green rounded tile with three stacked servers and "servers"."""
    width, height = 58, 55
    c = canvas(width, height, TRANSPARENT)
    top, bottom, rim = (40, 140, 100), (10, 70, 50), (5, 40, 28)
    rounded_tile(c, width, 8, top, bottom, 8, rim)
    for row in range(3):
        y = 7 + row * 10
        fill(c, 11, y, 47, y + 8, FACE)
        for x in range(11, 47):
            c[y][x] = WHITE
            c[y + 7][x] = SHADOW
        for yy in range(y, y + 8):
            c[yy][11] = WHITE
            c[yy][46] = SHADOW
        fill(c, 14, y + 3, 17, y + 5, (0, 220, 0))  # power light
        fill(c, 22, y + 3, 43, y + 5, (64, 64, 64))  # drive slot
    label = "servers"
    draw_text(c, (width - text_width(label)) // 2, 40, label, WHITE)
    return c, TRANSPARENT


def to_gif(c, transparent):
    colours = []
    if transparent:
        colours.append(transparent)
    for row in c:
        for colour in row:
            if colour not in colours:
                colours.append(colour)
    assert len(colours) <= 256
    index = {colour: i for i, colour in enumerate(colours)}
    pixels = [index[colour] for row in c for colour in row]
    gif = Gif(len(c[0]), len(c), colours)
    if transparent:
        gif.control(0, 0, index[transparent])
    gif.image(len(c[0]), len(c), pixels)
    return gif.finish()


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in (("opennap", opennap), ("winmx", winmx), ("serverlist", server_list)):
        data = to_gif(*draw())
        with open(os.path.join(out, name + ".gif"), "wb") as f:
            f.write(data)
        with open(os.path.join(out, name + ".dat"), "wb") as f:
            f.write(struct.pack("<i", len(data)) + data)


main()
