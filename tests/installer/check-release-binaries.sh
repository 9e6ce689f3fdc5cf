#!/usr/bin/env bash
# The shipped binaries of a release carry no debug information, yet a crash address in them can
# still be turned into a source line: each names its .debug file (.gnu_debuglink), which lies
# beside it and holds the DWARF sections.
#   check-release-binaries.sh build/release/Sivrel-<version>
set -uo pipefail
dir="${1:?usage: check-release-binaries.sh DIR}"
prefix=x86_64-w64-mingw32
failed=0
fail() { echo "FAIL $*"; failed=1; bad=1; }

# binary, a function defined in it, the source file that function is in
for entry in "Sivrel.exe WinMain app/WinMain.cpp" "Korvex.dll GetService korvex/KorvexMain.cpp"; do
  read -r binary function source <<<"$entry"
  bad=0
  file="$dir/$binary"
  [ -f "$file" ] && [ -f "$file.debug" ] || { fail "$binary or $binary.debug missing in $dir"; continue; }
  sections="$("$prefix-objdump" -h "$file")"
  if grep -q ' \.debug_' <<<"$sections"; then
    fail "$binary still carries debug sections: $(grep -o '\.debug_[a-z_]*' <<<"$sections" | tr '\n' ' ')"
  fi
  grep -q ' \.gnu_debuglink ' <<<"$sections" || fail "$binary names no debug file"
  grep -q ' \.debug_info ' <<<"$("$prefix-objdump" -h "$file.debug" 2>&1)" || fail "$binary.debug holds no .debug_info"
  # addr2line reads the shipped binary and follows its debug link to the file beside it.
  address="$("$prefix-nm" "$file" | awk -v f="$function" '$3 == f { print $1; exit }')"
  [ -n "$address" ] || { fail "$binary has no symbol $function"; continue; }
  line="$("$prefix-addr2line" -e "$file" "0x$address")"
  case "$line" in
    *"/$source:"[0-9]*) [ "$bad" = 1 ] || echo "ok   $binary: no debug sections; $function at $line" ;;
    *) fail "$binary: $function at 0x$address resolves to '$line', not $source" ;;
  esac
done
exit "$failed"
