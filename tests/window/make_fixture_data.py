#!/usr/bin/env python3
"""Writes the data settings of the window tests' forms as hex: a 1-bit BMP
(left half red, right half blue), a GIF of the same, a WAV of silence, an
.ico with 16 and 32 pixel images and a .cur with its hot spot at (5, 7).

Usage: make_fixture_data.py NAME   (prints that item's hex digits)
"""
import struct
import sys


def bmp_halves(width, height):
    # 1 bit a pixel, palette 0 red, 1 blue; bottom-up rows padded to 4 bytes.
    row_bytes = ((width + 31) // 32) * 4
    rows = b""
    for _ in range(height):
        bits = [0 if x < width // 2 else 1 for x in range(width)]
        row = bytearray(row_bytes)
        for x, bit in enumerate(bits):
            if bit:
                row[x // 8] |= 0x80 >> (x % 8)
        rows += bytes(row)
    palette = bytes([0x00, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0x00, 0x00])
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 1, 0, len(rows), 2835, 2835, 2, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


def gif_halves(width, height):
    # Two colours, LZW kept at 3-bit codes by a clear code every two pixels.
    screen = struct.pack("<6sHHBBB", b"GIF89a", width, height, 0x80, 0, 0)
    palette = bytes([0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF])
    image = struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    pixels = [0 if x < width // 2 else 1 for _ in range(height) for x in range(width)]
    clear, end = 4, 5
    codes = []
    for i in range(0, len(pixels), 2):
        codes.append(clear)
        codes.extend(pixels[i:i + 2])
    codes.append(end)
    bits, nbits, data = 0, 0, bytearray()
    for code in codes:
        bits |= code << nbits
        nbits += 3
        while nbits >= 8:
            data.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        data.append(bits & 0xFF)
    blocks = b""
    for i in range(0, len(data), 255):
        chunk = bytes(data[i:i + 255])
        blocks += bytes([len(chunk)]) + chunk
    return screen + palette + image + bytes([2]) + blocks + b"\x00" + b"\x3B"


def wav_silence(milliseconds):
    rate = 8000
    samples = bytes([0x80]) * (rate * milliseconds // 1000)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples
    return b"RIFF" + struct.pack("<I", len(body)) + body


def dib_4bpp(size, colour_index):
    # One colour all over, nothing transparent.
    row = bytes([colour_index << 4 | colour_index]) * (size // 2)
    xor = row * size
    and_row = bytes(((size + 31) // 32) * 4)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes([b, g, r, 0]) for (r, g, b) in [(0, 0, 0)] * 9 + [(255, 0, 0)] + [(0, 0, 0)] * 6)
    return info + palette + xor + and_row * size


def dib_1bpp(size):
    xor = bytes(((size + 31) // 32) * 4) * size
    and_mask = bytes([0xFF]) * (((size + 31) // 32) * 4 * size)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])
    return info + palette + xor + and_mask


def icon_file(kind, images, hotspot=(0, 0)):
    header = struct.pack("<HHH", 0, kind, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, bpp, blob in images:
        planes, bits = (1, bpp) if kind == 1 else hotspot
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bpp == 4 else 0, 0, planes, bits,
                               len(blob), offset + len(blobs))
        blobs += blob
    return header + entries + blobs


ITEMS = {
    "bmp600x20": lambda: bmp_halves(600, 20),
    "bmp20x10": lambda: bmp_halves(20, 10),
    "gif20x10": lambda: gif_halves(20, 10),
    "wav": lambda: wav_silence(200),
    "ico": lambda: icon_file(1, [(16, 4, dib_4bpp(16, 9)), (32, 4, dib_4bpp(32, 9))]),
    "cur": lambda: icon_file(2, [(32, 1, dib_1bpp(32))], hotspot=(5, 7)),
}

if __name__ == "__main__":
    sys.stdout.write(ITEMS[sys.argv[1]]().hex().upper())
