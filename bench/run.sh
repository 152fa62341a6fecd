#!/usr/bin/env bash
# Builds the benchmarks in an optimised build of their own and runs them on SQLite and on a
# throwaway PostgreSQL server (or the one TOLVA_TEST_PG names). The card wait and the start-up
# run in real windows under a private Xvfb when there is one, else offscreen.
#
#   bash bench/run.sh                 the benchmarks above
#   bash bench/run.sh --year [SCALE]  a chain's year (bench_year) on both dialects, made once in
#                                     build-bench/year (SCALE 1: 1,000,000 cards; about 8 GB)
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_BENCH=ON >/dev/null
if [ "${1:-}" = "--year" ]; then
  exec bash bench/year.sh "${2:-1}"
fi
cmake --build build-bench -j "$(nproc)" --target bench_issue bench_cardwait bench_startup bench_qrycard bench_import bench_reports bench_copy

echo "$(date -u '+%Y-%m-%d %H:%M') UTC, $(nproc) cores, $(uname -srm)"
status=0
b=build-bench/bench
if command -v Xvfb >/dev/null; then
  Xvfb :93 -screen 0 1600x1000x24 >/dev/null 2>&1 &
  xvfb=$!
  sleep 1
  DISPLAY=:93 $b/bench_cardwait 10 || status=1
  DISPLAY=:93 $b/bench_startup || status=1
  kill $xvfb
else
  $b/bench_cardwait 10 || status=1
  $b/bench_startup || status=1
fi
for bench in bench_issue bench_qrycard bench_import bench_reports; do
  $b/$bench sqlite || status=1
done
if [ -z "${TOLVA_TEST_PG:-}" ]; then
  source scripts/pg-test-server.sh
  trap pg_test_stop EXIT
  pg_test_start >/dev/null
fi
for bench in bench_issue bench_qrycard bench_import bench_reports; do
  $b/$bench postgres || status=1
done
$b/bench_copy || status=1
exit $status
