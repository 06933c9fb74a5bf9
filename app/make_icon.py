#!/usr/bin/env python3
"""Draws the program's icon: a blue rounded tile with a white "V" over three
list lines. Writes a Windows .ico with 16, 32 and 48 pixel 32-bit images."""
import struct
import sys

SAMPLES = 4  # supersampling per axis for smooth edges


def inside_rounded_square(x, y, size, radius):
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def distance_to_segment(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    qx, qy = ax + t * dx, ay + t * dy
    return ((px - qx) ** 2 + (py - qy) ** 2) ** 0.5


def shade(u, v):
    """Colour (r, g, b, a) of the point (u, v) in the unit square."""
    if not inside_rounded_square(u, v, 1.0, 0.18):
        return (0, 0, 0, 0)
    # Tile: a vertical gradient from a light to a deep blue, with a thin darker rim.
    top, bottom = (70, 140, 230), (20, 60, 150)
    r, g, b = (int(top[i] + (bottom[i] - top[i]) * v) for i in range(3))
    if not inside_rounded_square(u - 0.04, v - 0.04, 0.92, 0.15) or u < 0.04 or v < 0.04:
        r, g, b = r * 3 // 4, g * 3 // 4, b * 3 // 4
    # Three list lines in the lower third, light blue.
    for line in range(3):
        y = 0.64 + line * 0.1
        if abs(v - y) < 0.028 and 0.2 < u < 0.8:
            r, g, b = (150, 200, 255)
    # The "V": two thick white strokes meeting at the bottom.
    stroke = 0.085
    d = min(distance_to_segment(u, v, 0.24, 0.16, 0.5, 0.82),
            distance_to_segment(u, v, 0.76, 0.16, 0.5, 0.82))
    if d < stroke:
        r, g, b = (255, 255, 255)
    return (r, g, b, 255)


def render(size):
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    u = (x + (sx + 0.5) / SAMPLES) / size
                    v = (y + (sy + 0.5) / SAMPLES) / size
                    r, g, b, a = shade(u, v)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] // n
            if acc[3]:
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def bitmap_image(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):  # bottom-up
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def main(path):
    sizes = (16, 32, 48)
    images = [bitmap_image(s) for s in sizes]
    out = bytearray(struct.pack("<HHH", 0, 1, len(sizes)))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
