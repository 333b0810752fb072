#!/usr/bin/env bash
# The second CI tree: clang with AddressSanitizer and UndefinedBehaviorSanitizer. Runs the whole
# test suite again, then every fuzzer for a bounded time (FUZZ_SECONDS each, default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that a second clone reuses what ccache compiled for the first.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
bash scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
# Qt and fontconfig keep process-lifetime allocations that LeakSanitizer would report as leaks.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --preset asan

seconds="${FUZZ_SECONDS:-60}"
shopt -s nullglob
for fuzzer in build/asan/fuzz/fuzz_*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue  # skip the build system's *_autogen folders
  name=$(basename "$fuzzer")
  corpus="build/asan/fuzz-corpus/$name"
  mkdir -p "$corpus"
  seeds=()
  [ -d "fuzz/seeds/$name" ] && seeds=("fuzz/seeds/$name")
  echo "== $name for ${seconds}s"
  QT_QPA_PLATFORM=offscreen "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "$corpus" "${seeds[@]}" 2>&1 | tail -n 12
  [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$name failed"; exit 1; }
done
