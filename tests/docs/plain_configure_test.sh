#!/usr/bin/env bash
# The README's plain configure works on a machine without GoogleTest and
# Google Benchmark (their packages disabled here): it sets up the four programs
# and leaves the tests and benchmarks out, while MORVANE_TESTS=ON, as CI asks,
# fails without them.
set -u
source_dir=$1
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
without=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
if ! cmake -S "$source_dir" -B "$build" -G Ninja "${without[@]}" >"$build/log" 2>&1; then
  cat "$build/log"
  echo "a plain configure fails without the test libraries"
  exit 1
fi
targets=$(ninja -C "$build" -t targets all | cut -d: -f1)
for program in morvane morvane-snapshot morvane-check morvane-import; do
  grep -qx "$program" <<<"$targets" || { echo "a plain configure does not build $program"; exit 1; }
done
if grep -qx -e viewer_tests -e object_read_bench <<<"$targets"; then
  echo "tests or benchmarks are built without their libraries"
  exit 1
fi
if cmake -S "$source_dir" -B "$build" -DMORVANE_TESTS=ON >/dev/null 2>&1; then
  echo "MORVANE_TESTS=ON does not fail without the test libraries"
  exit 1
fi
