#!/bin/sh
# The window's turnaround measured from outside, next to its floor and the
# command line, in one run: the raw pty ping-pong of two small processes,
# tessaro-linktest and the tessaro window under Xvfb (driven to Open and
# START by its --demo), each answered by bench/window/peer.c playing one base
# with one terminal.  Prints p50/p99 per round, the ratios to the floor of the
# same round, and the medians over the rounds.
#
#   bench/window/run.sh [ECHOES [ROUNDS]]   (default 10000 echoes, 3 rounds)
#
# BUILD_DIR names a configured build to use (default: build-window-bench in
# the source tree, configured and built here as needed); WINDOW and LINKTEST
# name the two programs instead (nothing is built then), and BASESIM and
# FLOOD the simulator and bench_ui_flood that go with them.
# Figures are split into words on purpose (set -- $(...)).
# shellcheck disable=SC2046,SC2086
set -eu

echoes=${1:-10000}
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$top/build-window-bench}
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

window=${WINDOW:-$build/ui/tessaro}
linktest=${LINKTEST:-$build/tools/tessaro-linktest}
if [ -z "${WINDOW:-}" ] || [ -z "${LINKTEST:-}" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_BUILD_BENCH=ON \
      >/dev/null
  fi
  cmake --build "$build" -j2 --target tessaro tessaro-linktest tessaro-basesim bench_ui_flood \
    >/dev/null
fi
basesim=${BASESIM:-$build/sim/tessaro-basesim}
flood=${FLOOD:-$build/bench/ui/bench_ui_flood}
cc -O2 -std=c11 -Wall -Wextra -o "$work/peer" "$here/peer.c"

# A display of our own: the first free number from 90.
display=90
while [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -e "/tmp/.X11-unix/X$display" ] && break
  sleep 0.05
done

peer=$work/peer

# Prints "p50 p99" of one path; "- -" when it failed.
measure() {
  out=$("$@" 2>"$work/err" | tail -n 1) || true
  set -- $out
  if [ "${1:-}" = p50 ] && [ "${8:-0}" = "$echoes" ]; then echo "$2 $4"; else echo "- -"; fi
}

echo "window turnaround from outside: $echoes echoes per path, one base, one terminal"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-6s %18s %18s %18s %12s %12s\n' round "floor p50/p99" "linktest p50/p99" \
  "window p50/p99" "lt/floor" "win/floor"
: >"$work/rows"
for round in $(seq "$rounds"); do
  set -- $(measure "$peer" floor "$echoes")
  f50=$1 f99=$2
  set -- $(measure "$peer" run "$echoes" -- "$linktest" --port "{}" --seconds 3600 --interval 0 \
    --wait 2)
  l50=$1 l99=$2
  set -- $(DISPLAY=":$display" measure "$peer" run "$echoes" -- "$window" --demo "$work/shots" \
    --demo-test-seconds 3600)
  w50=$1 w99=$2
  echo "$f50 $f99 $l50 $l99 $w50 $w99" >>"$work/rows"
  awk -v r="$round" -v f50="$f50" -v f99="$f99" -v l50="$l50" -v l99="$l99" -v w50="$w50" \
    -v w99="$w99" 'function q(a, b) { return (a == "-" || b == "-" || b == 0) ? "-" : sprintf("%.1fx", a / b) }
    BEGIN { printf "%-6s %18s %18s %18s %12s %12s\n", r, f50 "/" f99, l50 "/" l99, w50 "/" w99,
      q(l50, f50) "/" q(l99, f99), q(w50, f50) "/" q(w99, f99) }'
done
awk 'function med(col,   n, i, j, t, v) {
       n = 0
       for (i = 1; i <= NR; ++i) if (row[i, col] != "-") v[++n] = row[i, col] + 0
       for (i = 1; i <= n; ++i) for (j = i + 1; j <= n; ++j) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
       return n == 0 ? "-" : (n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2)
     }
     function q(a, b) { return (a == "-" || b == "-" || b == 0) ? "-" : sprintf("%.1fx", a / b) }
     { for (c = 1; c <= 6; ++c) row[NR, c] = $c }
     END {
       printf "%-6s %18s %18s %18s %12s %12s\n", "median", med(1) "/" med(2), med(3) "/" med(4),
         med(5) "/" med(6), q(med(3), med(1)) "/" q(med(4), med(2)),
         q(med(5), med(1)) "/" q(med(6), med(2))
     }' "$work/rows"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "(microseconds from the echo's write to the next packet's first byte; ratios to the floor)"

# Cold start: from the start of the program to its frame window being viewable
# on the display (polled; a poll takes a few ms), then its resident memory a
# second later.
echo
echo "cold start to a viewable window, and resident memory:"
for round in $(seq "$rounds"); do
  start=$(date +%s%N)
  DISPLAY=":$display" "$window" --no-about >/dev/null 2>"$work/cold.err" &
  pid=$!
  shown=-
  for _ in $(seq 2000); do
    if xwininfo -display ":$display" -name "  Tessaro " 2>/dev/null | grep -q IsViewable; then
      shown=$((($(date +%s%N) - start) / 1000000))
      break
    fi
    # Spaced polls: a client per millisecond can crowd the window's own
    # connection out of the display server.
    sleep 0.003
  done
  sleep 1
  rss=$(awk '/VmRSS/ { printf "%.1f", $2 / 1024 }' "/proc/$pid/status" 2>/dev/null || echo -)
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "  round $round: $shown ms to a viewable window, $rss MB resident"
  if [ "$shown" = - ]; then sed 's/^/    /' "$work/cold.err"; fi
done

# The window's processor use during an ACTIVE test of 99 terminals on a line
# paced at 115200 baud (the simulator echoes after 1-5 ms), over 8 seconds
# of the test.
echo
echo "processor use of the window, ACTIVE test, 99 terminals, paced 115200:"
terminals=$(seq -s, 1 99)
cat >"$work/net.json" <<JSON
{"bases": [{"number": 1, "baud": 115200, "terminals": [$terminals]}],
 "echo": {"delay_ms": [1, 5], "loss": 0.0}, "line": {"pace": true}}
JSON
tick=$(getconf CLK_TCK)
for round in $(seq "$rounds"); do
  "$basesim" --scenario "$work/net.json" --no-console --quiet >"$work/sim.out" 2>&1 &
  sim=$!
  for _ in $(seq 100); do
    [ -s "$work/sim.out" ] && break
    sleep 0.05
  done
  TESSARO_COM1=$(head -n 1 "$work/sim.out") DISPLAY=":$display" "$window" --demo "$work/cpu" \
    --demo-test-seconds 12 >/dev/null 2>&1 &
  pid=$!
  sleep 6
  before=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo 0)
  sleep 8
  after=$(awk '{ print $14 + $15 }' "/proc/$pid/stat" 2>/dev/null || echo -)
  code=0
  wait "$pid" 2>/dev/null || code=$?
  kill "$sim" 2>/dev/null || true
  wait "$sim" 2>/dev/null || true
  if [ "$after" = - ] || [ "$code" != 0 ]; then
    echo "  round $round: - (the window's demo did not run the whole test)"
    continue
  fi
  awk -v a="$after" -v b="$before" -v t="$tick" -v r="$round" \
    'BEGIN { printf "  round %s: %.1f%% of a core\n", r, (a - b) / t / 8 * 100 }'
done

# Paints under a flood: 50,000 "@DT" a second for 5 seconds into the window's
# own view on this display (bench/ui/UiFloodBench.cpp).
echo
echo "paints under a flood of 50,000 messages a second:"
if [ -x "$flood" ]; then
  for round in $(seq "$rounds"); do
    DISPLAY=":$display" "$flood" 50000 5 2>/dev/null |
      awk -v r="$round" '/dispatched/ { got = $4 " of " $6 } /^ *paints/ { n = $2 " " $3 " " $4 " " $5 }
        /between paints/ { gap = $5 } END { printf "  round %s: %s counted, %s paints, longest gap %s ms\n", r, got, n, gap }'
  done
else
  echo "  - (no $flood)"
fi
