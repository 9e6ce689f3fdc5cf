#!/usr/bin/env bash
# The whole test suite: set-up, both trees built, native tests first (ASan+UBSan with the
# artwork check, then TSan), the fuzzer for a bounded time, then every Windows test under Wine in a
# private prefix on a private Xvfb display, and last the release tree with its installer tests
# in a prefix of their own. Exits non-zero on any failure.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
"$root/scripts/setup-deps.sh" || exit 1

failed=()
summaries=()
step() {  # step NAME command...
  local name="$1"; shift
  echo
  echo "===== $name"
  local log; log="$(mktemp)"
  "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local summary; summary="$(grep -E '^[0-9]+% tests passed|tests failed out of' "$log" | tail -n 1)"
  summaries+=("$name: ${summary:-exit code $rc}")
  rm -f "$log"
  [ "$rc" -eq 0 ] || failed+=("$name")
}

step "build native (ASan+UBSan)" scripts/build.sh native
step "native tests (ASan+UBSan)" ctest --test-dir build/native --output-on-failure -j 2
step "build native (TSan)" scripts/build.sh native-tsan
step "native tests (TSan)" env TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
  ctest --test-dir build/native-tsan --output-on-failure -j 2 -LE artwork
step "build benchmarks" scripts/build.sh bench
if [ -x scripts/run-fuzz.sh ]; then
  step "fuzz (bounded)" scripts/run-fuzz.sh
fi
step "build windows" scripts/build.sh windows
step "windows tests (Wine)" env SIVREL_WAIT_FOR_TRAY="$root/build/windows/bin/wait-for-tray.exe" \
  scripts/wine-session.sh --prefix build/windows/wineprefix -- \
  ctest --test-dir build/windows --output-on-failure -LE '^installer$'
step "windows tests at other display DPIs (Wine)" env SIVREL_WAIT_FOR_TRAY="$root/build/windows/bin/wait-for-tray.exe" \
  scripts/test-dpi.sh build/windows
step "build release" scripts/build.sh release
step "installer tests (Wine)" scripts/test-installer.sh build/windows

echo
echo "===== summary"
for s in "${summaries[@]}"; do echo "$s"; done
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "all test steps passed"
