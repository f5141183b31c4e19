#!/usr/bin/env bash
# Makes docs/import.png, the README's picture of imported models: three
# models imported without light (--flat, top row) and with it (bottom row),
# put side by side into one scene folder and drawn by morvane-snapshot. The
# models are a ringed planet written here as OBJ with MTL (a striped texture
# from the demo, two plain colours), and two of Debian's assimp-testmodels:
# a textured Collada duck and an untextured STL spider.
#
#   docs/make_import_picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
testmodels=/usr/share/assimp/models
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/demo/stripes.bmp "$work/"
printf 'newmtl planet\nmap_Kd stripes.bmp\nnewmtl ring\nKd 0.9 0.75 0.35\nnewmtl moon\nKd 0.55 0.6 0.7\n' \
  >"$work/planet.mtl"
awk '
# A sphere of radius r at (cx, cy, cz): 48 slices, 24 stacks.
function sphere(r, cx, cy, cz, m,    i, j, a, b, p, q, base) {
    base = n; print "o " m; print "usemtl " m
    for (i = 0; i <= 24; i++) for (j = 0; j <= 48; j++) {
      a = pi * i / 24; b = 2 * pi * j / 48; n++
      printf "v %f %f %f\nvt %f %f\n", cx + r * sin(a) * cos(b), cy + r * cos(a), cz + r * sin(a) * sin(b), j / 48, 1 - i / 24
    }
    for (i = 0; i < 24; i++) for (j = 0; j < 48; j++) {
      p = base + i * 49 + j + 1; q = p + 49
      printf "f %d/%d %d/%d %d/%d %d/%d\n", p, p, q, q, q + 1, q + 1, p + 1, p + 1
    }
}
BEGIN {
  pi = atan2(0, -1); n = 0; tilt = 0.45; print "mtllib planet.mtl"
  sphere(1, 0, 0, 0, "planet")
  # A flat ring from 1.4 to 2.2, tipped towards the camera.
  base = n; print "o ring"; print "usemtl ring"
  for (j = 0; j <= 96; j++) for (k = 0; k < 2; k++) {
    b = 2 * pi * j / 96; r = k ? 2.2 : 1.4; x = r * cos(b); z = r * sin(b); n++
    printf "v %f %f %f\nvt 0 0\n", x, z * sin(tilt), z * cos(tilt)
  }
  for (j = 0; j < 96; j++) { p = base + 2 * j + 1; printf "f %d/%d %d/%d %d/%d %d/%d\n", p, p, p + 1, p + 1, p + 3, p + 3, p + 2, p + 2 }
  sphere(0.25, 2.2, 1.2, 0.9, "moon")
}' >"$work/planet.obj"
models=("$work/planet.obj" "$testmodels/Collada/duck.dae" "$testmodels/STL/Spider_ascii.stl")

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
