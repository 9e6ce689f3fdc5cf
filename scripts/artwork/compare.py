"""What two renderings of the same artwork show, compared where their bytes cannot be.

Another renderer (or another version of its libraries or fonts) draws the same sources a little
differently: edges are anti-aliased with other shades, and small text lands up to a pixel away,
which changes most of its pixels at 120 DPI. A drawing that is broken (a wrong colour, a shape or
a word missing, added or changed, an element moved) differs far more than that. So pictures are
compared as follows: same structure (icon sizes and formats, GIF frames, picture sizes), then
pixels, premultiplied by their alpha, each picture blurred with a 3x3 box, and each pixel matched
with the best of the other picture's pixels within one pixel of it (both ways); no channel may
then differ by more than TOLERANCE of 255. Measured between Debian 12's and Debian 13's renderers
the largest such difference in the committed art is 39 (the 120-DPI "What is this?" link); a
word changed in it gives 67, a colour changed 122.

What this cannot see is a change smaller than the renderers' own differences: one letter of
small text turned into a similar one ("t" into "l" at 96 DPI gives 39), or a colour moved by a
few levels. Where the machine draws exactly as the committed pictures were drawn, the check
compares bytes instead, and sees those too.
"""

import struct

from . import gif
from .raster import Image, read_bmp24, read_ico

TOLERANCE = 48
# Around every raw difference above this the exact measure is taken, so that the report names the
# largest one; below it the raw difference stands (nothing else can exceed it).
MEASURED = 16


class Mismatch(AssertionError):
    pass


def decode(path):
    """(label, Image) for every picture in the file, and the file's structure apart from pixels."""
    with open(path, "rb") as f:
        data = f.read()
    if path.endswith(".bmp"):
        image = read_bmp24(data)
        return [("", image)], ("bmp", image.width, image.height)
    if path.endswith(".png"):
        # The contact sheet: 15 megapixels, too many to compare in Python, and it shows the very
        # pictures compared one by one, with their names. Its size is compared.
        width, height = struct.unpack(">II", data[16:24])
        return [], ("png", width, height)
    if path.endswith(".ico"):
        entries = read_ico(data)
        return ([("%d px" % e["width"], e["image"]) for e in entries],
                ("ico", [(e["width"], e["height"], e["bits"], e["png"]) for e in entries]))
    if path.endswith(".gif"):
        blocks = gif.read_blocks(data)
        palette = blocks[0]["palette"]
        frames, shape = [], [("screen", blocks[0]["width"], blocks[0]["height"])]
        for b in blocks[1:]:
            if b["kind"] == "gce":
                shape.append(("control", b["delay"], b["disposal"], b["transparent"]))
            elif b["kind"] == "image":
                size = b["width"] * b["height"]
                rgba = bytearray()
                for index in gif.lzw_decode(b["lzw"], b["min_code_size"], size):
                    rgba += bytes(palette[index]) + b"\xff"
                frames.append(("frame %d" % len(frames), Image(b["width"], b["height"], rgba)))
                shape.append(("image", b["left"], b["top"], b["width"], b["height"], b["interlaced"]))
            else:
                shape.append((b["kind"],))
        return frames, ("gif", shape)
    raise Mismatch("no comparison for %s" % path)


def _premultiplied(image):
    p = image.rgba
    if all(a == 255 for a in p[3::4]):
        return list(p)
    out = list(p)
    for at in range(0, len(p), 4):
        a = p[at + 3]
        out[at] = p[at] * a // 255
        out[at + 1] = p[at + 1] * a // 255
        out[at + 2] = p[at + 2] * a // 255
    return out


def difference(a, b):
    """The largest difference between two pictures of one size as described above, and where:
    (value, x, y). A blurred and shifted difference is never larger than the largest raw one
    around it, so only pixels near a raw difference above MEASURED are measured exactly; where
    there are none, the largest raw difference stands in (and x, y are None)."""
    w, h = a.width, a.height
    pa, pb = _premultiplied(a), _premultiplied(b)
    raw_largest, suspects = 0, set()
    stride = w * 4
    for y in range(h):
        row = slice(y * stride, (y + 1) * stride)
        if pa[row] == pb[row]:
            continue
        for at in range(y * stride, (y + 1) * stride, 4):
            d = max(abs(pa[at] - pb[at]), abs(pa[at + 1] - pb[at + 1]), abs(pa[at + 2] - pb[at + 2]),
                    abs(pa[at + 3] - pb[at + 3]))
            if d > raw_largest:
                raw_largest = d
            if d > MEASURED:
                x = (at - y * stride) // 4
                for yy in range(max(0, y - 1), min(h, y + 2)):
                    for xx in range(max(0, x - 1), min(w, x + 2)):
                        suspects.add((xx, yy))
    if not suspects:
        return raw_largest, None, None
    blurred = {}

    def blur(p, which, x, y):
        key = (which, x, y)
        if key not in blurred:
            sums, n = [0, 0, 0, 0], 0
            for yy in range(max(0, y - 1), min(h, y + 2)):
                for xx in range(max(0, x - 1), min(w, x + 2)):
                    at = (yy * w + xx) * 4
                    for c in range(4):
                        sums[c] += p[at + c]
                    n += 1
            blurred[key] = [s / n for s in sums]
        return blurred[key]

    def nearest(p, which, q, other, x, y):
        mine = blur(p, which, x, y)
        best = 255.0
        for yy in range(max(0, y - 1), min(h, y + 2)):
            for xx in range(max(0, x - 1), min(w, x + 2)):
                theirs = blur(q, other, xx, yy)
                best = min(best, max(abs(mine[c] - theirs[c]) for c in range(4)))
        return best

    largest = (0.0, None, None) if raw_largest > MEASURED else (raw_largest, None, None)
    for x, y in sorted(suspects, key=lambda s: (s[1], s[0])):
        d = max(nearest(pa, 0, pb, 1, x, y), nearest(pb, 1, pa, 0, x, y))
        if d > largest[0]:
            largest = (d, x, y)
    return largest


def compare_files(reference, candidate):
    """Raises Mismatch when `candidate` shows something else than `reference`; returns the largest
    difference found as (value, label) for the report."""
    ref_pictures, ref_shape = decode(reference)
    new_pictures, new_shape = decode(candidate)
    if ref_shape != new_shape:
        raise Mismatch("structure differs: %r, committed %r" % (new_shape, ref_shape))
    largest = (0, "")
    for (label, ref), (_, new) in zip(ref_pictures, new_pictures):
        if ref.rgba == new.rgba:
            continue
        value, x, y = difference(ref, new)
        where = " ".join(part for part in (label, "at (%d, %d)" % (x, y) if x is not None else "") if part)
        if value > TOLERANCE:
            raise Mismatch("%s differs by %.0f of 255 after the blur and the shift (at most %d)"
                           % (where, value, TOLERANCE))
        if value > largest[0]:
            largest = (value, where)
    return largest
