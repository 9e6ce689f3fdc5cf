#!/usr/bin/env bash
# Builds and starts Sivrel.exe with the stand-in Korvex.dll under Wine, in a Wine virtual desktop
# whose taskbar shows the notification area. Uses $DISPLAY when set, otherwise a private Xvfb.
#   run.sh                           run until Ctrl+C (or until the client exits)
#   run.sh --shot FILE.png --after N screenshot of the display after N seconds, then stop
# The simulator plays korvex/scenarios/demo.txt unless KORVEX_SCENARIO names another file.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
shot=""
after=""
while [ $# -gt 0 ]; do
  case "$1" in
    --shot) shot="$2"; shift 2;;
    --after) after="$2"; shift 2;;
    *) echo "usage: run.sh [--shot FILE.png --after SECONDS]" >&2; exit 2;;
  esac
done
if [ -n "$shot" ]; then
  [ -n "$after" ] || after=10
  case "$shot" in /*) ;; *) shot="$(pwd)/$shot";; esac
fi
"$root/scripts/setup-deps.sh"
SIVREL_BUILD_TARGETS="Sivrel Korvex korvexctl wait-for-tray" "$root/scripts/build.sh" windows >/dev/null
bin="$root/build/windows/bin"

export SIVREL_WAIT_FOR_TRAY="$bin/wait-for-tray.exe"
[ -n "$shot" ] || export SIVREL_USE_DISPLAY=1
scenario="${KORVEX_SCENARIO:-$root/korvex/scenarios/demo.txt}"

exec "$root/scripts/wine-session.sh" --prefix "$root/build/windows/wineprefix-run" -- \
  bash -c '
    set -u
    bin="$1"; shot="$2"; after="$3"; scenario="$4"
    if [ -f "$scenario" ]; then export KORVEX_SCENARIO="$(winepath -w "$scenario" 2>/dev/null)"; fi
    export WINEDLLPATH="$bin"
    wine "$bin/Sivrel.exe" &
    client=$!
    if [ -n "$shot" ]; then
      sleep "$after"
      import -window root "$shot" && echo "screenshot written to $shot"
      kill "$client" 2>/dev/null
      exit 0
    fi
    wait "$client"
  ' run "$bin" "$shot" "$after" "$scenario"
