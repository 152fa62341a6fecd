#!/usr/bin/env bash
# Builds the benchmarks in an optimised build of their own and runs them on SQLite and on a
# throwaway PostgreSQL server (or the one TOLVA_TEST_PG names).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_BENCH=ON >/dev/null
cmake --build build-bench -j "$(nproc)" --target bench_qrycard bench_import bench_reports

status=0
build-bench/bench/bench_qrycard sqlite || status=1
build-bench/bench/bench_import sqlite || status=1
build-bench/bench/bench_reports sqlite || status=1
if [ -z "${TOLVA_TEST_PG:-}" ]; then
  source scripts/pg-test-server.sh
  trap pg_test_stop EXIT
  pg_test_start >/dev/null
fi
build-bench/bench/bench_qrycard postgres || status=1
build-bench/bench/bench_import postgres || status=1
build-bench/bench/bench_reports postgres || status=1
exit $status
