#!/bin/sh
# Builds and runs every test, headless.
set -e
cd "$(dirname "$0")/.."
sh scripts/build.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
