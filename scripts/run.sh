#!/usr/bin/env bash
# Installs what the editor needs, builds it and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zoetra_install_packages $ZOETRA_BUILD_PACKAGES xvfb xauth
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOETRA_BUILD_TESTS=OFF
cmake --build build/release --target zoetra zoetra-cli
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Zoetra is built (build/release/app/zoetra), but there is no display to show it on."
    echo "Start it on a virtual display with:  xvfb-run -s '-screen 0 1280x1024x24' build/release/app/zoetra"
    exit 1
fi
exec build/release/app/zoetra "$@"
