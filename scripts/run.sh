#!/usr/bin/env bash
# Builds and starts the tool. Without arguments it starts the module simulator
# as a ModelCode 71 module on a pseudo-terminal and points the tool at it;
# with --port DEVICE it starts the tool on that serial port instead.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --gui
scripts/build.sh alvento alvento-sim

port=""
sim_args=(--model 71 --version 43)
while [ $# -gt 0 ]; do
  case "$1" in
    --port) port="$2"; shift 2 ;;
    --model) sim_args=(--model "$2" --version 43); shift 2 ;;
    *) echo "usage: scripts/run.sh [--port DEVICE | --model CODE]" >&2; exit 2 ;;
  esac
done

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
echo "Simulated module (ModelCode ${sim_args[1]}) on $pty" >&2
cat <&3 >/dev/null &
launch build/src/alvento --port "$pty" &
tool_pid=$!
wait $tool_pid
