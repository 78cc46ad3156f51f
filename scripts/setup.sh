#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (as root, or with sudo).
set -euo pipefail
packages=(cmake g++ make pkg-config libgtest-dev libgmock-dev qt6-base-dev
          libsystemd-dev dbus xvfb xauth xdotool fonts-liberation fonts-dejavu-core
          mingw-w64 qt6-translations-l10n googletest wine wine32:i386
          imagemagick locales dpkg-dev file man-db nsis time nlohmann-json3-dev
          python3-jsonschema)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  # wine32 runs the 32-bit Windows build; it comes from the i386 architecture.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
