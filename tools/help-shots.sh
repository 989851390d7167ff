#!/usr/bin/env bash
# Copies the screenshots that the Wine GUI test takes (<build>/screenshots) into
# help/images, for the help file. The pictures are committed, so that building the
# help needs no GUI run; run this after a GUI change and commit what changed.
#   help-shots.sh [BUILD_DIR]     (default build/windows)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/windows}
shots="$build/screenshots"
# The pictures the help shows; each must come from the test run.
names=(main-window main-window-highlighted progress-window tray-menu preferences about)
for n in "${names[@]}"; do
  [ -f "$shots/$n.png" ] || { echo "help-shots.sh: $shots/$n.png is missing; run the Wine GUI test first" >&2; exit 1; }
done
for n in "${names[@]}"; do
  # No wider than the help viewer's page beside its contents pane; without
  # ImageMagick's date chunks, so that an unchanged picture gives an unchanged file.
  convert "$shots/$n.png" -resize '640x>' -strip "help/images/$n.png"
  echo "help/images/$n.png"
done
