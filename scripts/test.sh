#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs every test (unit, GUI offscreen, end to end).
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that a second clone reuses what ccache compiled for the first.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
ctest --preset release
