#!/usr/bin/env bash
# Runs a command inside a Wine test bed of its own:
#   - a private WINEPREFIX (default: <build dir>/wineprefix), created once and set to Windows 10,
#     with the display DPI given by SIVREL_DPI (LogPixels, read when the wineserver starts);
#   - a display: $DISPLAY when SIVREL_USE_DISPLAY=1 and it is set, otherwise a private Xvfb;
#   - one persistent wineserver shared by every Wine process of the command (a prefix boot costs ~8 s);
#   - a Wine virtual desktop named Default with a taskbar and notification area, which plain
#     `wine program.exe` processes join, so their tray icons and windows show on it.
# Usage: wine-session.sh [--prefix DIR] [--size WxH] -- command args...
# Everything it started is ended when the command ends or on Ctrl+C.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
prefix=""
size="1280x800"
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix="$2"; shift 2;;
    --size) size="$2"; shift 2;;
    --) shift; break;;
    *) echo "wine-session: unknown option $1" >&2; exit 2;;
  esac
done
[ $# -gt 0 ] || { echo "usage: wine-session.sh [--prefix DIR] [--size WxH] -- command..." >&2; exit 2; }
[ -n "$prefix" ] || prefix="$(pwd)/wineprefix"
mkdir -p "$(dirname "$prefix")"
prefix="$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")"

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko install prompts: the client needs neither.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64
# Wine names Unix files in the locale's character set: without a UTF-8 locale (a fresh root has
# none set) a Windows file name outside ASCII cannot be made. C.UTF-8 is always there.
if [ -z "${LC_ALL:-}" ] && [ -z "${LANG:-}" ]; then export LANG=C.UTF-8; fi

xvfb_pid=""
desktop_pid=""
cleanup() {
  set +e
  wineserver -k >/dev/null 2>&1
  [ -n "$desktop_pid" ] && kill "$desktop_pid" >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1 && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ "${SIVREL_USE_DISPLAY:-0}" = 1 ] && [ -n "${DISPLAY:-}" ]; then
  :
else
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fdfile" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 100); do [ -s "$fdfile" ] && break; sleep 0.1; done
  [ -s "$fdfile" ] || { echo "wine-session: Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$(head -n1 "$fdfile")"
  rm -f "$fdfile"
fi

dpi="${SIVREL_DPI:-96}"
stamp="$WINEPREFIX/.sivrel-ready"
if [ ! -f "$stamp" ]; then
  echo "wine-session: creating Wine prefix $WINEPREFIX" >&2
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  # A new prefix reports Windows 7; the client would then take its older icon set.
  winecfg -v win10 >/dev/null 2>&1
  wineserver -w
  touch "$stamp"
fi
# Wine's own fonts (Tahoma, which "Microsoft Sans Serif" and "MS Shell Dlg" stand for) must be in
# the prefix's Fonts folder. wineboot copies them from a folder beside Wine's DLLs, but Debian's
# fonts-wine puts them under /usr/share/wine/fonts, so without this every dialog font falls back
# to a host font of other metrics and the comments window's controls move against its skin.
if [ -d /usr/share/wine/fonts ]; then
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
fi
# A crashing program gets winedbg, which by default opens its crash dialog on the desktop and
# waits there for a click, so a crash in a test became a hang until the test's timeout, with no
# trace. Without the dialog winedbg prints the backtrace to the console and ends the process.
# Every process runs on a virtual desktop named Default. Naming it only on explorer's command line
# is not enough: the first window of any process (explorer's own included) starts Wine's desktop
# process for "Default", and without these keys that one is a plain desktop without a taskbar.
# Wine 8 gives a virtual desktop its shell (the taskbar with the notification area) unasked;
# Wine 10 only to a desktop whose EnableShell is set, and otherwise puts the icons in a small tray
# window of its own, where nothing of the taskbar's is (to Wine 8 the value changes nothing).
settings="$(mktemp --suffix=.reg)"
printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops\\Default]\r\n"EnableShell"=dword:00000001\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n' \
  "$dpi" "$size" >"$settings"
wine reg import "$(winepath -w "$settings" 2>/dev/null)" >/dev/null 2>&1
rm -f "$settings"
wineserver -w   # the DPI is read when the next wineserver starts

wineserver -p
# The desktop ends with the last process that has a window on it, so something must hold it for
# the whole session; our waiter does that once the notification area is up. Without it (a tree not
# built yet) explorer itself holds it, and nothing waits for the tray.
waiter="${SIVREL_WAIT_FOR_TRAY:-}"
if [ -n "$waiter" ] && [ -f "$waiter" ]; then
  fifo="$(mktemp -u)"; mkfifo "$fifo"
  wine "$waiter" hold 60000 >"$fifo" 2>/dev/null &
  desktop_pid=$!
  state=""
  read -r -t 90 state <"$fifo" || true
  if [ "${state%$'\r'}" != ready ]; then
    echo "wine-session: the notification area did not appear" >&2
  fi
  rm -f "$fifo"
else
  wine explorer /desktop=Default,"$size" >/dev/null 2>&1 &
  desktop_pid=$!
  for _ in $(seq 1 200); do
    xwininfo -root -tree 2>/dev/null | grep -q '"Default - Wine desktop"' && break
    sleep 0.1
  done
fi
export SIVREL_WINE_SESSION=1
"$@"
