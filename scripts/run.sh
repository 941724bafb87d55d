#!/usr/bin/env bash
# Builds Tessaro and starts the operator's window on a simulated network.
#
#   scripts/run.sh                  window on $DISPLAY; headless demo without one
#   scripts/run.sh --demo           the headless demo even when there is a display
#   scripts/run.sh --screenshots D  where the demo saves its pictures
#                                   (default: build-run/screenshots)
#
# The simulator tessaro-basesim plays the attached base and the network behind
# it on a pseudo-terminal; COM1 of the window (TESSARO_COM1) points at it.
# Without a display the window runs under Xvfb, opens COM1, waits for the
# network, runs an ACTIVE test for a few seconds and saves screenshots.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-run"
demo=0
shots=""

usage() {
  sed -n '2,11p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
}

while [ $# -gt 0 ]; do
  case "$1" in
    --demo) demo=1 ;;
    --screenshots)
      [ $# -ge 2 ] || { echo "run.sh: --screenshots needs a directory" >&2; exit 2; }
      shots="$2"
      shift
      ;;
    -h | --help) usage; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done
if [ -z "${DISPLAY:-}" ]; then demo=1; fi
shots="${shots:-$build/screenshots}"
mkdir -p "$shots"
shots="$(cd "$shots" && pwd)"

echo "== Installing what is missing"
"$root/scripts/install-deps.sh"

echo "== Building (Release, $build)"
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DTESSARO_BUILD_BENCH=OFF >"$build/configure.log" 2>&1 || {
  cat "$build/configure.log" >&2
  exit 1
}
jobs="$(nproc 2>/dev/null || echo 2)"
cmake --build "$build" --target tessaro tessaro-basesim -j "$jobs"

window="$build/ui/tessaro"
basesim="$build/sim/tessaro-basesim"
link="$build/com1"
log="$build/basesim.log"

sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

echo "== Starting the simulated network"
rm -f "$link"
"$basesim" --link "$link" --loss 0.03 --delay 20-120 --no-console >"$log" 2>&1 &
sim_pid=$!
for _ in $(seq 1 100); do
  [ -e "$link" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
  sleep 0.1
done
[ -e "$link" ] || { echo "run.sh: the simulator did not publish $link" >&2; exit 1; }
head -n 1 "$log" | sed 's/^/   pty: /'
export TESSARO_COM1="$link"

if [ "$demo" = 1 ]; then
  echo "== Headless demo under Xvfb (Open, discovery, ACTIVE test)"
  set +e
  xvfb-run -a -s "-screen 0 1280x800x24" "$window" --demo "$shots" >"$build/demo.log" 2>&1
  status=$?
  set -e
  grep -v 'propagateSizeHints\|XDG_RUNTIME_DIR' "$build/demo.log" || true
  echo
  if [ "$status" -ne 0 ]; then
    echo "The demo failed (exit $status); simulator log: $log" >&2
    exit "$status"
  fi
  echo "Screenshots are in $shots:"
  ls -1 "$shots"/*.png | sed 's/^/  /'
else
  echo "== Starting the window (RF Link > Open connects to the simulator)"
  "$window"
fi
