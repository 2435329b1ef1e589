#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test Quillmar.
# Idempotent: does nothing when everything is present already.
set -euo pipefail

packages=(
  g++ cmake pkg-config make
  qtbase5-dev qtbase5-dev-tools libqt5serialport5-dev libqt5svg5-dev
  libqcustomplot-dev libusb-1.0-0-dev
  openssl xvfb xauth
  clang libclang-rt-dev
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

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
