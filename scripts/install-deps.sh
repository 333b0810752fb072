#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing pressdiag need.
# Idempotent: packages already present are left alone, and apt is only asked when something is missing.
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build ccache pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools qt6-serialport-dev
  qt6-translations-l10n libqt6svg6 qt6-qpa-plugins libgl-dev
  libhidapi-dev libjpeg62-turbo-dev libsimpleini-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev
  fonts-liberation2
  xvfb xauth imagemagick poppler-utils openbox xdotool
  librsvg2-bin help2man dpkg-dev lintian desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
