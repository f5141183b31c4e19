#!/usr/bin/env bash
# Installs what is missing, checks the format and the scripts, builds Morvane
# twice (a Release build and one with AddressSanitizer and
# UndefinedBehaviorSanitizer, both with warnings as errors), fuzzes every
# reader for a bounded time (MORVANE_FUZZ_SECONDS, default 60 per reader) and
# runs every test in both builds, then the threaded tests in a build with
# ThreadSanitizer and the Debian package's check. Every part runs even when one before it
# failed (only a build's own tests are skipped when it cannot be built), and
# the end names every part that failed.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

# Without the packages no part can run.
./scripts/install-deps.sh --tests || exit 1

failed=()
parts=0
# part NAME COMMAND...: runs one part under its heading; a failure is noted
# and the next part runs.
part() {
  local name=$1
  shift
  parts=$((parts + 1))
  echo "== $name =="
  "$@" || failed+=("$name")
}

jobs=$(nproc)
export CTEST_OUTPUT_ON_FAILURE=1
# GCC 12's sanitizer runtime follows __tls_get_addr to scan the dynamic TLS
# of libraries loaded at run time (Mesa's driver) for leaks, and on Debian
# 12's C library its leak check then crashes at exit for some layouts of
# memory (a program ending with "Tracer caught signal 11"). Mesa's
# allocations are not ours to check, so that scan is left off.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0:suppressions=$PWD/tests/asan.supp
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

check_format() {
  local sources
  mapfile -t sources < <(git ls-files '*.cpp' '*.h')
  clang-format --dry-run --Werror "${sources[@]}"
}
check_scripts() {
  local scripts
  mapfile -t scripts < <(git ls-files '*.sh' '*.bash')
  shellcheck -x -S warning "${scripts[@]}"
}
# build DIR CMAKE_OPTIONS...: configures and builds DIR with its tests.
# MORVANE_TESTS=ON makes a missing test library fail here rather than leave
# the tests out.
build() {
  local dir=$1
  shift
  cmake -S . -B "$dir" -G Ninja -DMORVANE_WERROR=ON -DMORVANE_TESTS=ON -DMORVANE_BUILD_TESTS=ON \
    "$@" >/dev/null &&
    cmake --build "$dir" -j "$jobs"
}
# tests DIR TIMEOUT [CTEST_OPTIONS...]: the tests of DIR, unless DIR could not be built.
tests() {
  if [[ " ${failed[*]} " == *" build $1 "* ]]; then
    echo "not run: the build in $1 failed"
    return 1
  fi
  local dir=$1 timeout=$2
  shift 2
  ctest --test-dir "$dir" -j "$jobs" --timeout "$timeout" "$@"
}
# The tests whose code runs on more than one thread: the loading channel, the
# reading and compiling of objects.txt, the texture table, the fuzzers'
# replay, the viewer's start-up and reloads, the snapshot program with the
# start-up cases, and the model reader's process started from many threads.
threaded_targets=(channel_test compiler_tests texture_table_tests fuzz_replay_tests
  viewer_tests snapshot_tests morvane-snapshot models_tests)
build_threaded() {
  cmake -S . -B build-tsan -G Ninja -DMORVANE_WERROR=ON -DMORVANE_TESTS=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_SANITIZE_THREAD=ON -DMORVANE_BUILD_BENCH=OFF \
    >/dev/null && cmake --build build-tsan -j "${1:-$jobs}" --target "${threaded_targets[@]}"
}
# The fuzzers run one at a time on one core: the ThreadSanitizer build takes
# the other meanwhile, its output kept for its own part.
build_threaded_beside() {
  build_threaded 1 >build-tsan.log 2>&1 &
  threaded_build=$!
}
wait_threaded() {
  local status=0
  wait "$threaded_build" || status=$?
  cat build-tsan.log
  return "$status"
}
threaded_tests() {
  if [[ " ${failed[*]} " == *" build build-tsan "* ]]; then
    echo "not run: the build in build-tsan failed"
    return 1
  fi
  TSAN_OPTIONS="suppressions=$PWD/tests/tsan.supp:halt_on_error=1" \
    ctest --test-dir build-tsan -j "$jobs" --timeout 600 \
    -R '^(Channel|DisplayListCompiler|TextureTable|FuzzReplay|ViewerTest|WindowProcedureTest|SnapshotProgram|ReaderProcess)\.|^StartupCases$'
}

part "format" check_format
part "scripts" check_scripts
# A packager builds Release: the optimiser's warnings must hold there too.
part "build build" build build -DCMAKE_BUILD_TYPE=Release -DMORVANE_BUILD_BENCH=ON
part "build build-asan" build build-asan -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON \
  -DMORVANE_BUILD_BENCH=OFF
# Every reader meets hostile input for a bounded time; any finding fails the run.
build_threaded_beside
part "fuzzing (${MORVANE_FUZZ_SECONDS:-60} s per reader)" ./scripts/fuzz.sh "${MORVANE_FUZZ_SECONDS:-60}"
part "build build-tsan" wait_threaded
part "tests (normal build)" tests build 300 --label-exclude package
part "tests (sanitizer build)" tests build-asan 600 --label-exclude package
part "threaded tests (ThreadSanitizer build)" threaded_tests
# The Debian package is built from scratch in a folder of its own and checked
# once: the longest single test, run on its own.
part "Debian package" tests build 600 --label-regex package

if ((${#failed[@]})); then
  echo "== FAILED: ${#failed[@]} of $parts parts =="
  printf '  %s\n' "${failed[@]}"
  exit 1
fi
echo "== All $parts parts passed =="
