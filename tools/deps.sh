#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only those missing.
# Safe to run again. Needs root (or sudo) only when something is missing.
set -euo pipefail
packages=(build-essential cmake pkg-config qt6-base-dev qt6-serialport-dev qt6-tools-dev
          libgl1-mesa-dev libmodbus-dev mbpoll)
if [ "${1:-}" = "--gui" ]; then
    packages+=(fonts-noto-cjk)
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
