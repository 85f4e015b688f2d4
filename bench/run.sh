#!/usr/bin/env bash
# The benchmarks: builds the programs they time (optimised, in build/bench-win64; all of
# them run under Wine), generates their data, runs each several times and prints a table of
# medians and ratios against a plain copy of the same bytes. Takes a few minutes and about
# 3 GiB of disk while it runs; everything it generated is removed at the end.
#   LARK_BENCH_ROUNDS=9 bash bench/run.sh   more interleaved rounds (default 7)
#   LARK_BENCH_MIB=256 bash bench/run.sh    smaller stores (default 1024)
#   LARK_BENCH_PLACES=disk bash bench/run.sh  only the disk (default "disk ram": the RAM disk needs root)
#   LARK_BENCH_KEEP=1 bash bench/run.sh     keep the generated data for the next run
#   LARK_BENCH_ONLY=export bash bench/run.sh  the mail export against a plain copy alone
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

bash scripts/setup.sh
build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DLARK_BUILD_TESTS=OFF -DLARK_BUILD_BENCH=ON "$@" \
    >"$dir.log" 2>&1 && cmake --build "$dir" -j"$(nproc)" >>"$dir.log" 2>&1 ||
    { tail -30 "$dir.log"; echo "bench: build in $dir failed"; exit 2; }
  rm -f "$dir.log"
}
mkdir -p build
echo "== building" >&2
build build/bench-win64 --toolchain cmake/mingw-w64-x86_64.cmake

export LARK_WINEPREFIX=$ROOT/build/bench-prefix
export LARK_DISPLAY=${LARK_DISPLAY:-98}
. scripts/wine-env.sh
trap lark_stop EXIT
lark_start_xvfb
lark_prepare_prefix
# One Wine session for the whole run, as Windows is already up when a user starts a backup:
# the server the preparation started ends first, then a persistent one takes its place.
"$WINESERVER" -w
"$WINESERVER" -p
export WINE WINESERVER WINEPREFIX DISPLAY
python3 bench/bench.py
