#!/usr/bin/env bash
# Runs the morvane program once under valgrind's memcheck, windowed in a real X
# server (Xvfb) on a copy of a scene folder: answers the full-screen question
# with No (Escape), lets the scene draw for a while with arrow keys and F1
# held, then holds Escape until the program ends.
#
# Every memcheck error and every definitely lost block is then judged by its
# stack: the first frame that is neither valgrind's own replacement (malloc,
# memcpy) nor inlined standard-library code decides whose it is. A frame in
# this repository's sources makes it ours; anything else (Mesa, SDL, X11,
# libdrm, LLVM) belongs to that library. Ours are printed in full.
#
# Exit status 0 when the viewer ended with exit code 0, no memcheck error
# starts in our code and no definitely lost block was allocated by our code;
# 1 otherwise; 2 when the run could not be made.
#
# Slow (the software renderer runs on valgrind's synthetic CPU); not in CI:
#   scripts/valgrind-viewer.sh [MORVANE [X_PROBE [SCENE_FOLDER]]]
# defaults: build/app/morvane build/tests/app/x_probe examples/demo
# environment:
#   MORVANE_VALGRIND_SECONDS  how long the scene draws with keys (default 10)
#   MORVANE_VALGRIND_LOG      keep valgrind's whole log there
set -euo pipefail
source "$(dirname "$0")/../tests/support/viewer_session.sh"

root=$(cd "$(dirname "$0")/.." && pwd)
morvane=$(realpath "${1:-$root/build/app/morvane}")
probe=$(realpath "${2:-$root/build/tests/app/x_probe}")
scene=$(realpath "${3:-$root/examples/demo}")
seconds=${MORVANE_VALGRIND_SECONDS:-10}
# Valgrind's start-up, the first frames and the leak search each take minutes.
limit_ms=900000
work=$(mktemp -d)
log=$work/memcheck.log
run=$work/run
xvfb_pids=()

cleanup() {
  if [[ -s $run/pid && ! -e $run/rc ]]; then stop_process "$(cat "$run/pid")" 100; fi
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [[ -n ${MORVANE_VALGRIND_LOG:-} && -f $log ]]; then cp "$log" "$MORVANE_VALGRIND_LOG"; fi
  rm -rf "$work"
}
trap cleanup EXIT

give_up() {
  echo "valgrind-viewer: $*" >&2
  [[ -f $run/err.log ]] && tail -n 20 "$run/err.log" | sed 's/^/  viewer stderr: /' >&2
  exit 2
}

for tool in valgrind Xvfb xdotool; do
  command -v "$tool" >/dev/null || give_up "$tool is not installed"
done
[[ -x $morvane && -x $probe ]] || give_up "build morvane and x_probe first"

start_xvfb 1024x768x24 /dev/null || give_up "Xvfb did not start"
export LIBGL_ALWAYS_SOFTWARE=1

copy_scene "$scene" "$run"
echo "valgrind-viewer: running $morvane under memcheck in $run"
launch_in "$run" valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \
    --errors-for-leak-kinds=definite --num-callers=40 --fullpath-after= \
    --log-file="$log" "$morvane"

read -r _ x y w h < <("$probe" find "Start FullScreen?" "$limit_ms") ||
  give_up "the full-screen question did not appear"
xdotool mousemove $((x + w / 2)) $((y + h / 2)) key Escape
read -r _ x y w h < <("$probe" find "Morvane 2006" "$limit_ms") || give_up "the window did not appear"
xdotool mousemove $((x + w / 2)) $((y + h / 2))
started=$(date +%s)
while true; do
  "$probe" shot "$work/drawn.png" "$x" "$y" "$w" "$h"
  (($("$probe" lit "$work/drawn.png") > 1000)) && break
  (($(date +%s) - started < limit_ms / 1000)) || give_up "the window shows no picture"
  sleep 1
done
echo "valgrind-viewer: the scene is drawn; holding keys for $seconds s"

# Each key is held for a good share of the time: under valgrind a frame tick
# takes far longer than its 10 ms, and only a key held while a tick runs counts.
step=$((seconds / 5 > 0 ? seconds / 5 : 1))
for key in Up Left Down Right F1; do
  xdotool keydown "$key"
  sleep "$step"
  xdotool keyup "$key"
done

xdotool keydown Escape
started=$(date +%s)
while [[ ! -s $run/rc ]]; do
  (($(date +%s) - started < limit_ms / 1000)) || {
    xdotool keyup Escape
    give_up "the viewer still runs $((limit_ms / 1000)) s after Escape"
  }
  sleep 1
done
xdotool keyup Escape
rc=$(cat "$run/rc")

# --- Judging the log by stack ------------------------------------------------------
# The log also holds processes forked by the libraries (SDL shows its message
# boxes from a child); their lines interleave with the viewer's, so every
# record is collected per process id.
awk -v ours="($root/" -v build="($root/build" '
  # The first frame that is not an allocator, a valgrind replacement or
  # inlined standard-library code decides whose a record is.
  function decides(line) {
    return line ~ /^ *(at|by) 0x/ && line !~ /vg_replace_|\/valgrind\/|\(\/usr\/include\/|libstdc\+\+/
  }
  function isours(frame) { return index(frame, ours) && !index(frame, build) }
  function flush(p,    owner, deciding, i) {
    if (kind[p] == "") return
    owner = ""
    deciding = ""
    for (i = 1; i <= nframes[p]; i++) {
      if (frames[p, i] ~ /^ *Address 0x/) break
      if (deciding == "" && decides(frames[p, i])) {
        deciding = frames[p, i]
        owner = isours(deciding) ? "ours" : "theirs"
      } else if (owner == "theirs" && via == "" && isours(frames[p, i])) {
        owner = "theirs"; via = frames[p, i]
      }
    }
    if (owner == "") owner = "theirs"
    if (kind[p] == "definitely lost") {
      bytes[owner] += lost[p]
      records[owner]++
    } else {
      errors[kind[p], owner]++
      kinds[kind[p]] = 1
    }
    if (owner == "ours") {
      print "--- ours, process " p ": " head[p]
      for (i = 1; i <= nframes[p]; i++) print frames[p, i]
    } else {
      # One line each, so that a library error our calls led to can be judged.
      sub(/^ *(at|by) /, "", deciding)
      print "    theirs, process " p ": " head[p] "\n      in " deciding (via == "" ? "" : "\n      called from" substr(via, index(via, ":") + 1))
    }
    kind[p] = ""
    via = ""
  }
  {
    if (!match($0, /^==[0-9]+==/)) next
    p = substr($0, 3, RLENGTH - 4)
    if (main == "") main = p
    line = substr($0, RLENGTH + 1); sub(/^ /, "", line)
  }
  line ~ /^ERROR SUMMARY:/ { summary[p] = line; next }
  line ~ /^ *((at|by) 0x|Address 0x)/ { if (kind[p] != "") frames[p, ++nframes[p]] = line; next }
  line == "" { flush(p); next }
  line ~ /are definitely lost in loss record/ {
    flush(p); kind[p] = "definitely lost"; head[p] = line; nframes[p] = 0
    split(line, words, " "); lost[p] = words[1]; gsub(/,/, "", lost[p]); lost[p] += 0
    next
  }
  line ~ /^(Invalid (read|write|free)|Conditional jump|Use of uninitialised|Syscall param|Mismatched free|Source and destination overlap|Argument .* of function)/ {
    flush(p); kind[p] = line; head[p] = line; nframes[p] = 0
    sub(/ of size [0-9]+$/, "", kind[p]); sub(/ contains uninitialised byte.*$/, "", kind[p])
    next
  }
  END {
    for (q in kind) flush(q)
    print "=== viewer (process " main "): " summary[main]
    for (q in summary) if (q != main) print "=== forked child (process " q "): " summary[q]
    for (k in kinds) printf "error \"%s\": ours %d, theirs %d\n", k, errors[k, "ours"], errors[k, "theirs"]
    printf "definitely lost (every process, with what hangs off it): ours %d bytes in %d records, theirs %d bytes in %d records\n",
      bytes["ours"], records["ours"], bytes["theirs"], records["theirs"]
  }' "$log" >"$work/verdict"
cat "$work/verdict"
echo "leak summary of the viewer:"
grep -E "^==$(head -n1 "$log" | sed 's/^==\([0-9]*\)==.*/\1/')== +(definitely|indirectly|possibly) lost:" "$log" |
  sed 's/^==[0-9]*== */  /'
echo "viewer exit code: $rc"

[[ $rc == 0 ]] || exit 1
if grep -q '^--- ours' "$work/verdict"; then exit 1; fi
echo "valgrind-viewer: no memcheck error starts in our code and nothing of ours is definitely lost"
