#!/usr/bin/env bash
# Builds the program and starts it against the simulated controller: the simulator answers on a
# pseudo-terminal that the settings map to "COM1". Settings for this demo live in their own
# folder, so the user's own communication conditions are left alone.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/demo-settings.sh
tools/deps.sh --gui
tools/build.sh zn-monitor zn8p-sim
build="${ZN_BUILD_DIR:-build}"
demo="${ZN_DEMO_DIR:-/tmp/zn-monitor-demo}"
mkdir -p "$demo"
link="$demo/ttyZN8P"
rm -f "$link"
"$build/sim/zn8p-sim" --link "$link" --protocol ascii --station 1 --speed 9600 "$@" &
sim=$!
trap 'kill $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done
demo_settings "$demo/config" "$link"
XDG_CONFIG_HOME="$demo/config" "$build/zn-monitor"
