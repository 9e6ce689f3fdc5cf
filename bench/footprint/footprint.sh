#!/usr/bin/env bash
# The client's footprint against the baseline tray program, under Wine. Run it inside the test bed:
#
#   scripts/wine-session.sh --prefix build/windows/wineprefix -- bench/footprint/footprint.sh
#
# Options: --rounds N (3), --starts N (4), --idle SECONDS (60), --settle SECONDS (10), --bin DIR
# (build/windows/bin), --keep DIR (keep every sample there).
#
# Programs: Sivrel.exe with the simulator Korvex.dll beside it (no scenario: it raises its
# start-up events and stays quiet), and baseline_tray.exe. footprint_launch.exe starts each in the
# one Wine desktop and times it from just before CreateProcess to WaitForInputIdle (the program's
# loop waits for input with its queue empty); the CPU time the process has used by then is read
# from /proc at once. Each round first starts and closes each program STARTS times, the order
# alternating, then starts both and leaves them running: after SETTLE seconds the resident set of
# each Wine process is read from /proc/PID/smaps, then both sit idle side by side for IDLE
# seconds, their CPU time and voluntary context switches (wake-ups) summed over their threads
# from /proc before and after. Both are closed with WM_CLOSE. footprint_report.py prints the
# figures and the ratios client/baseline.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
rounds=3
starts=4
idle=60
settle=10
bin="$root/build/windows/bin"
keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --rounds) rounds="$2"; shift 2;;
    --starts) starts="$2"; shift 2;;
    --idle) idle="$2"; shift 2;;
    --settle) settle="$2"; shift 2;;
    --bin) bin="$(cd "$2" && pwd)"; shift 2;;
    --keep) keep="$2"; shift 2;;
    *) echo "usage: footprint.sh [--rounds N] [--starts N] [--idle S] [--settle S] [--bin DIR] [--keep DIR]" >&2; exit 2;;
  esac
done
[ "${SIVREL_WINE_SESSION:-}" = 1 ] || { echo "footprint: run me inside scripts/wine-session.sh" >&2; exit 2; }
for f in Sivrel.exe Korvex.dll baseline_tray.exe footprint_launch.exe; do
  [ -f "$bin/$f" ] || { echo "footprint: $bin/$f is missing (scripts/build.sh windows)" >&2; exit 2; }
done
if [ -n "$keep" ]; then mkdir -p "$keep"; work="$(cd "$keep" && pwd)"; else work="$(mktemp -d)"; fi
# The simulator raises its start-up events and then stays quiet: no scenario plays.
unset KORVEX_SCENARIO
export WINEDLLPATH="$bin"

declare -A program=([client]="$bin/Sivrel.exe" [baseline]="$bin/baseline_tray.exe")
declare -A winpid linuxpid

# The Linux process of a Wine program is found by its command line, which Wine sets to the
# Windows command line it was started with (the program's Z:\ path, this tree's own), and by
# the prefix in its environment, so that programs of other trees and test beds do not match.
find_linux_pid() {  # find_linux_pid WINDOWS_PATH
  local path="$1" found=() p cmd
  for p in /proc/[0-9]*; do
    cmd="$( { tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null)" || continue  # it may have ended
    case "$cmd" in "$path"*) ;; *) continue;; esac
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    found+=("${p#/proc/}")
  done
  [ ${#found[@]} -eq 1 ] || {
    echo "footprint: expected one process for $path, found: ${found[*]:-none}" >&2; return 1; }
  echo "${found[0]}"
}

stop() {  # stop NAME
  if [ -n "${winpid[$1]:-}" ]; then
    wine "$bin/footprint_launch.exe" stop "${winpid[$1]}" >/dev/null 2>&1 || true
    winpid[$1]=""
  fi
}
stop_all() { stop client; stop baseline; }
trap stop_all EXIT

# Starts program NAME and writes what the launcher printed to OUT, followed by the CPU time the
# process had used by then (read at once; this one is hardly touched by the other helpers' load
# on the machine, which makes the wall time vary several times over).
launch() {  # launch NAME OUT
  local windows_path
  windows_path="$(winepath -w "${program[$1]}" 2>/dev/null)"
  wine "$bin/footprint_launch.exe" start "$windows_path" >"$2.raw" 2>"$2.err" || {
    cat "$2.err" >&2; exit 1; }
  winpid[$1]="$(tr -d '\r' <"$2.raw" | awk '$1 == "pid" { print $2 }')"
  linuxpid[$1]="$(find_linux_pid "$windows_path")"
  {
    tr -d '\r' <"$2.raw"
    python3 "$here/footprint_report.py" sample "${linuxpid[$1]}" | sed 's/^/at_idle_/'
  } >"$2"
  rm -f "$2.raw" "$2.err"
}

for round in $(seq 1 "$rounds"); do
  dir="$work/round$round"
  mkdir -p "$dir"
  # Start-up alone: each program started and closed again, the order alternating.
  for s in $(seq 1 "$starts"); do
    if [ $(((round + s) % 2)) -eq 0 ]; then order="client baseline"; else order="baseline client"; fi
    for name in $order; do
      launch "$name" "$dir/$name-start$s.txt"
      stop "$name"
    done
  done
  # Then both together: memory after SETTLE seconds, then IDLE seconds side by side.
  if [ $((round % 2)) -eq 1 ]; then order="client baseline"; else order="baseline client"; fi
  for name in $order; do launch "$name" "$dir/$name-launch.txt"; done
  sleep "$settle"
  for name in client baseline; do
    cp "/proc/${linuxpid[$name]}/smaps" "$dir/$name-smaps.txt"
    python3 "$here/footprint_report.py" sample "${linuxpid[$name]}" >"$dir/$name-before.txt"
  done
  sleep "$idle"
  for name in client baseline; do
    python3 "$here/footprint_report.py" sample "${linuxpid[$name]}" >"$dir/$name-after.txt"
  done
  stop_all
  echo "footprint: round $round of $rounds done" >&2
done
python3 "$here/footprint_report.py" report "$work"
[ -n "$keep" ] || rm -rf "$work"
