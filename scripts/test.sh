#!/usr/bin/env bash
# Installs what is missing, builds the release tree and runs every test (unit, GUI offscreen, end to end).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset release
cmake --build --preset release
ctest --preset release
