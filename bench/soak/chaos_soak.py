#!/usr/bin/env python3
"""Chaos soak of tessaro-linktest --reconnect against tessaro-basesim.

The simulator's line vanishes every 20-60 s (random) for 1-10 s and comes
back under the same link name, while tessaro-linktest --reconnect runs an
ACTIVE test with loss and delay injected.  Prints the reconnects, the gaps,
the tool's totals against the simulator's own counts (summed over its
incarnations), and the tool's memory and descriptors at the start and at the
end.

Usage: chaos_soak.py BUILD_DIR [--minutes N] [--seed N]
"""

import argparse
import json
import os
import random
import re
import signal
import subprocess
import sys
import tempfile
import time

STATS = re.compile(r"test packets (\d+), echoes (\d+)")


def start_sim(sim, link, seed):
    proc = subprocess.Popen(
        [sim, "--link", link, "--loss", "0.05", "--delay", "20-200", "--seed", str(seed)],
        stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    proc.stdout.readline()  # the pty's path
    return proc


def stop_sim(proc):
    """Asks for the counts, then ends the simulator (the line hangs up)."""
    proc.stdin.write("stats\n")
    proc.stdin.flush()
    lines = []
    while True:
        line = proc.stdout.readline()
        if not line:
            break
        lines.append(line)
        if line.startswith("recorded packets:"):
            break
    proc.stdin.write("quit\n")
    proc.stdin.flush()
    try:
        proc.wait(10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()
    text = "".join(lines)
    m = STATS.search(text)
    fates = dict(re.findall(r" (\w[\w-]*) (\d+)", text.split("recorded packets:")[-1]))
    return int(m.group(1)), int(m.group(2)), {k: int(v) for k, v in fates.items()}


def usage_of(pid):
    with open(f"/proc/{pid}/status") as f:
        rss = next(int(l.split()[1]) for l in f if l.startswith("VmRSS:"))
    fds = len(os.listdir(f"/proc/{pid}/fd"))
    return rss, fds


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build")
    ap.add_argument("--minutes", type=float, default=30)
    ap.add_argument("--seed", type=int, default=1)
    a = ap.parse_args()
    rnd = random.Random(a.seed)
    sim = os.path.join(a.build, "sim", "tessaro-basesim")
    tool = os.path.join(a.build, "linktest", "tessaro-linktest")
    work = tempfile.mkdtemp(prefix="tessaro-soak-")
    link = os.path.join(work, "line")
    seconds = int(a.minutes * 60)

    seed = a.seed
    proc = start_sim(sim, link, seed)
    result = os.path.join(work, "r.json")
    err = open(os.path.join(work, "err"), "w")
    run = subprocess.Popen(
        [tool, "--port", link, "--reconnect", "--seconds", str(seconds), "--interval", "0",
         "--json", result], stdout=subprocess.DEVNULL, stderr=err)
    time.sleep(10)  # discovery done, the test running
    start_usage = usage_of(run.pid)
    t0 = time.monotonic()
    end = t0 + seconds + 5 - 10
    sent = echoes = 0
    fates = {}
    drops = []
    while True:
        up = rnd.uniform(20, 60)
        if time.monotonic() + up + 12 > end:
            break
        time.sleep(up)
        s, e, f = stop_sim(proc)
        sent += s
        echoes += e
        for k, v in f.items():
            fates[k] = fates.get(k, 0) + v
        down = rnd.uniform(1, 10)
        drops.append(down)
        time.sleep(down)
        seed += 1
        proc = start_sim(sim, link, seed)
    time.sleep(max(0.0, end - 5 - time.monotonic()))
    end_usage = usage_of(run.pid) if run.poll() is None else (None, None)
    status = run.wait(seconds + 120)
    # The tool closed the line first: its last packets have all been answered.
    s, e, f = stop_sim(proc)
    sent += s
    echoes += e
    for k, v in f.items():
        fates[k] = fates.get(k, 0) + v
    err.close()

    r = json.load(open(result))
    t = r["totals"]
    gaps = r.get("gaps", [])
    print(f"soak: {a.minutes:g} min, seed {a.seed}, exit status {status}")
    print(f"line drops: {len(drops)} (down {min(drops, default=0):.1f}-{max(drops, default=0):.1f} s), "
          f"reconnects by the tool: {sum(1 for g in gaps if g['back_after_s'] is not None)}")
    widths = [g["back_after_s"] - g["lost_after_s"] for g in gaps if g["back_after_s"] is not None]
    if widths:
        print(f"gaps seen by the tool: {min(widths):.2f} .. {max(widths):.2f} s, "
              f"mean {sum(widths) / len(widths):.2f} s")
    unsettled = t["sent"] - t["good"] - t["lost"]
    print(f"tool:      sent {t['sent']}, good {t['good']}, lost {t['lost']}, "
          f"out at a drop (neither) {unsettled}")
    echoed = fates.get("echoed", 0)
    print(f"simulator: test packets {sent}, echoes sent {echoes}, fates {fates}")
    print(f"sent - simulator's packets = {t['sent'] - sent}; good - simulator's echoes = "
          f"{t['good'] - echoes}; lost + unsettled - simulator's lost fates = "
          f"{t['lost'] + unsettled - (sent - echoed)}")
    print(f"tool memory (RSS kB) start {start_usage[0]}, end {end_usage[0]}; "
          f"descriptors start {start_usage[1]}, end {end_usage[1]}")


if __name__ == "__main__":
    sys.exit(main())
