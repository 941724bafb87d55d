#!/usr/bin/env bash
# Builds Tessaro and starts the operator's window on a simulated network.
#
#   scripts/run.sh                  window on $DISPLAY; headless demo without one
#   scripts/run.sh --demo           the headless demo even when there is a display
#   scripts/run.sh --screenshots D  where the demo saves its pictures
#                                   (default: build-run/screenshots)
#   TESSARO_JOBS=N scripts/run.sh   build with N jobs (default: all cores)
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
  # The comment block at the top of this file, without its "# ".
  awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "${BASH_SOURCE[0]}"
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
jobs="${TESSARO_JOBS:-$(nproc 2>/dev/null || echo 2)}"
cmake --build "$build" -j "$jobs" \
  --target tessaro tessaro-basesim tessaro-download tessaro-linktest tessaro-replay

window="$build/ui/tessaro"
basesim="$build/sim/tessaro-basesim"
link="$build/com1"
log="$build/basesim.log"
pty="$build/basesim.pty"

sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

echo "== Starting the simulated network"
rm -f "$link"
: >"$pty"
"$basesim" --link "$link" --loss 0.03 --delay 20-120 --no-console >"$pty" 2>"$log" &
sim_pid=$!
# The simulator prints the pseudo-terminal's path as its first line once it
# serves; wait for that whole line (and the link), or for it to give up.
for _ in $(seq 1 100); do
  [ -e "$link" ] && [ "$(wc -l <"$pty")" -ge 1 ] && break
  kill -0 "$sim_pid" 2>/dev/null || { cat "$log" >&2; exit 1; }
  sleep 0.1
done
if [ ! -e "$link" ] || [ "$(wc -l <"$pty")" -lt 1 ]; then
  echo "run.sh: the simulator did not publish $link within 10 s" >&2
  cat "$log" >&2
  exit 1
fi
head -n 1 "$pty" | sed 's/^/   pty: /'
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
