#!/usr/bin/env bash
# Runs PROGRAM on every case folder under CASES and compares what it gives
# with the folder's expected.txt. Each case runs in a copy of its folder. The
# files of CASES itself fill in what the case does not hold: a case holds only
# the files it changes. In a case, NAME.absent leaves NAME out, NAME.fifo makes
# NAME a FIFO, and args.txt holds the arguments (default ".").
#
# MODE check: PROGRAM is morvane-check, or another tool run on arguments it
# refuses; the expectation is what it prints (standard output and error) and
# its exit status. The copy must hold the same files afterwards: the program
# writes nothing.
# MODE startup: PROGRAM is morvane-snapshot, run on the copy with the picture
# written elsewhere; the expectation is the parse log, the ogllist.txt the
# start-up left in the copy, standard error and the exit status, one section
# each. args.txt does not apply.
#
#   run_cases.sh MODE PROGRAM CASES
#   MORVANE_UPDATE_CASES=1 run_cases.sh MODE PROGRAM CASES   rewrites every expected.txt
set -u
mode=$1
[[ $mode == check || $mode == startup ]] || { echo "usage: $0 check|startup PROGRAM CASES" >&2; exit 2; }
program=$2
# Each case runs inside its copy, so a relative path to the program is resolved first.
[[ $program == */* ]] && program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
cases=$3
status=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
actual=$scratch/actual.txt
for dir in "$cases"/*/; do
  dir=${dir%/}
  name=$(basename "$dir")
  work=$scratch/case
  rm -rf "$work" && mkdir "$work"
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
  if [[ $mode == check ]]; then
    # args.txt holds a word list: split on blanks, with no file name patterns.
    # shellcheck disable=SC2086
    { (cd "$work" && set -f && timeout 20 "$program" $args 2>&1); echo "[exit $?]"; } >"$actual"
  else
    (cd "$work" && timeout 20 "$program" --output "$scratch/picture.png" . \
      >"$scratch/stdout" 2>"$scratch/stderr")
    code=$?
    {
      echo "[stdout]" && cat "$scratch/stdout"
      echo "[ogllist.txt]"
      if [[ -f $work/ogllist.txt ]]; then cat "$work/ogllist.txt"; else echo "(none)"; fi
      echo "[stderr]" && cat "$scratch/stderr"
      echo "[exit $code]"
    } >"$actual"
  fi
  after=$(ls -A "$work")
  if [[ ${MORVANE_UPDATE_CASES:-} == 1 ]]; then
    cp "$actual" "$dir/expected.txt"
    continue
  fi
  if ! diff -u "$dir/expected.txt" "$actual" >/dev/null; then
    echo "case $name: the output differs from expected.txt:"
    diff -u "$dir/expected.txt" "$actual"
    status=1
  fi
  if [[ $mode == check && $before != "$after" ]]; then
    echo "case $name: the checker changed the folder"
    status=1
  fi
done
exit $status
