#!/bin/sh
# Builds and starts the program (from the build tree, with its staged data).
set -e
cd "$(dirname "$0")/.."
sh scripts/build.sh
exec ./build/app/ymroutlays "$@"
