#!/usr/bin/env bash
# Installs the reference tools of the benchmark (giflib, libimagequant, ImageMagick, gifsicle),
# builds zoetra-bench optimized and runs it. Arguments go to zoetra-bench, for example
#   scripts/bench.sh --quick
#   scripts/bench.sh --json build/bench/figures.json
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zoetra_install_packages $ZOETRA_BUILD_PACKAGES $ZOETRA_BENCH_PACKAGES
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZOETRA_BUILD_TESTS=OFF -DZOETRA_SANITIZE=OFF
cmake --build build/bench --target zoetra-bench
exec env QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" build/bench/bench/zoetra-bench "$@"
