#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs every Debian package that the build, the program and the tests need.
# Quiet and quick when everything is present; runs apt-get update only when
# something is missing.
set -euo pipefail

packages=(
  # build
  g++ cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-multimedia-dev qt6-svg-dev libsndfile1-dev zlib1g-dev
  qt6-l10n-tools qt6-tools-dev qt6-tools-dev-tools
  # run time: Qt platform plugins, audio back end, fonts
  qt6-qpa-plugins libqt6multimedia6 libqt6svg6 fonts-dejavu-core fonts-liberation
  # Qt's own French texts (standard buttons and dialogs), and the French
  # locale the language tests run under
  qt6-translations-l10n locales
  # tests: real audio server and speech, wave and archive tools, real windows
  pulseaudio pulseaudio-utils espeak-ng sox libsox-fmt-base unzip zip python3
  xvfb xauth x11-utils xdotool openbox imagemagick poppler-utils
  # tests: the accessibility bus a screen reader reads, and its Python reader
  dbus-daemon at-spi2-core python3-pyatspi gir1.2-atspi-2.0
  # tests: the installed desktop entry and AppStream file
  desktop-file-utils appstream
  # fuzzing the archive reader
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The French locale of the language tests.
if ! locale -a 2>/dev/null | grep -qiE '^fr_FR\.utf-?8$'; then
  echo "Generating the fr_FR.UTF-8 locale"
  if grep -qE '^# *fr_FR\.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i -E 's/^# *(fr_FR\.UTF-8 UTF-8)/\1/' /etc/locale.gen
  else
    echo 'fr_FR.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
