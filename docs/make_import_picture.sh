#!/usr/bin/env bash
# Makes docs/import.png, the README's picture of imported models: three
# models imported without light (--flat, top row) and with it (bottom row),
# put side by side into one scene folder and drawn by morvane-snapshot. The
# models are the ringed planet of examples/planet (OBJ with MTL, written by
# examples/make_planet.sh), and two of Debian's assimp-testmodels: a textured
# Collada duck and an untextured STL spider.
#
#   docs/make_import_picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
testmodels=/usr/share/assimp/models
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
models=("$PWD/examples/planet/planet.obj" "$testmodels/Collada/duck.dae" "$testmodels/STL/Spider_ascii.stl")

# Each import goes into the combined folder with its bitmaps renamed, its
# texture numbers moved past those before it, its objects renamed m<K>_<N>,
# and its entries scaled down to a cell of a 3 x 2 grid.
all=$work/all
mkdir "$all"
: >"$all/textures.txt" && : >"$all/objects.txt"
printf 'begin;\nscene=main;\n' >"$all/scene.txt"
k=0
for row in 0 1; do
  flat=--flat y=5.6
  ((row == 0)) || flat="" y=-5.6
  for column in 0 1 2; do
    k=$((k + 1))
    "$build/tools/morvane-import" $flat "${models[column]}" "$work/m$k" 2>/dev/null
    offset=$(wc -l <"$all/textures.txt")
    while read -r bitmap; do
      cp "$work/m$k/$bitmap" "$all/m${k}_$bitmap"
      echo "m${k}_$bitmap" >>"$all/textures.txt"
    done <"$work/m$k/textures.txt"
    awk -v offset="$offset" -v k="$k" -v x=$((column * 10 - 10)) -v y="$y" -v scene="$all/scene.txt" '
      /^name=/ {
        name = "m" k "_" ++n; print "name=" name ";"
        printf "list=%s;\ntranslate=(%s,%s,-27.5);\nrotate=(0,0,0);\nscale=(0.42,0.42,0.42);\nshow=(1);\nendlist;\n", name, x, y >>scene
        next
      }
      /^textur=\(/ { split(substr($0, 9), v, ","); print "textur=(" v[1] + offset "," v[2] "," v[3]; next }
      { print }' "$work/m$k/objects.txt" >>"$all/objects.txt"
  done
done
printf 'endscene;\nend;\n' >>"$all/scene.txt"
"$build/tools/morvane-check" "$all" >/dev/null
"$build/tools/morvane-snapshot" --output "$PWD/docs/import.png" "$all" >/dev/null
ls -l docs/import.png
