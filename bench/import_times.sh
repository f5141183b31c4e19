#!/usr/bin/env bash
# Imports a 100,000-triangle model with morvane-import and starts the viewer
# on the folder it writes (morvane-snapshot, one frame), and prints the wall
# time and peak memory of each step, the median of RUNS runs (default 5):
# lit, as the importer writes by default, and unlit (--flat); then the
# thumbnail a file manager asks for (morvane-snapshot --thumbnail 256), which
# reads and draws the model in one go.
# The model is a textured sphere written here as OBJ: 250 slices by 200
# stacks, two triangles per cell, with the demo's checker bitmap as texture.
#
#   bench/import_times.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-5}
cmake --build "$build" --target morvane-import morvane-snapshot >/dev/null
import=$PWD/$build/tools/morvane-import
snapshot=$PWD/$build/tools/morvane-snapshot

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/demo/checker.bmp "$work/checker.bmp"
printf 'newmtl checker\nKd 1 1 1\nmap_Kd checker.bmp\n' >"$work/sphere.mtl"
awk -v slices=250 -v stacks=200 'BEGIN {
  pi = atan2(0, -1)
  print "mtllib sphere.mtl"
  for (i = 0; i <= stacks; i++) for (j = 0; j <= slices; j++) {
    a = pi * i / stacks; b = 2 * pi * j / slices
    printf "v %.6f %.6f %.6f\nvt %.6f %.6f\n", sin(a) * cos(b), cos(a), sin(a) * sin(b), j / slices, 1 - i / stacks
  }
  print "usemtl checker"
  for (i = 0; i < stacks; i++) for (j = 0; j < slices; j++) {
    p = i * (slices + 1) + j + 1; q = p + slices + 1
    printf "f %d/%d %d/%d %d/%d\nf %d/%d %d/%d %d/%d\n", p, p, q, q, q + 1, q + 1, p, p, q + 1, q + 1, p + 1, p + 1
  }
}' >"$work/sphere.obj"

# median of the numbers in file $1 (one per line)
median_of() {
  sort -n "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}
# Runs "$@" $runs times; prints the median wall seconds and peak resident MB.
measure() {
  : >"$work/wall"
  : >"$work/rss"
  for _ in $(seq "$runs"); do
    /usr/bin/time -o "$work/time" -f '%e %M' "$@" >/dev/null 2>"$work/stderr"
    read -r wall rss <"$work/time"
    echo "$wall" >>"$work/wall"
    echo "$rss" >>"$work/rss"
  done
  printf '%8.2f s %8.1f MB' "$(median_of "$work/wall")" "$(echo "$(median_of "$work/rss") / 1024" | bc -l)"
}

echo "model: $(grep -c '^f ' "$work/sphere.obj") triangles, $(du -h "$work/sphere.obj" | cut -f1) of OBJ"
for flat in "" --flat; do
  folder=$work/sphere$flat
  printf 'import %-6s   %s\n' "$flat" "$(measure "$import" --force $flat "$work/sphere.obj" "$folder")"
  cat "$work/stderr"
  echo "objects.txt: $(wc -l <"$folder/objects.txt") lines, $(du -h "$folder/objects.txt" | cut -f1)"
  printf 'start-up %-6s %s\n' "$flat" "$(measure "$snapshot" --output "$work/sphere.png" "$folder")"
done
printf 'thumbnail 256    %s\n' "$(measure "$snapshot" --thumbnail 256 "$work/sphere.obj" "$work/thumbnail.png")"
