#!/usr/bin/env python3
"""Rebuilds corvane.ico from the committed PNG icons; run it after they change.

Needs ImageMagick's convert (Debian package imagemagick). ImageMagick's own ICO
writer stores every small image as 32-bit BGRA, so it only converts each PNG
here (to a 24-bit BMP, or an RGBA PNG for 256 px) and this script packs them:
the small images stay 24-bit colour, which is what the 32 px entry must be.
"""

import pathlib
import struct
import subprocess
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
ICONS = HERE.parent / "icons"
BMP_SIZES = (32, 48)  # stored as 24-bit bitmaps
PNG_SIZE = 256  # stored as PNG, as Windows expects for 256 px


def convert(args):
    subprocess.run(["convert", *args], check=True)


def bitmap_entry(png, tmp):
    bmp = tmp / (png.stem + ".bmp")
    convert([str(png), "-alpha", "off", "-type", "TrueColor", "BMP3:" + str(bmp)])
    data = bmp.read_bytes()
    pixels_at = struct.unpack_from("<I", data, 10)[0]
    header = bytearray(data[14:54])
    size, width, height, _planes, bpp = struct.unpack_from("<IiiHH", header)
    if size != 40 or bpp != 24 or width != height or height <= 0:
        raise SystemExit(f"{bmp}: expected a bottom-up 24-bit BMP, got {bpp} bits, {width}x{height}")
    # An icon's bitmap header counts the colour rows and the AND mask rows together.
    struct.pack_into("<i", header, 8, 2 * height)
    stride = (width * 3 + 3) & ~3
    pixels = data[pixels_at:pixels_at + stride * height]
    mask = bytes(((width + 31) // 32 * 4) * height)  # all zero: every pixel opaque
    return width, 24, bytes(header) + pixels + mask


def png_entry(png, tmp):
    out = tmp / (png.stem + "-rgba.png")
    convert([str(png), "-strip", "-define", "png:exclude-chunks=date,time", "PNG32:" + str(out)])
    return PNG_SIZE, 32, out.read_bytes()


def main():
    with tempfile.TemporaryDirectory() as tmpdir:
        tmp = pathlib.Path(tmpdir)
        entries = [bitmap_entry(ICONS / f"corvane-{n}.png", tmp) for n in BMP_SIZES]
        entries.append(png_entry(ICONS / f"corvane-{PNG_SIZE}.png", tmp))

    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, bpp, blob in entries:
        side = size % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
    for _size, _bpp, blob in entries:
        out += blob
    (HERE / "corvane.ico").write_bytes(out)


if __name__ == "__main__":
    main()
