"""What draws the pictures, written down beside the sources so that a later check knows whether it
can expect the same bytes.

The pictures depend on more than the sources: rsvg-convert and the libraries that lay out and
rasterise its text and shapes (cairo, pango, FreeType, HarfBuzz), the font files fonts.py names,
and zlib, which compresses the PNG images inside the icons and the contact sheet. Debian 13's
librsvg, for one, places small text a fraction of a pixel away from where Debian 12's does, and
its "Liberation Sans" is a newer font. The generator records all of these in RECORD under the
folder it writes into; the check compares the record of its own regeneration with the committed
one.
"""

import hashlib
import os
import subprocess
import zlib

from . import fonts

RECORD = os.path.join("res", "art", "drawn-with.txt")

# Debian's packages of the renderer and the libraries its output depends on; the same names on
# Debian 12 and 13.
PACKAGES = ("librsvg2-bin", "librsvg2-2", "libcairo2", "libpango-1.0-0", "libpangocairo-1.0-0",
            "libpangoft2-1.0-0", "libfreetype6", "libharfbuzz0b", "libfontconfig1")

HEADER = """\
# What drew the committed pictures: written by scripts/make-artwork.py with them. Where a machine
# draws with exactly this, scripts/check-artwork.py expects the same bytes; elsewhere it compares
# what the pictures show.
"""


def _package_version(name):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Version}", name], capture_output=True, text=True)
    return result.stdout.strip() if result.returncode == 0 and result.stdout.strip() else "not installed"


def _sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def describe():
    """The lines of the record for this machine."""
    version = subprocess.run(["rsvg-convert", "--version"], capture_output=True, text=True).stdout.strip()
    lines = ["renderer %s" % version]
    lines += ["package %s %s" % (name, _package_version(name)) for name in PACKAGES]
    lines += ["font %s %s: %s sha256 %s" % (family, style, os.path.basename(path), _sha256(path))
              for (family, style), (path, _) in sorted(fonts.FONTS.items())]
    lines.append("zlib %s" % zlib.ZLIB_VERSION)
    return lines


def difference(here, committed):
    """One record line against the committed one, in few words."""
    kind, _, mine = here.partition(" ")
    _, _, theirs = committed.partition(" ")
    if kind == "font":
        return "another file for %s" % mine.split(":")[0]
    if kind == "zlib":
        return "zlib %s (committed: %s)" % (mine, theirs)
    if kind == "renderer":
        return "%s (committed: %s)" % (mine.replace(" version", ""), theirs.split()[-1])
    return "%s (committed: %s)" % (mine, theirs.split()[-1])


def write(root):
    path = os.path.join(root, RECORD)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(HEADER + "".join(line + "\n" for line in describe()))


def read(root):
    """The record's lines under `root` (comments left out), or None when there is none."""
    path = os.path.join(root, RECORD)
    if not os.path.isfile(path):
        return None
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n") for line in f if line.strip() and not line.startswith("#")]
