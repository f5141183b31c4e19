#!/usr/bin/env bash
# Puts model files through morvane-import and every folder it writes through
# morvane-check. A model must either be imported into a folder the checker
# passes without errors, or be refused with exit 1 and a reason; a crash, a
# hang (over 120 s), a sanitizer report or a folder with errors fails. The
# slowest import is named at the end, with its time.
#
#   scripts/import-sweep.sh IMPORT CHECK [MODEL...]
#
# Without MODELs it takes every file under /usr/share/assimp/models (Debian's
# assimp-testmodels), the invalid ones included, and prints the counts by
# file extension.
set -u
import=$1
check=$2
shift 2
if (($# == 0)); then
  mapfile -t models < <(find /usr/share/assimp/models -type f | sort)
else
  models=("$@")
fi
# A sanitizer report must not pass for a refusal, which also exits with 1.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}:exitcode=86
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}:halt_on_error=1:exitcode=86

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
declare -A imported refused
failures=0
slowest_ms=0 slowest=
for model in "${models[@]}"; do
  extension=${model##*.}
  extension=${extension,,}
  [[ $model == */* && ${model##*/} != *.* ]] && extension="(none)"
  rm -rf "$work/out"
  started=$(date +%s%N)
  timeout 120 "$import" "$model" "$work/out" 2>"$work/err" >/dev/null
  code=$?
  ms=$((($(date +%s%N) - started) / 1000000))
  if ((ms > slowest_ms)); then slowest_ms=$ms slowest=$model; fi
  if grep -q -e 'Sanitizer' -e 'runtime error' "$work/err"; then code=86; fi
  if ((code == 0)); then
    if ! "$check" "$work/out" >"$work/check" 2>&1; then
      echo "FAIL $model: morvane-check finds errors"; grep error "$work/check" | head -3
      failures=$((failures + 1))
      continue
    fi
    imported[$extension]=$((${imported[$extension]:-0} + 1))
  elif ((code == 1)) && [[ -s $work/err ]]; then
    refused[$extension]=$((${refused[$extension]:-0} + 1))
  else
    echo "FAIL $model: exit $code"; head -5 "$work/err"
    failures=$((failures + 1))
  fi
done

total_imported=0 total_refused=0
for e in $(printf '%s\n' "${!imported[@]}" "${!refused[@]}" | sort -u); do
  printf '%-8s imported %4d  refused %4d\n' "$e" "${imported[$e]:-0}" "${refused[$e]:-0}"
  total_imported=$((total_imported + ${imported[$e]:-0}))
  total_refused=$((total_refused + ${refused[$e]:-0}))
done
echo "total: ${#models[@]} files, $total_imported imported, $total_refused refused, $failures failed"
printf 'slowest: %d.%03d s, %s\n' $((slowest_ms / 1000)) $((slowest_ms % 1000)) "$slowest"
((failures == 0))
