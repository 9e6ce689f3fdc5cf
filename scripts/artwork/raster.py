"""Raster formats the resources need, read and written with the standard library only.

Pixels travel as an `Image`: width, height and a bytearray of RGBA rows, top row first.
The writers produce exactly the layouts the Windows resource compiler and loaders expect:
24-bit bottom-up BMP with a plain 40-byte BITMAPINFOHEADER (no alpha, so the common-controls
static keeps no private copy), and ICO files whose directory entries say planes 1, 32 bits.
"""

import struct
import zlib

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


class FormatError(ValueError):
    """The bytes are not the format (or the subset of it) that we read."""


class Image:
    def __init__(self, width, height, rgba=None):
        self.width = width
        self.height = height
        self.rgba = bytearray(rgba) if rgba is not None else bytearray(width * height * 4)
        if len(self.rgba) != width * height * 4:
            raise FormatError("pixel buffer does not match %dx%d" % (width, height))

    def pixel(self, x, y):
        at = (y * self.width + x) * 4
        return tuple(self.rgba[at:at + 4])

    def flattened(self, background=(255, 255, 255)):
        """The picture composed over an opaque background (alpha becomes 255 everywhere)."""
        out = bytearray(self.rgba)
        br, bg, bb = background
        for at in range(0, len(out), 4):
            a = out[at + 3]
            if a != 255:
                out[at] = (out[at] * a + br * (255 - a) + 127) // 255
                out[at + 1] = (out[at + 1] * a + bg * (255 - a) + 127) // 255
                out[at + 2] = (out[at + 2] * a + bb * (255 - a) + 127) // 255
                out[at + 3] = 255
        return Image(self.width, self.height, out)


# ---------------------------------------------------------------- PNG

def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(data):
    """Decode an 8-bit RGB or RGBA, non-interlaced PNG (what rsvg-convert writes)."""
    if data[:8] != PNG_SIGNATURE:
        raise FormatError("not a PNG")
    at, idat, header = 8, bytearray(), None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
    if header is None:
        raise FormatError("PNG without IHDR")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise FormatError("only 8-bit non-interlaced RGB/RGBA PNG is read")
    step = 4 if colour == 6 else 3
    stride = width * step
    raw = zlib.decompress(bytes(idat))
    rows, prior = [], bytearray(stride)
    for y in range(height):
        base = y * (stride + 1)
        kind, row = raw[base], bytearray(raw[base + 1:base + 1 + stride])
        if kind == 1:
            for i in range(step, stride):
                row[i] = (row[i] + row[i - step]) & 255
        elif kind == 2:
            for i in range(stride):
                row[i] = (row[i] + prior[i]) & 255
        elif kind == 3:
            for i in range(stride):
                left = row[i - step] if i >= step else 0
                row[i] = (row[i] + ((left + prior[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                left = row[i - step] if i >= step else 0
                upleft = prior[i - step] if i >= step else 0
                row[i] = (row[i] + _paeth(left, prior[i], upleft)) & 255
        elif kind != 0:
            raise FormatError("bad PNG filter %d" % kind)
        rows.append(row)
        prior = row
    if step == 4:
        return Image(width, height, b"".join(rows))
    out = bytearray(width * height * 4)
    flat = b"".join(rows)
    out[0::4], out[1::4], out[2::4] = flat[0::3], flat[1::3], flat[2::3]
    out[3::4] = b"\xff" * (width * height)
    return Image(width, height, out)


def _chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def write_png(image, opaque=False):
    """Encode as 8-bit RGBA (or RGB when `opaque`), filter 0, no ancillary chunks: byte-stable."""
    step = 3 if opaque else 4
    rows = bytearray()
    for y in range(image.height):
        row = image.rgba[y * image.width * 4:(y + 1) * image.width * 4]
        if opaque:
            rgb = bytearray(image.width * 3)
            rgb[0::3], rgb[1::3], rgb[2::3] = row[0::4], row[1::4], row[2::4]
            row = rgb
        rows += b"\x00" + row
    ihdr = struct.pack(">IIBBBBB", image.width, image.height, 8, 2 if opaque else 6, 0, 0, 0)
    return PNG_SIGNATURE + _chunk(b"IHDR", ihdr) + _chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + _chunk(b"IEND", b"")


# ---------------------------------------------------------------- BMP (24-bit, BITMAPINFOHEADER)

def write_bmp24(image):
    """Bottom-up 24-bit DIB; alpha is dropped, so flatten first when the picture has any."""
    stride = (image.width * 3 + 3) & ~3
    pixels = bytearray()
    pad = b"\x00" * (stride - image.width * 3)
    for y in range(image.height - 1, -1, -1):
        row = image.rgba[y * image.width * 4:(y + 1) * image.width * 4]
        bgr = bytearray(image.width * 3)
        bgr[0::3], bgr[1::3], bgr[2::3] = row[2::4], row[1::4], row[0::4]
        pixels += bgr + pad
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def read_bmp24(data):
    """Read back exactly the layout `write_bmp24` makes; anything else is a FormatError."""
    if len(data) < 54 or data[:2] != b"BM":
        raise FormatError("not a BMP")
    _, size, _, _, offset = struct.unpack("<2sIHHI", data[:14])
    hsize, width, height, planes, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    if size != len(data):
        raise FormatError("BMP file size field %d, file has %d bytes" % (size, len(data)))
    if hsize != 40:
        raise FormatError("BMP header is %d bytes, not a plain BITMAPINFOHEADER" % hsize)
    if planes != 1 or bits != 24 or compression != 0:
        raise FormatError("BMP is %d planes, %d bits, compression %d; want 1, 24, BI_RGB" % (planes, bits, compression))
    if width <= 0 or height <= 0:
        raise FormatError("BMP must be bottom-up with a positive size")
    if offset != 54:
        raise FormatError("BMP pixel data at %d, want 54 (no palette, no masks)" % offset)
    stride = (width * 3 + 3) & ~3
    if len(data) != 54 + stride * height:
        raise FormatError("BMP pixel data length does not match its size")
    out = bytearray(width * height * 4)
    for y in range(height):
        src = data[54 + (height - 1 - y) * stride:54 + (height - 1 - y) * stride + width * 3]
        dst = y * width * 4
        row = bytearray(width * 4)
        row[0::4], row[1::4], row[2::4] = src[2::3], src[1::3], src[0::3]
        row[3::4] = b"\xff" * width
        out[dst:dst + width * 4] = row
    return Image(width, height, out)


# ---------------------------------------------------------------- ICO

def _icon_dib(image):
    """A 32-bit icon image: BITMAPINFOHEADER with doubled height, BGRA rows, then the AND mask."""
    xor = bytearray()
    mask_stride = ((image.width + 31) // 32) * 4
    mask = bytearray()
    for y in range(image.height - 1, -1, -1):
        row = image.rgba[y * image.width * 4:(y + 1) * image.width * 4]
        bgra = bytearray(row)
        bgra[0::4], bgra[2::4] = row[2::4], row[0::4]
        xor += bgra
        bits = bytearray(mask_stride)
        for x in range(image.width):
            if row[x * 4 + 3] == 0:  # fully transparent: mask it for systems that ignore alpha
                bits[x >> 3] |= 0x80 >> (x & 7)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, image.width, image.height * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def write_ico(images, png_sizes=(256,)):
    """ICO with one 32-bit entry per image; sizes in `png_sizes` are stored PNG-compressed."""
    blobs = []
    for image in images:
        blobs.append(write_png(image) if image.width in png_sizes else _icon_dib(image))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for image, blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", image.width & 255, image.height & 255, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def read_ico(data):
    """Directory entries and decoded images: list of dicts (width, height, planes, bits, png, image)."""
    if len(data) < 6:
        raise FormatError("ICO shorter than its header")
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    if reserved != 0 or kind != 1:
        raise FormatError("not an icon file")
    entries = []
    for i in range(count):
        w, h, colours, _, planes, bits, size, offset = struct.unpack("<BBBBHHII", data[6 + 16 * i:22 + 16 * i])
        blob = data[offset:offset + size]
        if len(blob) != size:
            raise FormatError("icon image %d runs past the end of the file" % i)
        entry = {"width": w or 256, "height": h or 256, "colours": colours, "planes": planes, "bits": bits,
                 "png": blob[:8] == PNG_SIGNATURE}
        if entry["png"]:
            entry["image"] = read_png(blob)
        else:
            hsize, dw, dh, dplanes, dbits, comp = struct.unpack("<IiiHHI", blob[:20])
            if hsize != 40 or dbits != 32 or comp != 0 or dh != 2 * dw:
                raise FormatError("icon image %d is not a 32-bit BI_RGB DIB" % i)
            rows = blob[40:40 + dw * dw * 4]
            rgba = bytearray(dw * dw * 4)
            for y in range(dw):
                src = rows[(dw - 1 - y) * dw * 4:(dw - y) * dw * 4]
                row = bytearray(src)
                row[0::4], row[2::4] = src[2::4], src[0::4]
                rgba[y * dw * 4:(y + 1) * dw * 4] = row
            entry["image"] = Image(dw, dw, rgba)
            entry["dib_bits"] = dbits
        entries.append(entry)
    return entries
