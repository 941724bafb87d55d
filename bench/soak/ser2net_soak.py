#!/usr/bin/env python3
"""Soak of tessaro-linktest --reconnect through ser2net, the server restarted.

The simulator runs the whole time on its pty; ser2net (RFC 2217 accepter, or
raw TCP with --raw) sits in front of it on 127.0.0.1 and is killed every
RESTART seconds and started again after a short pause, while the tool runs an
ACTIVE test with loss and delay injected.  Prints the tool's totals against
the simulator's own counts, the gaps the tool saw, and the tool's memory and
descriptors at the start and at the end.

Usage: ser2net_soak.py BUILD_DIR [--minutes N] [--restart S] [--down S] [--raw]
"""

import argparse
import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from chaos_soak import start_sim, stop_sim, usage_of  # noqa: E402


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listening(port):
    with open("/proc/net/tcp") as f:
        return any(f"0100007F:{port:04X}" == l.split()[1] and l.split()[3] == "0A"
                   for l in list(f)[1:])


def start_server(config, work):
    out = open(os.path.join(work, "ser2net.out"), "a")
    proc = subprocess.Popen(["ser2net", "-n", "-d", "-u", "-P", os.path.join(work, "ser2net.pid"),
                             "-c", config], stdout=out, stderr=subprocess.STDOUT)
    return proc


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--minutes", type=float, default=10)
    ap.add_argument("--restart", type=float, default=60, help="seconds between restarts")
    ap.add_argument("--down", type=float, default=2, help="seconds the server stays away")
    ap.add_argument("--raw", action="store_true", help="raw TCP instead of RFC 2217")
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    sim = os.path.join(a.build, "sim", "tessaro-basesim")
    tool = os.path.join(a.build, "tools", "tessaro-linktest")
    if not os.path.exists(tool):  # a build from before the tools' folder
        tool = os.path.join(a.build, "linktest", "tessaro-linktest")
    work = tempfile.mkdtemp(prefix="tessaro-netsoak-")
    link = os.path.join(work, "line")
    seconds = int(a.minutes * 60)

    simulator = start_sim(sim, link, a.seed)
    port = free_port()
    accepter = "tcp" if a.raw else "telnet(rfc2217),tcp"
    config = os.path.join(work, "ser2net.yaml")
    with open(config, "w") as f:
        f.write(f"connection: &line\n  accepter: {accepter},127.0.0.1,{port}\n"
                f"  connector: serialdev,{os.path.realpath(link)},115200n81,local\n")
    server = start_server(config, work)
    while not listening(port):
        time.sleep(0.05)

    url = f"{'tcp' if a.raw else 'rfc2217'}://127.0.0.1:{port}"
    result = os.path.join(work, "r.json")
    err = open(os.path.join(work, "err"), "w")
    run = subprocess.Popen(
        [tool, "--port", url, "--reconnect", "--seconds", str(seconds), "--interval", "0",
         "--json", result], stdout=subprocess.DEVNULL, stderr=err)
    time.sleep(10)  # discovery done, the test running
    start_usage = usage_of(run.pid)
    t0 = time.monotonic()
    end = t0 + seconds - 10
    restarts = 0
    while time.monotonic() + a.restart + a.down + 10 < end:
        time.sleep(a.restart)
        server.send_signal(signal.SIGKILL)
        server.wait()
        time.sleep(a.down)
        server = start_server(config, work)
        while not listening(port):
            time.sleep(0.05)
        restarts += 1
    time.sleep(max(0.0, end - 5 - time.monotonic()))
    end_usage = usage_of(run.pid) if run.poll() is None else (None, None)
    status = run.wait(seconds + 120)
    # The tool closed the line first: its last packets have all been answered.
    sent, echoes, _ = stop_sim(simulator)
    server.send_signal(signal.SIGTERM)
    server.wait()
    err.close()

    r = json.load(open(result))
    shutil.rmtree(work, ignore_errors=True)
    t = r["totals"]
    gaps = r.get("gaps", [])
    print(f"ser2net soak over {url.split(':')[0]}: {a.minutes:g} min, exit status {status}")
    print(f"server restarts: {restarts} (every {a.restart:g} s, {a.down:g} s away), "
          f"reconnects by the tool: {sum(1 for g in gaps if g['back_after_s'] is not None)}")
    widths = [g["back_after_s"] - g["lost_after_s"] for g in gaps if g["back_after_s"] is not None]
    if widths:
        print(f"gaps seen by the tool: {min(widths):.2f} .. {max(widths):.2f} s, "
              f"mean {sum(widths) / len(widths):.2f} s")
    unsettled = t["sent"] - t["good"] - t["lost"]
    print(f"tool:      sent {t['sent']}, good {t['good']}, lost {t['lost']}, "
          f"out at a drop (neither) {unsettled}")
    # The simulator keeps the fates of its latest packets only; its totals
    # are whole.  What the killed server held in its buffers reached neither
    # side: packets on their way to the base, echoes on their way back.
    to_base = t["sent"] - sent
    from_base = echoes - t["good"]
    print(f"simulator: test packets {sent}, echoes sent {echoes}, unanswered {sent - echoes}")
    print(f"taken down with the server: {to_base} packet(s) to the base, {from_base} echo(es) "
          f"from it")
    # Each terminal has one packet out at a time, so a kill can take at most
    # one packet or echo per terminal; more, or a negative count, is a fault.
    bound = len(r.get("terminals", [])) * restarts
    sound = 0 <= to_base <= bound and 0 <= from_base <= bound
    print(f"each within 0 .. {bound} (terminals x restarts): {'yes' if sound else 'NO'}")
    print(f"tool memory (RSS kB) start {start_usage[0]}, end {end_usage[0]}; "
          f"descriptors start {start_usage[1]}, end {end_usage[1]}")


if __name__ == "__main__":
    sys.exit(main())
