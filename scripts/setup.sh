#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (as root, or with sudo).
# "setup.sh demo" installs only what the program, the emulator and the
# installed-modem stand-in need to build and run: no test tools, no Windows
# tool chain, no Wine (whose 32-bit packages are most of the download).
set -euo pipefail
packages=(cmake g++ make pkg-config qt6-base-dev libsystemd-dev dbus
          fonts-liberation fonts-dejavu-core nlohmann-json3-dev)
if [ "${1:-}" != demo ]; then
  packages+=(libgtest-dev libgmock-dev xvfb xauth xdotool mingw-w64 qt6-translations-l10n
             googletest wine wine32:i386 wine64 imagemagick locales dpkg-dev file man-db nsis time
             python3-jsonschema lintian)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  # wine32 runs the 32-bit Windows build; it comes from the i386 architecture.
  # wine64 runs the 64-bit build where the kernel runs no 32-bit program.
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
