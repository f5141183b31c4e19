# shellcheck shell=bash
# Sourced by the scripts that run the real viewer in an X server of their own
# (the end-to-end test, the soak test and the memcheck run): starting Xvfb on a
# free display, copying a scene folder, running a program in it with its pid
# and exit code recorded, and ending a process that does not stop when asked.

# start_xvfb SCREEN LOG [XVFB_ARGS...]: an Xvfb with one screen of SCREEN (e.g.
# 1024x768x24), its messages in LOG; exports DISPLAY and appends its pid to
# xvfb_pids. Returns 1 when the server does not come up.
start_xvfb() {
  local number_file screen=$1 log=$2
  shift 2
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp "$@" 3>"$number_file" 2>"$log" &
  xvfb_pids+=($!)
  for _ in $(seq 200); do [[ -s $number_file ]] && break || sleep 0.05; done
  if [[ ! -s $number_file ]]; then
    rm -f "$number_file"
    return 1
  fi
  DISPLAY=":$(head -n1 "$number_file")"
  export DISPLAY
  rm -f "$number_file"
}

# copy_scene FROM TO: a copy of the scene folder FROM in TO (made if need be),
# without the ogllist.txt that a run of the viewer in FROM leaves there.
copy_scene() {
  mkdir -p "$2" && cp -r "$1"/. "$2"/ && rm -rf "$2/ogllist.txt"
}

# launch_in DIR COMMAND...: runs COMMAND in DIR in the background with its
# output in DIR/parse.log and DIR/err.log; DIR/pid holds its pid at once and
# DIR/rc its exit code once it has ended.
launch_in() {
  local dir=$1
  shift
  (
    cd "$dir" || exit
    "$@" >parse.log 2>err.log &
    echo $! >pid
    status=0
    wait $! || status=$?
    echo $status >rc
  ) &
  for _ in $(seq 100); do [[ -s $dir/pid ]] && break || sleep 0.02; done
}

# stop_process PID [TENTHS]: asks PID to end, and kills it when it is still
# there after TENTHS tenths of a second (default 50).
stop_process() {
  kill "$1" 2>/dev/null || return 0
  for _ in $(seq "${2:-50}"); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL "$1" 2>/dev/null || true
}
