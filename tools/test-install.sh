#!/usr/bin/env bash
# Checks the program as it is installed and packaged, from the build of tools/test.sh (build-test/,
# or $ZN_BUILD_DIR; configured and built when missing): installs it into a scratch prefix, checks
# the menu entry, the AppStream metadata, the manual pages and the shell completion, starts the
# installed window (offscreen) against the installed simulator with the prefix read-only and checks
# that its files go to the per-user data folder, and those of the installed znctl to the same
# folder, then builds the Debian package
# ($build/deb/zn-monitor_*.deb), lists it and runs lintian on it. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/demo-settings.sh
tools/deps.sh --package
export ZN_BUILD_DIR="${ZN_BUILD_DIR:-build-test}" ZN_BUILD_TYPE="${ZN_BUILD_TYPE:-Debug}"
build="$ZN_BUILD_DIR"
tools/build.sh zn-monitor znctl zn8p-sim install-files changelog
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
id=com.dorvatech.ZNMonitor

scratch=$(mktemp -d)
monitor="" sim=""
cleanup() {
    [ -z "$monitor" ] || kill "$monitor" 2>/dev/null || true
    [ -z "$sim" ] || kill "$sim" 2>/dev/null || true
    chmod -R u+w "$scratch" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "test-install: $*" >&2
    exit 1
}
prefix="$scratch/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null

echo "test-install: installed files (${SECONDS} s)"
for file in bin/zn-monitor bin/znctl bin/zn8p-sim "share/applications/$id.desktop" \
    "share/metainfo/$id.metainfo.xml" "share/icons/hicolor/48x48/apps/$id.png" \
    share/man/man1/znctl.1.gz share/man/man1/zn-monitor.1.gz share/man/man1/zn8p-sim.1.gz \
    share/bash-completion/completions/znctl share/doc/zn-monitor/examples/99-zn-monitor.rules \
    "share/doc/zn-monitor/help/ZN Monitor_E.html" "share/doc/zn-monitor/help/ZN Monitor_J.html"; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# What znctl --help offers, completion must offer: every subcommand, and every option under some
# subcommand; an option's value is not taken for the subcommand.
echo "test-install: znctl completion (${SECONDS} s)"
help=$("$prefix/bin/znctl" --help)
subcommands=$(sed -n '/^Subcommands:/,/^$/s/^  \([a-z]\+\).*/\1/p' <<<"$help" | sort | xargs)
options=$(grep -o -- '--[a-z][a-z-]*' <<<"$help" | sort -u | xargs)
complete_line() {
    # shellcheck disable=SC1091
    (
        source /usr/share/bash-completion/bash_completion
        source "$prefix/share/bash-completion/completions/znctl"
        COMP_WORDS=(znctl "$@")
        COMP_CWORD=$#
        COMP_LINE="znctl $*"
        COMP_POINT=${#COMP_LINE}
        _znctl znctl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        printf '%s\n' "${COMPREPLY[@]}" | sort -u | xargs
    )
}
offered=$(for subcommand in $subcommands; do complete_line "$subcommand" --; done |
    tr ' ' '\n' | sort -u | xargs)
[ "$(complete_line '')" = "$subcommands" ] || fail "subcommands: '$(complete_line '')'"
[ "$offered" = "$options" ] || fail "options: completion '$offered', --help '$options'"
while IFS='|' read -r words expected; do
    read -ra line <<<"$words"
    [ "${words: -1}" != " " ] || line+=("")
    got=$(complete_line "${line[@]}")
    [ "$got" = "$expected" ] || fail "'znctl $words': '$got', expected '$expected'"
done <<'ROWS'
--protocol |ascii ravtocol rtu
--parity E|EVEN
--port COM1 mon|monitor
--speed 9600 read a|all
monitor --c|--csv
--station 5 search --no|--no-store
ROWS

# The installed window from a read-only prefix, against the installed simulator on COM1: it must
# keep its folders in the user's data folder and leave the prefix as installed.
echo "test-install: installed window and simulator (${SECONDS} s)"
chmod -R a-w "$prefix"
[ "$("$prefix/bin/znctl" --version)" = "znctl $version" ] || fail "znctl --version"
home="$scratch/home"
mkdir -p "$home/data" "$home/run"
chmod 700 "$home/run"
link="$scratch/ttyZN8P"
coproc SIM { exec "$prefix/bin/zn8p-sim" --link "$link" --protocol ascii --station 1 --speed 9600; }
sim=$SIM_PID
read -r -t 20 -u "${SIM[0]}" _ || fail "zn8p-sim did not start"
demo_settings "$home/config" "$link"
touch "$scratch/started"
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home/run" QT_QPA_PLATFORM=offscreen LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    "$prefix/bin/zn-monitor" >"$scratch/zn-monitor.log" 2>&1 &
monitor=$!
data="$home/data/Dorvatech RQA Control/ZN Monitor"
requests=0
for _ in $(seq 120); do
    kill -0 "$monitor" 2>/dev/null || fail "zn-monitor ended: $(cat "$scratch/zn-monitor.log")"
    # The start-up link check's requests reach the simulator once the window runs.
    echo log >&"${SIM[1]}"
    requests=0
    while read -r -t 10 -u "${SIM[0]}" reply && [ "$reply" != ok ]; do
        requests=$((requests + 1))
    done
    [ "$requests" -eq 0 ] || break
    sleep 0.5
done
[ "$requests" -gt 0 ] || fail "zn-monitor sent no request: $(cat "$scratch/zn-monitor.log")"
for file in Logging Setdata ZN8P1.DAT ZN8P7.DAT; do
    [ -e "$data/$file" ] || fail "$file is not in the user's data folder $data"
done
kill "$monitor"
wait "$monitor" 2>/dev/null || true
monitor=""
# The installed znctl journals its writes where the window's File > Write journal reads them.
HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" \
    XDG_RUNTIME_DIR="$home/run" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
    "$prefix/bin/znctl" write 11 100 >"$scratch/znctl.log" 2>&1 ||
    fail "znctl write failed: $(cat "$scratch/znctl.log")"
compgen -G "$data/Journal/journal-*.csv" >/dev/null ||
    fail "znctl wrote no journal into the window's folder $data/Journal"
changed=$(find "$prefix" -newer "$scratch/started")
[ -z "$changed" ] || fail "the prefix was written to: $changed"
kill "$sim"
wait "$sim" 2>/dev/null || true
sim=""

echo "test-install: Debian package (${SECONDS} s)"
rm -rf "$build/deb"
(cd "$build" && cpack -G DEB -B "$PWD/deb" >/dev/null)
deb=$(echo "$build"/deb/zn-monitor_"$version"_*.deb)
[ -f "$deb" ] || fail "cpack made no package"
contents=$(dpkg-deb -c "$deb")
echo "$contents"
for file in usr/bin/zn-monitor usr/bin/znctl usr/bin/zn8p-sim "usr/share/applications/$id.desktop" \
    usr/share/man/man1/znctl.1.gz usr/share/bash-completion/completions/znctl \
    usr/share/doc/zn-monitor/copyright; do
    grep -q " \./$file\$" <<<"$contents" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libqt6serialport6* ]] ||
    fail "Depends lacks the Qt libraries: $depends"
dpkg-deb -f "$deb" Package Version Depends
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb"
echo "test-install: $deb passed (${SECONDS} s)"
