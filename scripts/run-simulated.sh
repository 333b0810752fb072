#!/usr/bin/env bash
# Installs what is missing, builds the release tree and starts the program on its built-in simulated tool.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that a second clone reuses what ccache compiled for the first.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release --target pressdiag pressdiag-cli
exec ./build/release/pressdiag --simulate "$@"
