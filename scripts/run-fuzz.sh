#!/usr/bin/env bash
# Builds the GIF splitter's fuzz target (build/fuzz: clang, libFuzzer, ASan+UBSan) and runs it for
# a bounded time, default 60 s: scripts/run-fuzz.sh [SECONDS]. Exits non-zero on any finding
# (crash, sanitizer report, broken invariant, leak, timeout, out of memory); the input that
# caused it is left in build/fuzz/findings/. Keep every such input in fuzz/corpus/regressions/,
# which the native test gif_corpus_test replays.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-60}"
build="$root/build/fuzz"
jobs="${SIVREL_JOBS:-2}"

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DSIVREL_FUZZ=ON -DSIVREL_SANITIZE=address -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" --target gif_fuzz -j "$jobs"

# New inputs go to the first folder, a scratch corpus; the kept seeds and regressions are only read.
mkdir -p "$build/corpus" "$build/findings"
rm -f "$build"/findings/*
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
status=0
"$build/fuzz/gif_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
  -dict="$root/fuzz/gif.dict" -artifact_prefix="$build/findings/" -print_final_stats=1 \
  "$build/corpus" "$root/fuzz/corpus/seeds" "$root/fuzz/corpus/regressions" || status=$?

if [ "$status" -ne 0 ] || [ -n "$(ls -A "$build/findings")" ]; then
  echo "run-fuzz: gif_fuzz found a fault (exit $status); inputs in $build/findings:" >&2
  ls -l "$build/findings" >&2
  exit 1
fi
echo "run-fuzz: gif_fuzz ran ${seconds} s without a finding"
