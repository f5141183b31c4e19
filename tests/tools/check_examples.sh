#!/usr/bin/env bash
# The checker on the bundled scenes: the demo is clean, and the broken example
# gives exactly the findings the README shows.
set -u
check=$1
source_dir=$2
status=0
out=$(cd "$source_dir/examples/demo" && "$check" .)
code=$?
if [[ $code != 0 || $out != "0 errors, 0 warnings" ]]; then
  echo "demo: exit $code"; echo "$out"; status=1
fi
out=$(cd "$source_dir/examples/broken" && "$check" .)
code=$?
if [[ $code != 1 ]] || ! diff <(echo "$out") "$source_dir/tests/data/broken_check.txt"; then
  echo "broken: exit $code"; status=1
fi
# The checker writes nothing into the folders it reads.
if [[ -e $source_dir/examples/broken/ogllist.txt ]]; then echo "wrote into the folder"; status=1; fi
exit $status
