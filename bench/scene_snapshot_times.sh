#!/usr/bin/env bash
# Times morvane-snapshot on a generated scene of 1,000 entries (1,000 objects,
# the generator's three bitmaps) for 1 and for 1,000 frames, with hyperfine.
#
#   bench/scene_snapshot_times.sh [BUILD_DIR]   (default: build, with benchmarks on)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
cmake --build "$build" --target generate_scene morvane-snapshot >/dev/null

scene=$(mktemp -d)
trap 'rm -rf "$scene"' EXIT
"$build/bench/generate_scene" --objects 1000 --entries 1000 "$scene/folder" >/dev/null
snapshot="$PWD/$build/tools/morvane-snapshot"
hyperfine --warmup 2 --runs "${RUNS:-10}" -N \
  --export-markdown "$scene/times.md" \
  "$snapshot --output $scene/one.png $scene/folder" \
  "$snapshot --frames 1000 --output $scene/thousand.png $scene/folder"
cat "$scene/times.md"
