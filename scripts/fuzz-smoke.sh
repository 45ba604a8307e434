#!/usr/bin/env bash
# Builds the fuzz targets (clang, AddressSanitizer, UndefinedBehaviorSanitizer)
# into build-fuzz and runs each on its seed corpus for SECONDS (default 3).
# Fails when a target finds anything; the input that did it is kept in
# build-fuzz/fuzz-artifacts/. Inputs that reach new code are kept in
# build-fuzz/fuzz-corpus/<target>/ and used again by the next run.
#
# ALVENTO_FUZZ_BUILD names another build directory.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3}
build=${ALVENTO_FUZZ_BUILD:-build-fuzz}
targets=(frame_assembler identify_handshake config_file sim_names_file link_engine modem_replies
  firmware_image status_block sound_upload)

if ! command -v clang++ >/dev/null; then
  echo "fuzz-smoke: clang++ is missing (scripts/deps.sh installs it)" >&2
  exit 1
fi
if [ ! -f "$build/build.ninja" ]; then
  CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DALVENTO_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j "${ALVENTO_FUZZ_JOBS:-$(nproc)}" --target fuzz_all

mkdir -p "$build/fuzz-artifacts"
# Allocation stacks cost a fifth of the time; rerun a finding's input without
# this to see them.
export ASAN_OPTIONS=${ASAN_OPTIONS:-malloc_context_size=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
for t in "${targets[@]}"; do
  mkdir -p "$build/fuzz-corpus/$t"
  log="$build/fuzz-artifacts/$t.log"
  # The engine's inputs are steps, and a few hundred of them reach the end of
  # any operation; longer ones only make each execution slower.
  max_len=()
  [ "$t" = link_engine ] && max_len=(-max_len=256)
  # A modem answer of a kilobyte holds every case the parsers have; longer
  # inputs only repeat lines.
  [ "$t" = modem_replies ] && max_len=(-max_len=1024)
  if ! "$build/fuzz/fuzz_$t" "$build/fuzz-corpus/$t" "fuzz/corpus/$t" "${max_len[@]}" \
      -max_total_time="$seconds" -print_final_stats=1 \
      -artifact_prefix="$build/fuzz-artifacts/$t-" >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "fuzz-smoke: fuzz_$t found a fault; reproduce with $build/fuzz/fuzz_$t <the input" \
         "named above>, and after the fix copy that input into fuzz/corpus/$t/" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "fuzz_$t: $runs runs in ${seconds} s, nothing found"
done
