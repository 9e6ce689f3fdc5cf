"""docs/contact-sheet.png: every icon at every size, every picture at every DPI, labelled,
plus the 16-pixel tray view, the busy frames and 96-DPI mock-ups of the comments window."""

import base64
from xml.sax.saxutils import escape

from . import gif
from .catalogue import DPI_SETS, ICON_SIZES, ICONS, PICTURES
from .raster import Image, read_png, write_png
from .render import FONT_FAMILY, render_svg_text, rsvg_convert

PAGE = "#FFFFFF"
INK = "#1B1B1B"
MUTED = "#6B6B6B"
RULE = "#D0D0D0"
MARGIN = 40


# ---------------------------------------------------------------- small pixel helpers

def magnified(image, factor):
    out = bytearray(image.width * factor * image.height * factor * 4)
    w = image.width * factor
    for y in range(image.height * factor):
        src = image.rgba[(y // factor) * image.width * 4:(y // factor + 1) * image.width * 4]
        row = bytearray(w * 4)
        for x in range(image.width):
            row[x * factor * 4:(x + 1) * factor * 4] = src[x * 4:x * 4 + 4] * factor
        out[y * w * 4:(y + 1) * w * 4] = row
    return Image(w, image.height * factor, out)


def halved(image):
    """Box filter to half size with premultiplied alpha: how the shell shrinks a 32-px icon."""
    w, h = image.width // 2, image.height // 2
    out = bytearray(w * h * 4)
    src = image.rgba
    for y in range(h):
        for x in range(w):
            acc = [0, 0, 0, 0]
            for dy in (0, 1):
                for dx in (0, 1):
                    at = ((2 * y + dy) * image.width + 2 * x + dx) * 4
                    a = src[at + 3]
                    acc[0] += src[at] * a
                    acc[1] += src[at + 1] * a
                    acc[2] += src[at + 2] * a
                    acc[3] += a
            at = (y * w + x) * 4
            if acc[3]:
                out[at:at + 3] = bytes(min(255, (c + acc[3] // 2) // acc[3]) for c in acc[:3])
            out[at + 3] = (acc[3] + 2) // 4
    return Image(w, h, out)


def paste(dst, src, x, y, clip=None):
    """Source-over `src` onto opaque `dst` at (x, y), limited to clip=(l, t, r, b) if given."""
    l, t, r, b = clip or (0, 0, dst.width, dst.height)
    l, t, r, b = max(l, 0), max(t, 0), min(r, dst.width), min(b, dst.height)
    for sy in range(src.height):
        dy = y + sy
        if not t <= dy < b:
            continue
        for sx in range(src.width):
            dx = x + sx
            if not l <= dx < r:
                continue
            s = (sy * src.width + sx) * 4
            d = (dy * dst.width + dx) * 4
            a = src.rgba[s + 3]
            for c in range(3):
                dst.rgba[d + c] = (src.rgba[s + c] * a + dst.rgba[d + c] * (255 - a) + 127) // 255
            dst.rgba[d + 3] = 255


# ---------------------------------------------------------------- the comments window mock-up

def mul_div(a, b, c):
    return (a * b + c // 2) // c


def dialog_rect(x, y, w, h, base=(6, 13)):
    """Dialog units to pixels the way the dialog manager maps them (MS Sans Serif 8 at 96 DPI)."""
    bx, by = base
    return mul_div(x, bx, 4), mul_div(y, by, 8), mul_div(x + w, bx, 4), mul_div(y + h, by, 8)


TEMPLATE = {  # control -> rectangle in dialog units, from template 129
    "title": (60, 4, 15, 13), 1021: (175, 18, 41, 8), 1016: (60, 33, 201, 55), 1000: (60, 91, 47, 15),
    1001: (248, 91, 13, 14), 1020: (118, 51, 21, 18), 1011: (282, 5, 13, 12), 1002: (225, 91, 13, 14),
    1027: (142, 51, 77, 18), 1028: (185, 91, 53, 13),
}
HINT = "Add comments to your video. Your supervisor will be able to read these."


def button_face(canvas, control, face):
    """A bitmap button centres its face in the client rectangle less 2 pixels a side and
    clips it to the whole client rectangle."""
    l, t, r, b = dialog_rect(*TEMPLATE[control])
    inner_w, inner_h = (r - l) - 4, (b - t) - 4
    x = l + 2 + int((inner_w - face.width) / 2)
    y = t + 2 + int((inner_h - face.height) / 2)
    paste(canvas, face, x, y, (l, t, r, b))


def picture_at(canvas, control, picture):
    l, t, _, _ = dialog_rect(*TEMPLATE[control])
    paste(canvas, picture, l, t)


def comment_box(canvas):
    l, t, r, b = dialog_rect(*TEMPLATE[1016])
    w, h = r - l, b - t
    svg = ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">'
           '<rect x="0.5" y="0.5" width="%d" height="%d" fill="#FFFFFF" stroke="#7A7A7A"/>'
           '<text font-family="Liberation Sans" font-size="11" fill="#000000">'
           '<tspan x="4" y="14">Add comments to your video. Your supervisor will be able to</tspan>'
           '<tspan x="4" y="27">read these.</tspan></text></svg>') % (w, h, w - 1, h - 1)
    paste(canvas, render_svg_text(svg, w, h), l, t)


def mockups(pictures, busy_frame):
    p = {stem: pictures[(stem, 96)] for stem, dpi in pictures if dpi == 96}
    looks = []

    def base(title):
        canvas = Image(p["skin"].width, p["skin"].height, p["skin"].rgba)
        picture_at(canvas, "title", p[title])
        button_face(canvas, 1011, p["close"])
        return canvas

    idle = base("title-idle")
    button_face(idle, 1021, p["what-is-this"])
    button_face(idle, 1000, p["start"])
    looks.append(("Idle", idle))

    recording = base("title-recording")
    comment_box(recording)
    button_face(recording, 1000, p["submit"])
    button_face(recording, 1002, p["pause"])
    button_face(recording, 1001, p["stop"])
    looks.append(("Recording", recording))

    uploading = base("title-paused")
    button_face(uploading, 1000, p["submit"])
    button_face(uploading, 1002, p["resume"])
    button_face(uploading, 1001, p["stop"])
    picture_at(uploading, 1020, busy_frame)
    picture_at(uploading, 1027, p["uploading"])
    looks.append(("Paused, uploading", uploading))

    uploaded = base("title-recording")
    comment_box(uploaded)
    button_face(uploaded, 1000, p["submitted"])
    picture_at(uploaded, 1028, p["uploaded"])
    looks.append(("Submitted, uploaded", uploaded))
    return looks


# ---------------------------------------------------------------- the sheet

class Sheet:
    def __init__(self):
        self.items = []
        self.width = 0
        self.height = 0

    def grow(self, right, bottom):
        self.width = max(self.width, right)
        self.height = max(self.height, bottom)

    def image(self, image, x, y, frame=False):
        uri = "data:image/png;base64," + base64.b64encode(write_png(image)).decode("ascii")
        if frame:
            self.items.append('<rect x="%g" y="%g" width="%d" height="%d" fill="none" stroke="%s" '
                              'stroke-dasharray="2,2"/>' % (x - 0.5, y - 0.5, image.width + 1, image.height + 1, RULE))
        self.items.append('<image x="%d" y="%d" width="%d" height="%d" href="%s"/>'
                          % (x, y, image.width, image.height, uri))
        self.grow(x + image.width + MARGIN, y + image.height + MARGIN)

    def text(self, x, y, text, size=12, colour=MUTED, weight=400, anchor="start"):
        self.items.append('<text x="%d" y="%d" font-family="%s" font-size="%d" font-weight="%d" fill="%s" '
                          'text-anchor="%s">%s</text>' % (x, y, FONT_FAMILY, size, weight, colour, anchor, escape(text)))

    def rect(self, x, y, w, h, fill):
        self.items.append('<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (x, y, w, h, fill))
        self.grow(x + w + MARGIN, y + h + MARGIN)

    def heading(self, y, text):
        self.text(MARGIN, y, text, size=22, colour=INK, weight=600)
        self.items.append('<rect x="%d" y="%d" width="WIDTH_RULE" height="1" fill="%s"/>' % (MARGIN, y + 10, RULE))
        return y + 44

    def svg(self):
        body = "\n".join(self.items).replace("WIDTH_RULE", str(self.width - 2 * MARGIN))
        return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">\n<rect width="100%%" '
                'height="100%%" fill="%s"/>\n%s\n</svg>\n' % (self.width, self.height, PAGE, body))


def icon_row(sheet, x, y, icon, images):
    sheet.text(x, y + 14, "%d  %s" % (icon.number, icon.macro), size=13, colour=INK, weight=600)
    sheet.text(x, y + 32, icon.what)
    cx = x
    top = y + 44
    for size, image in zip(ICON_SIZES, images):
        sheet.image(image, cx, top + 256 - size)
        sheet.text(cx + size // 2, top + 256 + 18, "%d" % size, anchor="middle")
        cx += size + 22
    return cx


def tray_strip(sheet, y, icon_images):
    """The ten status icons and the application icon as the notification area shows them."""
    grounds = (("light taskbar", "#F3F3F3"), ("dark taskbar", "#202020"), ("classic taskbar", "#245EDB"))
    order = [icon for icon in ICONS]
    for label, colour in grounds:
        for variant, pick in (("16-px image", lambda imgs: imgs[5]), ("32-px image shrunk to 16", lambda imgs: halved(imgs[4]))):
            sheet.text(MARGIN, y + 18, "%s, %s" % (label, variant), colour=INK)
            x = MARGIN + 300
            width = len(order) * 28 + 12 + 24 + len(order) * 72
            sheet.rect(x - 12, y, width, 72, colour)
            for n, icon in enumerate(order):
                sheet.image(pick(icon_images[icon.stem]), x + n * 28, y + 28)
            mx = x + len(order) * 28 + 24
            for n, icon in enumerate(order):
                sheet.image(magnified(pick(icon_images[icon.stem]), 4), mx + n * 72, y + 4)
            y += 84
    return y


def build(icon_images, pictures, animation):
    sheet = Sheet()
    y = sheet.heading(MARGIN + 22, "Sivrel resources: icons (flat for Windows 8 and later, glossy before)")
    by_stem = {icon.stem: icon for icon in ICONS}
    rows = [("app", None)] + [(s, s + "-legacy") for s in ("status-recording", "status-not-connected",
                                                            "status-not-authorized", "status-monitored",
                                                            "status-connected")]
    for flat, legacy in rows:
        right = icon_row(sheet, MARGIN, y, by_stem[flat], icon_images[flat])
        if legacy:
            icon_row(sheet, right + 60, y, by_stem[legacy], icon_images[legacy])
        y += 44 + 256 + 40
    y = sheet.heading(y + 10, "Notification area at 16 px (1:1, then 4x)")
    y = tray_strip(sheet, y, icon_images)

    y = sheet.heading(y + 30, "Comments window pictures at 96, 120, 144 and 192 DPI")
    for picture in PICTURES:
        ids = " / ".join("%d" % picture.ids[d] for d in DPI_SETS)
        sheet.text(MARGIN, y + 14, "IDB_%s_*  %s  (%s)" % (picture.macro, ids, picture.what), size=13, colour=INK, weight=600)
        x, tallest = MARGIN, 0
        for dpi in DPI_SETS:
            image = pictures[(picture.stem, dpi)]
            sheet.image(image, x, y + 28, frame=True)
            sheet.text(x, y + 28 + image.height + 18, "%d DPI  %d x %d" % (dpi, image.width, image.height))
            x += max(image.width, 150) + 40
            tallest = max(tallest, image.height)
        y += 28 + tallest + 44

    y = sheet.heading(y + 10, "Busy animation 239: 26 x 26, 8 frames of 100 ms (1:1, then 3x)")
    frames = decoded_frames(animation)
    for n, frame in enumerate(frames):
        sheet.image(frame, MARGIN + n * 40, y)
        sheet.image(magnified(frame, 3), MARGIN + 360 + n * 96, y)
    y += 26 * 3 + 40

    y = sheet.heading(y + 10, "Comments window at 96 DPI (mock-up: template 129 positions, MS Sans Serif base units)")
    x = MARGIN
    for label, canvas in mockups(pictures, frames[0]):
        sheet.text(x, y + 14, label, colour=INK)
        sheet.image(canvas, x, y + 24, frame=True)
        x += canvas.width + 40
    sheet.grow(x, y + 24 + 190 + MARGIN)

    return rsvg_convert(sheet.svg())


def decoded_frames(animation):
    """Frames of our GIF decoded by our own reader (the check compares with independent tools)."""
    blocks = gif.read_blocks(animation)
    palette = blocks[0]["palette"]
    out = []
    for block in blocks:
        if block["kind"] == "image":
            indices = gif.lzw_decode(block["lzw"], block["min_code_size"], block["width"] * block["height"])
            rgba = bytearray()
            for i in indices:
                rgba += bytes(palette[i]) + b"\xff"
            out.append(Image(block["width"], block["height"], rgba))
    return out
