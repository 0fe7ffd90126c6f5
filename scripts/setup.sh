#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Shopkeeper needs.
# Idempotent and non-interactive; runs as root or through sudo.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libicu-dev
  libopencc-dev libopencc1.1 libopencc-data
  libpcre2-dev
  nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang-format
  clang-16 libclang-rt-16-dev
  xvfb xauth x11-apps imagemagick
  libx11-dev libxtst-dev libxi-dev g++-mingw-w64-x86-64 wine64
  nsis xdotool googletest
  libcap2-bin
  fonts-wqy-microhei
  desktop-file-utils appstream librsvg2-bin dpkg-dev file lintian
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "setup: all packages present"
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
