#!/usr/bin/env bash
# The benchmark of the path users run: the Windows build under Wine cleans and
# restores a stand-in desktop of that many items, against bare system calls doing
# the same work (bench/wine/cycle_bench.cpp). Not run by the tests; it takes
# the Windows build's Wine prefix, so do not run it while the tests run.
#   tools/bench.sh [items ...]        (1000 2000 5000 when none are given)
set -u
cd "$(dirname "$0")/.."
bash tools/deps.sh || exit 1
build=build/windows
cmake --preset windows >/dev/null &&
  cmake --build --preset windows --target stowly standin_desktop desktop_keeper cycle_bench >/dev/null || exit 1
tools/wine-run.sh --build "$build" --start || exit 1
trap 'tools/wine-run.sh --build "$build" --stop >/dev/null' EXIT
STOWLY_BUILD_DIR="$PWD/$build" STOWLY_BENCH_SIZES="${*:-1000 2000 5000}" \
  tools/wine-run.sh --build "$build" "$build/cycle_bench.exe" --no-colors
