#!/usr/bin/env python3
"""Writes the samples that state an orientation, unequal axes or several pages (see README.md).

The JPEGs are grey-200dpi.jpg with its JFIF resolution made an aspect ratio only and an EXIF
block added; the TIFFs and the PNG are written byte by byte here. Run from this folder."""
import struct
import zlib

W, H = 8, 4
GREY = bytes(30 * x + 10 * y for y in range(H) for x in range(W))


def exif(orientation, x_dpi, y_dpi):
    """A big-endian TIFF structure, as cameras write it: Orientation and the resolution."""
    entries = [(274, 3, 1, orientation << 16), (282, 5, 1, 0), (283, 5, 1, 0), (296, 3, 1, 2 << 16)]
    ifd_size = 2 + 12 * len(entries) + 4
    data_at = 8 + ifd_size
    out = b"MM\0*" + struct.pack(">I", 8) + struct.pack(">H", len(entries))
    rationals = b""
    for tag, kind, count, value in entries:
        if kind == 5:
            value = data_at + len(rationals)
            rationals += struct.pack(">II", x_dpi if tag == 282 else y_dpi, 1)
        out += struct.pack(">HHII", tag, kind, count, value)
    return out + struct.pack(">I", 0) + rationals


def jpeg_with_exif(orientation, x_dpi=300, y_dpi=600):
    base = bytearray(open("grey-200dpi.jpg", "rb").read())
    assert base[2:4] == b"\xff\xe0" and base[6:11] == b"JFIF\0"
    base[13] = 0  # JFIF units: none, an aspect ratio only
    base[14:18] = struct.pack(">HH", 1, 1)
    app0_end = 4 + struct.unpack(">H", base[4:6])[0]
    block = b"Exif\0\0" + exif(orientation, x_dpi, y_dpi)
    app1 = b"\xff\xe1" + struct.pack(">H", 2 + len(block)) + block
    return bytes(base[:app0_end]) + app1 + bytes(base[app0_end:])


def tiff(pages):
    """Little-endian TIFF, one uncompressed grey strip a directory: (pixels, w, h, orientation,
    x dpi, y dpi, reduced-resolution)."""
    out = bytearray(b"II*\0\0\0\0\0")
    previous_link = 4
    for pixels, w, h, orientation, x_dpi, y_dpi, reduced in pages:
        strip = len(out)
        out += pixels
        rationals = len(out)
        out += struct.pack("<IIII", x_dpi, 1, y_dpi, 1)
        if len(out) % 2:
            out += b"\0"
        entries = [(254, 4, 1, 1 if reduced else 0), (256, 3, 1, w), (257, 3, 1, h),
                   (258, 3, 1, 8), (259, 3, 1, 1), (262, 3, 1, 1), (273, 4, 1, strip),
                   (274, 3, 1, orientation), (277, 3, 1, 1), (278, 3, 1, h),
                   (279, 4, 1, len(pixels)), (282, 5, 1, rationals), (283, 5, 1, rationals + 8),
                   (296, 3, 1, 2)]
        ifd = len(out)
        struct.pack_into("<I", out, previous_link, ifd)
        out += struct.pack("<H", len(entries))
        for tag, kind, count, value in entries:
            out += struct.pack("<HHI", tag, kind, count) + struct.pack("<I", value)
        previous_link = len(out)
        out += b"\0\0\0\0"
    return bytes(out)


def png_unequal():
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + GREY[y * W:(y + 1) * W] for y in range(H))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 0, 0, 0, 0))
            + chunk(b"pHYs", struct.pack(">IIB", 11811, 23622, 1))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


for o in range(1, 9):
    open(f"grey-exif{o}-300x600dpi.jpg", "wb").write(jpeg_with_exif(o))
# A camera's EXIF: 72 dpi, which says nothing of the page.
open("grey-exif1-72dpi.jpg", "wb").write(jpeg_with_exif(1, 72, 72))
open("grey-turned6-300x600dpi.tif", "wb").write(tiff([(GREY, W, H, 6, 300, 600, False)]))
inverted = bytes(255 - v for v in GREY)
open("pages-thumbnail.tif", "wb").write(tiff([
    (GREY, W, H, 1, 300, 300, False),
    (bytes(4 * 2), 4, 2, 1, 150, 150, True),  # a thumbnail, not a page
    (inverted, W, H, 3, 200, 400, False)]))
open("grey-300x600dpi.png", "wb").write(png_unequal())
