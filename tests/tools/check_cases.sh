#!/usr/bin/env bash
# Runs morvane-check on every case folder under CASES and compares what it
# prints (standard output and error) and its exit status with the folder's
# expected.txt. Each case runs in a copy of its folder. The files of CASES
# itself (a clean textures.txt, objects.txt and scene.txt, and the bitmap
# tex.bmp they name) fill in what the case does not hold: a case holds only
# the files it changes. In a case, NAME.absent leaves NAME out, NAME.fifo makes
# NAME a FIFO, and args.txt holds the arguments (default "."). The copy must
# hold the same files afterwards: the checker writes nothing.
#
#   check_cases.sh CHECK CASES
#   MORVANE_UPDATE_CASES=1 check_cases.sh CHECK CASES   rewrites every expected.txt
set -u
check=$1
cases=$2
status=0
for dir in "$cases"/*/; do
  dir=${dir%/}
  name=$(basename "$dir")
  work=$(mktemp -d)
  for default in "$cases"/*; do
    file=$(basename "$default")
    [[ -f $default && ! -e $dir/$file && ! -e $dir/$file.absent && ! -e $dir/$file.fifo ]] &&
      cp "$default" "$work/"
  done
  cp -R "$dir/." "$work/"
  rm -f "$work/expected.txt" "$work/args.txt" "$work"/*.absent
  for fifo in "$work"/*.fifo; do
    [[ -e $fifo ]] && rm "$fifo" && mkfifo "${fifo%.fifo}"
  done
  args=.
  [[ -f $dir/args.txt ]] && args=$(<"$dir/args.txt")
  before=$(ls -A "$work")
  # shellcheck disable=SC2086  # args.txt holds a word list
  actual=$(cd "$work" && timeout 20 "$check" $args 2>&1; echo "[exit $?]")
  after=$(ls -A "$work")
  rm -rf "$work"
  if [[ ${MORVANE_UPDATE_CASES:-} == 1 ]]; then
    printf '%s\n' "$actual" >"$dir/expected.txt"
    continue
  fi
  if ! diff -u "$dir/expected.txt" <(printf '%s\n' "$actual") >/dev/null; then
    echo "case $name: the output differs from expected.txt:"
    diff -u "$dir/expected.txt" <(printf '%s\n' "$actual")
    status=1
  fi
  if [[ $before != "$after" ]]; then
    echo "case $name: the checker changed the folder"
    status=1
  fi
done
exit $status
