#!/usr/bin/env bash
# Installs the Debian 12 packages the piano needs, only those missing; quick when all are there.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libsdl2-dev
  libsqlcipher-dev sqlcipher
  libfluidsynth-dev fluid-soundfont-gm librtmidi-dev libzip-dev
  ccache libxml2-utils libxcb-damage0-dev
  clang libclang-rt-14-dev
  fonts-wqy-microhei fonts-arphic-ukai fonts-arphic-uming fonts-dejavu-core qt6-translations-l10n
  desktop-file-utils appstream
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
