#!/usr/bin/env bash
# Network ports through ser2net on 127.0.0.1, against their floors:
#   1. TCP ping-pong on loopback (the TCP floor);
#   2. a plain TCP client through ser2net's raw and telnet accepters to an
#      echoing pty (the floor plus what ser2net adds);
#   3. the serial round trip straight on the pty, then over rfc2217:// and
#      tcp:// through ser2net (bench_serial_roundtrip);
#   4. the download's rate on a paced 115200-baud pty, straight and through
#      ser2net (bench_download).
# Goal: each network turnaround within 1.5 x figure 2 of its accepter; the download at 95 %
# of the line's ceiling or better.  Prints figures only.
#
#   bench/remote/run.sh BUILD_DIR [ROUNDS]
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR [ROUNDS]}
rounds=${2:-2000}
work=$(mktemp -d /tmp/tessaro-netbench-XXXXXX)
far_pid=""
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
  exec 3>&-
  [ -n "$far_pid" ] && kill "$far_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

free_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# The far end runs until its standard input closes: a fifo held open here.
mkfifo "$work/far.in"
"$build/bench/link/bench_echo_far_end" "$work/line" <"$work/far.in" >"$work/far.out" &
far_pid=$!
exec 3>"$work/far.in"
for _ in $(seq 100); do [ -L "$work/line" ] && break; sleep 0.05; done
device=$(readlink -f "$work/line")
rfc_port=$(free_port)
raw_port=$(free_port)
cat >"$work/ser2net.yaml" <<YAML
connection: &rfc2217
  accepter: telnet(rfc2217),tcp,127.0.0.1,$rfc_port
  connector: serialdev,$device,115200n81,local
connection: &raw
  accepter: tcp,127.0.0.1,$raw_port
  connector: serialdev,$device,115200n81,local
YAML
ser2net -n -d -u -P "$work/ser2net.pid" -c "$work/ser2net.yaml" >"$work/ser2net.out" 2>&1 &
server_pid=$!
for _ in $(seq 100); do ss -ltn | grep -q "127.0.0.1:$raw_port " && break; sleep 0.05; done

echo "== turnaround (16 bytes written, echoed, read back whole)"
"$build/bench/remote/bench_tcp_pingpong" "$rounds"
"$build/bench/remote/bench_tcp_pingpong" 127.0.0.1 "$raw_port" "$rounds"
"$build/bench/remote/bench_tcp_pingpong" 127.0.0.1 "$rfc_port" --telnet "$rounds"
for port in "$work/line" "rfc2217://127.0.0.1:$rfc_port" "tcp://127.0.0.1:$raw_port"; do
  printf '%s: ' "$port"
  "$build/bench/link/bench_serial_roundtrip" "$port" "$rounds" | paste -sd ';'
done

echo "== the download"
[ "${TESSARO_NETBENCH_DOWNLOAD:-1}" = 0 ] || "$build/bench/download/bench_download" | grep -v "whole-file check"
