#!/usr/bin/env bash
# Brings Boost.Thread's Windows sources into a cache outside the build tree, so a fresh clone does
# not download them again. Debian ships no mingw Boost, and the header-only pthread flavour aborts
# under winpthreads, so the win32 flavour is compiled by our build. The sources must be those of the
# installed Boost headers, so the source package is the one that built them: boost1.74 on Debian 12,
# boost1.83 on Debian 13 (whatever package owns /usr/include/boost/version.hpp says).
#
# The system's apt configuration is left untouched: we write a sources list of our own that adds the
# deb-src type for the Debian archive the machine is already configured with.
#
# Usage: fetch-boost-thread-src.sh [HEADERS]  -> prints the path of the unpacked libs/thread/src
#   folder; HEADERS is the Boost header folder the build uses (default /usr/include/boost)
set -euo pipefail
headers="${1:-/usr/include/boost}"
owner="$(dpkg-query -S "$(realpath "$headers/version.hpp")" 2>/dev/null | head -n 1 | cut -d: -f1)" || true
[ -n "$owner" ] || { echo "no Debian package owns $headers/version.hpp (install libboost-dev)" >&2; exit 1; }
source_package="$(dpkg-query -W -f='${source:Package}' "$owner")"
case "$source_package" in
  boost1.[0-9]*) ;;
  *) echo "$headers comes from $owner, not from a boost1.NN source package" >&2; exit 1;;
esac
cache="${XDG_CACHE_HOME:-$HOME/.cache}/sivrel/$source_package"
out="$cache/src/libs/thread/src"
if [ -f "$out/win32/thread.cpp" ] && [ -f "$out/future.cpp" ]; then
  echo "$out"; exit 0
fi
mkdir -p "$cache/apt/lists/partial" "$cache/apt/archives/partial" "$cache/dl"
list="$cache/apt/sources.list"

# Collect the archive URIs and suites of the configured Debian main archive (deb822 or one-line form).
{
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN{RS=""; FS="\n"}
      { types=""; uris=""; suites=""; comps=""; signed="";
        for (i=1;i<=NF;i++) { line=$i; sub(/#.*/,"",line)
          if (line ~ /^Types:/)      { sub(/^Types:[ \t]*/,"",line); types=line }
          if (line ~ /^URIs:/)       { sub(/^URIs:[ \t]*/,"",line); uris=line }
          if (line ~ /^Suites:/)     { sub(/^Suites:[ \t]*/,"",line); suites=line }
          if (line ~ /^Components:/) { sub(/^Components:[ \t]*/,"",line); comps=line }
          if (line ~ /^Signed-By:/)  { sub(/^Signed-By:[ \t]*/,"",line); signed=line } }
        if (types ~ /deb/ && uris ~ /debian/ && uris !~ /security/) {
          n=split(suites, s, /[ \t]+/); m=split(uris, u, /[ \t]+/)
          for (j=1;j<=m;j++) for (k=1;k<=n;k++) if (s[k]!="") {
            opt = (signed!="") ? "[signed-by=" signed "] " : ""
            print "deb-src " opt u[j] " " s[k] " " comps } } }' "$f"
  done
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^[[:space:]]*deb[[:space:]]' /etc/apt/sources.list | grep debian | grep -v security | sed -E 's/^[[:space:]]*deb[[:space:]]/deb-src /'
  fi
} | sort -u > "$list"
[ -s "$list" ] || { echo "no Debian archive found in the apt configuration" >&2; exit 1; }

aptopts=(-o Dir::Etc::SourceList="$list" -o Dir::Etc::SourceParts=/dev/null
         -o Dir::State::Lists="$cache/apt/lists" -o Dir::Cache="$cache/apt"
         -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
apt-get "${aptopts[@]}" -qq update
( cd "$cache/dl" && apt-get "${aptopts[@]}" -qq source --download-only "$source_package" )
tarball=$(ls "$cache/dl/${source_package}"_*.orig.tar.* | head -n 1)
rm -rf "$cache/src.tmp" && mkdir -p "$cache/src.tmp"
tar -xf "$tarball" -C "$cache/src.tmp" --wildcards '*/libs/thread/src/*' '*/LICENSE_1_0.txt'
top=$(ls "$cache/src.tmp" | head -n 1)
rm -rf "$cache/src" && mv "$cache/src.tmp/$top" "$cache/src" && rm -rf "$cache/src.tmp"
# The tarball is large; keep only what the build needs.
rm -f "$cache"/dl/*.orig.tar.* 
echo "$out"
