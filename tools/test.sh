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
  # A Wine test that meets Wine ending a just-started program (it happens now and
  # then while Wine tidies its virtual desktop) gets up to two more tries.
  repeat=()
  [ "$world" = windows ] && repeat=(--repeat until-pass:3)
  ctest --preset "$world" "${repeat[@]}" || status=1
done
exit $status
