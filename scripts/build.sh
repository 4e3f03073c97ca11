#!/usr/bin/env bash
# Configures and builds into build/<type> (default Release). Extra arguments go to cmake.
# Build output goes to stderr; the build folder is printed on stdout for the calling script.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
type="${BUILD_TYPE:-Release}"
dir="${BUILD_DIR:-$root/build/$(echo "$type" | tr '[:upper:]' '[:lower:]')}"
cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >&2
cmake --build "$dir" -j2 >&2
echo "$dir"
