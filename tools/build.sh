#!/usr/bin/env bash
# Configures and builds everything into build/ (or $ZN_BUILD_DIR). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${ZN_BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${ZN_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" -j"$(nproc)"
