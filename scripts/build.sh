#!/usr/bin/env bash
# Configures and builds into build/<type> (default Release). Extra arguments go to cmake.
# Build output goes to stderr; the build folder is printed on stdout for the calling script.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
type="${BUILD_TYPE:-Release}"
dir="${BUILD_DIR:-$root/build/$(echo "$type" | tr '[:upper:]' '[:lower:]')}"
# Compilations of another clone or build folder of this repository hit the same cache entries
# (CI builds a fresh clone on a machine whose cache the developers' builds have filled).
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-true}"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >&2
cmake --build "$dir" -j2 >&2
echo "$dir"
