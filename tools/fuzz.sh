#!/usr/bin/env bash
# Runs one libFuzzer target of fuzz/ for a given time:
#   tools/fuzz.sh TARGET SECONDS [more libFuzzer options]
# TARGET is closet, delimited_files, settings or version_page (fuzz/<TARGET>.cpp).
# The seed corpus is fuzz/corpus/<TARGET>/ (read, never written); what the run finds
# goes to build/fuzz/corpus/<TARGET>/, a crashing input to build/fuzz/artifacts/.
# libFuzzer's log ends with its figures (runs, coverage, corpus). tools/test.sh, and
# so CI, runs every target for 20 s.
set -eu
cd "$(dirname "$0")/.."
if [ $# -lt 2 ]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options]" >&2
  exit 2
fi
target=$1 seconds=$2
shift 2
if [ ! -f "fuzz/$target.cpp" ]; then
  echo "no fuzz target fuzz/$target.cpp" >&2
  exit 2
fi

# clang with its runtime (libFuzzer and the sanitizers).
tools/deps.sh clang libclang-rt-dev

build=build/fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G "Unix Makefiles" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTOWLY_FUZZ=ON >/dev/null
cmake --build "$build" --target "fuzz_$target" -j 2 >/dev/null

root=$PWD
corpus="$root/$build/corpus/$target" artifacts="$root/$build/artifacts/$target" run="$root/$build/run/$target"
mkdir -p "$corpus" "$artifacts" "$run"
dict=()
[ -f "fuzz/$target.dict" ] && dict=(-dict="$root/fuzz/$target.dict")
# One job in one worker: the machine is shared. libFuzzer writes the job's log
# into the run folder; it is shown when the job ends.
rm -f "$run"/fuzz-*.log
status=0
(cd "$run" && "$root/$build/fuzz/fuzz_$target" "${dict[@]}" -jobs=1 -workers=1 -max_total_time="$seconds" \
   -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$artifacts/" "$@" "$corpus" "$root/fuzz/corpus/$target") ||
  status=$?
cat "$run"/fuzz-*.log
exit $status
