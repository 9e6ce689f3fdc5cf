#!/usr/bin/env python3
"""Builds the package of a higher version that the installer tests upgrade to.

    next-version-package.py --release DIR --version X.Y.Z --next X.Y.Z --out DIR

Takes the shipped Sivrel.exe and Korvex.dll from DIR/Sivrel-X.Y.Z/, gives each the version
X.Y.Z' in its version resource's fixed part (what Explorer, Add/Remove Programs, the file
versioning rules and the tests read), and builds OUT/Sivrel-X.Y.Z'-x64.msi from
installer/Sivrel.wxs with make-msi.cmake, as the release tree does, with the same custom actions
(SivrelSetup.dll). Signatures of a signed release no longer hold in the copies: Wine checks none.
Exits 1 with a message when the release artefacts are missing.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
FIXED_INFO_SIGNATURE = struct.pack("<I", 0xFEEF04BD)


def numbers(version):
    major, minor, patch = (int(n) for n in version.split("."))
    return ((major << 16) | minor, patch << 16)


def restamp(source, target, old, new):
    """Copies a PE file with its VS_FIXEDFILEINFO file and product versions changed."""
    with open(source, "rb") as f:
        data = bytearray(f.read())
    at = data.find(FIXED_INFO_SIGNATURE)
    if at < 0 or data.find(FIXED_INFO_SIGNATURE, at + 1) >= 0:
        sys.exit("%s: not exactly one version resource" % source)
    # signature, structure version, then file version (2 dwords) and product version (2 dwords)
    for offset in (at + 8, at + 16):
        found = struct.unpack_from("<II", data, offset)
        if found != numbers(old):
            sys.exit("%s: version resource says %r, not %s" % (source, found, old))
        struct.pack_into("<II", data, offset, *numbers(new))
    with open(target, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--release", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--next", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    shipped = os.path.join(args.release, "Sivrel-%s" % args.version)
    missing = [f for f in ("Sivrel.exe", "Korvex.dll", "SivrelSetup.dll")
               if not os.path.isfile(os.path.join(shipped, f))]
    if missing:
        sys.exit("no %s in %s: build the release tree first (scripts/build.sh release)"
                 % (", ".join(missing), shipped))
    binaries = os.path.join(args.out, "Sivrel-%s" % args.next)
    os.makedirs(binaries, exist_ok=True)
    for name in ("Sivrel.exe", "Korvex.dll"):
        restamp(os.path.join(shipped, name), os.path.join(binaries, name), args.version, args.next)
    shutil.copyfile(os.path.join(shipped, "SivrelSetup.dll"), os.path.join(binaries, "SivrelSetup.dll"))
    msi = os.path.join(args.out, "Sivrel-%s-x64.msi" % args.next)
    return subprocess.call(["cmake", "-DVERSION=" + args.next, "-DBINARIES=" + binaries,
                            "-DWORK=" + os.path.join(args.out, "msi-work"), "-DOUTPUT=" + msi,
                            "-P", os.path.join(ROOT, "installer", "make-msi.cmake")])


if __name__ == "__main__":
    sys.exit(main())
