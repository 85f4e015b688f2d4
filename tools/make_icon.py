#!/usr/bin/env python3
"""Writes src/res/larkmoor.ico: the program's 32 x 32, 16-colour icon (a letter on a
backup box), drawn from the pixel map below so that it can be changed and rebuilt."""
import struct
import sys

# The 16 standard Windows colours, in the usual VGA order.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# '.' transparent; other characters index PALETTE in hex.
ART = [
    "................................",
    "................................",
    "................................",
    "....000000000000000000000000....",
    "....0ffffffffffffffffffffff0....",
    "....0f0ffffffffffffffffff0f0....",
    "....0ff0ffffffffffffffff0ff0....",
    "....0fff0ffffffffffffff0fff0....",
    "....0ffff0ffffffffffff0ffff0....",
    "....0fffff0ffffffffff0fffff0....",
    "....0ffffff0ffffffff0ffffff0....",
    "....0fffffff0ffffff0fffffff0....",
    "....0ffffffff000000ffffffff0....",
    "....0ffffffffffffffffffffff0....",
    "....000000000000000000000000....",
    "................................",
    "..............0cc0..............",
    "..............0cc0..............",
    "..............0cc0..............",
    "...........000cccc000...........",
    "............0cccccc0............",
    ".............0cccc0.............",
    "..............0cc0..............",
    "...00000000000000000000000000...",
    "...0888888888888888888888880...",
    "...08777777777777777777777780...",
    "...0877777777700007777777a780...",
    "...0877777777777777777777a780...",
    "...08777777777777777777777780...",
    "...08888888888888888888888880...",
    "...00000000000000000000000000...",
    "................................",
]


def main(out):
    rows = [r.ljust(32, ".")[:32] for r in ART]
    xor = bytearray()
    andmask = bytearray()
    for row in reversed(rows):  # bottom-up
        nib = [0 if c == "." else int(c, 16) for c in row]
        for i in range(0, 32, 2):
            xor.append((nib[i] << 4) | nib[i + 1])
        bits = 0
        line = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c == "." else 0)
            if i % 8 == 7:
                line.append(bits)
                bits = 0
        andmask += line  # 4 bytes: already DWORD-aligned
    header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    image = header + pal + bytes(xor) + bytes(andmask)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    with open(out, "wb") as f:
        f.write(icondir + entry + image)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/res/larkmoor.ico")
