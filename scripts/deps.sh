#!/usr/bin/env bash
# Installs, with apt, whatever the build and the tests need and is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6serialport6-dev libjpeg-dev
          libgtest-dev libgl-dev dpkg-dev desktop-file-utils appstream clang libclang-rt-14-dev
          poppler-utils qt6-translations-l10n)
if [ "${1:-}" = "--gui" ]; then
  packages+=(xvfb xauth)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
