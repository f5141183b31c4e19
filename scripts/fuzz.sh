#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a bounded time.
# Usage: [SANITIZERS=thread] scripts/fuzz.sh [SECONDS_PER_HARNESS] [HARNESS...]
# Exits non-zero on the first finding; the crashing input is left in
# build-fuzz/findings/. Corpora grow in build-fuzz/corpus/NAME.
# SANITIZERS (default address,undefined) chooses what the harnesses are built
# with; any other choice builds in build-fuzz-SANITIZERS. With "thread" the
# objects harness runs the reading thread beside the compile walk under
# ThreadSanitizer, and any report of a race ends the run as a finding.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true

sanitizers=${SANITIZERS:-address,undefined}
build="build-fuzz"
[[ $sanitizers == address,undefined ]] || build=build-fuzz-${sanitizers//,/-}

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:suppressions=$PWD/tests/asan.supp
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/fuzz/tsan.supp
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON -DMORVANE_FUZZ_SANITIZERS="$sanitizers" \
  -DMORVANE_WERROR=ON -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null

harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  cmake --build "$build" -j "$(nproc)" >/dev/null
  mapfile -t harnesses < <(cd "$build"/fuzz && ls -- *_fuzzer)
else
  cmake --build "$build" -j "$(nproc)" --target "${harnesses[@]}" >/dev/null
fi
mkdir -p "$build"/findings
for name in "${harnesses[@]}"; do
  reader=${name%_fuzzer}
  corpus=$root/$build/corpus/$name
  mkdir -p "$corpus"
  # New inputs go to the first folder; the seeds and, for bitmaps, the bitmap
  # suite beside the repository only feed it.
  inputs=("$corpus")
  [[ -d fuzz/seeds/$reader ]] && inputs+=("$root/fuzz/seeds/$reader")
  [[ -d fuzz/regressions/$reader ]] && inputs+=("$root/fuzz/regressions/$reader")
  # The test case folders' input files seed the reader of the same name.
  mkdir -p "$corpus-cases" && inputs+=("$corpus-cases")
  for f in tests/cases/*/*/"$reader".txt; do if [[ -f $f ]]; then cp "$f" "$corpus-cases/${f//\//-}"; fi; done
  if [[ $reader == bitmap && -d ../shared/testdata/bmpsuite ]]; then
    suite=$(cd ../shared/testdata/bmpsuite && pwd)
    inputs+=("$suite/good" "$suite/questionable" "$suite/bad")
  fi
  args=(-max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096
        -artifact_prefix="$root/$build/findings/$name-" -print_final_stats=1)
  [[ -f fuzz/$reader.dict ]] && args+=(-dict="$root/fuzz/$reader.dict")
  echo "== fuzzing $name for ${seconds}s =="
  if ! "$build"/fuzz/"$name" "${args[@]}" "${inputs[@]}" 2>"$build"/"$name".log; then
    tail -n 60 "$build"/"$name".log
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$build"/"$name".log || true
done
