#!/usr/bin/env bash
# Runs Windows programs of the build under Wine, in a prefix of their own inside
# the build folder.
#   wine-run.sh --build DIR --start     create the prefix if needed, start Xvfb (when there
#                                       is no display) and one persistent wineserver
#   wine-run.sh --build DIR --stop      stop what --start started
#   wine-run.sh --build DIR PROGRAM...  run PROGRAM under Wine (CTest's emulator)
#   wine-run.sh --build DIR --env       print the environment, for `eval`
set -u
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    *) break ;;
  esac
done
[ -n "$build" ] || { echo "wine-run.sh: --build DIR is required" >&2; exit 2; }

state="$build/wine"
mkdir -p "$state"
export WINEPREFIX="$state/prefix"
export HOME="$state/home"
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export WINESERVER=/usr/lib/wine/wineserver64
export LANG=C.UTF-8
if [ -f "$state/display" ]; then
  export DISPLAY=$(cat "$state/display")
fi
wine=/usr/bin/wine
[ -x "$wine" ] || wine=$(command -v wine64 || command -v wine)

reg_add() { "$wine" reg add "$@" /f >/dev/null 2>&1 </dev/null; }

make_prefix() {
  [ -f "$WINEPREFIX/.stowly-ready" ] && return 0
  rm -rf "$WINEPREFIX"
  mkdir -p "$HOME/Desktop"
  "$wine" wineboot --init >/dev/null 2>&1 </dev/null
  "$WINESERVER" -w
  # Wine links the profile folders to the real home; make them plain folders.
  local users="$WINEPREFIX/drive_c/users"
  find "$users" -maxdepth 3 -type l | while read -r link; do
    rm -f "$link" && mkdir -p "$link"
  done
  mkdir -p "$users/Public/Desktop"
  echo disable > "$WINEPREFIX/.update-timestamp"
  "$wine" winecfg -v win10 >/dev/null 2>&1 </dev/null
  # A virtual desktop draws frames and closes dialogs quickly under Xvfb.
  reg_add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
  reg_add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
  "$WINESERVER" -w
  touch "$WINEPREFIX/.stowly-ready"
}

start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 </dev/null &
    echo $! > "$state/xvfb.pid"
    for _ in $(seq 50); do
      DISPLAY=":$n" xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
    if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
      echo ":$n" > "$state/display"
      export DISPLAY=":$n"
      return 0
    fi
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null
  done
  echo "wine-run.sh: could not start Xvfb" >&2
  return 1
}

# The keeper (tools/desktop_keeper) holds Wine's virtual desktop open for the whole
# run and starts its explorer so that it does not watch the desktop folders (see
# there why). It reports when that is done; its explorer's messages (a crash, say)
# go to desktop.log.
start_keeper() {
  local keeper="$build/desktop_keeper.exe" ready="$state/keeper.ready" pid
  [ -f "$keeper" ] || return 0
  rm -f "$state/desktop.log"
  for _ in 1 2 3 4 5; do
    rm -f "$ready"
    "$wine" "$keeper" "Z:${ready//\//\\}" >/dev/null 2>>"$state/desktop.log" </dev/null &
    pid=$!
    for _ in $(seq 300); do
      [ -f "$ready" ] && return 0
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$pid" 2>/dev/null
    sleep 2 # let a desktop it joined close before the next try
  done
  echo "wine-run.sh: the desktop keeper did not start" >&2
  return 1
}

stop_all() {
  "$WINESERVER" -k >/dev/null 2>&1 </dev/null
  if [ -f "$state/xvfb.pid" ]; then
    kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid" "$state/display"
  fi
}

case "${1:-}" in
  --start)
    stop_all
    rm -f "$state/display"
    unset DISPLAY
    [ -n "${STOWLY_DISPLAY:-}" ] && echo "$STOWLY_DISPLAY" > "$state/display" && export DISPLAY=$STOWLY_DISPLAY
    start_display || exit 1
    make_prefix || exit 1
    # One persistent server for the whole run; its helpers must not hold CTest's pipes.
    "$WINESERVER" -p >/dev/null 2>&1 </dev/null
    "$wine" cmd /c exit >/dev/null 2>&1 </dev/null
    # Full names on the stand-in desktop ("Notes.txt") unless a test hides known
    # extensions for a while; set on every start, in case a test ended before it
    # could put this back.
    reg_add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Advanced' /v HideFileExt /t REG_DWORD /d 0
    start_keeper || exit 1
    echo "wine ready: prefix $WINEPREFIX, display $DISPLAY"
    ;;
  --stop)
    stop_all
    echo "wine stopped"
    ;;
  --env)
    for v in WINEPREFIX HOME WINEARCH WINEDEBUG WINEDLLOVERRIDES WINESERVER DISPLAY; do
      printf 'export %s=%q\n' "$v" "${!v:-}"
    done
    ;;
  "")
    echo "wine-run.sh: nothing to run" >&2; exit 2 ;;
  *)
    exec "$wine" "$@"
    ;;
esac
