#!/usr/bin/env bash
# The Qt window's demo against the simulator: the scripted dialog values must
# reach the base (the dialog's own OK runs), and a value the dialog refuses
# ends the demo with status 1 instead of pressing OK for ever.
#   demo-dialogs.sh TESSARO TESSARO_BASESIM
set -euo pipefail
window=$1 sim=$2
work=$(mktemp -d)
sim_pid=""
stop() {
  exec 7>&- 2>/dev/null || true
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap stop EXIT
fail() { echo "demo dialogs: $*" >&2; exit 1; }

start_sim() {
  rm -f "$work/com1"
  : >"$work/sim.out"
  "$sim" --quiet --link "$work/com1" <"$work/sim.in" >"$work/sim.out" 2>&1 &
  sim_pid=$!
  exec 7>"$work/sim.in"
  for _ in $(seq 100); do [ -L "$work/com1" ] && return; sleep 0.1; done
  fail "the simulator did not publish its line"
}
stop_sim() {
  exec 7>&-
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=""
}

mkfifo "$work/sim.in"
export TESSARO_COM1="$work/com1" QT_QPA_PLATFORM=offscreen

start_sim
"$window" --demo "$work/shots" --demo-test-seconds 1 \
  --dialog base-id:701=5,601=6 --dialog base-properties:702=3,601=7 \
  >"$work/out" 2>"$work/err" </dev/null || { cat "$work/out" "$work/err" >&2; fail "exit status $?"; }
echo show >&7
for _ in $(seq 50); do grep -q '^base 01 ' "$work/sim.out" && break; sleep 0.1; done
grep -q '^base 06 ' "$work/sim.out" || { cat "$work/sim.out" >&2; fail "base 5 was not renumbered 6"; }
grep -Eq '^base 01 \(attached\)  channel 3 .* time-out 7 s' "$work/sim.out" ||
  { cat "$work/sim.out" >&2; fail "base 1 did not take channel 3 and time-out 7"; }
stop_sim

start_sim
status=0
timeout 120 "$window" --demo "$work/shots" --demo-test-seconds 1 --dialog comm:707=tcp://127.0.0.1 \
  >"$work/out" 2>"$work/err" </dev/null || status=$?
[ "$status" -eq 1 ] && grep -q "refused its scripted values" "$work/err" ||
  { cat "$work/out" "$work/err" >&2; fail "a refused value ended with status $status"; }
echo "the demo's dialog values reach the base; a refused one ends the demo"
