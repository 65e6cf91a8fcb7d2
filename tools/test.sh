#!/usr/bin/env bash
# Installs what is missing, builds with assertions on and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
export ZN_BUILD_DIR="${ZN_BUILD_DIR:-build-test}" ZN_BUILD_TYPE=Debug
tools/build.sh
ctest --test-dir "$ZN_BUILD_DIR" --output-on-failure --timeout 600 -j2
