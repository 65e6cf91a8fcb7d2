#!/usr/bin/env bash
# Builds the tests labelled sanitize (tests/CMakeLists.txt) and the fuzz harnesses with
# AddressSanitizer and UndefinedBehaviorSanitizer (clang) into build-asan/ (or $ZN_ASAN_DIR), runs
# them there, then fuzzes each harness for $ZN_FUZZ_SECONDS seconds (default 50, 0 for none). Any
# finding fails the run. Safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh --sanitizers
build="${ZN_ASAN_DIR:-build-asan}"
seconds="${ZN_FUZZ_SECONDS:-50}"
if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
fi
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++-14 \
    -DZN_SANITIZE=ON -DZN_FUZZ=ON -DZN_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target sanitizer-checks

export UBSAN_OPTIONS=print_stacktrace=1
# The window tests and the other end-to-end tests, which start the program's processes again and
# again and wait on the wall clock, run the same core code as the tests here; they are left to
# tools/test.sh, which keeps CI within its time.
ctest --test-dir "$build" --output-on-failure --timeout 600 -j2 -L 'sanitize|fuzz'

[ "$seconds" -gt 0 ] || exit 0
# The harnesses fuzz side by side, each for $seconds, so more of them cost no more time.
pids=()
names=()
for harness in "$build"/tests/fuzz/fuzz_*; do
    [ -f "$harness" ] || continue
    name=$(basename "$harness")
    # New inputs go to a scratch corpus; the committed seeds stay as they are. A failing input is
    # kept as $build/NAME-crash-* (or -leak-*, -oom-*, -timeout-*) with the run's log beside it. A
    # harness stays near 200 MB however long it runs, so memory that keeps growing fails it at
    # 512 MB.
    rm -rf "$build/corpus-$name" && mkdir -p "$build/corpus-$name"
    "$harness" -max_total_time="$seconds" -rss_limit_mb=512 -print_final_stats=1 \
        -artifact_prefix="$build/$name-" \
        "$build/corpus-$name" "tests/fuzz/corpus/$name" >"$build/$name.log" 2>&1 &
    pids+=($!)
    names+=("$name")
done
failed=0
for i in "${!pids[@]}"; do
    name=${names[$i]}
    if wait "${pids[$i]}"; then
        echo "$name: $(grep -o 'Done [0-9]* runs.*' "$build/$name.log")"
    else
        tail -n 40 "$build/$name.log" >&2
        echo "$name failed: see $build/$name.log" >&2
        failed=1
    fi
done
exit "$failed"
