#!/usr/bin/env bash
# Runs every fuzz target for SECONDS each, one after the other, on its seed
# corpus and the inputs earlier runs kept (build-fuzz/fuzz-corpus/<target>/),
# at the lowest priority. Prints each target's executions.
#   bench/fuzz.sh 600
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 1 ]; then
  echo "usage: bench/fuzz.sh SECONDS" >&2
  exit 2
fi
exec nice -n 19 scripts/fuzz-smoke.sh "$1"
