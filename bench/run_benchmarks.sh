#!/usr/bin/env bash
# Measures Morvane against its speed and memory targets and prints a table:
# target, measured value, limit, met or not. Every ratio is taken in the same
# run as its floor or its peer, so a busy machine slows both sides alike.
#
#   bench/run_benchmarks.sh [BUILD_DIR]
#
# BUILD_DIR (default build-bench) is configured RelWithDebInfo with the
# benchmarks on and the needed targets built, unless MORVANE_BENCH_NO_BUILD=1
# (then it only has to hold tools/morvane-snapshot, tools/morvane-check and bench/*).
# Environment:
#   RUNS=N                 runs of each whole-process command (default 7)
#   MORVANE_BENCH_WORK=DIR where the generated scene and outputs go (default: a
#                          temporary folder, removed at the end)
#   MICRO=0                skip the Google Benchmark component figures
#
# Whole-process rows (hyperfine; medians, with min-max):
#   start-up  morvane-snapshot on a generated scene of 58,000 objects placed in
#             world coordinates (986,000 lines of objects.txt), one frame, the
#             parse log to a file, against the floor of writing the same log
#             and transcript bytes with cat from prepared copies;
#   check     morvane-check on the same folder, against the start-up;
#   peer      f3d (when installed) rendering the same geometry from an OBJ
#             file to an 800 x 600 PNG under Xvfb;
#   demo      morvane-snapshot on examples/demo: process start to the first
#             frame finished (from perf trace, when it may trace), and the
#             whole run (first frame, PNG, exit) as its upper bound.
# Peak resident memory comes from /usr/bin/time around the same runs; the
# statement store's resident bytes per statement from object_read_bench; the
# frame of 1,000 entries from scene_frame_bench.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-bench}
runs=${RUNS:-7}
[[ $build = /* ]] || build=$root/$build

for tool in hyperfine jq /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run_benchmarks: $tool is needed" >&2; exit 2; }
done

if [[ ${MORVANE_BENCH_NO_BUILD:-0} != 1 ]]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_TESTS=ON \
    -DMORVANE_BUILD_BENCH=ON -DMORVANE_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" --target morvane-snapshot morvane-check generate_scene object_read_bench \
    compile_bench scene_read_bench bitmap_decode_bench scene_frame_bench >/dev/null
fi
snapshot=$build/tools/morvane-snapshot
check=$build/tools/morvane-check
benches=$build/bench

xvfb_pid=
if [[ -n ${MORVANE_BENCH_WORK:-} ]]; then
  work=$MORVANE_BENCH_WORK
  mkdir -p "$work"
  cleanup() { [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true; }
else
  work=$(mktemp -d)
  cleanup() {
    [[ -z $xvfb_pid ]] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
  }
fi
trap cleanup EXIT

# --- the large scene, its OBJ twin, and the prepared floor files ---
big=$work/big
if [[ ! -s $big/objects.txt || ! -s $work/big.obj ]]; then
  rm -f "$work/big.obj"  # the generator never replaces a file
  "$benches/generate_scene" --objects 58000 --entries 58000 --in-place --write-obj "$work/big.obj" \
    "$big" >/dev/null
fi
lines=$(wc -l <"$big/objects.txt")
(cd "$big" && "$snapshot" --output "$work/big.png" . >"$work/parse.log")
mkdir -p "$work/floor"
cp "$work/parse.log" "$work/floor/parse.log"
cp "$big/ogllist.txt" "$work/floor/ogllist.txt"

# median, min, max and mean CPU time (user + system), in seconds, of command
# number $2 in hyperfine's JSON $1
times_of() {
  jq -r ".results[$2] | [.median, .min, .max, .user + .system] | @tsv" "$1"
}
# median of the numbers in file $1 (one per line)
median_of() {
  sort -n "$1" | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'
}

startup_cmd="cd '$big' && /usr/bin/time -a -o '$work/startup.mem' -f %M '$snapshot' --output '$work/big.png' . >'$work/parse.log'"
floor_cmd="cat '$work/floor/parse.log' >'$work/floor-parse.log' && cat '$work/floor/ogllist.txt' >'$work/floor-ogllist.txt'"
check_cmd="'$check' '$big' >/dev/null"
commands=("$startup_cmd" "$floor_cmd" "$check_cmd")
names=(-n start-up -n floor -n check)

peer=none
if command -v f3d >/dev/null && command -v Xvfb >/dev/null; then
  display=
  for n in $(seq 90 120); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] || { display=$n; break; }
  done
  if [[ -n $display ]]; then
    Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X$display ]] && break; sleep 0.1; done
    peer_cmd="DISPLAY=:$display /usr/bin/time -a -o '$work/peer.mem' -f %M f3d --output='$work/f3d.png' --resolution=800,600 '$work/big.obj' >/dev/null 2>&1"
    commands+=("$peer_cmd")
    names+=(-n f3d)
    peer=f3d
  fi
fi

# The demo's first frame is finished when the picture file is opened (only
# the read-back of 1.4 MB comes between): perf trace timestamps that open
# against the process's first system call. Without perf, the whole run (which
# also writes the PNG and exits) stands in as an upper bound.
first_frame_ms() {
  perf trace -e brk,openat -o "$work/trace.txt" \
    "$snapshot" --output "$work/demo.png" "$root/examples/demo" >/dev/null 2>&1 || return 1
  # The last file created is the picture (ogllist.txt is created before it).
  awk 'NR == 1 {first = $1} /CREAT\|TRUNC/ {png = $1} END {if (png == "") exit 1; print png - first}' \
    "$work/trace.txt"
}

: >"$work/startup.mem"
: >"$work/peer.mem"
hyperfine --style none --warmup 1 --runs "$runs" "${names[@]}" --export-json "$work/large.json" \
  "${commands[@]}" >/dev/null
hyperfine --style none -N --warmup 3 --runs $((runs * 3)) -n demo \
  --export-json "$work/demo.json" "$snapshot --output $work/demo.png $root/examples/demo" >/dev/null
: >"$work/first.txt"
for _ in $(seq $((runs * 3))); do
  first_frame_ms >>"$work/first.txt" || { : >"$work/first.txt"; break; }
done

read -r startup startup_min startup_max startup_cpu < <(times_of "$work/large.json" 0)
read -r floor floor_min floor_max floor_cpu < <(times_of "$work/large.json" 1)
read -r checked checked_min checked_max checked_cpu < <(times_of "$work/large.json" 2)
read -r demo demo_min demo_max demo_cpu < <(times_of "$work/demo.json" 0)
startup_kb=$(median_of "$work/startup.mem")

"$benches/object_read_bench" --benchmark_filter='BM_ReadObjectFile/1000000$' \
  --benchmark_format=json >"$work/read.json" 2>/dev/null
per_statement=$(jq -r '.benchmarks[0].resident_bytes_per_statement' "$work/read.json")
"$benches/scene_frame_bench" --benchmark_filter='BM_RenderFrame/1000/' \
  --benchmark_repetitions=5 --benchmark_format=json >"$work/frame.json" 2>/dev/null
frame_ms=$(jq -r '[.benchmarks[] | select(.aggregate_name == "median")][0].real_time' \
  "$work/frame.json")

row() {  # target, measured, CPU time, limit, met
  printf '| %s | %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" "$5"
}
met() { awk "BEGIN {exit !($1)}" && echo yes || echo "**no**"; }
ms() { awk -v s="$1" 'BEGIN {printf "%.0f ms", s * 1000}'; }
range() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.0f-%.0f", a * 1000, b * 1000}'; }
ratio_of() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

echo "Morvane benchmarks, $(date -u +%Y-%m-%dT%H:%MZ), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Large scene: $lines lines of objects.txt, 58,000 entries; $runs runs each (demo: $((runs * 3)))"
echo "Times are wall-clock medians (min-max); CPU is the mean user + system time of the same runs."
echo
echo "| target | measured | CPU | limit | met |"
echo "|---|---|---|---|---|"
row "start-up of the large scene, first frame to PNG" \
  "$(ms "$startup") ($(range "$startup_min" "$startup_max"))" "$(ms "$startup_cpu")" "1000 ms" \
  "$(met "$startup <= 1.0")"
row "start-up / cat of the same log and transcript bytes" \
  "$(ratio_of "$startup" "$floor") x (cat: $(ms "$floor"), $(range "$floor_min" "$floor_max"))" \
  "$(ratio_of "$startup_cpu" "$floor_cpu") x (cat: $(ms "$floor_cpu"))" "3 x" \
  "$(met "$startup <= 3 * $floor")"
row "morvane-check of the large scene / its start-up" \
  "$(ratio_of "$checked" "$startup") x (check: $(ms "$checked"), $(range "$checked_min" "$checked_max"))" \
  "$(ratio_of "$checked_cpu" "$startup_cpu") x (check: $(ms "$checked_cpu"))" "1 x" \
  "$(met "$checked <= $startup")"
if [[ $peer != none ]]; then
  read -r peer_t peer_min peer_max peer_cpu < <(times_of "$work/large.json" 3)
  peer_kb=$(median_of "$work/peer.mem")
  row "start-up time / f3d on the same geometry as OBJ" \
    "$(ratio_of "$startup" "$peer_t") x (f3d: $(ms "$peer_t"), $(range "$peer_min" "$peer_max"))" \
    "$(ratio_of "$startup_cpu" "$peer_cpu") x (f3d: $(ms "$peer_cpu"))" "< 1 x" \
    "$(met "$startup < $peer_t")"
  row "start-up peak memory / f3d's" \
    "$(ratio_of "$startup_kb" "$peer_kb") x ($((startup_kb / 1024)) MB vs $((peer_kb / 1024)) MB)" \
    "" "< 1 x" "$(met "$startup_kb < $peer_kb")"
else
  row "start-up / f3d on the same geometry as OBJ" "f3d or Xvfb not installed" "" "< 1 x" "-"
fi
if [[ $per_statement =~ ^[0-9.]+$ ]]; then
  row "statement store, resident bytes per statement" "$(printf '%.1f' "$per_statement")" "" \
    "100" "$(met "$per_statement <= 100")"
else
  row "statement store, resident bytes per statement" "not measured by this build" "" "100" "-"
fi
row "start-up peak resident memory" "$((startup_kb / 1024)) MB" "" "300 MB" \
  "$(met "$startup_kb < 300 * 1024")"
if [[ -s $work/first.txt ]]; then
  first=$(median_of "$work/first.txt")
  first_min=$(sort -n "$work/first.txt" | head -1)
  first_max=$(sort -n "$work/first.txt" | tail -1)
  row "demo scene, process start to first frame finished" \
    "$(printf '%.0f ms (%.0f-%.0f)' "$first" "$first_min" "$first_max")" \
    "whole run: $(ms "$demo_cpu")" "50 ms" "$(met "$first <= 50")"
fi
row "demo scene, whole snapshot run (first frame, PNG, exit)" \
  "$(ms "$demo") ($(range "$demo_min" "$demo_max"))" "$(ms "$demo_cpu")" "50 ms" \
  "$(met "$demo <= 0.05")"
row "one frame of 1,000 entries" "$(printf '%.2f ms' "$frame_ms")" "" "10 ms" \
  "$(met "$frame_ms < 10")"

if [[ ${MICRO:-1} != 0 ]]; then
  echo
  echo "Components (Google Benchmark, real time of one iteration, median of 3):"
  echo
  echo "| benchmark | ms |"
  echo "|---|---|"
  for bench in object_read_bench compile_bench scene_read_bench bitmap_decode_bench \
    scene_frame_bench; do
    "$benches/$bench" --benchmark_repetitions=3 --benchmark_format=json 2>/dev/null |
      jq -r '.benchmarks[] | select(.aggregate_name == "median") |
        "| \(.run_name) | \(.real_time * ({"ns": 1e-6, "us": 1e-3, "ms": 1, "s": 1e3}[.time_unit]) | . * 100 | round / 100) |"'
  done
fi
