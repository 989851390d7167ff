#!/usr/bin/env bash
# Builds both worlds and runs every test: each fuzz target briefly (its seeds and
# about 20 s more), the native build (portable logic on the simulated desktop, with
# sanitizers) and the Windows build under Wine.
set -u
cd "$(dirname "$0")/.."
bash tools/deps.sh clang libclang-rt-dev || exit 1
status=0

echo "=== fuzz targets: seeds and ${STOWLY_FUZZ_SECONDS:-20} s each"
fuzz_passed=0 fuzz_failed=0
mkdir -p build
for target in fuzz/*.cpp; do
  target=$(basename "$target" .cpp)
  if bash tools/fuzz.sh "$target" "${STOWLY_FUZZ_SECONDS:-20}" >"build/fuzz-$target.log" 2>&1; then
    fuzz_passed=$((fuzz_passed + 1))
    echo "$target: $(grep -Eo 'Done [0-9]+ runs' "build/fuzz-$target.log" | tail -1), no finding"
  else
    fuzz_failed=$((fuzz_failed + 1)) status=1
    echo "$target: FAILED"
    tail -40 "build/fuzz-$target.log"
  fi
done
echo "fuzz: $fuzz_passed passed, $fuzz_failed failed"

for world in linux windows; do
  echo "=== $world: configure and build"
  cmake --preset "$world" >/dev/null || { status=1; continue; }
  cmake --build --preset "$world" 2>&1 | grep -E 'error|Error|warning:' ; [ "${PIPESTATUS[0]}" -eq 0 ] || { status=1; continue; }
  echo "=== $world: tests"
  ctest --preset "$world" || status=1
done
exit $status
