#!/usr/bin/env bash
# The morvane program end to end in real X servers (Xvfb) driven by real key
# presses (xdotool), each run in a fresh copy of a scene folder made still (no
# rotation), so a change in the picture can only come from the camera.
#
# usage: viewer_e2e.sh MORVANE X_PROBE SCENE_FOLDER
set -euo pipefail
source "$(dirname "$0")/../support/viewer_session.sh"

morvane=$(realpath "$1")
probe=$(realpath "$2")
work=$(mktemp -d)
models=$(realpath "$(dirname "$0")/../data/import")
# Models opened directly are imported into a cache of this run's own.
export XDG_CACHE_HOME=$work/cache
# The scene as it stands after the viewer ran in its own folder: with an
# ogllist.txt of that run, which no copy below may take along.
scene=$work/source
copy_scene "$(realpath "$3")" "$scene"
echo "an earlier run's transcript" >"$scene/ogllist.txt"
xvfb_pids=()
passed=0
pressed_at=""
run=""
# No leak check here: SDL unloads libdbus at shutdown, so its leaks show up in a
# library no suppression can name. viewer_tests leak-check the viewer's code.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

cleanup() {
  if [[ -n $run && -s $run/pid && ! -e $run/rc ]]; then kill "$(cat "$run/pid")" 2>/dev/null || true; fi
  for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [[ -n $run && -f $run/err.log ]]; then sed 's/^/  viewer stderr: /' "$run/err.log" >&2; fi
  for pid in "${xvfb_pids[@]}"; do kill -0 "$pid" 2>/dev/null || echo "  X server $pid is gone" >&2; done
  for log in "$work"/xvfb-*.log; do [[ -s $log ]] && sed "s|^|  $(basename "$log"): |" "$log" >&2; done
  exit 1
}
pass() { echo "ok: $*" && passed=$((passed + 1)); }

# xdo ARGS...: xdotool, asked again while a busy X server refuses its connection.
xdo() {
  for _ in 1 2 3 4 5 6 7 8 9; do xdotool "$@" 2>/dev/null && return 0 || sleep 0.1; done
  xdotool "$@"
}

# start_x WIDTHxHEIGHT [XVFB_ARGS...]: a new X server of that screen size; sets DISPLAY.
start_x() {
  local size=$1
  shift
  start_xvfb "${size}x24" "$work/xvfb-$size-${#xvfb_pids[@]}.log" "$@" || fail "Xvfb $size did not start"
}

# start_viewer NAME [PREPARE [RUNNER...]]: runs morvane (under RUNNER, if given)
# on a fresh still copy of the scene in NAME/scene, named on its command line
# from the folder NAME; PREPARE (a command) is run on the copy first.
start_viewer() {
  run=$work/$1
  local prepare=${2:-true}
  shift $(($# > 1 ? 2 : 1))
  copy_scene "$scene" "$run/scene"
  sed -i 's/^rotate=.*;$/rotate=(0,0,0);/' "$run/scene/scene.txt"
  $prepare "$run/scene"
  launch_in "$run" "$@" "$morvane" "${viewer_args[@]}" scene
}
viewer_args=()

shot() { "$probe" shot "$1" "$win_x" "$win_y" "$win_w" "$win_h"; }
lit() { "$probe" lit "$1"; }

# find_window TITLE: waits for the window and its first picture (a box listens
# to keys by then); sets win_id, win_x, win_y, win_w and win_h.
find_window() {
  read -r win_id win_x win_y win_w win_h < <("$probe" find "$1" 20000) ||
    fail "no window titled '$1' appeared"
  for _ in $(seq 100); do
    shot "$work/drawn.png"
    (($(lit "$work/drawn.png") > 1000)) && return 0 || sleep 0.1
  done
  fail "the window '$1' shows no picture"
}

# press KEYS... / hold KEY SECONDS: keys for the last window found (the pointer
# gives it the focus); the viewer reads held keys, so hold keeps one down for
# frame ticks to see and sets pressed_at.
point() { xdo mousemove $((win_x + win_w / 2)) $((win_y + win_h / 2)); }
press() { point && xdo key "$@"; }
hold() { point && pressed_at=$(date +%s%N) && xdo keydown "$1" && sleep "$2" && xdo keyup "$1"; }

# said COUNT PATTERN WHAT: waits until COUNT lines of the viewer's standard
# error match PATTERN (a basic regular expression).
said() {
  # The check of a large scene may take a while in a sanitizer build.
  for _ in $(seq 600); do
    (($(grep -c -- "$2" "$run/err.log") >= $1)) && return 0 || sleep 0.1
  done
  fail "standard error does not say $3"
}

# answer TITLE KEY: finds the box TITLE, answers it with KEY and waits for it to
# go, pressing again when the box missed the press, as a user would.
answer() {
  find_window "$1"
  for _ in 1 2 3; do
    press "$2"
    for _ in $(seq 30); do
      "$probe" find "$1" 0 >/dev/null 2>&1 || return 0
      sleep 0.1
    done
  done
  fail "the box '$1' does not take $2"
}

# expect_exit LIMIT_MS AFTER [CODE]: exit code CODE (default 0) within LIMIT_MS
# (from pressed_at if set).
expect_exit() {
  local start=${pressed_at:-$(date +%s%N)}
  pressed_at=""
  until [[ -s $run/rc ]]; do
    ((($(date +%s%N) - start) / 1000000 <= $1)) || fail "the viewer still runs $1 ms after $2"
    sleep 0.01
  done
  elapsed_ms=$((($(date +%s%N) - start) / 1000000))
  [[ $(cat "$run/rc") == "${3:-0}" ]] || fail "exit code $(cat "$run/rc") after $2"
}

# open_windowed NAME: starts the viewer, answers the question No and finds its window.
open_windowed() {
  start_viewer "$1"
  answer "Start FullScreen?" Escape
  find_window "Morvane 2006"
}

# open_window NAME [OPTIONS...]: starts the viewer with --windowed (and
# OPTIONS), which asks nothing, and finds its window.
open_window() {
  viewer_args=(--windowed "${@:2}")
  start_viewer "$1"
  viewer_args=()
  find_window "Morvane 2006"
}

# --- No display at all ---------------------------------------------------------
# None named, or one named where no X server listens: one line says so, and
# nothing else reaches the terminal (no question, no complaint of a library).
absent=5000
while [[ -e /tmp/.X11-unix/X$absent || -e /tmp/.X$absent-lock ]]; do absent=$((absent + 1)); done
for display in none ":$absent"; do
  run=$work/no-display-${display#:}
  copy_scene "$scene" "$run"
  environment=(env -u WAYLAND_DISPLAY -u DISPLAY)
  [[ $display == none ]] || environment+=("DISPLAY=$display")
  status=0
  (cd "$run" && "${environment[@]}" timeout 20 "$morvane" >parse.log 2>err.log) || status=$?
  ((status == 1)) || fail "exit code $status with display $display, not 1"
  [[ $(wc -l <"$run/err.log") == 1 ]] && grep -q "^morvane: no window could be opened: " "$run/err.log" ||
    fail "with display $display standard error is not one line saying why no window opened"
  [[ ! -s $run/parse.log && ! -e $run/ogllist.txt ]] || fail "a start without a display wrote the parse log or ogllist.txt"
done
pass "without a display, or with one that cannot be reached, one line says why, exit code 1"

# --- Boxes that cannot be shown, on a read-only scene folder ------------------------
# An X server with only its built-in fonts cannot draw a box's text. The
# question then counts as No, and the window opens; the folder, which cannot
# take ogllist.txt, is drawn all the same.
start_x 1024x768 -fp built-ins
runner=()
((EUID == 0)) && runner=(setpriv "--bounding-set=-dac_override,-dac_read_search" --)
start_viewer no-boxes "chmod -R a-w" "${runner[@]}"
find_window "Morvane 2006"
(($(lit "$work/drawn.png") > 800 * 600 / 20)) || fail "the read-only scene is not drawn"
hold Escape 0.1
expect_exit 3000 Escape
chmod -R u+w "$run/scene"
grep -qx "morvane: Start FullScreen?: Wollen Sie im Vollbildmodus starten?" "$run/err.log" ||
  fail "the question that could not be shown is not on standard error"
grep -q "^morvane: ogllist.txt not written in scene (" "$run/err.log" ||
  fail "no line about the missing ogllist.txt that names the folder"
pass "a box that cannot be shown counts as No: a window shows the read-only scene"

# --- A display without OpenGL ------------------------------------------------------
# The scene's files are read while the window is made; a start that fails there
# writes no parse log and no ogllist.txt.
start_x 1024x768 -fp built-ins -extension GLX
run=$work/no-gl
copy_scene "$scene" "$run"
status=0
(cd "$run" && timeout 20 "$morvane" >parse.log 2>err.log) || status=$?
((status == 1)) || fail "exit code $status without OpenGL, not 1"
grep -q "^morvane: no window could be opened: Window Creation Error." "$run/err.log" ||
  fail "no line saying the window could not be made"
[[ ! -s $run/parse.log && ! -e $run/ogllist.txt ]] || fail "a start without a window left a parse log or ogllist.txt"
pass "without OpenGL no window opens, exit code 1, and nothing of the scene is written"

# --- Windowed runs on a 1024 × 768 screen -----------------------------------------
start_x 1024x768
open_windowed windowed
[[ "$win_x $win_y $win_w $win_h" == "0 0 800 600" ]] ||
  fail "window at $win_x,$win_y size ${win_w}x$win_h, not an 800 x 600 client area at 0,0"
pass "the box 'Start FullScreen?' answered No (Escape) opens 'Morvane 2006', 800 x 600"

shot "$work/still-1.png"
sleep 0.5
shot "$work/still-2.png"
lit=$(lit "$work/still-1.png")
((lit > 800 * 600 / 20)) || fail "the scene is not visible ($lit lit pixels)"
(($("$probe" diff "$work/still-1.png" "$work/still-2.png") == 0)) ||
  fail "the still scene changes without a key held"
pass "the screenshot shows the scene ($lit lit pixels) and holds still"

# A still scene is not drawn again: between ticks the loop sleeps.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$(cat "$run/pid")/stat"; }
cpu_before=$(cpu_ticks)
sleep 2
spent=$(($(cpu_ticks) - cpu_before))
((spent < 50)) || fail "the still scene took $spent of 200 clock ticks of processor time in 2 s"
pass "a still scene leaves the processor idle ($spent of 200 clock ticks in 2 s)"

hold Up 1
sleep 0.3
shot "$work/moved.png"
changed=$("$probe" diff "$work/still-2.png" "$work/moved.png")
((changed > 1000)) || fail "holding Up changed only $changed pixels"
pass "holding Up for a second changes the picture ($changed pixels)"

hold Escape 0.1
expect_exit 1000 Escape
pass "Escape ends the program with exit code 0 in $elapsed_ms ms"

head -n1 "$run/scene/ogllist.txt" | grep -qx "OPENGL-Diplay-Listen:" || fail "ogllist.txt not written"
grep -q "glNewList((GLint) 1,GL_COMPILE);" "$run/scene/ogllist.txt" || fail "ogllist.txt has no list"
[[ ! -e $run/ogllist.txt ]] || fail "ogllist.txt was written outside the scene folder"
grep -q "^Parse: 'name' | Value:  = Name = " "$run/parse.log" || fail "no parse log on stdout"
pass "ogllist.txt goes into the folder named on the command line, the parse log to stdout"

# --windowed answers the question before it is asked; --quiet leaves
# standard output to everything but the parse log.
open_window close-button --quiet
"$probe" close "$win_id"
expect_exit 3000 "the close request"
[[ ! -s $run/parse.log ]] || fail "--quiet wrote the parse log on standard output"
grep -q "glNewList((GLint) 1,GL_COMPILE);" "$run/scene/ogllist.txt" || fail "--quiet left out ogllist.txt"
pass "--windowed opens the window without asking, --quiet keeps stdout empty, the close button ends it"

open_window alt-f4
press alt+F4
expect_exit 3000 Alt+F4
pass "Alt+F4 ends the program with exit code 0"

open_window interrupt
kill -TERM "$(cat "$run/pid")"
expect_exit 3000 SIGTERM
pass "a termination request (SIGTERM) closes the window like its close button, exit code 0"

start_viewer question-term
find_window "Start FullScreen?"
pressed_at=$(date +%s%N)
kill -TERM "$(cat "$run/pid")"
expect_exit 3000 "SIGTERM at the question" 143
pass "SIGTERM while the question is shown ends the program in $elapsed_ms ms"

# --- Loading that takes a while ----------------------------------------------------
# An object of three million lines that no block draws: the scene on screen is the
# demo's, and loading it takes long enough to be met in the middle.
awk 'BEGIN {
  print "name=hidden;"; print "type=gl_triangles;"
  for (k = 0; k < 1500000; ++k) printf "t=(0.5,0.5);\np=(%d.25,1,-9);\n", k % 997
  print "endlist;"
}' >"$work/hidden-object.txt"
slow() { cat "$work/hidden-object.txt" >>"$1/objects.txt"; }
# wait_window TITLE: the window's id as soon as it exists, drawn or not.
wait_window() { read -r win_id win_x win_y win_w win_h < <("$probe" find "$1" 20000) || fail "no window '$1'"; }

start_viewer loading-close slow
answer "Start FullScreen?" Escape
wait_window "Morvane 2006"
sleep 0.2
pressed_at=$(date +%s%N)
"$probe" close "$win_id"
expect_exit 3000 "the close button while loading"
[[ ! -e $run/scene/ogllist.txt ]] || fail "the close button while loading left an ogllist.txt"
pass "the close button while the scene loads ends the program in $elapsed_ms ms, writing no ogllist.txt"

start_viewer loading-interrupt slow
answer "Start FullScreen?" Escape
wait_window "Morvane 2006"
sleep 0.2
pressed_at=$(date +%s%N)
kill -INT "$(cat "$run/pid")"
expect_exit 3000 "SIGINT while loading"
[[ -z $(find "$run/scene" -name '.*') && ! -e $run/scene/ogllist.txt ]] ||
  fail "SIGINT while loading left a temporary file or an ogllist.txt"
pass "SIGINT while the scene loads ends the program in $elapsed_ms ms, leaving no file"

# With --watch, an edit made while the first load runs is loaded after it.
viewer_args=(--watch)
start_viewer watch-while-loading slow
viewer_args=()
answer "Start FullScreen?" Escape
wait_window "Morvane 2006"
sed -i 's/^scale=.*;$/scale=(0,0,0);/' "$run/scene/scene.txt"
for _ in $(seq 100); do
  shot "$work/now.png"
  (($(lit "$work/now.png") < 100)) && break || sleep 0.1
done
(($(lit "$work/now.png") < 100)) || fail "an edit made while the scene loaded was never loaded"
pass "with --watch an edit made while the scene loads is loaded after it"
"$probe" close "$win_id"
expect_exit 3000 "the close button"

# A reload builds the new scene while the old one is still shown and moves.
slow_and_missing() { slow "$1" && printf 'missing.bmp\n' >>"$1/textures.txt"; }
viewer_args=(--watch)
start_viewer reload-live slow_and_missing
viewer_args=()
answer "Start FullScreen?" Escape
# The bitmap's box comes up behind the window, which has the focus by then.
find_window "Error"
xdo windowfocus "$win_id"
answer "Error" Return
find_window "Morvane 2006"
# The box's pixels stay on screen until the first frame, so the start is over
# only once ogllist.txt is written.
for _ in $(seq 300); do [[ -e $run/scene/ogllist.txt ]] && break || sleep 0.1; done
# The summary line comes once start-up is over and the frames run.
summary='^morvane: 1 error, at textures.txt:6: bitmap "missing.bmp" cannot be loaded: '
said 1 "$summary" "the missing bitmap as the first error at start-up"
sed -i 's/^scale=.*;$/scale=(0.5,0.5,0.5);/' "$run/scene/scene.txt"
sleep 0.3
shot "$work/reloading-1.png"
hold Up 1
sleep 0.1
shot "$work/reloading-2.png"
(($("$probe" diff "$work/reloading-1.png" "$work/reloading-2.png") > 1000)) ||
  fail "the window did not move while the scene was loaded again"
"$probe" find "Error" 0 >/dev/null 2>&1 && fail "a reload showed a box"
# Its line comes at start-up (beside the box) and again at the reload.
said 2 "^morvane: textures.txt:6: 'missing.bmp' not loaded: Failed to open DIB file missing.bmp.$" \
  "the missing bitmap at start-up and at the reload"
said 2 "$summary" "the missing bitmap as the first error at the reload"
pass "a reload keeps the window moving, shows no box and names the missing bitmap on stderr"
sed -i 's/^scale=.*;$/scale=(1,1,1);/' "$run/scene/scene.txt"
sleep 0.4
pressed_at=$(date +%s%N)
"$probe" close "$win_id"
expect_exit 3000 "the close button during a reload"
pass "the close button during a reload ends the program in $elapsed_ms ms"

# --- The authoring loop ------------------------------------------------------------
# picture_within SECONDS REF.png OP N WHAT: waits for the number of pixels
# that differ from REF to be OP N (-gt 1000: changed, -eq 0: the same).
picture_within() {
  local deadline=$(($(date +%s%N) + $1 * 1000000000))
  while (($(date +%s%N) < deadline)); do
    shot "$work/now.png"
    test "$("$probe" diff "$2" "$work/now.png")" "$3" "$4" && return 0
    sleep 0.05
  done
  fail "the picture did not become as expected within $1 s after $5"
}
changes_within() { picture_within "$1" "$2" -gt 1000 "$3"; }

viewer_args=(--watch)
open_windowed watch
viewer_args=()
shot "$work/before-edit.png"
sed -i 's/^scale=.*;$/scale=(0.5,0.5,0.5);/' "$run/scene/scene.txt"
changes_within 1 "$work/before-edit.png" "editing scene.txt"
pass "with --watch an edit of scene.txt shows within a second"

shot "$work/before-rename.png"
sed 's/^scale=.*;$/scale=(1.5,1.5,1.5);/' "$run/scene/scene.txt" >"$run/scene/.scene.txt.new"
mv "$run/scene/.scene.txt.new" "$run/scene/scene.txt"
changes_within 1 "$work/before-rename.png" "a save by rename"
pass "with --watch a save that renames a new file over scene.txt shows too"

# A misspelt list name draws another object: the summary line names it as
# morvane-check does, and the reload that fixes it says so.
sed -i 's/^list=Cube;$/list=Cubee;/' "$run/scene/scene.txt"
said 1 '^morvane: 1 error, at scene.txt:14: list "cubee" names no object of objects.txt (did you mean "cube"?); .*; run morvane-check scene for details$' \
  "the misspelt list name as the first of the checker's errors"
clean='^morvane: scene.txt, objects.txt and textures.txt loaded without problems$'
fixes=$(($(grep -c -- "$clean" "$run/err.log") + 1))
sed -i 's/^list=Cubee;$/list=Cube;/' "$run/scene/scene.txt"
said "$fixes" "$clean" "that the fixed scene loaded without problems"
pass "with --watch the summary line names a misspelt list name, and the fix is said to load cleanly"

# Links planted under the names of the next few seconds' pictures are never
# written through: the picture takes a name of its own.
printf 'not to be touched\n' >"$work/outside.txt"
for second in 0 1 2 3; do
  ln -s "$work/outside.txt" "$run/morvane-$(date -d "+$second seconds" +%Y%m%d-%H%M%S).png"
done
# The picture holds what the window shows at its size of the moment.
xdo windowsize "$win_id" 1000 500
for _ in $(seq 50); do
  find_window "Morvane 2006"
  [[ "$win_w $win_h" == "1000 500" ]] && break || sleep 0.1
done
[[ "$win_w $win_h" == "1000 500" ]] || fail "the window is ${win_w}x$win_h after a resize to 1000 x 500"
sleep 0.2
shot "$work/on-screen.png"
press F12
pictures() { find "$run" -maxdepth 1 -type f -name 'morvane-*.png'; }
for _ in $(seq 50); do [[ -n $(pictures) ]] && break || sleep 0.1; done
picture=$(pictures | head -n1)
[[ -n $picture ]] || fail "F12 wrote no picture into the start folder"
[[ $(basename "$picture") =~ ^morvane-[0-9]{8}-[0-9]{6}(-[0-9]+)?\.png$ ]] || fail "F12 picture named $picture"
[[ $(cat "$work/outside.txt") == "not to be touched" ]] || fail "F12 wrote through a planted link"
(($("$probe" diff "$picture" "$work/on-screen.png") < 1000 * 500 / 1000)) ||
  fail "the F12 picture does not match the resized window"
grep -q "^morvane: picture written to $picture$" "$run/err.log" || fail "F12 does not say where the picture went"
pass "F12 writes $(basename "$picture") into the start folder, matching the resized window, past planted links"
hold Escape 0.1
expect_exit 3000 Escape

open_windowed reload-key
shot "$work/before-f5.png"
sed -i 's/^scale=.*;$/scale=(0.5,0.5,0.5);/' "$run/scene/scene.txt"
sleep 0.5
shot "$work/unwatched.png"
(($("$probe" diff "$work/before-f5.png" "$work/unwatched.png") == 0)) ||
  fail "without --watch the picture changed before F5"
press F5
changes_within 1 "$work/before-f5.png" "F5"
(($(grep -c "^Parse: 'name'" "$run/parse.log") == 2 * $(grep -c "^name=" "$run/scene/objects.txt"))) ||
  fail "F5 did not write the parse log again"
pass "F5 loads the scene again, with the parse log on stdout once more"
hold Escape 0.1
expect_exit 3000 Escape

# --- The mouse, and folders dropped onto the window -------------------------------
# drag DX: drags the pointer DX pixels to the right with the left button held.
drag() {
  point && xdo mousedown 1
  for _ in 1 2 3 4 5; do xdo mousemove_relative -- $(($1 / 5)) 0 && sleep 0.02; done
  xdo mouseup 1
}
# still_after WHAT NAME: NAME.png once the picture has settled: the same over
# 0.3 s without input, within 3 s.
still_after() {
  shot "$work/$2.png"
  for _ in $(seq 10); do
    sleep 0.3
    shot "$work/now.png"
    (($("$probe" diff "$work/$2.png" "$work/now.png") == 0)) && return 0
    mv "$work/now.png" "$work/$2.png"
  done
  fail "the picture moves on after $1"
}

open_window mouse --watch
shot "$work/mouse-start.png"
for spot in "100 100" "700 500" "400 300"; do
  xdo mousemove $((win_x + ${spot% *})) $((win_y + ${spot#* })) && sleep 0.05
done
still_after "moving the pointer" pointer-moved
(($("$probe" diff "$work/mouse-start.png" "$work/pointer-moved.png") == 0)) ||
  fail "moving the pointer without a button changed the picture"
drag 100
still_after "a drag" dragged
changed=$("$probe" diff "$work/pointer-moved.png" "$work/dragged.png")
((changed > 1000)) || fail "a drag with the left button changed only $changed pixels"
pass "a drag turns the view ($changed pixels); the pointer alone does not, and the view then holds still"
point && xdo click --repeat 2 4
still_after "the wheel" wheeled
changed=$("$probe" diff "$work/dragged.png" "$work/wheeled.png")
((changed > 1000)) || fail "two wheel notches changed only $changed pixels"
pass "two wheel notches move the view ($changed pixels), which then holds still"

# A file that is no model is not opened: one line says so, the scene stays.
printf 'v 0 0 0\n' >"$work/notes.txt"
"$probe" drop "$win_id" "$work/notes.txt" || fail "the window does not take a dropped file"
refusal="morvane: '$work/notes.txt' dropped on the window is not opened: a file, but not a model file"
still_after "dropping a file" file-dropped
(($("$probe" diff "$work/wheeled.png" "$work/file-dropped.png") == 0)) || fail "dropping a file changed the picture"
[[ $(grep -c "dropped on the window" "$run/err.log") == 1 ]] && grep -q "^$refusal" "$run/err.log" ||
  fail "a dropped file is not refused in one line"
pass "a dropped file is refused in one line on stderr, and the scene stays"

# A scene folder replaces the scene, shown from where a start in it looks;
# ogllist.txt goes there, and --watch follows it.
copy_scene "$run/scene" "$work/dropped"
"$probe" drop "$win_id" "$work/dropped" || fail "the window does not take a dropped folder"
picture_within 10 "$work/mouse-start.png" -eq 0 "dropping a copy of the scene folder"
[[ -s $work/dropped/ogllist.txt ]] || fail "the dropped folder got no ogllist.txt"
sed -i 's/^scale=.*;$/scale=(0.5,0.5,0.5);/' "$work/dropped/scene.txt"
changes_within 5 "$work/mouse-start.png" "editing the dropped folder's scene.txt"
pass "a dropped scene folder is loaded and seen as a start there sees it, and --watch follows it"
shot "$work/before-model.png"
"$probe" drop "$win_id" "$models/turned_cube.obj" || fail "the window does not take a dropped model"
changes_within 10 "$work/before-model.png" "dropping a model file"
grep -q "cannot read" "$run/err.log" && fail "the dropped model was not read"
pass "a dropped model file is imported and replaces the scene"
hold Escape 0.1
expect_exit 3000 Escape

# A drop ends the reload in progress: the folder being reloaded keeps the
# ogllist.txt it had, and the dropped one is shown.
open_window drop-while-reloading
cp "$run/scene/ogllist.txt" "$work/first-ogllist.txt"
shot "$work/before-drop.png"
copy_scene "$scene" "$work/dropped-2"
sed -i 's/^rotate=.*;$/rotate=(0,0,0);/; s/^scale=.*;$/scale=(0.5,0.5,0.5);/' "$work/dropped-2/scene.txt"
slow "$run/scene"
press F5
sleep 0.2
"$probe" drop "$win_id" "$work/dropped-2" || fail "the window does not take a drop during a reload"
changes_within 10 "$work/before-drop.png" "a drop during a reload"
sleep 1
cmp -s "$run/scene/ogllist.txt" "$work/first-ogllist.txt" || fail "the reload ended by a drop rewrote ogllist.txt"
[[ -s $work/dropped-2/ogllist.txt && -z $(find "$run/scene" "$work/dropped-2" -name '.*') ]] ||
  fail "the drop during a reload left a temporary file or no ogllist.txt"
pass "a drop during a reload ends it, leaving its folder as it was, and shows the dropped folder"
hold Escape 0.1
expect_exit 3000 Escape

# --- A model file, opened directly --------------------------------------------------
run=$work/model
mkdir -p "$run"
cp "$models/turned_cube.obj" "$models/turned_cube.mtl" "$run/"
launch_in "$run" "$morvane" --windowed --watch turned_cube.obj
find_window "Morvane 2006"
shot "$work/model.png"
(($(lit "$work/model.png") > 800 * 600 / 20)) || fail "the model opened directly is not shown"
pass "morvane MODEL shows the model through the cache of imports"
# One corner of the cube moved: under --watch the model is imported again.
sed -i '2s/.*/v -3 -2 -2/' "$run/turned_cube.obj"
changes_within 10 "$work/model.png" "editing the model under --watch"
pass "with --watch an edit of the model file is imported and shown"
"$probe" close "$win_id"
expect_exit 3000 "the close button"

# --- Full screen refused on a screen without 800 × 600 ---------------------------
# --fullscreen answers the question, and a refused mode is still offered the window.
viewer_args=(--fullscreen)
start_viewer refused-yes
viewer_args=()
answer "Pello GL" Return
find_window "Morvane 2006"
[[ "$win_w $win_h" == "800 600" ]] || fail "fallback window is ${win_w}x$win_h"
hold Escape 0.1
expect_exit 3000 Escape
pass "--fullscreen asks nothing, and a refused full-screen mode answered Yes runs windowed"

start_viewer refused-no
answer "Start FullScreen?" Return
answer "Pello GL" Escape
find_window "ERROR"
"$probe" find "Morvane 2006" 0 >/dev/null 2>&1 && fail "a window exists behind 'Program Will Now Close.'"
answer "ERROR" Return
expect_exit 3000 "the last box" 1
pass "a refused full-screen mode answered No closes the program with exit code 1"

# --- Full screen where the screen offers 800 × 600 --------------------------------
start_x 800x600
start_viewer full-screen
answer "Start FullScreen?" Return
find_window "Morvane 2006"
[[ "$win_x $win_y $win_w $win_h" == "0 0 800 600" ]] ||
  fail "full-screen window at $win_x,$win_y size ${win_w}x$win_h"
shot "$work/full-screen.png"
(($(lit "$work/full-screen.png") > 800 * 600 / 20)) || fail "full-screen scene not visible"
hold Escape 0.1
expect_exit 3000 Escape
pass "Return (Yes) runs full screen on an 800 x 600 screen"

echo "$passed passed, 0 failed"
