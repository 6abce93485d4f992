#!/usr/bin/env bash
# Installs what `make csmith` needs and nothing else needs: Csmith, SDCC with its simulator, and
# cvise (23 MB to download, 179 MB installed, mostly SDCC's libraries for its many targets), so
# `make test` and a newcomer's `make run` do not pay for them.
set -euo pipefail

packages=(csmith sdcc sdcc-ucsim cvise gcc gcc-avr avr-libc simavr)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "corvane: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
