#!/usr/bin/env bash
# Compares, byte for byte, what two builds of morvane-snapshot give for the
# same scene folders: the parse log (standard output), standard error (message
# boxes and the start-up summary), the exit status, ogllist.txt and the PNG.
# Used to show that a change of how start-up works changes none of its outputs.
#
#   bench/compare_outputs.sh BEFORE AFTER [WORK_DIR]
#
# BEFORE and AFTER are each a morvane-snapshot program, or a folder that an
# earlier run recorded (WORK_DIR/before or WORK_DIR/after), so the outputs of
# the old build can be kept while it no longer exists. GENERATOR (default
# build/bench/generate_scene) makes the generated scenes of about 100,000 and
# 1,000,000 lines of objects.txt.
# Cases: both generated scenes, examples/demo, examples/broken, every objects
# input of fuzz/seeds and fuzz/regressions as objects.txt in a copy of the demo
# folder, and the failures: no objects.txt, objects.txt a folder, ogllist.txt a
# folder (the transcript cannot be put in place), the parse log to a full disk
# or to a pipe closed early.
# Prints one line per case and differing file; exits 1 when anything differs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
(($# >= 2)) || { sed -n '2,20p' "$0" >&2; exit 2; }
before=$1
after=$2
work=${3:-$(mktemp -d)}
generator=${GENERATOR:-$root/build/bench/generate_scene}
mkdir -p "$work"
work=$(cd "$work" && pwd)

# --- the case folders, made once per work folder ---
cases=$work/cases
if [[ ! -d $cases ]]; then
  mkdir -p "$cases.new"
  "$generator" --objects 5884 --entries 5884 --in-place "$cases.new/generated-100k" >/dev/null
  "$generator" --objects 58840 --entries 58840 --in-place "$cases.new/generated-1m" >/dev/null
  cp -r examples/demo "$cases.new/demo"
  cp -r examples/broken "$cases.new/broken"
  for input in fuzz/seeds/objects/* fuzz/regressions/objects/*; do
    folder=$cases.new/$(basename "$(dirname "$input")")-$(basename "$input" .txt)
    cp -r examples/demo "$folder"
    cp "$input" "$folder/objects.txt"
  done
  cp -r examples/demo "$cases.new/no-objects"
  rm "$cases.new/no-objects/objects.txt"
  cp -r examples/demo "$cases.new/objects-is-a-folder"
  rm "$cases.new/objects-is-a-folder/objects.txt"
  mkdir "$cases.new/objects-is-a-folder/objects.txt"
  cp -r examples/demo "$cases.new/ogllist-is-a-folder"
  mkdir "$cases.new/ogllist-is-a-folder/ogllist.txt"
  cp -r examples/demo "$cases.new/log-to-full-disk"
  # The log's reader goes away after 100 bytes, while the compilation has
  # stopped at a rejected line: the program ends by SIGPIPE, and the old
  # ogllist.txt stays.
  cp -r "$cases.new/generated-100k" "$cases.new/log-to-closed-pipe"
  sed -i '10s/.*/s=123456;/' "$cases.new/log-to-closed-pipe/objects.txt"
  echo "an earlier transcript" >"$cases.new/log-to-closed-pipe/ogllist.txt"
  mv "$cases.new" "$cases"
fi

# record SNAPSHOT DEST: runs every case in a fresh copy of its folder.
record() {
  local snapshot=$1 dest=$2 case_dir name run out
  snapshot=$(cd "$(dirname "$snapshot")" && pwd)/$(basename "$snapshot")
  rm -rf "$dest"
  mkdir -p "$dest"
  for case_dir in "$cases"/*/; do
    name=$(basename "$case_dir")
    run=$work/run
    rm -rf "$run"
    cp -r "$case_dir" "$run"
    out=$dest/$name
    mkdir -p "$out"
    local log=$out/parse.log
    [[ $name == log-to-full-disk ]] && log=/dev/full
    local status=0
    if [[ $name == log-to-closed-pipe ]]; then
      status=$(cd "$run" && { "$snapshot" --output "$out/picture.png" . 2>"$out/stderr.txt" ||
        echo $? >"$out/status.txt"; } | head -c 100 >"$log")
    else
      (cd "$run" && "$snapshot" --output "$out/picture.png" . >"$log" 2>"$out/stderr.txt") ||
        status=$?
      echo "$status" >"$out/status.txt"
    fi
    [[ -f $run/ogllist.txt ]] && cp "$run/ogllist.txt" "$out/ogllist.txt"
    # Leftover temporary files would show a transcript not cleaned up.
    (cd "$run" && find . -name '.ogllist*' | sort) >"$out/leftovers.txt"
  done
  rm -rf "$work/run"
}

side() {  # side PROGRAM_OR_FOLDER NAME -> prints the folder of recorded outputs
  if [[ -d $1 ]]; then
    cd "$1" && pwd
  else
    record "$1" "$work/$2"
    echo "$work/$2"
  fi
}
before_dir=$(side "$before" before)
after_dir=$(side "$after" after)

differs=0
for case_dir in "$before_dir"/*/; do
  name=$(basename "$case_dir")
  if [[ ! -d $after_dir/$name ]]; then
    echo "$name: missing in $after_dir"
    differs=1
    continue
  fi
  if diff -r -q "$case_dir" "$after_dir/$name" >"$work/diff.txt"; then
    echo "$name: same ($(cd "$case_dir" && ls | tr '\n' ' '))"
  else
    sed "s|^|$name: |" "$work/diff.txt"
    differs=1
  fi
done
((differs == 0)) && echo "all outputs identical" || echo "OUTPUTS DIFFER"
exit "$differs"
