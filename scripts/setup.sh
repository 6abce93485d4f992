#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build, run and test, skipping those already present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libgtest-dev libgmock-dev libbenchmark-dev clang-format clang libclang-rt-dev
  libsdl2-dev libx11-dev libfreetype-dev libstb-dev libgif-dev
  xfonts-base unifont fonts-unifont xfonts-wqy
  xvfb xauth xdotool x11-xkb-utils lua5.4 luajit valgrind nlohmann-json3-dev tmux
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine wine64 dpkg-dev lintian
  emscripten chromium libmpfr-dev unzip python3
)

# Node.js and npm run the debug server's client tests and package the editor extension (which
# unzip opens in its test). A machine that has them from another source (one package that carries
# both) keeps them: Debian's would replace it.
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
  echo "corvane: installing ${missing[*]}"
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# giflib has no mingw package: the Windows build compiles Debian's own source package of it,
# kept in build/sources/giflib. Debian's source lists are enabled for that when none are.
giflib_cache="$(dirname "$0")/../build/sources/giflib"
if ! compgen -G "$giflib_cache/giflib-*/gif_lib.h" >/dev/null; then
  if ! grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d; then
    echo "corvane: enabling Debian's source packages (/etc/apt/sources.list.d/debian-src.sources)"
    $sudo tee /etc/apt/sources.list.d/debian-src.sources >/dev/null <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    $sudo apt-get update -qq
  fi
  echo "corvane: fetching giflib's source package into build/sources/giflib"
  rm -rf "$giflib_cache"
  mkdir -p "$giflib_cache"
  (cd "$giflib_cache" && apt-get source -qq giflib >/dev/null)
fi

# Four presets and the developers' worktrees share one compiler cache; the default 5 GB holds
# about one of them.
if command -v ccache >/dev/null; then ccache --max-size=20G >/dev/null; fi
