#!/usr/bin/env bash
# Installs every Debian package that building, testing and benchmarking VANTOR² needs.
# Quiet and fast when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  clang-14 clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev qt6-svg-dev qt6-translations-l10n
  libqt6sql6-sqlite libqt6sql6-odbc odbc-mdbtools mdbtools
  libjpeg62-turbo-dev libbenchmark-dev
  fonts-dejavu-core fonts-courier-prime fonts-open-sans fonts-liberation2
  xvfb xauth xdotool x11-utils poppler-utils
  fonts-wine cups printer-driver-cups-pdf
  # "Hilfe" hands hilfe.pdf to the desktop: xdg-open finds the viewer registered for PDF files
  # (xpdf: small, and its desktop file registers it for application/pdf) and needs `file` to
  # tell a PDF by its content where no desktop's own MIME tool is installed.
  xdg-utils file xpdf
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
