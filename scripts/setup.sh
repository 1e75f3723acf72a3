#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing the project needs, from
# Debian's packages. Safe to run again: only missing packages are installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libzip-dev zlib1g-dev libdeflate-dev libicu-dev libopencc-dev
  # opencc_dict writes OpenCC's tables as text for the Windows program.
  opencc
  # libzip's CMake package names its tools and refuses to load without them.
  zipcmp zipmerge ziptool
  libgtest-dev libgmock-dev
  default-jdk-headless ecj junit4
  fonts-wqy-microhei
  xvfb xauth clang-format
  # Debian's clang-tidy 14 crashes on these sources; 16 does not.
  clang-tidy-16
  qt6-translations-l10n
  desktop-file-utils appstream help2man librsvg2-bin dpkg-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
