"""A small GIF89a writer (with its own LZW encoder) and a block-level reader.

We write the busy animation ourselves so that its block structure is exactly the one the
frame splitter is built and tested against: a global colour table, then per frame a graphic
control extension and a full-size image, with a comment extension and the NETSCAPE2.0
looping extension between the first frame's control extension and its image.
"""

import struct


class GifError(ValueError):
    pass


# ---------------------------------------------------------------- writing

def lzw_encode(indices, min_code_size):
    """GIF-flavoured LZW: variable code width from min+1 to 12 bits, packed LSB first."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    out, acc, nbits = bytearray(), 0, 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 255)
            acc >>= 8
            nbits -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}, end + 1, min_code_size + 1

    table, next_code, width = fresh_table()
    emit(clear, width)
    prefix = ()
    for index in indices:
        candidate = prefix + (index,)
        if candidate in table:
            prefix = candidate
            continue
        emit(table[prefix], width)
        if next_code < 4096:
            table[candidate] = next_code
            # The decoder widens one code later than the encoder adds, hence ">" not ">=".
            if next_code == (1 << width) and width < 12:
                width += 1
            next_code += 1
        else:
            emit(clear, width)
            table, next_code, width = fresh_table()
        prefix = (index,)
    if prefix:
        emit(table[prefix], width)
    emit(end, width)
    if nbits:
        out.append(acc & 255)
    return bytes(out)


def sub_blocks(data):
    """Split into data sub-blocks of at most 255 bytes, ended by the zero-length block."""
    out = bytearray()
    for at in range(0, len(data), 255):
        piece = data[at:at + 255]
        out.append(len(piece))
        out += piece
    out.append(0)
    return bytes(out)


def graphic_control(delay, disposal):
    return struct.pack("<BBBBHBB", 0x21, 0xF9, 4, (disposal & 7) << 2, delay, 0, 0)


def comment(text):
    return b"\x21\xFE" + sub_blocks(text.encode("ascii"))


def netscape_loop(count=0):
    return b"\x21\xFF\x0BNETSCAPE2.0" + struct.pack("<BBHB", 3, 1, count, 0)


def image(width, height, indices, min_code_size, left=0, top=0):
    descriptor = struct.pack("<BHHHHB", 0x2C, left, top, width, height, 0)
    return descriptor + bytes([min_code_size]) + sub_blocks(lzw_encode(indices, min_code_size))


def write_animation(width, height, palette, frames, delay, disposal, comment_text):
    """`palette`: list of (r, g, b), a power of two from 2 to 256 long; `frames`: index lists."""
    bits = len(palette).bit_length() - 1
    if len(palette) != 1 << bits or not 1 <= bits <= 8:
        raise GifError("palette size must be a power of two from 2 to 256")
    packed = 0x80 | (7 << 4) | (bits - 1)
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", width, height, packed, 0, 0))
    for r, g, b in palette:
        out += bytes((r, g, b))
    min_code_size = max(2, bits)
    for number, indices in enumerate(frames):
        out += graphic_control(delay, disposal)
        if number == 0:
            out += comment(comment_text)
            out += netscape_loop(0)
        out += image(width, height, indices, min_code_size)
    out += b"\x3B"
    return bytes(out)


# ---------------------------------------------------------------- reading (for checks)

def _chain(data, at):
    """Bytes of a sub-block chain starting at `at`, and the offset just past its terminator."""
    payload = bytearray()
    while True:
        if at >= len(data):
            raise GifError("sub-block chain runs past the end")
        n = data[at]
        if n == 0:
            return bytes(payload), at + 1
        if at + 1 + n > len(data):
            raise GifError("sub-block runs past the end")
        payload += data[at + 1:at + 1 + n]
        at += 1 + n


def lzw_decode(data, min_code_size, count):
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    width, acc, nbits, at = min_code_size + 1, 0, 0, 0
    table, out, previous = None, bytearray(), None

    def reset():
        return [bytes([i]) for i in range(clear)] + [b"", b""]

    table = reset()
    while True:
        while nbits < width:
            if at >= len(data):
                raise GifError("LZW data ends without an end code")
            acc |= data[at] << nbits
            at += 1
            nbits += 8
        code = acc & ((1 << width) - 1)
        acc >>= width
        nbits -= width
        if code == clear:
            table, width, previous = reset(), min_code_size + 1, None
            continue
        if code == end:
            break
        if previous is None:
            if code >= clear:
                raise GifError("LZW stream starts with a non-literal code")
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            table.append(previous + entry[:1])
        elif code == len(table):
            entry = previous + previous[:1]
            table.append(entry)
        else:
            raise GifError("LZW code %d beyond the table" % code)
        out += entry
        previous = entry
        if len(table) == (1 << width) and width < 12:
            width += 1
    if len(out) != count:
        raise GifError("image holds %d pixels, want %d" % (len(out), count))
    return bytes(out)


def read_blocks(data):
    """The file as a list of blocks: dicts with 'kind', 'offset', 'length' and decoded fields."""
    if len(data) < 13 or data[:6] not in (b"GIF87a", b"GIF89a"):
        raise GifError("not a GIF")
    width, height, packed, background, aspect = struct.unpack("<HHBBB", data[6:13])
    gct = 3 * (1 << ((packed & 7) + 1)) if packed & 0x80 else 0
    header = {"kind": "header", "offset": 0, "length": 13 + gct, "version": data[:6].decode(),
              "width": width, "height": height, "packed": packed, "gct_bytes": gct,
              "palette": [tuple(data[13 + 3 * i:16 + 3 * i]) for i in range(gct // 3)]}
    blocks, at = [header], 13 + gct
    while True:
        if at >= len(data):
            raise GifError("no trailer")
        intro = data[at]
        if intro == 0x3B:
            blocks.append({"kind": "trailer", "offset": at, "length": 1})
            if at + 1 != len(data):
                raise GifError("%d bytes after the trailer" % (len(data) - at - 1))
            return blocks
        if intro == 0x2C:
            left, top, w, h, p = struct.unpack("<HHHHB", data[at + 1:at + 10])
            lct = 3 * (1 << ((p & 7) + 1)) if p & 0x80 else 0
            code_size = data[at + 10 + lct]
            payload, end = _chain(data, at + 11 + lct)
            blocks.append({"kind": "image", "offset": at, "length": end - at, "left": left, "top": top,
                           "width": w, "height": h, "lct_bytes": lct, "interlaced": bool(p & 0x40),
                           "min_code_size": code_size, "lzw": payload})
            at = end
            continue
        if intro != 0x21 or at + 1 >= len(data):
            raise GifError("unknown block 0x%02X at %d" % (intro, at))
        label = data[at + 1]
        if label == 0xF9:
            size, p, delay, transparent, term = struct.unpack("<BBHBB", data[at + 2:at + 8])
            if size != 4 or term != 0:
                raise GifError("malformed graphic control extension at %d" % at)
            blocks.append({"kind": "gce", "offset": at, "length": 8, "disposal": (p >> 2) & 7,
                           "delay": delay, "transparent": bool(p & 1), "packed": p})
            at += 8
        elif label == 0xFE:
            payload, end = _chain(data, at + 2)
            blocks.append({"kind": "comment", "offset": at, "length": end - at, "text": payload})
            at = end
        elif label == 0xFF:
            if data[at + 2] != 11:
                raise GifError("application extension with block size %d" % data[at + 2])
            ident = data[at + 3:at + 14]
            payload, end = _chain(data, at + 14)
            blocks.append({"kind": "application", "offset": at, "length": end - at, "id": ident, "data": payload})
            at = end
        elif label == 0x01:
            payload, end = _chain(data, at + 15)
            blocks.append({"kind": "plaintext", "offset": at, "length": end - at})
            at = end
        else:
            raise GifError("unknown extension 0x%02X at %d" % (label, at))
