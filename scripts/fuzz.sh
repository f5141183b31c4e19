#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for a bounded time.
# Usage: scripts/fuzz.sh [SECONDS_PER_HARNESS] [HARNESS...]
# Exits non-zero on the first finding; the crashing input is left in
# build-fuzz/findings/. Corpora grow in build-fuzz/corpus/NAME.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:suppressions=$PWD/tests/asan.supp
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON -DMORVANE_WERROR=ON \
  -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-fuzz -j "$(nproc)" >/dev/null

harnesses=("$@")
if ((${#harnesses[@]} == 0)); then
  mapfile -t harnesses < <(cd build-fuzz/fuzz && ls -- *_fuzzer)
fi
mkdir -p build-fuzz/findings
for name in "${harnesses[@]}"; do
  reader=${name%_fuzzer}
  corpus=$root/build-fuzz/corpus/$name
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
        -artifact_prefix="$root/build-fuzz/findings/$name-" -print_final_stats=1)
  [[ -f fuzz/$reader.dict ]] && args+=(-dict="$root/fuzz/$reader.dict")
  echo "== fuzzing $name for ${seconds}s =="
  if ! build-fuzz/fuzz/"$name" "${args[@]}" "${inputs[@]}" 2>build-fuzz/"$name".log; then
    tail -n 60 build-fuzz/"$name".log
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|peak_rss_mb)' build-fuzz/"$name".log || true
done
