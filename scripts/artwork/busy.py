"""The busy animation: the spinner source turned eight times, on a 64-colour ramp."""

from . import gif
from .catalogue import BUSY_COLOURS, BUSY_DELAY, BUSY_DISPOSAL, BUSY_FRAMES, BUSY_SIZE
from .render import render_svg_text, rotated_group

INK = (0x00, 0x78, 0xD4)       # the spinner's colour in busy.svg
GROUND = (0xFF, 0xFF, 0xFF)   # drawn for the white comments panel
COMMENT = "Sivrel busy indicator"


def palette():
    """A ramp from the white ground to the ink: every pixel of an antialiased, partly
    transparent ink dot on white lies on it, so 64 steps lose nothing visible."""
    last = BUSY_COLOURS - 1
    return [tuple((g * (last - k) + i * k + last // 2) // last for g, i in zip(GROUND, INK))
            for k in range(BUSY_COLOURS)]


def quantise(image, ramp):
    """Index of the ramp entry nearest to each pixel (projection onto the white-ink line)."""
    span = [i - g for g, i in zip(GROUND, INK)]
    norm = sum(s * s for s in span)
    last = len(ramp) - 1
    out = bytearray(image.width * image.height)
    rgba = image.rgba
    for p in range(image.width * image.height):
        r, g, b = rgba[4 * p], rgba[4 * p + 1], rgba[4 * p + 2]
        t = ((r - GROUND[0]) * span[0] + (g - GROUND[1]) * span[1] + (b - GROUND[2]) * span[2]) / norm
        out[p] = min(last, max(0, int(t * last + 0.5)))
    return bytes(out)


def frames(source_text):
    """The eight opaque frames as RGBA pictures, frame 0 being the source as drawn."""
    step = 360.0 / BUSY_FRAMES
    half = BUSY_SIZE / 2.0
    return [render_svg_text(rotated_group(source_text, "spinner", n * step, half, half), BUSY_SIZE, BUSY_SIZE)
            .flattened(GROUND) for n in range(BUSY_FRAMES)]


def build(source_text):
    ramp = palette()
    indexed = [quantise(frame, ramp) for frame in frames(source_text)]
    return gif.write_animation(BUSY_SIZE, BUSY_SIZE, ramp, indexed, BUSY_DELAY, BUSY_DISPOSAL, COMMENT)
