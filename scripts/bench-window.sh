#!/usr/bin/env bash
# The window's link-test turnaround measured from outside it, Linux beside
# Windows: bench_window_turnaround plays one base with 99 terminals on a
# pseudo-terminal, and each window in turn runs its demo's ACTIVE test against
# it: the Qt window on Linux (offscreen), then tessaro.exe under Wine and
# Xvfb.  Prints both figures and their ratio.  Wine is not Windows: the ratio
# says what Wine costs here.
#   scripts/bench-window.sh [ECHOES]   (default 2000)
# Folders: build-win/bench-ui (Linux with the Qt window), build-win/cross,
# build-win/bench-window (Wine prefix, outputs).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${TESSARO_JOBS:-$(nproc)}
echoes=${1:-2000}
"$root/scripts/install-deps.sh" windows
source "$root/scripts/wine-prefix.sh"

out="$root/build-win"
work="$out/bench-window"
link="$work/com1"
far_pid="" window_pid="" xvfb_pid=""
cleanup() {
  for pid in "$window_pid" "$far_pid" "$xvfb_pid"; do
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  done
  wine_stop
}
trap cleanup EXIT

cmake -S . -B "$out/bench-ui" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARO_BUILD_UI=ON >/dev/null
cmake --build "$out/bench-ui" -j"$jobs" --target tessaro bench_window_turnaround
cmake -S . -B "$out/cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW64Toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DTESSARO_BUILD_UI=OFF \
  -DTESSARO_BUILD_BENCH=OFF >/dev/null
cmake --build "$out/cross" -j"$jobs" --target tessaro
rm -rf "$work" && mkdir -p "$work"

# Starts the far end; its figures go to $work/$1.txt.
far_end() {
  "$out/bench-ui/bench/linktest/bench_window_turnaround" "$link" "$echoes" >"$work/$1.txt" &
  far_pid=$!
  for _ in $(seq 100); do [ -L "$link" ] && break; sleep 0.1; done
  [ -L "$link" ] || { echo "the far end did not publish $link" >&2; exit 1; }
}
# Waits for the far end's figures, then ends the window.
measured() {
  wait "$far_pid" || { echo "$1: no figures" >&2; cat "$work/$1.txt" >&2; exit 1; }
  far_pid=""
  kill "$window_pid" 2>/dev/null || true
  wait "$window_pid" 2>/dev/null || true
  window_pid=""
}

far_end linux
TESSARO_COM1="$link" QT_QPA_PLATFORM=offscreen "$out/bench-ui/ui/tessaro" \
  --demo "$work/linux" --demo-test-seconds 3600 >/dev/null 2>&1 &
window_pid=$!
measured linux

wine_prefix "$work/wine" "$link"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -w
far_end windows
"$wine" "$out/cross/win32/tessaro.exe" --demo "$("$wine" winepath -w "$work/windows" 2>/dev/null)" \
  --demo-test-seconds 3600 >/dev/null 2>&1 &
window_pid=$!
measured windows

linux=$(tail -n 2 "$work/linux.txt")
windows=$(tail -n 2 "$work/windows.txt")
printf '== Linux, the Qt window (offscreen)\n%s\n' "$linux"
printf '== Windows, tessaro.exe under Wine (Xvfb)\n%s\n' "$windows"
figure() { echo "$1" | sed -n "s/.*$2 \\([0-9]*\\) us.*/\\1/p" | head -n 1; }
awk -v a="$(figure "$windows" p50)" -v b="$(figure "$linux" p50)" \
  -v c="$(figure "$windows" p99)" -v d="$(figure "$linux" p99)" 'BEGIN {
  printf "== Wine / Linux: p50 x%.1f, p99 x%.1f\n", a / b, c / d }'
