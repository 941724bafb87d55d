#!/usr/bin/env bash
# The metrics' acceptance run: tessaro-linktest --seconds 0 --reconnect
# --metrics for 60 s (or $1) against the simulator with loss, "@NG" reports,
# silent loss and one line drop, then stopped with SIGTERM; its series
# compared terminal by terminal with what the simulator did, checked by
# promtool, served by node exporter's textfile collector and queried from a
# Prometheus server (both started on 127.0.0.1, free ports, stopped by pid);
# the alerting rules checked; and the cost figures at 99 terminals.
#
#   bench/metrics/run.sh [SECONDS] [BUILD_DIR]   (defaults: 60, build)
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-60}
build=${2:-$root/build}
cd "$root"

for program in promtool prometheus prometheus-node-exporter; do
  command -v "$program" >/dev/null ||
    { echo "run.sh: $program is not installed (scripts/install-deps.sh)" >&2; exit 2; }
done
cmake --build "$build" --target metrics_e2e_tests tessaro-linktest bench_metrics >/dev/null

echo "== $(promtool --version 2>&1 | head -n 1)"
echo "== $(prometheus-node-exporter --version 2>&1 | head -n 1)"
echo "== the link test: $seconds s, loss 3 %, @NG 1 %, silent loss 0.2 %, one line drop"
TESSARO_METRICS_RUN_SECONDS=$seconds "$build/tests/metrics/metrics_e2e_tests" \
  --gtest_filter='MetricsToolTest.*' --gtest_color=no | grep -v '^Running main'

echo "== the alerting rules"
(cd docs && promtool check rules metrics-alerts.yml && promtool test rules metrics-alerts.test.yml)

echo "== the cost at 99 terminals"
"$build/bench/metrics/bench_metrics" --benchmark_color=false 2>&1 | grep -E '^(BM_|Benchmark|---)'
