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
# name the two programs instead (nothing is built then).
set -eu

echoes=${1:-10000}
rounds=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
build=${BUILD_DIR:-$top/build-window-bench}
work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

window=${WINDOW:-$build/ui/tessaro}
linktest=${LINKTEST:-$build/linktest/tessaro-linktest}
if [ -z "${WINDOW:-}" ] || [ -z "${LINKTEST:-}" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_BUILD_BENCH=OFF \
      >/dev/null
  fi
  cmake --build "$build" -j2 --target tessaro tessaro-linktest >/dev/null
fi
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
