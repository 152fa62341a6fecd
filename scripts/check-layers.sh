#!/usr/bin/env bash
# Fails when a source file includes a header from a layer it may not use. Each folder under
# src/ is a layer; a layer may include only the layers listed for it below (and itself).
# The layers below the windows may not show message boxes either.
# scripts/layers-pending.txt lists the includes still waiting to be moved to their layer; an
# entry that is no longer needed fails too, so the list can only shrink.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
  [core]="core"
  [db]="core db"
  [ledger]="core db ledger"
  [device]="core device"
  [operations]="core db ledger device operations"
  [ui]="core ui"
  [windows]="core ui operations device windows"
  [app]="core db ledger device operations ui windows app"
)

pending_file=scripts/layers-pending.txt
declare -A pending=()
if [[ -f $pending_file ]]; then
  while read -r file header; do
    [[ -z $file || $file == \#* ]] && continue
    pending["$file $header"]=1
  done < "$pending_file"
fi

failed=0
declare -A used=()
while IFS= read -r file; do
  layer=${file#src/}
  layer=${layer%%/*}
  [[ -n ${allowed[$layer]+x} ]] || { echo "$file: not in a layer folder"; failed=1; continue; }
  while IFS= read -r header; do
    target=${header%%/*}
    [[ -n ${allowed[$target]+x} ]] || continue   # not one of ours (e.g. a header beside it)
    if [[ " ${allowed[$layer]} " == *" $target "* ]]; then continue; fi
    if [[ -n ${pending["$file $header"]+x} ]]; then used["$file $header"]=1; continue; fi
    echo "$file: the $layer layer may not include $header"
    failed=1
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find src -mindepth 2 \( -name '*.h' -o -name '*.cpp' \) | sort)

for entry in "${!pending[@]}"; do
  [[ -n ${used[$entry]+x} ]] && continue
  echo "$pending_file: '$entry' is no longer needed; remove it"
  failed=1
done

# Below the windows nothing shows a box: those layers log the error and answer failure, and the
# window (or start-up) shows it. The report functions themselves live in core/ErrorReport.
while IFS= read -r hit; do
  echo "$hit: only windows, shared widgets and start-up show boxes"
  failed=1
done < <(grep -nE '\b(ReportError|ShowErrorReport)\(|Dialogs\(\)\.messageBox\(' \
           src/core src/db src/ledger src/device src/operations -r --include='*.cpp' --include='*.h' \
         | grep -v '^src/core/ErrorReport\.' | cut -d: -f1,2)

# A seam header (core/ClockSeam.h) declares a setter for tests only: in the program (and its
# simulator and fuzz targets) only the file that defines it (core/Clock.cpp) includes it; the
# tests and the benchmarks, which measure with the same hooks, may.
while IFS= read -r file; do
  while IFS= read -r header; do
    [[ $header == *Seam.h ]] || continue
    [[ $file == "src/${header%Seam.h}.cpp" ]] && continue
    echo "$file: $header is for tests only"
    failed=1
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find src tools fuzz \( -name '*.h' -o -name '*.cpp' \) | sort)

if ((failed)); then echo "check-layers: failed"; exit 1; fi
echo "check-layers: every include keeps to its layer"
