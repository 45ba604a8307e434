#!/usr/bin/env bash
# Builds and starts the tool. Without arguments it starts the module simulator
# as a ModelCode 71 module holding an example configuration on a
# pseudo-terminal and points the tool at it (--blank: a module with erased
# memory instead); with --port DEVICE it starts the tool on that serial port.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --gui
scripts/build.sh alvento alvento-sim

port=""
model=71
memory=(--example-config)
while [ $# -gt 0 ]; do
  case "$1" in
    --port) port="$2"; shift 2 ;;
    --model) model="$2"; shift 2 ;;
    --blank) memory=(); shift ;;
    *) echo "usage: scripts/run.sh [--port DEVICE | [--model CODE] [--blank]]" >&2; exit 2 ;;
  esac
done
sim_args=(--model "$model" --version 43 "${memory[@]}")

launch() {
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found; running under Xvfb (xvfb-run)." >&2
    xvfb-run -a "$@"
  else
    "$@"
  fi
}

if [ -n "$port" ]; then
  launch build/src/alvento --port "$port"
  exit
fi

fifo=$(mktemp -u)
mkfifo "$fifo"
build/sim/alvento-sim "${sim_args[@]}" --pace-baud 9600 >"$fifo" &
sim_pid=$!
tool_pid=""
trap 'kill $tool_pid $sim_pid 2>/dev/null; rm -f "$fifo"' EXIT
trap 'exit 130' INT TERM
exec 3<"$fifo"
read -r first <&3
pty=${first#PTY }
if [ ${#memory[@]} -gt 0 ]; then
  echo "Simulated module (ModelCode $model, example configuration) on $pty" >&2
else
  echo "Simulated module (ModelCode $model, erased memory) on $pty" >&2
fi
cat <&3 >/dev/null &
launch build/src/alvento --port "$pty" &
tool_pid=$!
wait $tool_pid
