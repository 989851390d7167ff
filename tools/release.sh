#!/usr/bin/env bash
# Builds what ships, in build/release (preset "release"): stowly.exe optimised for
# size and stripped, its help stowly.chm, the portable zip and the per-user
# installer; then prints their sizes and checksums.
#   tools/release.sh            build
#   tools/release.sh --verify   also build everything again from scratch in
#                               build/release-verify and compare the two byte for byte
# The files carry the time of the last commit (or SOURCE_DATE_EPOCH when set).
set -eu
cd "$(dirname "$0")/.."
verify=0
[ "${1:-}" = "--verify" ] && verify=1
bash tools/deps.sh
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
export SOURCE_DATE_EPOCH

build() { # DIR
  cmake --preset release -B "$1" >/dev/null
  local log="$1/release-build.log"
  if ! cmake --build "$1" --target packages -j 2 >"$log" 2>&1; then
    grep -E 'error|Error' "$log" >&2
    echo "release: the build failed; see $log" >&2
    return 1
  fi
  grep 'warning:' "$log" || true
}

out=build/release
build "$out"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$out/CMakeCache.txt")
files=(stowly.exe stowly.chm "stowly-$version-portable.zip" "stowly-$version-setup.exe")

status=0
# The program must start from the zip alone: no MinGW runtime DLL beside it.
if x86_64-w64-mingw32-objdump -p "$out/stowly.exe" | grep -iE 'DLL Name: (lib|.*mingw)'; then
  echo "release: stowly.exe needs a runtime DLL" >&2
  status=1
fi
size=$(stat -c %s "$out/stowly.exe")
if [ "$size" -gt 1572864 ]; then
  echo "release: stowly.exe is $size bytes, over 1.5 MB" >&2
  status=1
fi
for f in "${files[@]}"; do
  printf '%-32s %9d  %s\n' "$f" "$(stat -c %s "$out/$f")" "$(sha256sum "$out/$f" | cut -d' ' -f1)"
done

if [ $verify -eq 1 ]; then
  again=build/release-verify
  rm -rf "$again"
  echo "=== building again in $again"
  build "$again"
  for f in "${files[@]}"; do
    if cmp -s "$out/$f" "$again/$f"; then
      echo "identical: $f"
    else
      echo "DIFFERENT: $f ($(cmp -l "$out/$f" "$again/$f" 2>/dev/null | wc -l) bytes differ)"
      status=1
    fi
  done
fi
[ $status -eq 0 ] && echo "release: $out"
exit $status
