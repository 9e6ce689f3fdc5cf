"""Vector sources to pixels, through Debian's rsvg-convert."""

import shutil
import subprocess
import xml.etree.ElementTree as ET

from . import fonts
from .raster import read_png

SVG_NS = "http://www.w3.org/2000/svg"
FONT_FAMILY = "Open Sans"


class ToolError(RuntimeError):
    pass


def require_tools():
    """Fail early and clearly when the renderer or a font is missing; a silent font fallback
    would give pictures with other metrics (and text overflowing its place)."""
    if not shutil.which("rsvg-convert"):
        raise ToolError("rsvg-convert not found: apt-get install librsvg2-bin")
    fonts.check_private_world()


def rsvg_convert(svg_text, *options):
    """PNG bytes of SVG markup, drawn with only the fonts the artwork names (see fonts.py)."""
    fonts.require_listed_families(svg_text)
    result = subprocess.run(["rsvg-convert", "--format=png"] + list(options), input=svg_text.encode("utf-8"),
                            capture_output=True, env=fonts.environment())
    if result.returncode != 0:
        raise ToolError("rsvg-convert failed: %s" % result.stderr.decode(errors="replace").strip())
    return result.stdout


def render_svg_text(svg_text, width, height):
    """Render SVG markup to exactly width x height pixels (the drawing is stretched to fit)."""
    image = read_png(rsvg_convert(svg_text, "--width=%d" % width, "--height=%d" % height))
    if (image.width, image.height) != (width, height):
        raise ToolError("rsvg-convert made %dx%d, asked for %dx%d" % (image.width, image.height, width, height))
    return image


def render_svg_file(path, width, height):
    with open(path, encoding="utf-8") as f:
        return render_svg_text(f.read(), width, height)


def rotated_group(svg_text, group_id, degrees, cx, cy):
    """The same drawing with the element `group_id` turned about (cx, cy)."""
    ET.register_namespace("", SVG_NS)
    root = ET.fromstring(svg_text)
    for element in root.iter():
        if element.get("id") == group_id:
            element.set("transform", "rotate(%g %g %g)" % (degrees, cx, cy))
            return ET.tostring(root, encoding="unicode")
    raise ToolError("no element with id %r" % group_id)
