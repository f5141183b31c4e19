#!/usr/bin/env bash
# Counts the lines of test code against the lines of product code: C++,
# shell, Python and CMake files that git tracks, neither blank nor comments
# (// and # comments on lines of their own; shebangs and #include count).
#
# usage: scripts/count-lines.sh
set -euo pipefail
cd "$(dirname "$0")/.."

count() {
  git ls-files -- "$@" | grep -E '(\.(cpp|h|sh|py)|CMakeLists\.txt)$' | while read -r file; do
    cat "$file"
    echo
  done | grep -cvE '^\s*($|//|#( |$)|#[^!a-z])' || true
}
tests=$(count tests)
product=$(count app loading store objects compiler scene textures check offscreen models tools packaging)
echo "tests: $tests lines"
echo "product: $product lines (app, loading, store, objects, compiler, scene, textures, check, offscreen, models, tools, packaging)"
echo "ratio: $((100 * tests / product))%"
