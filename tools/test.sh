#!/usr/bin/env bash
# Installs what is missing, builds with assertions on and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
# --gui: the Japanese window tests measure the layout in the font a Japanese desktop uses.
tools/deps.sh --print --gui
export ZN_BUILD_DIR="${ZN_BUILD_DIR:-build-test}" ZN_BUILD_TYPE=Debug
tools/build.sh
# The print test prints through a real CUPS queue; a cupsd started for the run ends with it.
cupsd_pid=$(tools/print-queue.sh)
if [ -n "$cupsd_pid" ]; then
    trap 'kill "$cupsd_pid"' EXIT
fi
ctest --test-dir "$ZN_BUILD_DIR" --output-on-failure --timeout 600 -j2
