#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (unit, offscreen GUI, end to end).
#
#   scripts/test.sh [--sanitize | --nogui] [ctest arguments]
#
# --sanitize builds with AddressSanitizer and UndefinedBehaviorSanitizer into build/asan and runs
#            the whole suite there; any report fails the test that caused it.
# --nogui    builds without widgets and the browser engine into build/nogui (the layering check)
#            and runs the tests that build has.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
mode=normal
case "${1:-}" in
--sanitize | --nogui)
    mode="${1#--}"
    shift
    ;;
esac
"$root/scripts/deps.sh"
timeout=300
case "$mode" in
sanitize)
    sanitizers="-fsanitize=address,undefined"
    dir="$(BUILD_TYPE=RelWithDebInfo BUILD_DIR="$root/build/asan" "$root/scripts/build.sh" \
        -DMOJING_BENCH=OFF -DMOJING_TEST_TIMEOUT_FACTOR=4 \
        -DCMAKE_CXX_FLAGS="$sanitizers -fno-sanitize-recover=undefined -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="$sanitizers" -DCMAKE_SHARED_LINKER_FLAGS="$sanitizers" | tail -n 1)"
    # The browser engine frees some of its objects through a base of another size, which ASan's
    # new/delete size check reports although the memory is handled correctly; that check alone
    # is off.
    export ASAN_OPTIONS="new_delete_type_mismatch=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
    # Leaks are checked, except those the browser engine keeps until the process ends.
    export LSAN_OPTIONS="suppressions=$root/scripts/engine-leaks.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
    export UBSAN_OPTIONS="print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
    timeout=1200
    # The browser engine's own timing is stretched most by the instrumentation, and its signals
    # then come late or, rarely, not at all: a failed test is run once more.
    set -- --repeat until-pass:2 "$@"
    ;;
nogui)
    dir="$(BUILD_TYPE=RelWithDebInfo BUILD_DIR="$root/build/nogui" "$root/scripts/build.sh" \
        -DMOJING_GUI=OFF -DMOJING_BENCH=OFF | tail -n 1)"
    ;;
*)
    dir="$(BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$root/scripts/build.sh" | tail -n 1)"
    ;;
esac
cd "$dir"
ctest --output-on-failure -j2 --timeout "$timeout" "$@"
