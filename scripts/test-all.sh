#!/usr/bin/env bash
# Installs what is missing, builds Morvane twice (a Release build and one with
# AddressSanitizer and UndefinedBehaviorSanitizer, both with warnings as
# errors), fuzzes every reader for a bounded time (MORVANE_FUZZ_SECONDS,
# default 60 per reader), runs every test in both builds, then builds the
# Debian package and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh --tests

# The committed format and the scripts' soundness are checked before anything is built.
echo "== Format and script checks =="
mapfile -t sources < <(git ls-files '*.cpp' '*.h')
clang-format --dry-run --Werror "${sources[@]}"
mapfile -t scripts < <(git ls-files '*.sh' '*.bash')
shellcheck -x -S warning "${scripts[@]}"

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:suppressions=$PWD/tests/asan.supp
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

# A packager builds Release: the optimiser's warnings must hold there too.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DMORVANE_WERROR=ON \
  -DMORVANE_BUILD_TESTS=ON -DMORVANE_BUILD_BENCH=ON >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON \
  -DMORVANE_WERROR=ON -DMORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build-asan -j "$jobs"

# Every reader meets hostile input for a bounded time; any finding fails the run.
echo "== Fuzzing (${MORVANE_FUZZ_SECONDS:-60} s per reader) =="
./scripts/fuzz.sh "${MORVANE_FUZZ_SECONDS:-60}"

echo "== Tests (normal build) =="
ctest --test-dir build -j "$jobs" --timeout 300 --label-exclude package
echo "== Tests (sanitizer build) =="
ctest --test-dir build-asan -j "$jobs" --timeout 600 --label-exclude package
# The Debian package is built from scratch in a folder of its own and checked
# once: the longest single test, run on its own.
echo "== Debian package =="
ctest --test-dir build --label-regex package
