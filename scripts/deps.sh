#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing. Quick when all are present.
# Extra package names given as arguments are installed the same way (scripts/screenshots.sh asks
# for its tools, scripts/fuzz.sh for clang).
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-webengine-dev qt6-multimedia-dev libgumbo-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    nginx-light tinyproxy curl python3 openssl
    xvfb xauth fonts-noto-cjk qt6-translations-l10n
    help2man desktop-file-utils appstream dpkg-dev pandoc
    "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
