#!/usr/bin/env bash
# Checks the program as it is installed and packaged, from the build of tools/test.sh
# (tools/test-build.sh: build-test/, or $ZN_BUILD_DIR; built when missing or out of date), which
# tools/package.sh packs: installs it into a scratch
# prefix, checks the menu entry, the AppStream metadata, the type of settings data files, the icons,
# the manual pages, the systemd unit (systemd-analyze verify) and the shell completion, starts the
# installed window (offscreen) against the installed simulator with the prefix read-only, checks that its files go to the per-user data
# folder and that a settings data file opened by its type (xdg-open) reaches the running window,
# then checks the Debian packages ($build/deb/): contents, hardening of the binaries, debug symbols
# by build id, and lintian --pedantic with no tag at all. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/demo-settings.sh
. tools/test-build.sh
build="$ZN_BUILD_DIR"
packages=$(tools/package.sh)
deb=$(sed -n 1p <<<"$packages") dbgsym=$(sed -n 2p <<<"$packages")
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
homepage=$(sed -n 's/^CMAKE_PROJECT_HOMEPAGE_URL:STATIC=//p' "$build/CMakeCache.txt")
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
    "share/metainfo/$id.metainfo.xml" "share/mime/packages/$id.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" \
    share/man/man1/znctl.1.gz share/man/man1/zn-monitor.1.gz share/man/man1/zn8p-sim.1.gz \
    share/bash-completion/completions/znctl share/doc/zn-monitor/examples/99-zn-monitor.rules \
    share/doc/zn-monitor/examples/znctl-monitor.conf lib/systemd/system/znctl-monitor@.service \
    "share/doc/zn-monitor/help/ZN Monitor_E.html" "share/doc/zn-monitor/help/ZN Monitor_J.html"; do
    [ -s "$prefix/$file" ] || fail "$file is not installed"
done
# Every size is drawn from the one master, at its own size.
for size in 16 22 24 32 48 64 96 128 256; do
    icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png"
    [[ $(file -b "$icon") == "PNG image data, $size x $size,"* ]] || fail "icon $size: $(file -b "$icon")"
done
desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"
# The screenshots it names are those of docs/screenshots, below the homepage.
shots=$(grep -o "<image[^>]*>[^<]*" "$prefix/share/metainfo/$id.metainfo.xml" | sed 's/.*>//')
[ -n "$shots" ] || fail "the AppStream metadata names no screenshot"
for url in $shots; do
    [[ $url == "${homepage}screenshots/"* ]] || fail "screenshot $url is not below $homepage"
    [ -f "docs/screenshots/${url##*/}" ] || fail "screenshot $url is not in docs/screenshots"
done
for page in "$prefix"/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
done

# The service of a monitored line: systemd must take the unit as it is installed, and the example
# options file must be one that znctl reads.
echo "test-install: systemd unit (${SECONDS} s)"
unit="$prefix/lib/systemd/system/znctl-monitor@.service"
grep -q "^ExecStart=$prefix/bin/znctl monitor --quiet --config /etc/zn-monitor/%i.conf\$" "$unit" ||
    fail "the unit does not start the installed znctl: $(grep ExecStart "$unit")"
mkdir -p "$scratch/units"
cp "$unit" "$scratch/units/"
# The manual page is checked above; verify would look for it in the system's man path.
verified=$(systemd-analyze verify --man=no "$scratch/units/znctl-monitor@line1.service" 2>&1) ||
    fail "systemd-analyze verify: $verified"
[ -z "$verified" ] || fail "systemd-analyze verify: $verified"
"$prefix/bin/znctl" probe --help --config "$prefix/share/doc/zn-monitor/examples/znctl-monitor.conf" \
    >/dev/null || fail "znctl does not take the example options file"

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
monitor --cs|--csv
monitor --c|--config --csv
--station 5 search --no|--no-store
ROWS

# The type of settings data files as a desktop sees it once the package's triggers have run: the
# shared MIME database and the menu entries' cache of the prefix.
echo "test-install: settings data file type (${SECONDS} s)"
home="$scratch/home"
mkdir -p "$home/data" "$home/run" "$home/config"
chmod 700 "$home/run"
# A desktop session of the scratch user without a desktop environment of its own, so that xdg-open
# goes by the shared MIME database as file managers do. Nothing is drawn: the display is only
# a name, the window is offscreen.
desktop=(env -u WAYLAND_DISPLAY -u XDG_CURRENT_DESKTOP -u DESKTOP_SESSION -u BROWSER
    DISPLAY=:zn-test XDG_DATA_DIRS="$prefix/share:/usr/share" XDG_DATA_HOME="$home/data"
    XDG_CONFIG_HOME="$home/config" XDG_CONFIG_DIRS=/etc/xdg HOME="$home"
    XDG_RUNTIME_DIR="$home/run" PATH="$prefix/bin:$PATH" QT_QPA_PLATFORM=offscreen
    LANG=C.UTF-8 LC_ALL=C.UTF-8)
"${desktop[@]}" update-mime-database "$prefix/share/mime"
"${desktop[@]}" update-desktop-database "$prefix/share/applications"
default=$("${desktop[@]}" xdg-mime query default application/x-znm)
[ "$default" = "$id.desktop" ] || fail "xdg-mime query default application/x-znm: '$default'"
# As GLib, under the file managers, types a file: the program takes only the lower-case extension,
# so an upper-case one is no settings data file.
printf '"ZN8P"\r\n' >"$scratch/oven 1.znm"
cp "$scratch/oven 1.znm" "$scratch/OVEN.ZNM"
while IFS='|' read -r name expected; do
    type=$("${desktop[@]}" gio info -a standard::content-type "$scratch/$name" |
        sed -n 's/^ *standard::content-type: //p')
    [ "$type" = "$expected" ] || fail "$name has the type '$type', not $expected"
done <<'TYPES'
oven 1.znm|application/x-znm
OVEN.ZNM|text/plain
TYPES

# The installed window from a read-only prefix, against the installed simulator on COM1: it must
# keep its folders in the user's data folder and leave the prefix as installed.
echo "test-install: installed window and simulator (${SECONDS} s)"
chmod -R a-w "$prefix"
[ "$("$prefix/bin/znctl" --version)" = "znctl $version" ] || fail "znctl --version"
link="$scratch/ttyZN8P"
coproc SIM { exec "$prefix/bin/zn8p-sim" --link "$link" --protocol ascii --station 1 --speed 9600; }
sim=$SIM_PID
read -r -t 20 -u "${SIM[0]}" _ || fail "zn8p-sim did not start"
demo_settings "$home/config" "$link"
touch "$scratch/started"
"${desktop[@]}" QT_LOGGING_RULES="zn.instance.info=true" zn-monitor >"$scratch/zn-monitor.log" 2>&1 &
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
# A settings data file opened by its type, as a file manager opens it: a second start hands it to
# the running window and ends at once.
echo "test-install: xdg-open of a settings data file (${SECONDS} s)"
"${desktop[@]}" timeout 30 xdg-open "$scratch/oven 1.znm" >"$scratch/second.log" 2>&1 ||
    fail "the second start did not end well: $(cat "$scratch/second.log")"
handed="later start asked for the window with the file \"$scratch/oven 1.znm\""
for _ in $(seq 50); do
    ! grep -qF "$handed" "$scratch/zn-monitor.log" || break
    sleep 0.2
done
grep -qF "$handed" "$scratch/zn-monitor.log" ||
    fail "the running window did not get the file: $(cat "$scratch/zn-monitor.log")"
kill -0 "$monitor" 2>/dev/null || fail "zn-monitor ended: $(cat "$scratch/zn-monitor.log")"
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

echo "test-install: Debian packages (${SECONDS} s)"
[ -f "$deb" ] && [ -f "$dbgsym" ] || fail "tools/package.sh made no packages: $packages"
contents=$(dpkg-deb -c "$deb")
echo "$contents"
for file in usr/bin/zn-monitor usr/bin/znctl usr/bin/zn8p-sim "usr/share/applications/$id.desktop" \
    "usr/share/mime/packages/$id.xml" "usr/share/icons/hicolor/scalable/apps/$id.svg" \
    usr/share/man/man1/znctl.1.gz usr/share/bash-completion/completions/znctl \
    usr/share/doc/zn-monitor/copyright usr/lib/systemd/system/znctl-monitor@.service; do
    grep -q " \./$file\$" <<<"$contents" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libqt6widgets6* && $depends == *libqt6serialport6* ]] ||
    fail "Depends lacks the Qt libraries: $depends"
# The service's readiness and watchdog need znctl built with libsystemd.
[[ $depends == *libsystemd0* ]] || fail "znctl is built without libsystemd: $depends"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/systemd/system/znctl-monitor@.service |
    grep -q '^ExecStart=/usr/bin/znctl ' || fail "the packaged unit does not start /usr/bin/znctl"
dpkg-deb -f "$deb" Package Version Depends Homepage
[ "$(dpkg-deb -f "$deb" Homepage)" = "$homepage" ] || fail "Homepage is not $homepage"

# The binaries as shipped: hardened (PIE, stack protector, FORTIFY, RELRO, BIND_NOW), stripped,
# and each with its debug information in the dbgsym package under its build id.
unpacked="$scratch/unpacked"
dpkg-deb -x "$deb" "$unpacked"
dpkg-deb -x "$dbgsym" "$unpacked"
# Control-flow protection is not among Debian 12's flags. The simulator copies nothing whose size
# the compiler can see, so hardening-check finds no call that FORTIFY could protect in it; that
# FORTIFY was on for every part of every program, the build's own flags tell.
unfortified=$(python3 -c 'import json, sys
for unit in json.load(open(sys.argv[1])):
    if "-D_FORTIFY_SOURCE=3" not in unit["command"].split():
        print(unit["file"])' "$build/compile_commands.json")
[ -z "$unfortified" ] || fail "built without FORTIFY: $unfortified"
for program in zn-monitor znctl zn8p-sim; do
    binary="$unpacked/usr/bin/$program"
    exceptions=(--nocfprotection)
    [ "$program" != zn8p-sim ] || exceptions+=(--nofortify)
    hardening-check "${exceptions[@]}" "$binary" || fail "$program is not hardened"
    [[ $(file -b "$binary") == *", stripped"* ]] || fail "$program is not stripped"
    build_id=$(readelf -n "$binary" | sed -n 's/.*Build ID: //p')
    debug="$unpacked/usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
    [ -n "$build_id" ] && readelf -S "$debug" 2>/dev/null | grep -q '\.debug_info' ||
        fail "$program has no debug information in $(basename "$dbgsym")"
done
dpkg-deb -f "$dbgsym" Package Depends Build-Ids

lintian --pedantic --display-info --fail-on error,warning,info,pedantic \
    --suppress-tags-from-file /dev/null "$deb" "$dbgsym"
echo "test-install: $deb and $(basename "$dbgsym") passed (${SECONDS} s)"
