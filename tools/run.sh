#!/usr/bin/env bash
# Builds the Windows program and runs it under Wine, in a Wine virtual desktop, on
# a demo desktop with a few sample files and the stand-in Explorer desktop.
# Without a display it runs under Xvfb, saves a screenshot to build/run/screenshot.png
# after a few seconds and stops.
set -u
cd "$(dirname "$0")/.."
bash tools/deps.sh || exit 1
cmake --preset windows >/dev/null && cmake --build --preset windows >/dev/null || exit 1
build=build/windows
run="$build/run"
mkdir -p "$run"
headless=0
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then headless=1; fi
[ $headless -eq 0 ] && export STOWLY_DISPLAY=$DISPLAY
tools/wine-run.sh --build "$build" --start || exit 1
eval "$(tools/wine-run.sh --build "$build" --env)"
trap 'tools/wine-run.sh --build "$build" --stop >/dev/null' EXIT

# The program lives in its own folder of the prefix, as an installed copy would.
app="$WINEPREFIX/drive_c/Program Files/Stowly"
mkdir -p "$app"
cp "$build/stowly.exe" "$app/"
desk="$WINEPREFIX/drive_c/users/$(whoami)/Desktop"
if [ -z "$(ls -A "$desk" 2>/dev/null)" ]; then
  printf 'Shopping list\r\n- milk\r\n' > "$desk/Shopping list.txt"
  printf 'Quarterly figures\r\n' > "$desk/Report 2026.txt"
  mkdir -p "$desk/Holiday photos" && printf 'photo\r\n' > "$desk/Holiday photos/beach.txt"
  printf '[InternetShortcut]\r\nURL=https://example.invalid/\r\n' > "$desk/Example.url"
fi
if [ -x "$build/standin_desktop.exe" ] || [ -f "$build/standin_desktop.exe" ]; then
  tools/wine-run.sh --build "$build" "$build/standin_desktop.exe" &
  sleep 2
fi
tools/wine-run.sh --build "$build" "C:\\Program Files\\Stowly\\stowly.exe" &
pid=$!
if [ $headless -eq 1 ]; then
  sleep 8
  import -display "$DISPLAY" -window root "$run/screenshot.png" && echo "screenshot: $run/screenshot.png"
  kill $pid 2>/dev/null
else
  wait $pid
fi
