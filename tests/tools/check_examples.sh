#!/usr/bin/env bash
# The checker on the bundled scenes: the demo is clean, and the broken example
# gives exactly the findings the README shows. Each is checked in a copy
# without the ogllist.txt a viewer run in the source tree leaves behind, so
# that the copy shows whether the checker wrote anything.
set -u
check=$1
source_dir=$2
status=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for example in demo broken; do
  mkdir "$work/$example"
  cp -r "$source_dir/examples/$example/." "$work/$example/"
  rm -rf "$work/$example/ogllist.txt"
done
out=$(cd "$work/demo" && "$check" .)
code=$?
if [[ $code != 0 || $out != "0 errors, 0 warnings" ]]; then
  echo "demo: exit $code"; echo "$out"; status=1
fi
out=$(cd "$work/broken" && "$check" .)
code=$?
if [[ $code != 1 ]] || ! diff <(echo "$out") "$source_dir/tests/data/broken_check.txt"; then
  echo "broken: exit $code"; status=1
fi
# The checker writes nothing into the folders it reads.
if [[ -e $work/broken/ogllist.txt ]]; then echo "wrote into the folder"; status=1; fi
exit $status
