#!/usr/bin/env bash
# Packs the program and its help for shipping, reproducibly:
#   package.sh VERSION STOWLY_EXE STOWLY_CHM ICON OUT_DIR
# writes OUT_DIR/stowly-VERSION-portable.zip (stowly.exe, stowly.chm, README.txt)
# and OUT_DIR/stowly-VERSION-setup.exe (installer/stowly.nsi). Every file gets the
# time SOURCE_DATE_EPOCH, or else the time of the last commit: zip and NSIS store
# file times, so the same inputs then always give the same bytes.
set -eu
version=$1 exe=$2 chm=$3 icon=$4 out=$5
src=$(cd "$(dirname "$0")/.." && pwd)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$src" log -1 --format=%ct 2>/dev/null || true)}
[ -n "$epoch" ] && [ "$epoch" -ge 315532800 ] || epoch=315532800 # zip times start in 1980

stage="$out/package"
rm -rf "$stage"
mkdir -p "$stage"
cp "$exe" "$stage/stowly.exe"
cp "$chm" "$stage/stowly.chm"
sed "s/@VERSION@/$version/" "$src/installer/portable-readme.txt" > "$stage/README.txt"
chmod 644 "$stage"/*
touch -d "@$epoch" "$stage"/*

zipfile="$out/stowly-$version-portable.zip"
rm -f "$zipfile"
# -X: no owner or extra time fields; UTC, since zip stores local times.
(cd "$stage" && TZ=UTC zip -q -X -9 "$zipfile" stowly.exe stowly.chm README.txt)

makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DICON="$icon" \
  -DOUTFILE="$out/stowly-$version-setup.exe" "$src/installer/stowly.nsi"
