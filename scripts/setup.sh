#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, run and test, skipping those already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev clang-format clang libclang-rt-dev
  libsdl2-dev libx11-dev libfreetype-dev libstb-dev libgif-dev
  xfonts-base unifont fonts-unifont xfonts-wqy
  xvfb xauth xdotool x11-xkb-utils lua5.4
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "corvane: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
