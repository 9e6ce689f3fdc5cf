#!/usr/bin/env python3
"""Checks the committed resources against what the program relies on.

    scripts/check-artwork.py [--work DIR] [--reproduce]

- every icon: six 32-bit images of 256..16 pixels, group entries with planes 1 and 32 bits;
- every bitmap: 24-bit, plain 40-byte BITMAPINFOHEADER, the DPI set's exact size, no magenta;
- the busy GIF: the exact block structure, decoded by our reader, by gifsicle and by ImageMagick,
  and each frame cut out as the frame splitter cuts it still decodes as a one-image GIF;
- res/resource.h holds only "#define NAME number" lines and every id; Sivrel.rc names exactly
  the committed files; compiled with windres, the menu, both dialog templates, the icon groups,
  bitmaps, the "GIF" resource, version and manifest are what they must be, and there is no
  icon, string table or accelerator table 201;
- the tolerance comparison (artwork/compare.py) passes a picture moved by one pixel and fails
  one with a word painted over or its colours swapped;
- with --reproduce, regenerating from res/art/ reproduces the committed files (needs rsvg-convert
  and the fonts named in artwork/fonts.py): byte for byte where this machine draws with what
  res/art/drawn-with.txt records, otherwise showing the same within artwork/compare.py's
  tolerance; and a hostile font configuration (every family the artwork uses handed to another
  font, for the machine's own fontconfig and the user's) changes no byte of the regenerated
  bitmaps.

Prints one line per check and ends with "N passed, N failed"; exits 1 on any failure.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from artwork import compare, fonts, gif, stack  # noqa: E402
from artwork.catalogue import (BUSY_COLOURS, BUSY_DELAY, BUSY_DISPOSAL, BUSY_FRAMES, BUSY_GIF,  # noqa: E402
                               BUSY_GIF_ID, BUSY_SIZE, DPI_SETS, ICON_SIZES, ICONS, PICTURES)
from artwork.raster import Image, read_bmp24, read_ico  # noqa: E402
from artwork.resfile import RT, read_dialog, read_group_icon, read_menu, read_res  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES = os.path.join(ROOT, "res")
WINDRES = "x86_64-w64-mingw32-windres"

# Window styles used by the templates
WS_POPUP, WS_CHILD, WS_VISIBLE, WS_CAPTION = 0x80000000, 0x40000000, 0x10000000, 0x00C00000
WS_BORDER, WS_SYSMENU, WS_GROUP, WS_TABSTOP = 0x00800000, 0x00080000, 0x00020000, 0x00010000
DS_MODALFRAME, DS_SETFONT, DS_FIXEDSYS = 0x80, 0x40, 0x08
SS_CENTER, SS_ICON, SS_BLACKFRAME, SS_BITMAP = 0x1, 0x3, 0x7, 0xE
BS_DEFPUSHBUTTON, BS_GROUPBOX, BS_BITMAP, ES_MULTILINE, ES_AUTOVSCROLL = 0x1, 0x7, 0x80, 0x4, 0x40

CHILD, SHOWN = WS_CHILD, WS_CHILD | WS_VISIBLE
BITMAP_BUTTON = BS_BITMAP | WS_TABSTOP
MAIN_DIALOG_CONTROLS = [  # id, class, text, style, rectangle: template order
    (-1, "Static", "", SHOWN | SS_BITMAP, (60, 4, 15, 13)),
    (1021, "Button", "", SHOWN | BITMAP_BUTTON, (175, 18, 41, 8)),
    (1016, "Edit", "", CHILD | ES_MULTILINE | ES_AUTOVSCROLL | WS_BORDER | WS_TABSTOP, (60, 33, 201, 55)),
    (1000, "Button", "", SHOWN | BITMAP_BUTTON, (60, 91, 47, 15)),
    (1001, "Button", "", CHILD | BITMAP_BUTTON, (248, 91, 13, 14)),
    (1020, "Static", "", CHILD | SS_BLACKFRAME, (118, 51, 21, 18)),
    (1011, "Button", "", SHOWN | BITMAP_BUTTON, (282, 5, 13, 12)),
    (1002, "Button", "", CHILD | BITMAP_BUTTON, (225, 91, 13, 14)),
    (1027, "Static", 306, CHILD | SS_BITMAP, (142, 51, 77, 18)),
    (1028, "Static", 310, CHILD | SS_BITMAP, (185, 91, 53, 13)),
]


def product_version():
    """The three numbers of project(VERSION ...) in CMakeLists.txt, the one place the version is set."""
    with open(os.path.join(ROOT, "CMakeLists.txt"), encoding="utf-8") as f:
        found = re.search(r"project\(\s*\w+\s+VERSION\s+(\d+)\.(\d+)\.(\d+)\b", f.read())
    return tuple(int(n) for n in found.groups())


VERSION = product_version()
VERSION_TEXT = "%d.%d.%d" % VERSION
ABOUT_TEXT = "Calyra v%s\n\n" % VERSION_TEXT
ABOUT_CONTROLS = [
    (1, "Button", "OK", SHOWN | WS_TABSTOP | BS_DEFPUSHBUTTON, (130, 81, 50, 14)),
    (-1, "Static", None, SHOWN | WS_GROUP | SS_CENTER, (25, 57, 78, 32)),
    (-1, "Static", 128, SHOWN | SS_ICON, (55, 26, 20, 20)),
    (-1, "Button", "", SHOWN | BS_GROUPBOX, (7, 7, 115, 88)),
]
MENU = [(32775, "Open"), (0, ""), (32777, "Restart"), (32784, "About.."), (57665, "Exit")]
COMMAND_IDS = {"ID_COMMENTS_HIDE": 32769, "ID_RECORDING_START": 32770, "ID_COMMENT_SUBMIT": 32771,
               "ID_RECORDING_STOP": 32772, "ID_RECORDING_PAUSE": 32773, "ID_RECORDING_RESUME": 32774,
               "ID_TRAY_OPEN": 32775, "ID_TRAY_RESTART": 32777, "ID_AUTORECORD_TOGGLE": 32782,
               "ID_TRAY_VERSION": 32784, "ID_ABOUT_DIALOG": 57664, "ID_TRAY_EXIT": 57665}
OTHER_IDS = {"IDR_TRAYMENU": 201, "IDD_ABOUTBOX": 100, "IDD_MAINDLG": 129, "IDC_START_SUBMIT": 1000,
             "IDC_STOP": 1001, "IDC_PAUSE_RESUME": 1002, "IDC_CLOSE": 1011, "IDC_COMMENT": 1016,
             "IDC_BUSY": 1020, "IDC_WHAT_IS_THIS": 1021, "IDC_UPLOADING": 1027, "IDC_UPLOADED": 1028}


class Checks:
    def __init__(self):
        self.passed = self.failed = 0

    def run(self, name, fn, *args):
        try:
            note = fn(*args)
        except Exception as error:  # a check reports every fault and goes on with the next
            self.failed += 1
            print("FAIL %s: %s" % (name, error))
        else:
            self.passed += 1
            print("ok   %s%s" % (name, ": %s" % note if isinstance(note, str) else ""))


def expect(condition, message):
    if not condition:
        raise AssertionError(message)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def tool(name, package):
    path = shutil.which(name)
    expect(path, "%s not found (apt-get install %s)" % (name, package))
    return path


# ---------------------------------------------------------------- files

def check_icon(icon):
    entries = read_ico(read(os.path.join(RES, icon.file)))
    expect([e["width"] for e in entries] == list(ICON_SIZES), "sizes %s" % [e["width"] for e in entries])
    for e in entries:
        expect(e["width"] == e["height"], "%d-px image not square" % e["width"])
        expect(e["planes"] == 1 and e["bits"] == 32, "%d-px entry: planes %d, bits %d"
               % (e["width"], e["planes"], e["bits"]))
        expect(e["png"] == (e["width"] == 256), "%d-px image %s PNG" % (e["width"], "is" if e["png"] else "is not"))
        alpha = e["image"].rgba[3::4]
        expect(min(alpha) < 128 and max(alpha) == 255, "%d-px image is all opaque or has no opaque pixel" % e["width"])
    listing = subprocess.run([tool("icotool", "icoutils"), "-l", os.path.join(RES, icon.file)],
                             capture_output=True, text=True)
    expect(listing.returncode == 0, "icotool rejects it: %s" % listing.stderr.strip())
    sizes = [int(m) for m in re.findall(r"--width=(\d+)", listing.stdout)]
    depths = set(re.findall(r"--bit-depth=(\d+)", listing.stdout))
    expect(sizes == list(ICON_SIZES) and depths == {"32"}, "icotool sees %s at %s bits" % (sizes, depths))


def check_picture(picture):
    for dpi in DPI_SETS:
        path = os.path.join(RES, picture.file(dpi))
        image = read_bmp24(read(path))
        expect((image.width, image.height) == picture.size(dpi), "%d DPI is %dx%d, want %dx%d"
               % ((dpi, image.width, image.height) + picture.size(dpi)))
        rgb = image.rgba
        for at in range(0, len(rgb), 4):
            if rgb[at] == 255 and rgb[at + 1] == 0 and rgb[at + 2] == 255:
                raise AssertionError("%d DPI has a pure magenta pixel at %d" % (dpi, at // 4))


def check_bitmaps_independently():
    """ImageMagick reads every BMP as a version-3 (40-byte header) BMP with the same pixels."""
    convert = tool("convert", "imagemagick")
    for picture in PICTURES:
        for dpi in DPI_SETS:
            path = os.path.join(RES, picture.file(dpi))
            info = subprocess.run(["identify", "-format", "%m %w %h", path], capture_output=True, text=True)
            expect(info.stdout.split() == ["BMP3", str(picture.size(dpi)[0]), str(picture.size(dpi)[1])],
                   "%s: identify says %r" % (picture.file(dpi), info.stdout))
            theirs = subprocess.run([convert, path, "-depth", "8", "rgb:-"], capture_output=True).stdout
            ours = read_bmp24(read(path)).rgba
            mine = bytearray(len(ours) // 4 * 3)
            mine[0::3], mine[1::3], mine[2::3] = ours[0::4], ours[1::4], ours[2::4]
            expect(theirs == bytes(mine), "%s: ImageMagick decodes other pixels" % picture.file(dpi))


def busy_blocks():
    return gif.read_blocks(read(os.path.join(RES, BUSY_GIF)))


def check_gif_structure():
    data = read(os.path.join(RES, BUSY_GIF))
    blocks = busy_blocks()
    header = blocks[0]
    expect(header["version"] == "GIF89a", "version %s" % header["version"])
    expect((header["width"], header["height"]) == (BUSY_SIZE, BUSY_SIZE), "screen %dx%d" % (header["width"], header["height"]))
    expect(header["packed"] == 0xF5 and header["gct_bytes"] == 3 * BUSY_COLOURS,
           "packed 0x%02X, colour table %d bytes" % (header["packed"], header["gct_bytes"]))
    kinds = [b["kind"] for b in blocks[1:]]
    want = ["gce", "comment", "application", "image"] + ["gce", "image"] * (BUSY_FRAMES - 1) + ["trailer"]
    expect(kinds == want, "blocks %s" % kinds)
    app = blocks[3]
    expect(app["id"] == b"NETSCAPE2.0" and app["data"] == b"\x01\x00\x00", "looping extension %r %r"
           % (app["id"], app["data"]))
    for b in blocks:
        if b["kind"] == "gce":
            expect((b["delay"], b["disposal"], b["transparent"]) == (BUSY_DELAY, BUSY_DISPOSAL, False),
                   "control extension at %d: delay %d, disposal %d, transparent %s"
                   % (b["offset"], b["delay"], b["disposal"], b["transparent"]))
        if b["kind"] == "image":
            expect((b["left"], b["top"], b["width"], b["height"]) == (0, 0, BUSY_SIZE, BUSY_SIZE),
                   "image at %d has rectangle %s" % (b["offset"], (b["left"], b["top"], b["width"], b["height"])))
            expect(b["lct_bytes"] == 0 and not b["interlaced"], "image at %d: local table or interlace" % b["offset"])
            gif.lzw_decode(b["lzw"], b["min_code_size"], BUSY_SIZE * BUSY_SIZE)
    expect(data[:205] == data[:13 + 192], "header")  # the shared prefix every cut frame starts with


def split_frames(data):
    """The frame splitter's cut, done independently: for each frame, the 13 + colour table bytes,
    the span from its control extension to the end of its image, and a trailer."""
    blocks = gif.read_blocks(data)
    prefix = data[:blocks[0]["length"]]
    out, start = [], None
    for b in blocks[1:]:
        if b["kind"] == "gce" and start is None:
            start = b["offset"]
        elif b["kind"] == "image":
            out.append(prefix + data[start:b["offset"] + b["length"]] + b"\x3B")
            start = None
    return out


def check_gif_independently(work):
    path = os.path.join(RES, BUSY_GIF)
    info = subprocess.run([tool("gifsicle", "gifsicle"), "--info", path], capture_output=True, text=True)
    expect(info.returncode == 0, "gifsicle rejects it: %s" % info.stderr.strip())
    text = info.stdout
    expect("%d images" % BUSY_FRAMES in text, "gifsicle: frame count")
    expect("logical screen %dx%d" % (BUSY_SIZE, BUSY_SIZE) in text, "gifsicle: screen")
    expect("global color table [%d]" % BUSY_COLOURS in text, "gifsicle: colour table")
    expect("loop forever" in text, "gifsicle: looping")
    expect(text.count("disposal asis delay 0.10s") == BUSY_FRAMES, "gifsicle: delays/disposal")
    expect(text.count("+ image #") == BUSY_FRAMES and text.count(" %dx%d" % (BUSY_SIZE, BUSY_SIZE)) >= BUSY_FRAMES + 1,
           "gifsicle: frame sizes")
    # Pixels: ImageMagick's decoder against ours, frame by frame.
    convert = tool("convert", "imagemagick")
    theirs = subprocess.run([convert, path, "-coalesce", "-depth", "8", "rgb:-"], capture_output=True).stdout
    blocks = busy_blocks()
    palette = blocks[0]["palette"]
    ours = bytearray()
    for b in blocks:
        if b["kind"] == "image":
            for index in gif.lzw_decode(b["lzw"], b["min_code_size"], BUSY_SIZE * BUSY_SIZE):
                ours += bytes(palette[index])
    expect(theirs == bytes(ours), "ImageMagick decodes other pixels (%d vs %d bytes)" % (len(theirs), len(ours)))
    # Every cut frame is itself a valid one-image GIF.
    for n, one in enumerate(split_frames(read(path))):
        expect(one[:205] == read(path)[:205], "frame %d prefix" % n)
        frame_path = os.path.join(work, "frame-%d.gif" % n)
        with open(frame_path, "wb") as f:
            f.write(one)
        info = subprocess.run(["identify", frame_path], capture_output=True, text=True)
        expect(info.returncode == 0 and info.stdout.count("\n") == 1 and " GIF %dx%d " % (BUSY_SIZE, BUSY_SIZE) in info.stdout,
               "cut frame %d: identify says %r %r" % (n, info.stdout, info.stderr))


def check_gif_writer_table_resets(work):
    """Our LZW encoder past the 4096-code table (which the small busy frames never reach):
    a noisy 256-colour picture must decode to the same pixels in ImageMagick."""
    size, seed, indices = 160, 12345, bytearray()
    for _ in range(size * size):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        indices.append((seed >> 16) & 0xFF if seed & 0x300 else 7)
    palette = [(i, (i * 7) & 255, 255 - i) for i in range(256)]
    data = gif.write_animation(size, size, palette, [bytes(indices)], 0, 0, "lzw check")
    path = os.path.join(work, "lzw-check.gif")
    with open(path, "wb") as f:
        f.write(data)
    theirs = subprocess.run([tool("convert", "imagemagick"), path, "-depth", "8", "rgb:-"], capture_output=True).stdout
    expect(theirs == b"".join(bytes(palette[i]) for i in indices), "ImageMagick decodes other pixels")
    block = [b for b in gif.read_blocks(data) if b["kind"] == "image"][0]
    expect(gif.lzw_decode(block["lzw"], 8, size * size) == bytes(indices), "our decoder disagrees")


# ---------------------------------------------------------------- header and script

def header_ids():
    ids = {}
    with open(os.path.join(RES, "resource.h"), encoding="ascii") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("//"):
                continue
            m = re.fullmatch(r"#define ([A-Z][A-Z0-9_]*) (\d+)", line)
            expect(m, "resource.h line %d is not '#define NAME number': %r" % (number, line))
            expect(m.group(1) not in ids, "%s defined twice" % m.group(1))
            ids[m.group(1)] = int(m.group(2))
    return ids


def check_header():
    ids = header_ids()
    want = dict(COMMAND_IDS, **OTHER_IDS)
    want.update({icon.macro: icon.number for icon in ICONS})
    want.update({p.id_name(d): p.ids[d] for p in PICTURES for d in DPI_SETS})
    want[BUSY_GIF_ID[0]] = BUSY_GIF_ID[1]
    missing = {k: v for k, v in want.items() if ids.get(k) != v}
    expect(not missing, "missing or different: %s" % missing)
    extra = sorted(set(ids) - set(want))
    expect(not extra, "not in the catalogue: %s" % extra)


def rc_files():
    with open(os.path.join(RES, "Sivrel.rc"), encoding="ascii") as f:
        text = f.read()
    return set(re.findall(r'^\s*\S+\s+(?:ICON|BITMAP|GIF|24)\s+"([^"]+)"', text, re.M))


def check_rc_names_committed_files():
    named = rc_files()
    want = {icon.file for icon in ICONS} | {p.file(d) for p in PICTURES for d in DPI_SETS} | {BUSY_GIF, "Sivrel.manifest"}
    expect(named == want, "named but not wanted %s, wanted but not named %s" % (sorted(named - want), sorted(want - named)))
    present = set()
    for folder in ("icons", "bitmaps", "gif"):
        present |= {"%s/%s" % (folder, name) for name in os.listdir(os.path.join(RES, folder))}
    stray = present - named
    expect(not stray, "files no resource names: %s" % sorted(stray))


def write_version_header(work):
    """SivrelVersion.h as the build generates it from cmake/SivrelVersion.h.in, for windres."""
    with open(os.path.join(ROOT, "cmake", "SivrelVersion.h.in"), encoding="utf-8") as f:
        text = f.read()
    for name, value in zip(("MAJOR", "MINOR", "PATCH"), VERSION):
        text = text.replace("@PROJECT_VERSION_%s@" % name, str(value))
    expect("@" not in text, "cmake/SivrelVersion.h.in names a variable this check does not know")
    with open(os.path.join(work, "SivrelVersion.h"), "w", encoding="utf-8") as f:
        f.write(text)


def compile_rc(work):
    out = os.path.join(work, "Sivrel.res")
    write_version_header(work)
    result = subprocess.run([tool(WINDRES, "binutils-mingw-w64-x86-64"), "-I", RES, "-I", work,
                             os.path.join(RES, "Sivrel.rc"), "-O", "res", "-o", out],
                            capture_output=True, text=True)
    expect(result.returncode == 0, "windres: %s" % result.stderr.strip())
    return read_res(read(out))


def check_compiled(resources):
    kinds = {}
    for kind, name in resources:
        kinds.setdefault(kind, set()).add(name)

    menu = read_menu(resources[(RT["MENU"], 201)][1])
    expect(len(menu) == 1 and menu[0][2] == "_POPUP_" and menu[0][0] == 0x10, "menu 201 top level %r" % (menu,))
    items = [(ident, text) for flags, ident, text, _ in menu[0][3]]
    expect(items == MENU, "menu items %r" % items)
    expect(all(flags == 0 for flags, _, _, _ in menu[0][3]), "a menu item is greyed, checked or disabled")

    main = read_dialog(resources[(RT["DIALOG"], 129)][1])
    expect(main["style"] == WS_POPUP | WS_SYSMENU | DS_SETFONT and not main["style"] & WS_CAPTION,
           "129 style 0x%08X" % main["style"])
    expect(main["exstyle"] == 0 and main["rect"] == (0, 0, 302, 117) and main["title"] == "", "129 frame %r" % (main,))
    expect(main["font"] == (8, "Microsoft Sans Serif", 400, 0, 1), "129 font %r" % (main["font"],))
    got = [(c["id"], c["class"], c["text"], c["style"], c["rect"]) for c in main["controls"]]
    expect(got == MAIN_DIALOG_CONTROLS, "129 controls %r" % got)
    expect(all(c["exstyle"] == 0 for c in main["controls"]), "129 control with an extended style")

    about = read_dialog(resources[(RT["DIALOG"], 100)][1])
    expect(about["style"] == 0x80C800C8 and about["title"] == "About" and about["rect"] == (0, 0, 187, 102),
           "100 frame style 0x%08X title %r rect %r" % (about["style"], about["title"], about["rect"]))
    expect(about["font"][:2] == (8, "MS Shell Dlg"), "100 font %r" % (about["font"],))
    got = [(c["id"], c["class"], c["text"], c["style"], c["rect"]) for c in about["controls"]]
    text = got[1][2]
    expect(isinstance(text, str) and text.startswith(ABOUT_TEXT) and text.count("\n") == 2 and len(text) > len(ABOUT_TEXT),
           "About text %r" % text)
    expect([g if i != 1 else g[:2] + (None,) + g[3:] for i, g in enumerate(got)] == ABOUT_CONTROLS, "100 controls %r" % got)

    expect(kinds[RT["GROUP_ICON"]] == {icon.number for icon in ICONS}, "icon groups %s" % sorted(kinds[RT["GROUP_ICON"]]))
    for icon in ICONS:
        entries = read_group_icon(resources[(RT["GROUP_ICON"], icon.number)][1])
        expect([(e["width"], e["planes"], e["bits"]) for e in entries] == [(s, 1, 32) for s in ICON_SIZES],
               "group %d entries %r" % (icon.number, entries))
        for e in entries:
            expect((RT["ICON"], e["id"]) in resources, "group %d names missing image %d" % (icon.number, e["id"]))
    expect(len(kinds[RT["ICON"]]) == len(ICONS) * len(ICON_SIZES), "%d icon images" % len(kinds[RT["ICON"]]))

    bitmap_ids = {p.ids[d]: p.size(d) for p in PICTURES for d in DPI_SETS}
    expect(kinds[RT["BITMAP"]] == set(bitmap_ids), "bitmaps %s" % sorted(kinds[RT["BITMAP"]]))
    for ident, (w, h) in bitmap_ids.items():
        dib = resources[(RT["BITMAP"], ident)][1]
        size, bw, bh, planes, bits, comp = struct.unpack_from("<IiiHHI", dib)
        expect((size, bw, bh, planes, bits, comp) == (40, w, h, 1, 24, 0), "bitmap %d header %r"
               % (ident, (size, bw, bh, planes, bits, comp)))

    expect(resources.get(("GIF", 239), (0, None))[1] == read(os.path.join(RES, BUSY_GIF)), "GIF 239 missing or different")
    manifest = resources[(RT["MANIFEST"], 1)][1]
    expect(manifest == read(os.path.join(RES, "Sivrel.manifest")), "manifest 1 differs from Sivrel.manifest")
    for needle in (b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"', b">true</dpiAware>",
                   b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", b"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                   b"{1f676c76-80e1-4239-95bb-83d0f6d0da78}", b"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
                   b"{e2011457-1546-43c5-a5fe-008deee3d3f0}"):
        expect(needle in manifest, "manifest lacks %s" % needle.decode())
    version = resources[(RT["VERSION"], 1)][1]
    for needle in ("Calyra", VERSION_TEXT, VERSION_TEXT + ".0"):
        expect(needle.encode("utf-16-le") in version, "version resource lacks %s" % needle)
    major, minor, patch = VERSION
    packed = ((major << 16) | minor, patch << 16)
    for offset, which in ((48, "file"), (56, "product")):
        expect(struct.unpack_from("<II", version, offset) == packed, "%s version is not %s.0" % (which, VERSION_TEXT))

    expect((RT["GROUP_ICON"], 201) not in resources, "an icon 201 exists")
    expect(RT["STRING"] not in kinds, "a string table exists")
    expect(RT["ACCELERATOR"] not in kinds, "an accelerator table exists")
    known = {RT[k] for k in ("BITMAP", "ICON", "MENU", "DIALOG", "GROUP_ICON", "VERSION", "MANIFEST")} | {"GIF"}
    expect(set(kinds) == known, "resource types %s" % sorted(map(str, kinds)))


def regenerate(work, name="regenerated", env=None, only=None):
    out = os.path.join(work, name)
    shutil.rmtree(out, ignore_errors=True)
    command = [sys.executable, os.path.join(ROOT, "scripts", "make-artwork.py"), "--out", out]
    if only:
        command += ["--only"] + list(only)
    result = subprocess.run(command, capture_output=True, text=True, env=env)
    expect(result.returncode == 0, "generator failed: %s" % (result.stderr.strip() or result.stdout.strip()))
    return out


def regenerated_files():
    files = [os.path.join("res", icon.file) for icon in ICONS]
    files += [os.path.join("res", p.file(d)) for p in PICTURES for d in DPI_SETS]
    return files + [os.path.join("res", BUSY_GIF), os.path.join("docs", "contact-sheet.png")]


def check_reproduces(out):
    """The committed pictures stay the reference. Drawn here with exactly what drew them, the
    regeneration must give the same bytes; drawn with anything else (another librsvg, cairo,
    pango, FreeType, HarfBuzz, font file or zlib), the same pictures within the tolerance of
    artwork/compare.py, which says what it compares."""
    files = regenerated_files()
    committed, here = stack.read(ROOT), stack.read(out)
    expect(committed, "no record of what drew the committed pictures (%s): run scripts/make-artwork.py" % stack.RECORD)
    differ = [f for f in files if read(os.path.join(out, f)) != read(os.path.join(ROOT, f))]
    if not differ:
        return "compared byte for byte: the same bytes, drawn with %s" % here[0]
    expect(here != committed, "regenerated files differ from the committed ones, although this machine draws "
                              "with what drew them: %s" % differ)
    changed = [stack.difference(mine, theirs) for mine, theirs in zip(here, committed) if mine != theirs]
    failures, largest = [], (0, "")
    for f in differ:
        try:
            value, where = compare.compare_files(os.path.join(ROOT, f), os.path.join(out, f))
        except (compare.Mismatch, ValueError) as error:
            failures.append("%s: %s" % (f, error))
            continue
        if value > largest[0]:
            largest = (value, " ".join(part for part in (f, where) if part))
    drawn = "; ".join(changed) if len(here) == len(committed) else "%s" % here
    expect(not failures, "the regenerated pictures show something else than the committed ones: %s. "
                         "(Not compared byte for byte: this machine draws with %s.)" % ("; ".join(failures), drawn))
    return ("%d of %d files byte for byte; the other %d not, since this machine draws with %s: of those, "
            "compared what they show, their structure and the decoded pixels of every icon size, bitmap and "
            "GIF frame (the contact sheet by its size), blurred 3x3 and matched within one pixel: at most %d "
            "of 255 apart, the largest %.0f in %s" % (len(files) - len(differ), len(files), len(differ), drawn,
                                                     compare.TOLERANCE, largest[0], largest[1] or "none"))


def check_tolerance_comparison():
    """The comparison used where another renderer draws: a picture moved by one pixel (as small
    text moves) passes it; the same picture with a word painted over, or with its colours
    swapped, fails it. Checked here on every machine, since where the bytes match it is not used."""
    reference = read_bmp24(read(os.path.join(RES, "bitmaps", "what-is-this-120.bmp")))
    w, h = reference.width, reference.height

    def changed(pixel):
        out = bytearray(reference.rgba)
        for y in range(h):
            for x in range(w):
                out[(y * w + x) * 4:(y * w + x) * 4 + 4] = pixel(x, y)
        return Image(w, h, out)

    white = bytes((255, 255, 255, 255))
    moved = changed(lambda x, y: reference.pixel(x - 1, y) if x > 0 else white)
    erased = changed(lambda x, y: white if 50 <= x < 70 and y < 12 else reference.pixel(x, y))
    swapped = changed(lambda x, y: bytes(reference.pixel(x, y)[i] for i in (2, 1, 0, 3)))
    value, _, _ = compare.difference(reference, moved)
    expect(value <= compare.TOLERANCE, "moved by one pixel, it differs by %.0f" % value)
    for name, broken in (("a word painted over", erased), ("its colours swapped", swapped)):
        found, _, _ = compare.difference(reference, broken)
        expect(found > compare.TOLERANCE, "with %s it passes (%.0f)" % (name, found))
    return "moved by one pixel %.0f of 255, broken %s" % (value, "above %d" % compare.TOLERANCE)


HOSTILE = "DejaVu Sans"


def hostile_environment(work):
    """The environment of a machine whose font configuration, system-wide and the user's, hands
    every family the artwork uses to another font (DejaVu Sans, from fonts-dejavu-core)."""
    folder = os.path.join(work, "hostile-fonts")
    home = os.path.join(folder, "home")
    os.makedirs(os.path.join(home, ".config", "fontconfig"), exist_ok=True)
    rules = "".join('  <match target="pattern"><test name="family"><string>%s</string></test>'
                    '<edit name="family" mode="assign" binding="strong"><string>%s</string></edit></match>\n'
                    % (family, HOSTILE) for family in sorted({family for family, _ in fonts.FONTS}))
    conf = ('<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">\n<fontconfig>\n'
            '  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>\n%s</fontconfig>\n' % rules)
    for path in (os.path.join(folder, "fonts.conf"), os.path.join(home, ".config", "fontconfig", "fonts.conf")):
        with open(path, "w", encoding="utf-8") as f:
            f.write(conf)
    env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
               FONTCONFIG_FILE=os.path.join(folder, "fonts.conf"), FONTCONFIG_PATH=folder)
    return env


def check_font_configuration_ignored(work, out):
    """Text is drawn with the files fonts.py names, under a configuration of its own, whatever the
    machine's and the user's fontconfig say: with both handing every family the artwork uses to
    another font, the bitmaps (where all the text is) come out byte for byte as before."""
    env = hostile_environment(work)
    for (family, style), (path, _) in sorted(fonts.FONTS.items()):
        got = fonts.resolve(family, style, env)
        expect(os.path.realpath(got) != os.path.realpath(path),
               "the hostile configuration still gives %s %s its own file %s, so it shows nothing "
               "(is %s installed? apt-get install fonts-dejavu-core)" % (family, style, got, HOSTILE))
    hostile = regenerate(work, "regenerated-hostile-fonts", env, ("bitmaps",))
    files = [os.path.join("res", p.file(d)) for p in PICTURES for d in DPI_SETS]
    differ = [f for f in files if read(os.path.join(hostile, f)) != read(os.path.join(out, f))]
    expect(not differ, "with a font configuration that hands the artwork's families to %s, these came out "
                       "differently: %s" % (HOSTILE, differ))
    return "%d bitmaps byte for byte the same with %s handed %s by the system's and the user's fontconfig" % (
        len(files), ", ".join(sorted({family for family, _ in fonts.FONTS})), HOSTILE)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--work", help="scratch folder (default: a temporary one)")
    parser.add_argument("--reproduce", action="store_true", help="also regenerate and compare byte for byte")
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="sivrel-artwork-")
    os.makedirs(work, exist_ok=True)

    checks = Checks()
    for icon in ICONS:
        checks.run("icon %d %s" % (icon.number, icon.file), check_icon, icon)
    for picture in PICTURES:
        checks.run("bitmaps %s (%s)" % (picture.stem, "/".join(str(picture.ids[d]) for d in DPI_SETS)),
                   check_picture, picture)
    checks.run("bitmaps read by ImageMagick", check_bitmaps_independently)
    checks.run("busy GIF block structure", check_gif_structure)
    checks.run("busy GIF decoded by gifsicle and ImageMagick, cut frames valid", check_gif_independently, work)
    checks.run("GIF writer past a full LZW table", check_gif_writer_table_resets, work)
    checks.run("resource.h ids", check_header)
    checks.run("Sivrel.rc names exactly the committed files", check_rc_names_committed_files)
    resources = {}

    def compiled():
        resources.update(compile_rc(work))
    checks.run("Sivrel.rc compiles", compiled)
    if resources:
        checks.run("compiled menu, templates, icons, bitmaps, GIF, version, manifest", check_compiled, resources)
    checks.run("the comparison used with another renderer tells a moved picture from a broken one",
               check_tolerance_comparison)
    if args.reproduce:
        regenerated = []
        checks.run("regeneration from res/art/ runs", lambda: regenerated.append(regenerate(work)))
        if regenerated:
            checks.run("regeneration reproduces the committed files", check_reproduces, regenerated[0])
            checks.run("a hostile font configuration changes nothing", check_font_configuration_ignored,
                       work, regenerated[0])
    if not args.work:
        shutil.rmtree(work, ignore_errors=True)
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
