#!/usr/bin/env python3
"""Draws qqshare's icon: a blue speech bubble holding a white share arrow,
at 16, 32 and 48 pixels in the 16-colour VGA palette, and writes it as an
.ico file (the icon group DEFAULT_ICON of the resource script).

Usage: make_icon.py OUT.ico
"""
import struct
import sys

# The 16 VGA colours, each as (blue, green, red), the order of an RGBQUAD.
PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
NAVY, BLUE, WHITE = 4, 12, 15


def inside_bubble(x, y):
    # Ellipse body plus a tail at the lower left, in unit coordinates.
    cx, cy, rx, ry = 0.5, 0.42, 0.46, 0.36
    if ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0:
        return True
    # Tail: triangle (0.18,0.62) (0.40,0.70) (0.10,0.95)
    return point_in_triangle(x, y, (0.18, 0.60), (0.42, 0.70), (0.10, 0.95))


def point_in_triangle(x, y, a, b, c):
    def side(p, q):
        return (x - q[0]) * (p[1] - q[1]) - (p[0] - q[0]) * (y - q[1])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    negative = d1 < 0 or d2 < 0 or d3 < 0
    positive = d1 > 0 or d2 > 0 or d3 > 0
    return not (negative and positive)


def inside_arrow(x, y):
    # A right-pointing arrow: a shaft and a head.
    if 0.26 <= x <= 0.56 and 0.36 <= y <= 0.48:
        return True
    return point_in_triangle(x, y, (0.52, 0.22), (0.52, 0.62), (0.78, 0.42))


def draw(size):
    pixels, mask = [], []
    for row in range(size):
        line, line_mask = [], []
        for col in range(size):
            x, y = (col + 0.5) / size, (row + 0.5) / size
            edge = 1.0 / size
            if inside_bubble(x, y):
                near_edge = not all(inside_bubble(x + dx, y + dy)
                                    for dx, dy in ((edge, 0), (-edge, 0), (0, edge), (0, -edge)))
                colour = NAVY if near_edge else (WHITE if inside_arrow(x, y) else BLUE)
                line.append(colour)
                line_mask.append(0)
            else:
                line.append(0)
                line_mask.append(1)
        pixels.append(line)
        mask.append(line_mask)
    return pixels, mask


def image_bytes(size):
    pixels, mask = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (b, g, r) in PALETTE)
    xor_rows = []
    for line in reversed(pixels):
        packed = bytes((line[i] << 4) | line[i + 1] for i in range(0, size, 2))
        xor_rows.append(packed + b'\0' * ((-len(packed)) % 4))
    and_rows = []
    for line in reversed(mask):
        packed = bytearray((size + 7) // 8)
        for i, bit in enumerate(line):
            if bit:
                packed[i // 8] |= 0x80 >> (i % 8)
        and_rows.append(bytes(packed) + b'\0' * ((-len(packed)) % 4))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def main():
    sizes = (16, 32, 48)
    images = [image_bytes(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
