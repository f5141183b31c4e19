#!/usr/bin/env bash
# A long run of the morvane program in a real X server (Xvfb), with random
# arrow keys and F1 held down through xdotool for a few frame ticks at a time,
# while its resident memory and open file descriptors are sampled every
# second. Once the first picture is drawn and a warm-up has passed (a tenth of
# the run), both must stay flat: the descriptor count must not change and the
# resident memory must not grow by more than a limit. At the end Escape must
# end the program with exit code 0.
#
# Not part of the test suite (it runs for minutes). A 20-second smoke run:
#   scripts/soak-viewer.sh build/app/morvane build/tests/app/x_probe examples/demo 20
#
# usage: soak-viewer.sh MORVANE X_PROBE SCENE_FOLDER [SECONDS]   (default 600)
# environment:
#   MORVANE_SOAK_RSS_LIMIT_KB  allowed growth after the warm-up (default 2048;
#                              16384 for a sanitizer build)
#   MORVANE_SOAK_SAMPLES       keep the samples ("second rss_kb fds threads") there
set -euo pipefail
source "$(dirname "$0")/../tests/support/viewer_session.sh"

morvane=$(realpath "$1")
probe=$(realpath "$2")
scene=$(realpath "$3")
duration=${4:-600}
rss_limit_kb=${MORVANE_SOAK_RSS_LIMIT_KB:-2048}
work=$(mktemp -d)
samples=$work/samples
run=$work/run
xvfb_pids=()
sampler=""
# A sanitizer build watches memory errors only. Leaks at exit are the memcheck
# run's business (scripts/valgrind-viewer.sh), and what libdbus keeps for the
# process shows up in a library SDL has unloaded, where no suppression can
# name it. A small quarantine lets resident memory settle within the warm-up,
# and its allocator still moves it by megabytes, hence the wider default
# limit. The fast unwinder stays on: the slow one, called from malloc,
# deadlocks when the software renderer's JIT registers its unwind tables
# (libgcc allocates while holding its own lock).
if ldd "$morvane" | grep -q libasan; then
  export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:quarantine_size_mb=16"
  rss_limit_kb=${MORVANE_SOAK_RSS_LIMIT_KB:-16384}
fi

cleanup() {
  if [[ -n $sampler ]]; then kill "$sampler" 2>/dev/null || true; fi
  if [[ -s $run/pid && ! -e $run/rc ]]; then stop_process "$(cat "$run/pid")" 50; fi
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [[ -n ${MORVANE_SOAK_SAMPLES:-} && -f $samples ]]; then cp "$samples" "$MORVANE_SOAK_SAMPLES"; fi
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  [[ -f $run/err.log ]] && sed 's/^/  viewer stderr: /' "$run/err.log" >&2
  exit 1
}

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# --- An X server and the viewer, windowed, in a copy of the scene -------------------
start_xvfb 1024x768x24 /dev/null || fail "Xvfb did not start"

copy_scene "$scene" "$run"
launch_in "$run" "$morvane"
pid=$(cat "$run/pid")

read -r _ win_x win_y win_w win_h < <("$probe" find "Start FullScreen?" 20000) ||
  fail "the full-screen question did not appear"
xdotool mousemove $((win_x + win_w / 2)) $((win_y + win_h / 2)) key Escape
read -r _ win_x win_y win_w win_h < <("$probe" find "Morvane 2006" 20000) ||
  fail "the window did not appear"
# The keyboard follows the pointer when no window manager runs.
xdotool mousemove $((win_x + win_w / 2)) $((win_y + win_h / 2))
for _ in $(seq 200); do
  "$probe" shot "$work/drawn.png" "$win_x" "$win_y" "$win_w" "$win_h"
  (($("$probe" lit "$work/drawn.png") > 1000)) && break
  sleep 0.1
done
(($("$probe" lit "$work/drawn.png") > 1000)) || fail "the window shows no picture"

# --- Sampling, once a second, from the first picture on -------------------------------
start_ms=$(now_ms)
(
  while [[ -d /proc/$pid ]]; do
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || break
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$pid/status" 2>/dev/null) || break
    fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l)
    [[ -n $rss ]] && echo "$((($(now_ms) - start_ms) / 1000)) $rss $fds $threads" >>"$samples"
    sleep 1
  done
) &
sampler=$!

# --- Random held keys, a few frame ticks (10 ms each) at a time -----------------------
keys=(Up Down Left Right F1 "Up Left" "Up Right" "Down Left" "Down Right")
holds=0
end_ms=$((start_ms + duration * 1000))
while (($(now_ms) < end_ms)); do
  [[ -d /proc/$pid && ! -e $run/rc ]] || fail "the viewer ended during the run"
  read -r -a held <<<"${keys[RANDOM % ${#keys[@]}]}"
  xdotool keydown "${held[@]}"
  sleep "0.$(printf '%03d' $((20 + RANDOM % 280)))"
  xdotool keyup "${held[@]}"
  sleep "0.$(printf '%03d' $((RANDOM % 100)))"
  holds=$((holds + 1))
done
"$probe" find "Morvane 2006" 0 >/dev/null || fail "the window is gone after the run"
kill "$sampler" 2>/dev/null || true
wait "$sampler" 2>/dev/null || true
sampler=""

# --- Escape ends it --------------------------------------------------------------------
xdotool keydown Escape
sleep 0.1
xdotool keyup Escape
for _ in $(seq 1000); do [[ -s $run/rc ]] && break; sleep 0.01; done
[[ -s $run/rc ]] || fail "the viewer still runs 10 s after Escape"
rc=$(cat "$run/rc")
[[ $rc == 0 ]] || fail "exit code $rc after Escape"

# --- Figures ---------------------------------------------------------------------------
warmup=$((duration / 10 > 2 ? duration / 10 : 2))
read -r startup_kb max_kb warm_kb last_kb last_s fd_min fd_max slope n < <(awk -v warm="$warmup" '
  NR == 1 { startup = $2; fmin = $3; fmax = $3 }
  { if ($2 > max) max = $2; if ($3 < fmin) fmin = $3; if ($3 > fmax) fmax = $3; last = $2; lasts = $1 }
  $1 >= warm {
    if (warmkb == "") warmkb = $2
    n++; sx += $1; sy += $2; sxx += $1 * $1; sxy += $1 * $2
  }
  END {
    d = n * sxx - sx * sx
    slope = d > 0 ? (n * sxy - sx * sy) / d * 60 : 0
    printf "%d %d %d %d %d %d %d %.1f %d\n", startup, max, warmkb, last, lasts, fmin, fmax, slope, n
  }' "$samples")
growth=$((last_kb - warm_kb))
cat <<EOF
soak: ${duration} s, $holds key holds, $(wc -l <"$samples") samples
  start-up RSS:                  $startup_kb kB
  max RSS:                       $max_kb kB
  RSS after the ${warmup}-s warm-up:    $warm_kb kB
  RSS at the end (${last_s} s):        $last_kb kB
  growth over the last $((last_s - warmup)) s:     $growth kB (fitted slope $slope kB/min over $n samples)
  open file descriptors:         min $fd_min, max $fd_max
  exit code after Escape:        $rc
EOF
((n >= 2)) || fail "too few samples after the warm-up"
((fd_min == fd_max)) || fail "the open file descriptors changed: $fd_min to $fd_max"
((growth <= rss_limit_kb)) || fail "resident memory grew by $growth kB after the warm-up"
max_after=$(awk -v warm="$warmup" '$1 >= warm && $2 > m { m = $2 } END { print m + 0 }' "$samples")
((max_after - warm_kb <= rss_limit_kb)) ||
  fail "resident memory peaked $((max_after - warm_kb)) kB above the warm-up level"
echo "ok: memory and file descriptors stayed flat; Escape ended the viewer with exit code 0"
