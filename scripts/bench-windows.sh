#!/usr/bin/env bash
# The serial backends side by side in one run: bench_serial_roundtrip built
# for Linux (termios) and for Windows (Win32 calls, run under Wine), each
# against bench_echo_far_end on a pseudo-terminal.  Prints both figures and
# their ratio.  Wine is not Windows: the ratio says what Wine costs here, not
# what Windows does.
# Folders: build-win/bench-host, build-win/bench-cross, build-win/bench-wine.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${TESSARO_JOBS:-$(nproc)}
"$root/scripts/install-deps.sh" windows

source "$root/scripts/wine-prefix.sh"
out="$root/build-win"
link="$out/bench-com1"
trap wine_stop EXIT

cmake -S . -B "$out/bench-host" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSARO_BUILD_UI=OFF \
  >/dev/null
cmake --build "$out/bench-host" -j"$jobs" --target bench_serial_roundtrip bench_echo_far_end
cmake -S . -B "$out/bench-cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW64Toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DTESSARO_BUILD_UI=OFF >/dev/null
cmake --build "$out/bench-cross" -j"$jobs" --target bench_serial_roundtrip

wine_prefix "$out/bench-wine" "$link"

# The far end stops when its standard input closes.
coproc FAR { "$out/bench-host/bench/link/bench_echo_far_end" "$link"; }
far_end_pid=$FAR_PID
read -r slave <&"${FAR[0]}"

linux=$("$out/bench-host/bench/link/bench_serial_roundtrip" "$link")
windows=$("$wine" "$out/bench-cross/bench/link/bench_serial_roundtrip.exe" COM1 | tr -d '\r')
printf '== Linux, termios backend on %s\n%s\n' "$slave" "$linux"
printf '== Windows, Win32 backend under Wine on COM1\n%s\n' "$windows"

figure() { echo "$1" | sed -n "$2" | head -n 1; }
l50=$(figure "$linux" 's/.*p50 \([0-9]*\) us.*/\1/p')
w50=$(figure "$windows" 's/.*p50 \([0-9]*\) us.*/\1/p')
l99=$(figure "$linux" 's/.*p99 \([0-9]*\) us.*/\1/p')
w99=$(figure "$windows" 's/.*p99 \([0-9]*\) us.*/\1/p')
lrate=$(figure "$linux" 's/.*= \([0-9]*\) bytes\/s.*/\1/p')
wrate=$(figure "$windows" 's/.*= \([0-9]*\) bytes\/s.*/\1/p')
echo "== Wine / Linux"
awk -v a="$w50" -v b="$l50" -v c="$w99" -v d="$l99" -v e="$wrate" -v f="$lrate" 'BEGIN {
  printf "turnaround p50 x%.1f, p99 x%.1f; inbound rate x%.2f\n", a / b, c / d, e / f }'
