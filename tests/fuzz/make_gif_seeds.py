#!/usr/bin/env python3
"""Writes the seed files of the gif fuzz target with our own GIF writer.
Run from the repository root: python3 tests/fuzz/make_gif_seeds.py"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "app", "logos"))
from gifwrite import Gif  # noqa: E402

OUT = os.path.join(os.path.dirname(__file__), "corpus", "gif")
GREYS = [(i * 36, i * 36, i * 36) for i in range(8)]


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


# Two frames, the second transparent with a local table, disposed to the background.
gif = Gif(8, 6, GREYS).loop(0)
gif.control(1, 5).image(8, 6, [(x + y) % 8 for y in range(6) for x in range(8)])
gif.control(2, 7, 3).image(4, 3, [3, 1, 2, 3] * 3, 2, 2, palette=[(255, 0, 0), (0, 255, 0), (0, 0, 255), (9, 9, 9)])
write("two-frames.gif", gif.finish())

# One 87a frame without any colour table, grown beyond its screen.
gif = Gif(4, 4, None, version=b"87a")
gif.image(5, 2, [0, 1, 0, 1, 0] * 2, 3, 3)
write("no-table-87a.gif", gif.finish())

# Restore-to-previous over a comment-free picture, three frames.
gif = Gif(6, 6, GREYS)
gif.control(0, 0).image(6, 6, [i % 8 for i in range(36)])
gif.control(3, 2, 0).image(3, 3, [0, 5, 0, 5, 5, 5, 0, 5, 0], 1, 1)
gif.control(1, 2).image(2, 2, [7, 7, 7, 7], 4, 4)
write("restore-previous.gif", gif.finish())
