#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the GUI need.
set -euo pipefail

packages=(
  build-essential cmake pkg-config ninja-build
  qt6-base-dev qt6-svg-dev libgl-dev
  libcurl4-openssl-dev libssl-dev nlohmann-json3-dev libsimdjson-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick fonts-noto-cjk qt6-translations-l10n clang-format libxcb1-dev
  clang libclang-rt-14-dev desktop-file-utils
  appstream shared-mime-info libglib2.0-bin man-db time
  libicu-dev xdg-utils poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
