#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) in build-fuzz and runs
# each one in turn, starting from its seed corpus in fuzz/corpus/.
#
#   scripts/fuzz.sh [SECONDS]   fuzz every target SECONDS long (default 60); prints the runs
#                               and crashes per target; fails when any target crashed
#   scripts/fuzz.sh --smoke     the seed corpus and 3 seconds per target (./test runs this)
#
# The corpus a run grows stays in build-fuzz/corpus/; a crashing input is kept in
# build-fuzz/artifacts/<target>/ (replay it with build-fuzz/fuzz/fuzz_<target> FILE).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=60
smoke=0
case "${1:-}" in
  --smoke) seconds=3; smoke=1 ;;
  "") ;;
  *[!0-9]*) echo "usage: $0 [SECONDS | --smoke]" >&2; exit 2 ;;
  *) seconds=$1 ;;
esac

targets=(store_file connection_string ini stripe_record dates money card_message)

bash scripts/deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVA_FUZZ=ON \
  "${launcher[@]}" >/dev/null
cmake --build build-fuzz --target fuzz_targets -j "$(nproc)"

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=0
printf '%-18s %8s %12s %8s\n' target seconds runs crashes
for t in "${targets[@]}"; do
  work=build-fuzz/corpus/$t
  artifacts=build-fuzz/artifacts/$t
  # The smoke run starts from the seeds alone and leaves a grown corpus alone.
  if ((smoke)); then
    work=build-fuzz/smoke/corpus/$t
    artifacts=build-fuzz/smoke/artifacts/$t
    rm -rf "$work"
  fi
  mkdir -p "$work" "$artifacts"
  log=$artifacts.log
  kept=$(find "$artifacts" -type f | wc -l)
  rc=0
  "build-fuzz/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout=10 -artifact_prefix="$artifacts/" \
    "$work" "fuzz/corpus/$t" >"$log" 2>&1 || rc=$?
  runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log" | tail -n 1)
  crashes=$(($(find "$artifacts" -type f | wc -l) - kept))
  ((rc != 0 && crashes == 0)) && crashes=1
  printf '%-18s %8s %12s %8s\n' "$t" "$seconds" "${runs:-?}" "$crashes"
  if ((rc != 0)); then
    failed=1
    echo "--- fuzz_$t failed (exit $rc); its log: $log" >&2
    grep -E 'property failed|ERROR|runtime error|Test unit written' "$log" >&2 || tail -n 20 "$log" >&2
  fi
done
exit "$failed"
