#!/usr/bin/env python3
"""Regenerates every binary resource from the vector sources in res/art/.

    scripts/make-artwork.py [--out DIR] [--only icons|bitmaps|gif|sheet ...]

Writes res/icons/*.ico, res/bitmaps/*.bmp, res/gif/busy.gif and docs/contact-sheet.png
under DIR (default: the repository), so the check can regenerate into a scratch folder and
compare, and with them res/art/drawn-with.txt: the renderer, libraries, fonts and zlib that drew
them (artwork/stack.py). --only draws and writes only those parts (and the record). Needs rsvg-convert (librsvg2-bin), fc-match (fontconfig) and the fonts artwork/fonts.py names
(fonts-open-sans, fonts-liberation); other installed fonts are never seen.
The outputs are committed: building the program never runs this.
"""

import argparse
import os
import sys
from concurrent.futures import ThreadPoolExecutor

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from artwork import busy, contact_sheet, stack  # noqa: E402
from artwork.fonts import FontError  # noqa: E402
from artwork.catalogue import BUSY_GIF, DPI_SETS, ICON_SIZES, ICONS, PICTURES  # noqa: E402
from artwork.raster import write_bmp24, write_ico  # noqa: E402
from artwork.render import ToolError, render_svg_file, require_tools  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART = os.path.join(ROOT, "res", "art")
MAGENTA = (255, 0, 255)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def render_icon(icon):
    return [render_svg_file(os.path.join(ART, icon.source(size)), size, size) for size in ICON_SIZES]


def render_picture(picture, dpi):
    image = render_svg_file(os.path.join(ART, "bitmaps", picture.stem + ".svg"), *picture.size(dpi)).flattened()
    rgba = image.rgba
    for at in range(0, len(rgba), 4):
        if (rgba[at], rgba[at + 1], rgba[at + 2]) == MAGENTA:
            raise SystemExit("%s at %d DPI has a pure magenta pixel, which the skin would cut away"
                             % (picture.stem, dpi))
    return image


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", default=ROOT, help="root to write res/ and docs/ under")
    parser.add_argument("--only", nargs="*", choices=("icons", "bitmaps", "gif", "sheet"))
    args = parser.parse_args()
    parts = set(args.only or ("icons", "bitmaps", "gif", "sheet"))
    require_tools()
    res = os.path.join(args.out, "res")

    sheet = "sheet" in parts
    with ThreadPoolExecutor(max_workers=2) as pool:
        icon_images, pictures = {}, {}
        if "icons" in parts or sheet:
            icon_images = dict(zip((icon.stem for icon in ICONS), pool.map(render_icon, ICONS)))
        if "bitmaps" in parts or sheet:
            jobs = [(p, dpi) for p in PICTURES for dpi in DPI_SETS]
            pictures = dict(zip(((p.stem, dpi) for p, dpi in jobs),
                                pool.map(lambda job: render_picture(*job), jobs)))

    if "icons" in parts:
        for icon in ICONS:
            write(os.path.join(res, icon.file), write_ico(icon_images[icon.stem]))
    if "bitmaps" in parts:
        for picture in PICTURES:
            for dpi in DPI_SETS:
                write(os.path.join(res, picture.file(dpi)), write_bmp24(pictures[(picture.stem, dpi)]))
    animation = None
    if "gif" in parts or sheet:
        with open(os.path.join(ART, "gif", "busy.svg"), encoding="utf-8") as f:
            animation = busy.build(f.read())
    if "gif" in parts:
        write(os.path.join(res, BUSY_GIF), animation)
    if sheet:
        write(os.path.join(args.out, "docs", "contact-sheet.png"),
              contact_sheet.build(icon_images, pictures, animation))
    stack.write(args.out)


if __name__ == "__main__":
    try:
        main()
    except (ToolError, FontError) as error:
        sys.exit("make-artwork: %s" % error)
