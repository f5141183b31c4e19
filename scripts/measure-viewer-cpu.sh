#!/usr/bin/env bash
# How much of a core the viewer takes while it shows a scene, in an X server
# of its own: a still one-quad scene (tests/data/square), which should cost
# next to nothing, and the turning demo, set beside what drawing its frames
# costs (morvane-snapshot's processor time for 501 frames less that for 1,
# per frame, times the 100 ticks a second the viewer draws).
#
#   scripts/measure-viewer-cpu.sh [BUILD_DIR] [SECONDS]   (defaults: build, 10)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build}")
seconds=${2:-10}
source "$root/tests/support/viewer_session.sh"
work=$(mktemp -d)
xvfb_pids=()
cleanup() {
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb 1024x768x24 "$work/xvfb.log" || { echo "Xvfb did not start" >&2; exit 1; }
ticks_per_second=$(getconf CLK_TCK)

# viewer_share FOLDER -> percent of one core over $seconds, after a second to settle.
viewer_share() {
  local dir pid before after
  dir=$work/$(basename "$1")
  copy_scene "$1" "$dir"
  launch_in "$dir" "$build/app/morvane" --windowed --quiet .
  pid=$(cat "$dir/pid")
  sleep 2
  before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  sleep "$seconds"
  after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
  stop_process "$pid"
  awk -v t=$((after - before)) -v hz="$ticks_per_second" -v s="$seconds" \
    'BEGIN {printf "%.1f", 100 * t / hz / s}'
}

# snapshot_cpu FOLDER FRAMES -> seconds of processor time
snapshot_cpu() {
  local dir=$work/snap-$2
  copy_scene "$1" "$dir"
  /usr/bin/time -o "$work/time" -f "%U %S" "$build/tools/morvane-snapshot" --quiet --frames "$2" \
    --output "$work/snap.png" "$dir" >/dev/null 2>&1
  awk '{print $1 + $2}' "$work/time"
}

still=$(viewer_share "$root/tests/data/square")
demo=$(viewer_share "$root/examples/demo")
one=$(snapshot_cpu "$root/examples/demo" 1)
many=$(snapshot_cpu "$root/examples/demo" 501)
drawing=$(awk -v a="$one" -v b="$many" 'BEGIN {printf "%.1f", (b - a) / 500 * 100 * 100}')
echo "still one-quad scene: $still % of a core"
echo "demo: $demo % of a core; drawing its frames alone: $drawing % (snapshot: $one s for 1 frame, $many s for 501)"
awk -v d="$demo" -v f="$drawing" 'BEGIN {printf "demo against its drawing: %.2f x\n", d / f}'
