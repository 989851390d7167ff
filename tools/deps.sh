#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, once; quiet when all is there.
# Further packages named as arguments are installed too (tools/fuzz.sh adds clang).
set -eu
packages=(cmake make g++ doctest-dev libstb-dev libcurl4-openssl-dev python3
          g++-mingw-w64-x86-64-posix mingw-w64 wine64 wine xvfb x11-utils xauth imagemagick librsvg2-bin
          fp-utils libchm-bin nsis zip # the help compiler (chmcmd), a CHM reader for its test, the packages
          "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
