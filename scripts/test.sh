#!/usr/bin/env bash
# Builds and runs every test (unit, widgets under the offscreen platform, and the
# tool against the module simulator over pseudo-terminals).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
cd build
ctest --output-on-failure -j "$(nproc)" "$@"
../scripts/fuzz-smoke.sh # each fuzz target a few seconds on its corpus (own build dir)
