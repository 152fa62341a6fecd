#!/usr/bin/env bash
# A chain's year on SQLite and on PostgreSQL (a throwaway server, or the one TOLVA_TEST_PG
# names): makes the year once per scale, then prints every ratio and the program's peak memory.
# Run by bench/run.sh --year [SCALE]; RUNS (default 3) sets the timed runs of each measurement.
set -euo pipefail
cd "$(dirname "$0")/.."
scale="${1:-1}"
cmake --build build-bench -j "$(nproc)" --target bench_year
b=build-bench/bench/bench_year
home="build-bench/year-$scale"
mkdir -p "$home"
echo "$(date -u '+%Y-%m-%d %H:%M') UTC, $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), $(uname -srm)"
if [ -z "${TOLVA_TEST_PG:-}" ]; then
  source scripts/pg-test-server.sh
  trap pg_test_stop EXIT
  pg_test_start >/dev/null
fi
status=0
for dialect in sqlite postgres; do
  # The made year is kept per scale (SQLite: the file; PostgreSQL: the server's schema).
  if [ "$dialect" = postgres ] || [ ! -s "$home/year.db" ]; then
    $b fill "$dialect" "$home" "$scale" || { status=1; continue; }
  fi
  $b run "$dialect" "$home" "${RUNS:-3}" || status=1
done
exit $status
