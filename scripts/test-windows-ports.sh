#!/usr/bin/env bash
# The machine's ports and a typed network port on Windows, under Wine:
# - COM12 comes from Wine's own port map (HKLM\Software\Wine\Ports, read when
#   the Wine server starts, which then writes it into the registry's
#   HARDWARE\DEVICEMAP\SERIALCOMM; that key is volatile, so Wine rebuilds it
#   at every start), COM7 is written straight into SERIALCOMM while the
#   server runs.  tessaro-linktest.exe --list-ports lists both and a link
#   test over COM12 (a name that opens only as \\.\COM12) reaches the
#   simulator.
# - The window, tessaro.exe, opens COM1 (the simulator), picks COM7 and then
#   COM12 in the port dialog (each is found in its list by its text), types
#   a raw TCP port there (ser2net on 127.0.0.1 in front of a second
#   simulator) and opens it: its trace names the port as typed.
#   scripts/test-windows-ports.sh CROSS HOST OUT COM1
# CROSS: the Windows build, HOST: the Linux build with tessaro-basesim, OUT: a
# folder for the outputs, COM1: the path the prefix maps COM1 to.  Called by
# scripts/test-windows.sh with a Wine prefix made by wine_prefix.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cross=$1 host=$2 out=$3 com1=$4
source "$root/scripts/wine-prefix.sh"
linktest="$cross/tools/tessaro-linktest.exe"
sim_pid="" net_sim_pid="" server_pid=""

stop() {
  for pid in "$server_pid" "$net_sim_pid" "$sim_pid"; do
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  done
  "$wineserver" -k 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap stop EXIT
fail() { echo "ports test: $*" >&2; exit 1; }
# Starts the simulator on a pty published as $1; its pid in the variable $2.
start_sim() {
  rm -f "$1"
  "$host/sim/tessaro-basesim" --no-console --quiet --link "$1" >"$1.out" 2>&1 </dev/null &
  printf -v "$2" %s $!
  for _ in $(seq 100); do [ -L "$1" ] && break; sleep 0.1; done
  [ -L "$1" ] || fail "the simulator did not publish $1"
}

rm -rf "$out" && mkdir -p "$out/shots"

# A display for the window.
wine_display "$out"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM12 /d "$com1" /f >/dev/null 2>&1
"$wineserver" -w
"$wineserver" -p >/dev/null 2>&1 </dev/null
"$wine" wineboot >/dev/null 2>&1 </dev/null
"$wine" reg add 'HKLM\HARDWARE\DEVICEMAP\SERIALCOMM' /v '\Device\TessaroTest7' /d COM7 /f \
  >/dev/null 2>&1

echo "-- tessaro-linktest.exe --list-ports lists COM7 and COM12"
"$wine" "$linktest" --list-ports | tr -d '\r' >"$out/list-ports.txt"
for name in COM7 COM12; do
  grep -q "^$name"$'\t'"$name" "$out/list-ports.txt" ||
    { cat "$out/list-ports.txt" >&2; fail "--list-ports does not list $name"; }
done
cat "$out/list-ports.txt"

echo "-- tessaro-linktest.exe over COM12"
start_sim "$com1" sim_pid
"$wine" "$linktest" --port COM12 --seconds 2 --json "$out/com12.json" >"$out/com12.out"
jq -e '.mode == "active" and (.terminals | length) > 0
       and all(.terminals[]; .sd > 0 and .ok > 0)' "$out/com12.json" >/dev/null ||
  { cat "$out/com12.json" >&2; fail "no link test over COM12"; }
tail -n 1 "$out/com12.out"

echo "-- tessaro.exe: COM7 and COM12 in the port dialog, then a typed raw TCP port"
start_sim "$out/net-line" net_sim_pid
raw_port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$out/ser2net.yaml" <<YAML
connection: &raw
  accepter: tcp,127.0.0.1,$raw_port
  connector: serialdev,$(readlink -f "$out/net-line"),115200n81,local
YAML
ser2net -n -d -u -P "$out/ser2net.pid" -c "$out/ser2net.yaml" >"$out/ser2net.out" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
  ss -ltn | grep -q "127.0.0.1:$raw_port " && break
  sleep 0.1
done
url="tcp://127.0.0.1:$raw_port"
status=0
"$wine" "$cross/win32/tessaro.exe" --demo "$("$wine" winepath -w "$out/shots" 2>/dev/null)" \
  --demo-test-seconds 1 --trace "$("$wine" winepath -w "$out/window.trace" 2>/dev/null)" \
  --dialog comm:701=COM7 --dialog "comm:701=COM12,707=$url" \
  >"$out/window.out" 2>"$out/window.err" </dev/null || status=$?
sed -i 's/\r$//' "$out/window.out"
[ "$status" -eq 0 ] || { cat "$out/window.out" "$out/window.err" >&2; fail "exit status $status"; }
! grep -q '^box ' "$out/window.out" || { cat "$out/window.out" >&2; fail "the window showed a box"; }
tr -d '\r' <"$out/window.trace" >"$out/trace.txt"
for line in " open COM1 ok" " open $url ok" " note line settings cannot be set on a raw TCP port"; do
  grep -q -- "$line" "$out/trace.txt" || { cat "$out/trace.txt" >&2; fail "no \"$line\" in the trace"; }
done
[ -s "$out/shots/switched.bmp" ] || fail "no screenshot of the network found over $url"
echo "the window opened $url and found the network behind it"
