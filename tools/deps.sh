#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, only those missing.
# Safe to run again. Needs root (or sudo) only when something is missing. --gui adds the fonts of
# the screenshots, --sanitizers clang and its sanitizer and libFuzzer runtimes, --print the CUPS
# PDF printer and the PDF tools of the print test, --package the checkers of the installed files
# and of the Debian packages.
set -euo pipefail
# libmosquitto-dev for znctl's plant link; the broker and its clients, and openssl for the
# certificates, for that link's test; libsystemd-dev for a service's readiness and watchdog;
# librsvg2-bin draws the program's icons from their one SVG master.
packages=(build-essential cmake pkg-config qt6-base-dev qt6-serialport-dev qt6-tools-dev
          libgl1-mesa-dev libmodbus-dev mbpoll help2man qt6-translations-l10n
          libmosquitto-dev mosquitto mosquitto-clients libsystemd-dev openssl librsvg2-bin)
for option in "$@"; do
    case "$option" in
    --gui) packages+=(fonts-noto-cjk) ;;
    --sanitizers) packages+=(clang-14 libclang-rt-14-dev) ;;
    --print) packages+=(cups printer-driver-cups-pdf poppler-utils) ;;
    --package)
        # devscripts for hardening-check; xdg-utils, libfile-mimeinfo-perl and gio (GLib, as under
        # the file managers) type and open a file as a desktop does; systemd-analyze checks the
        # unit of a monitored line.
        packages+=(dpkg-dev file desktop-file-utils appstream lintian bash-completion man-db
                   devscripts xdg-utils libfile-mimeinfo-perl shared-mime-info libglib2.0-bin
                   systemd) ;;
    esac
done
# ser2net is the Ethernet serial server (raw and RFC 2217 mode) of the tests of that route; socat
# talks to a simulator's control socket as the README shows.
packages+=(ser2net socat)
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
