#!/usr/bin/env bash
# Builds both worlds and runs every test: the native build (portable logic on the
# simulated desktop, with sanitizers) and the Windows build under Wine.
set -u
cd "$(dirname "$0")/.."
bash tools/deps.sh || exit 1
status=0
for world in linux windows; do
  echo "=== $world: configure and build"
  cmake --preset "$world" >/dev/null || { status=1; continue; }
  cmake --build --preset "$world" 2>&1 | grep -E 'error|Error|warning:' ; [ "${PIPESTATUS[0]}" -eq 0 ] || { status=1; continue; }
  echo "=== $world: tests"
  ctest --preset "$world" || status=1
done
exit $status
