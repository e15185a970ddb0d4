#!/usr/bin/env python3
"""Draws the program icon (a gravel heap under a green download arrow) and
writes it as a Windows .ico with 16x16, 32x32 and 48x48 true-colour images."""
import math
import struct
import sys


def pixel(x, y, size):
    """Colour (r, g, b, a) of the icon at pixel centre (x, y), in a size x size image."""
    u, v = (x + 0.5) / size, (y + 0.5) / size
    # Heap: a half ellipse standing on the bottom edge, speckled like gravel.
    hx, hy = (u - 0.5) / 0.48, (v - 0.98) / 0.42
    if hx * hx + hy * hy <= 1.0 and v <= 0.98:
        speckle = (math.sin(u * 57.0) * math.cos(v * 43.0) + math.sin((u + v) * 91.0)) * 0.5
        shade = 0.75 + 0.25 * (1.0 - v) + 0.18 * speckle
        return (int(min(255, 150 * shade)), int(min(255, 128 * shade)), int(min(255, 100 * shade)), 255)
    # Arrow: a shaft and a head pointing down onto the heap.
    if abs(u - 0.5) <= 0.11 and 0.04 <= v <= 0.36:
        return (40, 170, 60, 255)
    if 0.36 <= v <= 0.58 and abs(u - 0.5) <= (0.58 - v) * 1.25:
        return (40, 170, 60, 255)
    return (0, 0, 0, 0)


def image(size):
    """BITMAPINFOHEADER + bottom-up BGRA rows + AND mask, as an icon stores it."""
    rows = []
    mask_rows = []
    mask_stride = ((size + 31) // 32) * 4
    for y in reversed(range(size)):
        row = bytearray()
        mask = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = pixel(x, y, size)
            row += bytes((b, g, r, a))
            if a == 0:
                mask[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
        mask_rows.append(bytes(mask))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(rows) + b"".join(mask_rows)


def main(path):
    sizes = (16, 32, 48)
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1])
