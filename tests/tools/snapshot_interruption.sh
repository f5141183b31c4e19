#!/usr/bin/env bash
# morvane-snapshot interrupted and watched from outside, as a shell or a build
# script sees it:
# - SIGINT or SIGTERM while a large scene loads or draws ends the program at
#   once with 128 + the signal, leaves no temporary file, writes no picture,
#   and leaves ogllist.txt either the earlier one or complete;
# - standard output and standard error into one file interleave the same way
#   on every run: the bitmap loader's messages before the parse log.
#
# usage: snapshot_interruption.sh MORVANE_SNAPSHOT SCENE_FOLDER
set -euo pipefail

snapshot=$(realpath "$1")
scene=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
pass() {
  echo "ok: $*"
  passed=$((passed + 1))
}

# A scene whose start-up takes a while: one object of 300,000 vertices.
large=$work/large
mkdir "$large"
cp -r "$scene"/. "$large"/
awk 'BEGIN {
  print "name=big;"; print "textur=(0,1,1);"; print "type=gl_triangles;"
  for (k = 0; k < 300000; ++k) { printf "t=(0.5,0.5);\np=(%d.25,0,-9);\n", k % 1000 }
  print "endlist;"
}' >"$large/objects.txt"
printf 'begin;\nscene=main;\nlist=big;\ntranslate=(0,0,0);\nscale=(1,1,1);\nendlist;\nendscene;\nend;\n' \
  >"$large/scene.txt"

for signal in INT TERM; do
  printf 'an earlier transcript\n' >"$large/ogllist.txt"
  # Frames enough that the signal always finds it at work, however fast
  # the machine loads the scene.
  (cd "$work" && exec "$snapshot" --frames 100000 --output "$work/picture.png" "$large" >/dev/null 2>&1) &
  pid=$!
  sleep 0.3
  sent=$(date +%s%N)
  kill "-$signal" "$pid"
  status=0
  wait "$pid" || status=$?
  took=$((($(date +%s%N) - sent) / 1000000))
  expected=$((128 + $(kill -l "$signal")))
  ((status == expected)) || fail "SIG$signal while loading: exit code $status, not $expected"
  ((took < 3000)) || fail "SIG$signal while loading: the program ended $took ms later"
  [[ ! -e $work/picture.png ]] || fail "SIG$signal while loading: a picture was written"
  [[ $(cat "$large/ogllist.txt") == "an earlier transcript" ||
    $(tail -n 2 "$large/ogllist.txt" | od -An -c | tr -d ' \n') == 'glEndList();\n\n' ]] ||
    fail "SIG$signal while loading: ogllist.txt is neither the earlier one nor complete"
  leftovers=$(find "$large" -name '.*' | wc -l)
  ((leftovers == 0)) || fail "SIG$signal while loading: $leftovers temporary files left"
  pass "SIG$signal while loading: exit code $status after $took ms, nothing written"
done

# The order of a missing bitmap's message and the parse log, run after run.
order=$work/order
mkdir "$order"
cp -r "$scene"/. "$order"/
printf 'missing.bmp\n' >>"$order/textures.txt"
for run in 1 2 3 4; do
  (cd "$work" && "$snapshot" --frames 1 "$order" >"$work/both-$run.txt" 2>&1) ||
    fail "the run with a missing bitmap failed"
  cmp -s "$work/both-1.txt" "$work/both-$run.txt" ||
    fail "run $run interleaves standard output and standard error differently from run 1"
done
[[ $(head -n1 "$work/both-1.txt") == "morvane-snapshot: textures.txt:$(wc -l <"$order/textures.txt"): 'missing.bmp' not loaded: Failed to open DIB file missing.bmp." ]] ||
  fail "the bitmap's message does not come before the parse log"
pass "standard output and standard error interleave the same way in every run"

echo "$passed passed, 0 failed"
