#!/usr/bin/env bash
# Builds the Debian packages as the distribution builds its own: a build of their own in
# build-package/ (or $ZN_BUILD_DIR) with the flags of dpkg-buildflags, every hardening feature on,
# and without the tests; then the package from cpack with its programs' debug information split
# off as dh_strip does. Writes build-package/deb/zn-monitor_<version>_<arch>.deb and
# zn-monitor-dbgsym_<version>_<arch>.deb and prints their paths. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --package >&2
# tools/test-install.sh hands it the build of the tests (tools/test-build.sh), compiled with the
# same flags, instead.
export ZN_BUILD_DIR="${ZN_BUILD_DIR:-build-package}" ZN_BUILD_TYPE="${ZN_BUILD_TYPE:-None}"
export ZN_CMAKE_OPTIONS="${ZN_CMAKE_OPTIONS:--DZN_DEB_BUILDFLAGS=ON -DZN_BUILD_TESTS=OFF -DZN_BUILD_BENCH=OFF}"
build="$ZN_BUILD_DIR"
tools/build.sh zn-monitor znctl zn8p-sim install-files changelog >&2
rm -rf "$build/deb"
(cd "$build" && cpack -G DEB -B "$PWD/deb" >&2)
deb=$(echo "$build"/deb/zn-monitor_*.deb)

# The package's ELF files are stripped (of .comment and .note too) and linked to their debug
# files by name and build id; the debug files go into PACKAGE-dbgsym under
# /usr/lib/debug/.build-id, where gdb and debuginfod look, with the fields and the documentation
# link that dh_strip and dh_gencontrol give it.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/package" debug_root="$work/dbgsym"
dpkg-deb -R "$deb" "$root"
field() { dpkg-deb -f "$deb" "$1"; }
package=$(field Package) version=$(field Version) arch=$(field Architecture)
build_ids=()
while IFS= read -r -d '' file; do
    [[ $(file -b "$file") == ELF* ]] || continue
    build_id=$(readelf -n "$file" | sed -n 's/^ *Build ID: //p')
    [ -n "$build_id" ] || { echo "package: no build id in $file" >&2; exit 1; }
    debug="usr/lib/debug/.build-id/${build_id:0:2}/${build_id:2}.debug"
    mkdir -p "$debug_root/$(dirname "$debug")"
    objcopy --only-keep-debug --compress-debug-sections "$file" "$debug_root/$debug"
    chmod 0644 "$debug_root/$debug"
    strip --remove-section=.comment --remove-section=.note "$file"
    objcopy --add-gnu-debuglink="$debug_root/$debug" "$file"
    build_ids+=("$build_id")
done < <(find "$root" -path "$root/DEBIAN" -prune -o -type f -print0)
[ ${#build_ids[@]} -gt 0 ] || { echo "package: no program in $deb" >&2; exit 1; }
mkdir -p "$debug_root/usr/share/doc"
ln -s "$package" "$debug_root/usr/share/doc/$package-dbgsym"

# Installed-Size as dpkg-gencontrol counts it: KiB per file, rounded up, and 1 for anything else.
installed_size() {
    find "$1" -mindepth 1 -path "$1/DEBIAN" -prune -o -printf '%y %s\n' |
        awk '{ total += ($1 == "f") ? int(($2 + 1023) / 1024) : 1 } END { print total }'
}
md5sums() {
    (cd "$1" && find . -path ./DEBIAN -prune -o -type f -printf '%P\0' | sort -z | xargs -0 md5sum)
}
mkdir -p "$debug_root/DEBIAN"
cat >"$debug_root/DEBIAN/control" <<CONTROL
Package: $package-dbgsym
Source: $package
Version: $version
Auto-Built-Package: debug-symbols
Architecture: $arch
Maintainer: $(field Maintainer)
Installed-Size: $(installed_size "$debug_root")
Depends: $package (= $version)
Section: debug
Priority: optional
Description: debug symbols for $package
Build-Ids: ${build_ids[*]}
CONTROL
md5sums "$debug_root" >"$debug_root/DEBIAN/md5sums"
sed -i "s/^Installed-Size: .*/Installed-Size: $(installed_size "$root")/" "$root/DEBIAN/control"
md5sums "$root" >"$root/DEBIAN/md5sums"
dbgsym="$build/deb/${package}-dbgsym_${version}_${arch}.deb"
dpkg-deb --root-owner-group -b "$root" "$deb" >&2
dpkg-deb --root-owner-group -b "$debug_root" "$dbgsym" >&2
printf '%s\n' "$deb" "$dbgsym"
