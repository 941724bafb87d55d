#!/usr/bin/env bash
# The Windows stage: cross-builds the Qt-free programs and unit tests for
# 64-bit Windows with mingw-w64, checks that each program needs only Windows'
# own DLLs, runs the unit tests under Wine, then runs tessaro-linktest.exe
# against the Linux simulator on a pseudo-terminal that Wine sees as COM1 and
# through ser2net over RFC 2217 and raw TCP, and
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
"$wine" "${programs[0]}" --port COM1 --seconds 5 --json "$e2e/linktest.json" \
  --metrics "$e2e/linktest.prom" --metrics-interval 1 >"$e2e/linktest.out"
jq -e '.mode == "active" and (.terminals | length) > 0
       and all(.terminals[]; .sd > 0 and .ok > 0)' "$e2e/linktest.json" >/dev/null ||
  { echo "unexpected results:" >&2; cat "$e2e/linktest.json" >&2; exit 1; }
# The metrics file, replaced over itself every second (MoveFileEx), ends
# with the run's totals and the test no longer running.
metrics_sent=$(awk '/^tessaro_linktest_packets_sent_total[{]/ { n += $NF } END { print n + 0 }' \
  "$e2e/linktest.prom")
[ "$metrics_sent" = "$(jq '.totals.sent' "$e2e/linktest.json")" ] &&
  grep -q '^tessaro_linktest_running{.*} 0$' "$e2e/linktest.prom" &&
  [ ! -e "$e2e/linktest.prom.partial" ] ||
  { echo "unexpected metrics:" >&2; cat "$e2e/linktest.prom" >&2; exit 1; }
tail -n 2 "$e2e/linktest.out"
kill "$far_end_pid" && wait "$far_end_pid" 2>/dev/null || true
far_end_pid=""
status=0
"$wine" "${programs[0]}" --port COM1 --seconds 1 >"$e2e/gone.out" 2>&1 || status=$?
grep -q "cannot open the port COM1" "$e2e/gone.out" && [ "$status" -eq 3 ] ||
  { echo "a missing port was not reported (status $status):" >&2; cat "$e2e/gone.out" >&2; exit 1; }

echo "-- tessaro-linktest.exe through ser2net (RFC 2217, then raw TCP) to the simulator"
"$out/host/sim/tessaro-basesim" --no-console --quiet --link "$com1" >"$e2e/sim-net.out" 2>&1 \
  </dev/null &
far_end_pid=$!
for _ in $(seq 100); do [ -L "$com1" ] && break; sleep 0.1; done
[ -L "$com1" ] || { echo "the simulator did not publish $com1" >&2; exit 1; }
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
rfc_port=$(free_port)
raw_port=$(free_port)
device=$(readlink -f "$com1")
cat >"$e2e/ser2net.yaml" <<YAML
connection: &rfc2217
  accepter: telnet(rfc2217),tcp,127.0.0.1,$rfc_port
  connector: serialdev,$device,115200n81,local
connection: &raw
  accepter: tcp,127.0.0.1,$raw_port
  connector: serialdev,$device,115200n81,local
YAML
ser2net -n -d -u -P "$e2e/ser2net.pid" -c "$e2e/ser2net.yaml" >"$e2e/ser2net.out" 2>&1 &
server_pid=$!
trap 'kill "$server_pid" 2>/dev/null; wine_stop' EXIT
for _ in $(seq 100); do
  ss -ltn | grep -q "127.0.0.1:$raw_port " && break
  sleep 0.1
done
for url in "rfc2217://127.0.0.1:$rfc_port" "tcp://127.0.0.1:$raw_port"; do
  "$wine" "${programs[0]}" --port "$url" --seconds 3 --json "$e2e/linktest-net.json" \
    >"$e2e/linktest-net.out"
  jq -e '.mode == "active" and (.terminals | length) > 0
         and all(.terminals[]; .sd > 0 and .ok > 0)' "$e2e/linktest-net.json" >/dev/null ||
    { echo "unexpected results over $url:" >&2; cat "$e2e/linktest-net.json" >&2; exit 1; }
  tail -n 2 "$e2e/linktest-net.out"
done
kill "$server_pid" && wait "$server_pid" 2>/dev/null || true
trap wine_stop EXIT
kill "$far_end_pid" && wait "$far_end_pid" 2>/dev/null || true
far_end_pid=""

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

echo "-- the machine's ports (COM7, COM12) and a typed network port, under Wine"
"$root/scripts/test-windows-ports.sh" "$out/cross" "$out/host" "$e2e/ports" "$com1"

echo "-- the Windows package"
"$root/scripts/package-windows.sh" "$out/cross"
"$root/scripts/test-windows-installer.sh" "$out/package" "$e2e/installer"

echo "Windows stage passed in $(($(date +%s) - started)) s"
