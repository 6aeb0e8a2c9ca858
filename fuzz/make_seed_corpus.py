#!/usr/bin/env python3
"""Writes a small seed corpus for gif_reader_fuzzer into the folder given as argument.

The files are built here byte by byte (image data is coded without compression: literal codes
with a clear code before the decoder's code width would grow), and the small sample GIFs of the
shared bench data are copied beside them.
"""
import os
import shutil
import struct
import sys


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def lzw_literal(pixels, min_size):
    clear = 1 << min_size
    width = min_size + 1
    per_clear = (1 << width) - clear - 3
    codes = [clear]
    for n, p in enumerate(pixels):
        if n and n % per_clear == 0:
            codes.append(clear)
        codes.append(p)
    codes.append(clear + 1)
    bits, nbits, out = 0, 0, bytearray()
    for c in codes:
        bits |= c << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    if nbits:
        out.append(bits & 0xFF)
    return bytes([min_size]) + sub_blocks(bytes(out))


def table(n):
    return b"".join(bytes((i * 37 % 256, i * 91 % 256, i * 13 % 256)) for i in range(n))


def screen(w, h, gct_bits=None, version=b"89a", bg=0, aspect=0):
    packed = 0
    gct = b""
    if gct_bits is not None:
        packed = 0x80 | 0x70 | (gct_bits - 1)
        gct = table(1 << gct_bits)
    return b"GIF" + version + struct.pack("<HHBBB", w, h, packed, bg, aspect) + gct


def image(x, y, w, h, pixels, min_size=2, lct_bits=None, interlaced=False):
    packed = 0x40 if interlaced else 0
    lct = b""
    if lct_bits is not None:
        packed |= 0x80 | (lct_bits - 1)
        lct = table(1 << lct_bits)
    return b"," + struct.pack("<HHHHB", x, y, w, h, packed) + lct + lzw_literal(pixels, min_size)


def gce(delay=10, disposal=0, transparent=None):
    packed = (disposal << 2) | (1 if transparent is not None else 0)
    return b"!\xf9\x04" + struct.pack("<BHB", packed, delay, transparent or 0) + b"\x00"


def app(identifier, blocks):
    return b"!\xff\x0b" + identifier + b"".join(bytes([len(b)]) + b for b in blocks) + b"\x00"


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    seeds = {
        "one_pixel.gif": screen(1, 1, 1) + image(0, 0, 1, 1, [1]) + b";",
        "interlaced.gif": screen(4, 10, 2) + image(0, 0, 4, 10, [i % 4 for i in range(40)], interlaced=True) + b";",
        "animated.gif": screen(8, 8, 2) + app(b"NETSCAPE2.0", [b"\x01\x05\x00"]) + gce(5, 2, 3)
        + image(0, 0, 8, 8, [i % 4 for i in range(64)]) + gce(7, 1) + image(2, 2, 4, 4, [1] * 16, lct_bits=3, min_size=3)
        + b";",
        "extensions.gif": screen(4, 4, 1, aspect=49) + b"!\xfe" + sub_blocks(b"a comment") + app(b"ANIMEXTS1.0", [b"\x01\x00\x00"])
        + app(b"XMP DataXMP", [b"abc", b"\x00\x01"]) + b"!\x01\x0c" + struct.pack("<HHHHBBBB", 0, 0, 4, 4, 1, 1, 1, 0)
        + sub_blocks(b"text") + image(0, 0, 4, 4, [0, 1] * 8) + gce(0) + b";",
        "eight_bit_local.gif": screen(16, 16) + image(0, 0, 16, 16, list(range(256)), min_size=8, lct_bits=8) + b";",
        "prefixed.gif": b"MACB" + screen(2, 2, 1, version=b"87a") + image(0, 0, 2, 2, [0, 1, 1, 0]) + b"\x00;",
        "truncated.gif": (screen(10, 10, 2) + image(0, 0, 10, 10, [2] * 100))[:-9],
        "zero_size_frame.gif": screen(3, 3, 1) + image(0, 0, 0, 0, [1] * 9) + b";",
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)
    samples = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "shared", "bench-data")
    for name in ("bricks-dither.gif",):
        path = os.path.join(samples, name)
        if os.path.exists(path):
            shutil.copy(path, os.path.join(out, name))


if __name__ == "__main__":
    main()
