#!/usr/bin/env bash
# Screenshots of the comments window's looks at one display DPI, for docs/.
#   tests/comments/take-screenshots.sh BUILD_DIR OUT_DIR DPI LOOK...
# Runs its own Wine session (prefix BUILD_DIR/wineprefix-dpiDPI) on a private Xvfb, shows each
# look with comments-shots.exe, and crops the window (with a margin) out of the root window.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
build="$(cd "$1" && pwd)"; out="$2"; dpi="$3"; shift 3
mkdir -p "$out"; out="$(cd "$out" && pwd)"
export SIVREL_DPI="$dpi"
exec "$root/scripts/wine-session.sh" --prefix "$build/wineprefix-dpi$dpi" -- bash -c '
  set -euo pipefail
  bin="$1"; out="$2"; dpi="$3"; shift 3
  for look in "$@"; do
    flag="$(mktemp -u /tmp/comments-shot.XXXXXX)"
    log="$(mktemp)"
    wine "$bin/comments-shots.exe" "$look" "$(winepath -w "$flag")" >"$log" 2>/dev/null &
    pid=$!
    for _ in $(seq 1 300); do grep -q "^ready" "$log" && break; sleep 0.1; done
    read -r _ l t r b < <(grep "^ready" "$log" | tr -d "\r")
    m=16
    import -window root -crop "$((r - l + 2 * m))x$((b - t + 2 * m))+$((l - m))+$((t - m))" +repage \
      "$out/comments-$look-${dpi}dpi.png"
    touch "$flag"; wait "$pid" || true; rm -f "$flag" "$log"
    echo "wrote $out/comments-$look-${dpi}dpi.png"
  done
' _ "$build/bin" "$out" "$dpi" "$@"
