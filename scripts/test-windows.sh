#!/usr/bin/env bash
# The Windows stage: cross-builds the Qt-free programs and unit tests for
# 64-bit Windows with mingw-w64, checks that each program needs only Windows'
# own DLLs, runs the unit tests under Wine, then runs tessaro-linktest.exe
# against the Linux simulator on a pseudo-terminal that Wine sees as COM1, and
# tessaro-replay.exe on a recorded stream (its output must match the Linux
# program's), and the window tessaro.exe (scripts/test-windows-window.sh).
# Folders: build-win/cross (Windows), build-win/host (the Linux simulator and
# replay), build-win/wine (a throw-away Wine prefix), build-win/e2e (outputs).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
jobs=${TESSARO_JOBS:-$(nproc)}
started=$(date +%s)

"$root/scripts/install-deps.sh" windows

source "$root/scripts/wine-prefix.sh"

out="$root/build-win"
e2e="$out/e2e"
com1="$out/com1"
trap wine_stop EXIT

echo "-- cross-build for Windows"
cmake -S . -B "$out/cross" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW64Toolchain.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DTESSARO_WERROR=ON \
  -DTESSARO_BUILD_UI=OFF -DTESSARO_BUILD_BENCH=OFF
cmake --build "$out/cross" -j"$jobs"

echo "-- the Linux simulator and replay"
cmake -S . -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARO_BUILD_UI=OFF \
  -DTESSARO_BUILD_BENCH=OFF
cmake --build "$out/host" -j"$jobs" --target tessaro-basesim tessaro-replay

echo "-- each program needs only Windows' own DLLs"
programs=("$out/cross/tools/tessaro-linktest.exe" "$out/cross/tools/tessaro-replay.exe"
  "$out/cross/win32/tessaro.exe")
"$root/scripts/check-windows-imports.sh" "${programs[@]}"

echo "-- a fresh Wine prefix; COM1 is $com1"
rm -rf "$out/wine" "$e2e" && mkdir -p "$e2e"
wine_prefix "$out/wine" "$com1"

echo "-- unit tests under Wine"
(cd "$out/cross" && ctest --output-on-failure --timeout 300 -j"$jobs")

echo "-- tessaro-linktest.exe against the simulator"
rm -f "$com1"
# Echoes come after 1.2 s, so the line also idles longer than one round of
# the port's wait (a timed-out wait must not count as the device gone).
"$out/host/sim/tessaro-basesim" --no-console --quiet --delay 1200 --link "$com1" \
  >"$e2e/sim.out" 2>&1 </dev/null &
far_end_pid=$!
for _ in $(seq 100); do [ -L "$com1" ] && break; sleep 0.1; done
[ -L "$com1" ] || { echo "the simulator did not publish $com1" >&2; exit 1; }
"$wine" "${programs[0]}" --port COM1 --seconds 5 --json "$e2e/linktest.json" >"$e2e/linktest.out"
jq -e '.mode == "active" and (.terminals | length) > 0
       and all(.terminals[]; .sd > 0 and .ok > 0)' "$e2e/linktest.json" >/dev/null ||
  { echo "unexpected results:" >&2; cat "$e2e/linktest.json" >&2; exit 1; }
tail -n 2 "$e2e/linktest.out"
kill "$far_end_pid" && wait "$far_end_pid" 2>/dev/null || true
far_end_pid=""
status=0
"$wine" "${programs[0]}" --port COM1 --seconds 1 >"$e2e/gone.out" 2>&1 || status=$?
grep -q "cannot open the port COM1" "$e2e/gone.out" && [ "$status" -eq 3 ] ||
  { echo "a missing port was not reported (status $status):" >&2; cat "$e2e/gone.out" >&2; exit 1; }

echo "-- tessaro-replay.exe on a recorded stream"
# Every recorded stream of the dispatcher's corpus, then CR LF pairs and a
# 0x1A, which a text-mode input would swallow.
{ cat fuzz/corpus/dispatch/*; printf '@DT0101ab\r\n\032@DT0102cd\r'; } >"$e2e/stream.bin"
"$out/host/tools/tessaro-replay" --cells <"$e2e/stream.bin" >"$e2e/replay-linux.txt"
"$wine" "${programs[1]}" --cells <"$e2e/stream.bin" | tr -d '\r' >"$e2e/replay-windows.txt"
cmp "$e2e/replay-linux.txt" "$e2e/replay-windows.txt" ||
  { diff "$e2e/replay-linux.txt" "$e2e/replay-windows.txt" | head -20 >&2; exit 1; }

echo "-- tessaro.exe, the window, against the simulator (Xvfb)"
"$root/scripts/test-windows-window.sh" "$out/cross" "$out/host" "$e2e/window" "$com1"

echo "-- the Windows package"
"$root/scripts/package-windows.sh" "$out/cross"

echo "Windows stage passed in $(($(date +%s) - started)) s"
