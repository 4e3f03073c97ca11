#!/usr/bin/env bash
# Builds a Release build and the Debian package from it. The package lands in build/package/
# and its path is printed last. Install it with:  apt install ./build/package/mojing_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
dir="$(BUILD_TYPE=Release BUILD_DIR="$root/build/package-release" \
    "$root/scripts/build.sh" -DMOJING_TESTS=OFF -DMOJING_BENCH=OFF | tail -n 1)"
out="$root/build/package"
mkdir -p "$out"
(cd "$dir" && cpack -G DEB -B "$out" >&2)
rm -rf "$out/_CPack_Packages"
ls -1 "$out"/mojing_*.deb | tail -n 1
