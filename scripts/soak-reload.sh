#!/usr/bin/env bash
# Reloads the viewer's scene many times by rewriting its files while it runs
# with --watch in a real X server (Xvfb), and checks that resident memory and
# open file descriptors stay flat: after a warm-up of 20 reloads, the
# descriptor count must not change and resident memory must not grow by more
# than a limit. Prints both at the warm-up and at the end.
#
# Not part of the test suite (1,000 reloads take a few minutes). A short run:
#   scripts/soak-reload.sh build/app/morvane examples/demo 50
#
# usage: soak-reload.sh MORVANE SCENE_FOLDER [RELOADS]   (default 1000)
# environment: MORVANE_SOAK_RSS_LIMIT_KB  allowed growth (default 2048)
set -euo pipefail
source "$(dirname "$0")/../tests/support/viewer_session.sh"

morvane=$(realpath "$1")
scene=$(realpath "$2")
reloads=${3:-1000}
rss_limit_kb=${MORVANE_SOAK_RSS_LIMIT_KB:-2048}
work=$(mktemp -d)
run=$work/run
xvfb_pids=()

cleanup() {
  if [[ -s $run/pid && ! -e $run/rc ]]; then stop_process "$(cat "$run/pid")" 50; fi
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  [[ -f $run/err.log ]] && tail -n 5 "$run/err.log" | sed 's/^/  viewer stderr: /' >&2
  exit 1
}

# Only the built-in fonts: the start question cannot be shown, so the viewer
# opens its window without anyone answering.
start_xvfb 1024x768x24 "$work/xvfb.log" -fp built-ins || fail "Xvfb did not start"
copy_scene "$scene" "$run"
marker=$(grep -m1 '^name=' "$run/objects.txt")
loads() { grep -cxF "$marker" "$run/parse.log" || true; }
launch_in "$run" "$morvane" --watch
pid=$(cat "$run/pid")
rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status"; }
fds() { find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l; }

for _ in $(seq 200); do (($(loads) >= 1)) && break || sleep 0.05; done
(($(loads) >= 1)) || fail "the viewer did not load the scene"
start=$(date +%s%N)
for ((i = 1; i <= reloads; i++)); do
  # Alternately an edit in place and a save by rename.
  if ((i % 2)); then
    sed -i "s/^scale=.*;$/scale=(1,1,1);/" "$run/scene.txt"
  else
    sed "s/^scale=.*;$/scale=(0.9,0.9,0.9);/" "$run/scene.txt" >"$run/.scene.new"
    mv "$run/.scene.new" "$run/scene.txt"
  fi
  for _ in $(seq 100); do (($(loads) > i)) && break || sleep 0.01; done
  (($(loads) > i)) || fail "reload $i did not happen within a second"
  if ((i == 20 || (reloads < 20 && i == 1))); then
    base_rss=$(rss_kb)
    base_fds=$(fds)
  fi
done
seconds=$((($(date +%s%N) - start) / 1000000000))
end_rss=$(rss_kb)
end_fds=$(fds)
echo "after the warm-up: ${base_rss} kB resident, ${base_fds} descriptors"
echo "after $reloads reloads: ${end_rss} kB resident, ${end_fds} descriptors ($seconds s)"
((end_fds == base_fds)) || fail "open descriptors went from $base_fds to $end_fds"
((end_rss - base_rss <= rss_limit_kb)) || fail "resident memory grew by $((end_rss - base_rss)) kB"
echo "ok: $reloads reloads with flat memory and descriptors"
