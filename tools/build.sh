#!/usr/bin/env bash
# Configures and builds into build/ (or $ZN_BUILD_DIR): the targets named, else everything.
# $ZN_CMAKE_OPTIONS adds cache settings to the configure step (-DNAME=VALUE ..., no blanks inside a
# value). Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${ZN_BUILD_DIR:-build}"
# ccache, where installed, makes a rebuild in a fresh clone cheap; paths are taken relative to the
# clone so that one clone's cache serves the next. Never needed.
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
fi
# shellcheck disable=SC2086 # one word per option
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${ZN_BUILD_TYPE:-RelWithDebInfo}" ${ZN_CMAKE_OPTIONS:-} \
    >/dev/null
if [ $# -gt 0 ]; then
    cmake --build "$build" -j"$(nproc)" --target "$@"
else
    cmake --build "$build" -j"$(nproc)"
fi
