#!/usr/bin/env python3
"""Draws the stub's application icon, stubra.ico beside this script.

A parcel on a blue tile with an arrow pointing down into it: a package that
unpacks itself. Drawn with plain geometry at 16, 32 and 48 pixels, each
anti-aliased by 4x4 supersampling, stored as 32-bit images with alpha.

    python3 make_icon.py [--preview FOLDER]

--preview also writes each size as a PNG, to look at the result.
"""

import argparse
import pathlib
import struct
import zlib

SIZES = (16, 32, 48)
SUPERSAMPLING = 4

TILE = (0x1D, 0x4E, 0x89)
PARCEL = (0xE8, 0x9B, 0x3C)
PARCEL_SHADE = (0xC0, 0x74, 0x22)
ARROW = (0xFF, 0xFF, 0xFF)


def in_rounded_square(x, y, left, top, right, bottom, radius):
    """Whether (x, y) lies inside the rectangle with rounded corners."""
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius**2


def colour_at(x, y):
    """The colour of the icon at (x, y) in the unit square, or None if clear."""
    if not in_rounded_square(x, y, 0.02, 0.02, 0.98, 0.98, 0.18):
        return None
    # The parcel: its front face, and a lid band across its top.
    if 0.18 <= x <= 0.82 and 0.50 <= y <= 0.88:
        if y <= 0.60 or 0.46 <= x <= 0.54:
            return PARCEL_SHADE
        return PARCEL
    # The arrow: a shaft and a head whose tip reaches into the lid.
    if 0.42 <= x <= 0.58 and 0.10 <= y <= 0.36:
        return ARROW
    if 0.30 <= y <= 0.56 and abs(x - 0.5) <= (0.56 - y) * 0.95:
        return ARROW
    return TILE


def render(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    rows = []
    samples = SUPERSAMPLING * SUPERSAMPLING
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0, 0]
            for sy in range(SUPERSAMPLING):
                for sx in range(SUPERSAMPLING):
                    x = (px + (sx + 0.5) / SUPERSAMPLING) / size
                    y = (py + (sy + 0.5) / SUPERSAMPLING) / size
                    colour = colour_at(x, y)
                    if colour is not None:
                        for i in range(3):
                            total[i] += colour[i]
                        total[3] += 1
            covered = total[3]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append(tuple(round(c / covered) for c in total[:3])
                           + (round(255 * covered / samples),))
        rows.append(row)
    return rows


def dib(rows):
    """One icon image: a BITMAPINFOHEADER, BGRA pixels bottom-up, AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(rows):
        bits = 0
        for i, pixel in enumerate(row):
            if pixel[3] == 0:
                bits |= 1 << (mask_row_bytes * 8 - 1 - i)
        mask += bits.to_bytes(mask_row_bytes, "big")
    return header + pixels + mask


def ico(images):
    """An .ico file holding the given (size, image bytes) pairs."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(image for _, image in images)


def png(rows):
    """A PNG of the rows, for the preview."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    size = len(rows)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", type=pathlib.Path, help="folder for PNG previews")
    arguments = parser.parse_args()

    renders = {size: render(size) for size in SIZES}
    target = pathlib.Path(__file__).with_name("stubra.ico")
    target.write_bytes(ico([(size, dib(rows)) for size, rows in renders.items()]))
    if arguments.preview:
        arguments.preview.mkdir(parents=True, exist_ok=True)
        for size, rows in renders.items():
            (arguments.preview / f"stubra-{size}.png").write_bytes(png(rows))


if __name__ == "__main__":
    main()
