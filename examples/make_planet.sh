#!/usr/bin/env bash
# Writes examples/planet/, the model of the README's import example: a ringed
# planet with a moon as OBJ with MTL (the demo's striped bitmap as the
# planet's texture, plain colours for the ring and the moon).
#
#   examples/make_planet.sh
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p planet
cp demo/stripes.bmp planet/
printf 'newmtl planet\nmap_Kd stripes.bmp\nnewmtl ring\nKd 0.9 0.75 0.35\nnewmtl moon\nKd 0.55 0.6 0.7\n' \
  >planet/planet.mtl
awk '
# A sphere of radius r at (cx, cy, cz) of s slices and s / 2 stacks.
function sphere(r, cx, cy, cz, s, m,    i, j, a, b, p, q, base, t) {
    base = n; t = s / 2; print "o " m; print "usemtl " m
    for (i = 0; i <= t; i++) for (j = 0; j <= s; j++) {
      a = pi * i / t; b = 2 * pi * j / s; n++
      printf "v %.4f %.4f %.4f\nvt %.4f %.4f\n", cx + r * sin(a) * cos(b), cy + r * cos(a), cz + r * sin(a) * sin(b), j / s, 1 - i / t
    }
    for (i = 0; i < t; i++) for (j = 0; j < s; j++) {
      p = base + i * (s + 1) + j + 1; q = p + s + 1
      printf "f %d/%d %d/%d %d/%d %d/%d\n", p, p, q, q, q + 1, q + 1, p + 1, p + 1
    }
}
BEGIN {
  pi = atan2(0, -1); n = 0; tilt = 0.45; print "mtllib planet.mtl"
  sphere(1, 0, 0, 0, 48, "planet")
  # A flat ring from 1.4 to 2.2, tipped towards the camera.
  base = n; print "o ring"; print "usemtl ring"
  for (j = 0; j <= 96; j++) for (k = 0; k < 2; k++) {
    b = 2 * pi * j / 96; r = k ? 2.2 : 1.4; x = r * cos(b); z = r * sin(b); n++
    printf "v %.4f %.4f %.4f\nvt 0 0\n", x, z * sin(tilt), z * cos(tilt)
  }
  for (j = 0; j < 96; j++) { p = base + 2 * j + 1; printf "f %d/%d %d/%d %d/%d %d/%d\n", p, p, p + 1, p + 1, p + 3, p + 3, p + 2, p + 2 }
  sphere(0.25, 2.2, 1.2, 0.9, 16, "moon")
}' >planet/planet.obj
