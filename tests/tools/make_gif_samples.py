#!/usr/bin/env python3
"""Writes the sample GIF files of the velloran-tool gif tests with our own
writer, and the PAM file each should compose into, worked out here
independently of the program's code. Run from the repository root:
python3 tests/tools/make_gif_samples.py"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "app", "logos"))
from gifwrite import Gif  # noqa: E402

DATA = os.path.join(os.path.dirname(__file__), "data")
PALETTE = [(0, 0, 0), (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0), (9, 9, 9), (200, 100, 50), (1, 2, 3)]


def animation():
    """A 6 x 4 picture of three frames: opaque, transparent and disposed to
    the background, and one restored to what it covered."""
    frames = [
        dict(left=0, top=0, width=6, height=4, disposal=1, delay=10, transparent=None,
             pixels=[1] * 6 + [2] * 6 + [3] * 6 + [4] * 6),
        dict(left=2, top=1, width=3, height=2, disposal=2, delay=20, transparent=7,
             pixels=[6, 7, 6, 7, 6, 7]),
        dict(left=0, top=2, width=2, height=2, disposal=3, delay=3, transparent=None,
             pixels=[5, 5, 5, 5]),
    ]
    gif = Gif(6, 4, PALETTE).loop(3)
    for f in frames:
        gif.control(f["disposal"], f["delay"], f["transparent"])
        gif.image(f["width"], f["height"], f["pixels"], f["left"], f["top"])
    return gif.finish(), 6, 4, frames


def compose(width, height, frames):
    """The composed images as the tool writes them: RGBA per pixel, None = transparent."""
    picture = [None] * (width * height)
    saved = {}
    images = []

    def area(f):
        for y in range(f["height"]):
            for x in range(f["width"]):
                yield (f["top"] + y) * width + f["left"] + x, y * f["width"] + x

    def draw(i):
        f = frames[i]
        if f["disposal"] == 3:
            saved[i] = {at: picture[at] for at, _ in area(f)}
        for at, source in area(f):
            index = f["pixels"][source]
            if index != f["transparent"]:
                picture[at] = PALETTE[index] if index < len(PALETTE) else (0, 0, 0)

    def dispose(i):
        f = frames[i]
        if f["disposal"] == 2:
            for at, _ in area(f):
                picture[at] = None
        elif f["disposal"] == 3:
            for at, _ in area(f):
                picture[at] = saved[i][at]

    for i in range(len(frames)):
        if i > 0:
            dispose(i - 1)
        draw(i)
        images.append(list(picture))
    if len(frames) > 1:
        dispose(len(frames) - 1)
        draw(0)
        images.append(list(picture))
    out = bytearray()
    for image in images:
        out += b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (width, height)
        for pixel in image:
            out += bytes(pixel) + b"\xff" if pixel else b"\0\0\0\0"
    return bytes(out)


def main():
    data, width, height, frames = animation()
    with open(os.path.join(DATA, "animation.gif"), "wb") as f:
        f.write(data)
    with open(os.path.join(DATA, "animation.pam"), "wb") as f:
        f.write(compose(width, height, frames))
    # Cut inside the screen descriptor: the load fails.
    with open(os.path.join(DATA, "cut.gif"), "wb") as f:
        f.write(data[:9])


main()
