#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments go to the program
# (for example: scripts/run.sh --demo).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
dir="$("$root/scripts/build.sh" | tail -n 1)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found (DISPLAY is not set)."
    echo "Run the program on a virtual display instead:"
    echo "    xvfb-run -a $dir/src/app/mojing $*"
    exit 1
fi
exec "$dir/src/app/mojing" "$@"
