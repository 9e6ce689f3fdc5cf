"""The fonts the artwork is drawn with, and the private fontconfig world the renderer sees.

fontconfig hands a family name to whichever installed file matches best, and "best" depends on
every font package the machine happens to have: with fonts-liberation2 present, "Liberation Sans"
is its 2.x file (a higher font version wins), without it the 1.x file of fonts-liberation, and
the anti-aliased text differs by a strip of pixels. So every rendering step runs under
FONTCONFIG_FILE pointing at a configuration written here at run time: one directory holding links
to exactly the files below, a cache of its own, no include of the system's conf.d (nor the user's
fonts), every other file rejected, and the rendering settings written out instead of inherited.
"""

import atexit
import os
import re
import shutil
import subprocess
import tempfile
from xml.sax.saxutils import escape

# (family, style) -> (file, Debian package). Every family a source asks for must be listed;
# scripts/setup-deps.sh installs the packages.
FONTS = {
    ("Open Sans", "Regular"): ("/usr/share/fonts/truetype/open-sans/OpenSans-Regular.ttf", "fonts-open-sans"),
    ("Open Sans", "Semibold"): ("/usr/share/fonts/truetype/open-sans/OpenSans-Semibold.ttf", "fonts-open-sans"),
    ("Liberation Sans", "Regular"): ("/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                                     "fonts-liberation"),
}

# What Debian's default conf.d sets for every font (10-yes-antialias, 10-hinting-slight,
# 11-lcdfilter-default), spelled out so that a machine's own choices there change nothing.
RENDERING = (("antialias", "bool", "true"), ("hinting", "bool", "true"), ("hintstyle", "const", "hintslight"),
             ("autohint", "bool", "false"), ("rgba", "const", "none"), ("lcdfilter", "const", "lcddefault"),
             ("embeddedbitmap", "bool", "true"))


class FontError(RuntimeError):
    pass


def config_text(font_dir, cache_dir):
    settings = "\n".join('    <edit name="%s" mode="assign"><%s>%s</%s></edit>' % (name, kind, value, kind)
                         for name, kind, value in RENDERING)
    return """<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>%(dir)s</dir>
  <cachedir>%(cache)s</cachedir>
  <selectfont>
    <acceptfont><glob>%(dir)s/*</glob></acceptfont>
    <rejectfont><glob>*</glob></rejectfont>
  </selectfont>
  <match target="font">
%(settings)s
  </match>
  <config><rescan><int>0</int></rescan></config>
</fontconfig>
""" % {"dir": escape(font_dir), "cache": escape(cache_dir), "settings": settings}


def write_config(folder):
    """Lay out the private font directory and fonts.conf under `folder`; returns the conf's path.
    Fails naming the package when a font file is missing."""
    font_dir = os.path.join(folder, "fonts")
    os.makedirs(font_dir, exist_ok=True)
    for path, package in FONTS.values():
        if not os.path.isfile(path):
            raise FontError("font file %s missing: apt-get install %s (scripts/setup-deps.sh)" % (path, package))
        link = os.path.join(font_dir, os.path.basename(path))
        if not os.path.lexists(link):
            os.symlink(path, link)
    conf = os.path.join(folder, "fonts.conf")
    with open(conf, "w", encoding="utf-8") as f:
        f.write(config_text(font_dir, os.path.join(folder, "cache")))
    return conf


_environment = None


def environment():
    """os.environ with FONTCONFIG_FILE set to this process's private configuration (made once,
    removed at exit). Every process that draws text must be started with it."""
    global _environment
    if _environment is None:
        folder = tempfile.mkdtemp(prefix="sivrel-fonts-")
        atexit.register(shutil.rmtree, folder, True)
        env = dict(os.environ)
        for inherited in ("FONTCONFIG_PATH", "FONTCONFIG_SYSROOT"):
            env.pop(inherited, None)
        env["FONTCONFIG_FILE"] = write_config(folder)
        _environment = env
    return _environment


FAMILY = re.compile(r"""font-family\s*(?:=\s*["']|:\s*)([^"';]+)""")


def require_listed_families(svg_text):
    """Under the private configuration a family not listed would quietly become one that is;
    refuse the drawing instead."""
    listed = {family for family, _ in FONTS}
    for match in FAMILY.finditer(svg_text):
        family = match.group(1).strip().strip("'\"")
        if family not in listed:
            raise FontError("the drawing asks for font family %r; fonts.py lists only %s" % (family, sorted(listed)))


def resolve(family, style, env):
    result = subprocess.run(["fc-match", "-f", "%{file}", "%s:style=%s" % (family, style)],
                            capture_output=True, text=True, env=env)
    if result.returncode != 0:
        raise FontError("fc-match failed: %s" % result.stderr.strip())
    return result.stdout


def check_private_world():
    """Every listed font resolves to its own file under the private configuration (this also
    fills its cache before renderers start in parallel), and a family not listed resolves to
    nothing outside it. A missing fc-match or font fails here, before any picture is drawn."""
    if not shutil.which("fc-match"):
        raise FontError("fc-match not found: apt-get install fontconfig")
    env = environment()
    font_dir = os.path.join(os.path.dirname(env["FONTCONFIG_FILE"]), "fonts")
    for (family, style), (path, package) in FONTS.items():
        got = resolve(family, style, env)
        if got != os.path.join(font_dir, os.path.basename(path)):
            raise FontError("font '%s %s' resolves to %r, not %s (%s)" % (family, style, got, path, package))
    stray = resolve("DejaVu Sans", "Book", env)
    if not stray.startswith(font_dir + os.sep):
        raise FontError("the private font configuration still sees %s" % stray)
