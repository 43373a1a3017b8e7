#!/usr/bin/env python3
"""Draws the GIF images of the program's WEBIMAGE folder (type icons and the export's marks).

Run from the repository root: scripts/make_webimage.py. The images are committed; the build
only copies them.
"""
import os
import struct

# 3x5 pixel glyphs, rows top to bottom, "#" = ink.
FONT = {
    "F": ["###", "#..", "##.", "#..", "#.."], "S": [".##", "#..", ".#.", "..#", "##."],
    "M": ["#.#", "###", "###", "#.#", "#.#"], "P": ["##.", "#.#", "##.", "#..", "#.."],
    "O": [".#.", "#.#", "#.#", "#.#", ".#."], "U": ["#.#", "#.#", "#.#", "#.#", "###"],
    "?": ["##.", "..#", ".#.", "...", ".#."], "I": ["###", ".#.", ".#.", ".#.", "###"],
    "C": [".##", "#..", "#..", "#..", ".##"], "K": ["#.#", "#.#", "##.", "#.#", "#.#"],
    "N": ["#.#", "###", "###", "###", "#.#"], "E": ["###", "#..", "##.", "#..", "###"],
    "W": ["#.#", "#.#", "###", "###", "#.#"], "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "G": [".##", "#..", "#.#", "#.#", ".##"], " ": ["...", "...", "...", "...", "..."],
}


def lzw_fixed(pixels, min_code_size):
    """LZW data that never grows the code size: a clear code before the table would grow."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width = min_code_size + 1
    codes, run = [clear], 0
    for p in pixels:
        if run == (1 << min_code_size) - 2:
            codes.append(clear)
            run = 0
        codes.append(p)
        run += 1
    codes.append(end)
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += width
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc)
    return bytes(out)


def gif(width, height, palette, pixels, transparent=None):
    palette = palette + [(0, 0, 0)] * (4 - len(palette))
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | 0x01, 0, 0)  # 4-colour global table
    for r, g, b in palette[:4]:
        data += bytes((r, g, b))
    if transparent is not None:
        data += bytes((0x21, 0xF9, 4, 1, 0, 0, transparent, 0))
    data += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0)
    data += bytes((2,))
    lzw = lzw_fixed(pixels, 2)
    for i in range(0, len(lzw), 255):
        chunk = lzw[i:i + 255]
        data += bytes((len(chunk),)) + chunk
    data += b"\x00\x3b"
    return bytes(data)


def badge(label, colour, width):
    """A coloured badge with a dark border and white letters; palette: 0 bg, 1 border, 2 ink."""
    height = 11
    px = [[0] * width for _ in range(height)]
    for x in range(width):
        px[0][x] = px[height - 1][x] = 1
    for y in range(height):
        px[y][0] = px[y][width - 1] = 1
    text_w = len(label) * 4 - 1
    x0, y0 = (width - text_w) // 2, 3
    for i, ch in enumerate(label):
        for dy, row in enumerate(FONT[ch]):
            for dx, cell in enumerate(row):
                if cell == "#":
                    px[y0 + dy][x0 + i * 4 + dx] = 2
    dark = tuple(c // 2 for c in colour)
    return gif(width, height, [colour, dark, (255, 255, 255)], [p for row in px for p in row])


IMAGES = {
    "s_free2.gif": ("F", (0, 0, 255), 11), "s_share2.gif": ("S", (220, 0, 0), 11),
    "s_sample2.gif": ("SM", (200, 0, 200), 11), "s_product2.gif": ("P", (0, 128, 0), 11),
    "s_other2.gif": ("O", (96, 96, 96), 11), "s_update2.gif": ("U", (0, 127, 127), 11),
    "s_unknown.gif": ("?", (128, 128, 128), 11), "pickup.gif": ("PICK", (230, 120, 0), 19),
    "news.gif": ("NEWS", (0, 100, 200), 19), "regi.gif": ("REGI", (150, 0, 60), 19),
}


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "WEBIMAGE")
    os.makedirs(folder, exist_ok=True)
    for name, (label, colour, width) in IMAGES.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(badge(label, colour, width))
    with open(os.path.join(folder, "spacer.gif"), "wb") as f:
        f.write(gif(1, 1, [(255, 255, 255)], [0], transparent=0))


if __name__ == "__main__":
    main()
