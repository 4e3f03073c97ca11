#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (unit, offscreen GUI, end to end).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
dir="$(BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} "$root/scripts/build.sh" | tail -n 1)"
cd "$dir"
ctest --output-on-failure -j2 --timeout 300 "$@"
