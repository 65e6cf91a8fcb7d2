#!/usr/bin/env bash
# Installs what is missing, builds with assertions on (tools/test-build.sh) and runs every test
# through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
# --gui: the Japanese window tests measure the layout in the font a Japanese desktop uses.
tools/deps.sh --print --gui
. tools/test-build.sh
tools/build.sh
# The print test prints through a real CUPS queue; a cupsd started for the run ends with it.
cupsd_pid=$(tools/print-queue.sh)
if [ -n "$cupsd_pid" ]; then
    trap 'kill "$cupsd_pid"' EXIT
fi
ctest --test-dir "$ZN_BUILD_DIR" --output-on-failure --timeout 600 -j2
