#!/usr/bin/env bash
# Counts how many deliberate faults the test suite catches. Each line of the
# fault list (scripts/faults.tsv: file, original text, replacement, what the
# fault is, separated by tabs; \n stands for a line break) is one careless
# edit. For each, the edit is made, the build is redone incrementally, the
# suite runs, and the file is put back byte for byte (also on Ctrl-C). A
# failing suite counts as caught; a fault that does not build is reported as
# BUILD and counts as not caught (rewrite it so it compiles). viewer_e2e
# (Xvfb, about 40 s) runs only for faults in app/.
#
# usage: scripts/fault-count.sh [--scratch DIR] [FAULT_LIST]
#   By default the tree and its build/ are used in place: do not edit while it
#   runs. --scratch DIR copies the tree to DIR/src and builds in DIR/build
#   (kept, so a second count there is incremental), leaving the tree alone.
# Prints one line per fault (with the first test that failed) and the caught
# count; exits 1 when a fault is not caught.
set -uo pipefail
source_dir=$(cd "$(dirname "$0")/.." && pwd)
src=$source_dir
build=$source_dir/build
if [ "${1:-}" = "--scratch" ]; then
  scratch=$(realpath -m "$2")
  shift 2
  src=$scratch/src
  build=$scratch/build
  mkdir -p "$src"
  # Only files whose bytes changed are copied, and they get the time of the
  # copy: a source older than objects built from its earlier bytes would
  # otherwise leave those objects stale.
  rsync -rlpD --checksum --delete --exclude='/build*' --exclude=/.git "$source_dir/" "$src/"
fi
faults=$(realpath "${1:-$source_dir/scripts/faults.tsv}")
work=$(mktemp -d)
current=""
restore() {
  if [ -n "$current" ]; then cp -p "$work/original" "$src/$current" && touch "$src/$current"; fi
  current=""
}
trap 'restore; rm -rf "$work"; exit 130' INT TERM
trap 'rm -rf "$work"' EXIT

if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORVANE_TESTS=ON -DMORVANE_BUILD_BENCH=OFF >/dev/null || exit 2
fi
cmake --build "$build" -j2 >/dev/null || { echo "the unchanged tree does not build" >&2; exit 2; }

apply() { # file original replacement: replaces the one occurrence, or fails
  python3 - "$@" <<'PY'
import re, sys
unescape = lambda s: re.sub(r'\\(.)', lambda m: '\n' if m[1] == 'n' else m[1], s)
path, old, new = sys.argv[1], unescape(sys.argv[2]), unescape(sys.argv[3])
text = open(path, encoding='utf-8').read()
if text.count(old) != 1:
    sys.exit(f"{path}: the original occurs {text.count(old)} times")
open(path, 'w', encoding='utf-8').write(text.replace(old, new))
PY
}

total=0
caught=0
missed=()
tab=$'\t'
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  # Split by hand: read would merge the two tabs around an empty replacement.
  file=${line%%"$tab"*} && line=${line#*"$tab"}
  original=${line%%"$tab"*} && line=${line#*"$tab"}
  replacement=${line%%"$tab"*} && description=${line#*"$tab"}
  total=$((total + 1))
  cp -p "$src/$file" "$work/original"
  current=$file
  if ! apply "$src/$file" "$original" "$replacement" 2>"$work/apply.log"; then
    current=""
    echo "BAD     $file: $description ($(cat "$work/apply.log"))"
    missed+=("$file: $description (does not apply)")
    continue
  fi
  exclude=(-E viewer_e2e)
  [[ "$file" == app/* ]] && exclude=()
  if ! cmake --build "$build" -j2 >"$work/build.log" 2>&1; then
    result="BUILD  "
  elif ctest --test-dir "$build" -j2 "${exclude[@]}" --timeout 120 --stop-on-failure \
    >"$work/ctest.log" 2>&1; then
    result="MISSED "
  else
    first=$(grep -m1 -E '\*\*\*(Failed|Timeout|Exception)|Failed  ' "$work/ctest.log" |
      sed -E 's/.*Test +#[0-9]+: ([^ ]+).*/\1/')
    result="caught  [$first]"
  fi
  restore
  case "$result" in
    MISSED*) missed+=("$file: $description") ;;
    BUILD*) missed+=("$file: $description (does not build)") ;;
    *) caught=$((caught + 1)) ;;
  esac
  echo "$result $file: $description"
done <"$faults"
cmake --build "$build" -j2 >/dev/null
echo "caught $caught of $total faults"
for m in "${missed[@]}"; do echo "  not caught: $m"; done
[ "$caught" -eq "$total" ]
