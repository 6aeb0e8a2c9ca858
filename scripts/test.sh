#!/usr/bin/env bash
# Installs what the tests need, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test; ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/deps.sh
zoetra_install_packages $ZOETRA_BUILD_PACKAGES $ZOETRA_TEST_PACKAGES
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZOETRA_SANITIZE=ON
cmake --build build/test
QT_QPA_PLATFORM=offscreen ctest --test-dir build/test --output-on-failure -j2 --timeout 600
