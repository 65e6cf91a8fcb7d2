#!/usr/bin/env bash
# Configures and builds into build/ (or $ZN_BUILD_DIR): the targets named, else everything.
# Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${ZN_BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${ZN_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j"$(nproc)" --target "$@"
else
    cmake --build "$build" -j"$(nproc)"
fi
