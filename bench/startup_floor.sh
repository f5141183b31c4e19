#!/usr/bin/env bash
# Start-up against Mesa's floor: morvane-snapshot on generated scenes of about
# 100,000 and 1,000,000 lines of objects.txt (every object drawn once, in
# place), against mesa_floor, which times only the GL work of the same
# start-up (context, textures, the compiled calls replayed from memory, one
# frame, the read-back). Prints, per scene, the medians of our start-up and of
# the floor, their ratio, and our peak resident memory.
#
#   bench/startup_floor.sh [BUILD_DIR]        (default: build, benchmarks on)
# Environment:
#   RUNS=N          runs of each command per scene (default 7), interleaved so
#                   that a busy machine slows every side alike
#   BEFORE=PROGRAM  another morvane-snapshot (an older build) timed beside
#   SIZES="100k 1m" the scenes to run
#   WORK=DIR        where the scenes and outputs go (default: a temporary folder)
# The parse log goes to a file, as a user's redirection would send it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-7}
cmake --build "$build" --target morvane-snapshot generate_scene mesa_floor >/dev/null
snapshot=$PWD/$build/tools/morvane-snapshot
floor=$PWD/$build/bench/mesa_floor
if [[ -n ${WORK:-} ]]; then
  work=$WORK
  mkdir -p "$work"
else
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
fi

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }
# time_run PROGRAM DIR -> seconds of wall time; appends the peak kB to $work/NAME.mem
time_run() {
  local start=$EPOCHREALTIME
  (cd "$2" && /usr/bin/time -a -o "$work/$3.mem" -f %M "$1" --output "$work/$3.png" . \
    >"$work/$3.log" 2>/dev/null)
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN {printf "%.4f\n", b - a}'
}

echo "Start-up vs Mesa's floor, $(date -u +%Y-%m-%dT%H:%MZ), $(nproc) cores, $runs runs each"
for size in ${SIZES:-100k 1m}; do
  case $size in
    100k) objects=5884 ;;
    1m) objects=58840 ;;
    *) echo "unknown size $size" >&2; exit 2 ;;
  esac
  scene=$work/scene-$size
  [[ -s $scene/objects.txt ]] ||
    "$build/bench/generate_scene" --objects $objects --entries $objects --in-place "$scene" >/dev/null
  # The floor replays the transcript this run writes.
  time_run "$snapshot" "$scene" warmup >/dev/null
  : >"$work/after.mem"
  : >"$work/before.mem"
  : >"$work/after.times"
  : >"$work/before.times"
  : >"$work/floor.times"
  for _ in $(seq "$runs"); do
    time_run "$snapshot" "$scene" after >>"$work/after.times"
    [[ -z ${BEFORE:-} ]] || time_run "$BEFORE" "$scene" before >>"$work/before.times"
    "$floor" "$scene" | awk '{print $2}' >>"$work/floor.times"
  done
  ours=$(median <"$work/after.times")
  mesa=$(median <"$work/floor.times")
  echo
  echo "$size: $(wc -l <"$scene/objects.txt") lines of objects.txt, $objects entries;" \
    "load $(cut -d' ' -f1-3 /proc/loadavg)"
  awk -v o="$ours" -v f="$mesa" -v m="$(median <"$work/after.mem")" \
    'BEGIN {printf "  start-up %.3f s, floor %.3f s, ratio %.2f, peak %.0f MB\n", o, f, o / f, m / 1024}'
  if [[ -n ${BEFORE:-} ]]; then
    awk -v o="$(median <"$work/before.times")" -v f="$mesa" -v m="$(median <"$work/before.mem")" \
      'BEGIN {printf "  before:  %.3f s, floor %.3f s, ratio %.2f, peak %.0f MB\n", o, f, o / f, m / 1024}'
  fi
  "$floor" "$scene" | sed 's/^/  one floor run: /'
done
