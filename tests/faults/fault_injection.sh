#!/usr/bin/env bash
# Faults the operating system really produces, met by morvane-snapshot (the
# viewer's start-up and frame ticks without a window), each in a fresh copy of
# a scene folder:
# - the transcript ogllist.txt cannot be created: the compiler gives up, the
#   scene stays empty (black), the parse log is still written, exit code 0;
# - a line of textures.txt names something that is not a readable bitmap
#   file: the bitmap loader's open-failure message, and the run goes on;
# - the disk is full while the transcript or the parse log is written: the
#   picture is still the scene's, exit code 0.
#
# Permission faults need a process that permission bits bind. Root ignores
# them, so as root those cases run with the two capabilities that override
# file permissions taken away (setpriv), or, for a read-only folder, on a
# read-only bind mount in a private mount namespace; a case whose means the
# machine does not allow is skipped with the reason. The small full disk is a
# tmpfs in a private mount namespace, skipped likewise.
#
# usage: fault_injection.sh MORVANE_SNAPSHOT SCENE_FOLDER
set -euo pipefail

snapshot=$(realpath "$1")
scene=$(realpath "$2")
work=$(mktemp -d)
frames=5
passed=0
skipped=0

cleanup() {
  chmod -R u+rwX "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  for f in "$work/$case".{err,out}; do
    [[ -s $f ]] && head -n 20 "$f" | sed "s|^|  $(basename "$f"): |" >&2
  done
  exit 1
}
pass() {
  echo "ok: $*"
  passed=$((passed + 1))
}
skip() {
  echo "skipped: $*"
  skipped=$((skipped + 1))
}

# fresh NAME: a new copy of the scene in $work/NAME, without a transcript left
# by an earlier run in the scene folder; sets case and dir.
fresh() {
  case=$1
  dir=$work/$1
  mkdir "$dir"
  cp -r "$scene"/. "$dir"/
  rm -rf "$dir/ogllist.txt"
}

# shoot [RUNNER...] -- [OPTIONS...]: runs the snapshot of $dir through RUNNER
# (a command prefix, possibly none) with a time limit, so that a hang fails
# the case instead of the suite; output in $work/$case.{png,out,err}; sets rc.
shoot() {
  local runner=()
  while [[ $1 != -- ]]; do runner+=("$1"); shift; done
  shift
  rc=0
  timeout 60 "${runner[@]}" "$snapshot" --frames "$frames" --output "$work/$case.png" "$@" "$dir" \
    >"$work/$case.out" 2>"$work/$case.err" || rc=$?
  ((rc != 124)) || fail "$case: the snapshot still ran after 60 s"
}

# A command prefix under which permission bits bind, even as root.
without_override=()
if ((EUID == 0)); then without_override=(setpriv "--bounding-set=-dac_override,-dac_read_search" --); fi

# The two pictures every case is judged against, and the normal run's outputs.
mkdir "$work/empty"
case=empty
dir=$work/empty
shoot -- || fail "an empty folder gives exit code $rc"
fresh normal
shoot -- || fail "the normal run gives exit code $rc"
cp "$dir/ogllist.txt" "$work/normal-ogllist.txt"
[[ -s $work/normal.out ]] || fail "the normal run writes no parse log"
[[ ! -s $work/normal.err ]] || fail "the normal run writes to standard error"
! cmp -s "$work/normal.png" "$work/empty.png" || fail "the normal run's picture is black"

# picture_is NAME: the last shot's picture is $work/NAME.png. Both come from the
# same renderer after the same number of frames, so equal scenes give equal
# files, byte for byte.
picture_is() {
  cmp -s "$work/$case.png" "$work/$1.png"
}

can_drop_override=false
probe=$work/probe-locked
echo x >"$probe"
chmod 000 "$probe"
if "${without_override[@]}" test ! -r "$probe" 2>/dev/null; then can_drop_override=true; fi
# A private mount namespace in which this process may mount (as root, when the
# machine allows it); the mounts end with the namespace.
can_mount=false
mkdir "$work/mount-probe"
# shellcheck disable=SC2016 # expanded by the inner shell
if unshare -m sh -c 'mount -t tmpfs -o size=16k tmpfs "$0"' "$work/mount-probe" 2>/dev/null; then
  can_mount=true
fi

# --- The transcript cannot be created ---------------------------------------------

# expect_no_transcript WHAT: exit 0, a black picture, the normal parse log.
expect_no_transcript() {
  ((rc == 0)) || fail "$1: exit code $rc"
  picture_is empty || fail "$1: the picture is not black (no list was compiled)"
  cmp -s "$work/$case.out" "$work/normal.out" || fail "$1: the parse log differs from the normal run's"
  [[ ! -s $work/$case.err ]] || fail "$1: unexpected messages on standard error"
  pass "$1: exit code 0, a black picture and the full parse log"
}

fresh read-only-folder
chmod 555 "$dir"
if $can_drop_override; then
  shoot "${without_override[@]}" -- || true
  [[ ! -e $dir/ogllist.txt ]] || fail "ogllist.txt was created in a read-only folder"
  expect_no_transcript "a read-only folder"
elif $can_mount; then
  # shellcheck disable=SC2016 # expanded by the inner shell
  shoot unshare -m sh -c 'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" && exec "$@"' \
    "$dir" -- || true
  expect_no_transcript "a read-only folder (read-only bind mount)"
else
  skip "a read-only folder: permission bits cannot bind this process and no mount namespace is allowed"
fi
chmod 755 "$dir"

fresh transcript-is-a-folder
mkdir "$dir/ogllist.txt"
shoot -- || true
expect_no_transcript "ogllist.txt is a folder"

fresh read-only-transcript
printf 'an earlier transcript\n' >"$dir/ogllist.txt"
chmod 444 "$dir/ogllist.txt"
if $can_drop_override; then
  shoot "${without_override[@]}" -- || true
  expect_no_transcript "a read-only ogllist.txt"
  [[ $(cat "$dir/ogllist.txt") == "an earlier transcript" ]] ||
    fail "the read-only ogllist.txt was changed"
  pass "a read-only ogllist.txt keeps its earlier content"
else
  skip "a read-only ogllist.txt: permission bits cannot bind this process"
fi

# --- Bitmap names that are not readable files ----------------------------------------
# Each case adds one line after the scene's own textures, so every texture the
# scene uses keeps its number and the picture must be the normal one.

# bad_texture WHAT NAME [RUNNER...]: NAME (already made in $dir) as a new last
# line of textures.txt gives the open-failure message and the normal picture.
bad_texture() {
  local what=$1 name=$2
  shift 2
  printf '%s\n' "$name" >>"$dir/textures.txt"
  shoot "$@" -- || fail "$what: exit code $rc"
  [[ $(cat "$work/$case.err") == "Error: Failed to open DIB file $name." ]] ||
    fail "$what: standard error is not the open-failure message"
  picture_is normal || fail "$what: the picture differs from the normal run's"
  pass "$what: 'Failed to open DIB file $name.' and the scene drawn as normal"
}

fresh texture-folder
mkdir "$dir/folder.bmp"
bad_texture "a folder named in textures.txt" folder.bmp

fresh texture-fifo
mkfifo "$dir/pipe.bmp"
bad_texture "a FIFO without a writer named in textures.txt" pipe.bmp

fresh texture-device
bad_texture "an endless device named in textures.txt" /dev/zero

fresh texture-unreadable
cp "$dir/checker.bmp" "$dir/locked.bmp"
chmod 000 "$dir/locked.bmp"
if $can_drop_override; then
  bad_texture "an unreadable bitmap named in textures.txt" locked.bmp "${without_override[@]}"
else
  skip "an unreadable bitmap: permission bits cannot bind this process"
fi

# --- A full disk ------------------------------------------------------------------

fresh transcript-on-full-device
ln -s /dev/full "$dir/ogllist.txt"
shoot -- || fail "ogllist.txt on /dev/full: exit code $rc"
picture_is normal || fail "ogllist.txt on /dev/full: the picture differs from the normal run's"
cmp -s "$work/$case.out" "$work/normal.out" || fail "ogllist.txt on /dev/full: the parse log differs"
pass "ogllist.txt on a full device: exit code 0 and the scene drawn as normal"

fresh parse-log-on-full-device
rc=0
timeout 60 "$snapshot" --frames "$frames" --output "$work/$case.png" "$dir" >/dev/full \
  2>"$work/$case.err" || rc=$?
((rc == 0)) || fail "the parse log on /dev/full: exit code $rc"
picture_is normal || fail "the parse log on /dev/full: the picture differs from the normal run's"
cmp -s "$dir/ogllist.txt" "$work/normal-ogllist.txt" || fail "the parse log on /dev/full: the transcript differs"
pass "the parse log on a full device: exit code 0, the normal picture and transcript"

# A folder on a nearly full file system: one page is left for the transcript,
# which needs more, so it is cut short by the full disk partway through.
fresh nearly-full-disk
transcript_size=$(stat -c %s "$work/normal-ogllist.txt")
if ((transcript_size > 4096)) && $can_mount; then
  rc=0
  # shellcheck disable=SC2016 # expanded by the inner shell
  unshare -m bash -c '
    set -e
    dir=$1 snapshot=$2 frames=$3 out=$4
    copy=$(mktemp -d)
    cp -r "$dir"/. "$copy"/
    mount -t tmpfs -o size=512k tmpfs "$dir"
    cp -r "$copy"/. "$dir"/
    rm -rf "$copy"
    dd if=/dev/zero of="$dir/filler" bs=4096 2>/dev/null || true
    truncate -s -4096 "$dir/filler"
    status=0
    timeout 60 "$snapshot" --frames "$frames" --output "$out.png" "$dir" >"$out.out" 2>"$out.err" ||
      status=$?
    cp "$dir/ogllist.txt" "$out-ogllist.txt" 2>/dev/null || true
    exit $status' _ "$dir" "$snapshot" "$frames" "$work/$case" || rc=$?
  ((rc == 0)) || fail "a nearly full disk: exit code $rc"
  picture_is normal || fail "a nearly full disk: the picture differs from the normal run's"
  [[ -f $work/$case-ogllist.txt ]] || fail "a nearly full disk: no transcript was created"
  written=$(stat -c %s "$work/$case-ogllist.txt")
  ((written < transcript_size)) || fail "a nearly full disk: the transcript was not cut short"
  cmp -s -n "$written" "$work/$case-ogllist.txt" "$work/normal-ogllist.txt" ||
    fail "a nearly full disk: what was written of the transcript is not its beginning"
  pass "a nearly full disk: exit code 0, the normal picture, $written of $transcript_size transcript bytes in order"
else
  skip "a nearly full disk: no private mount namespace for a small tmpfs"
fi

# The picture itself cannot be written: the program says so and fails.
case=picture-on-full-device
dir=$work/normal
shoot -- --output /dev/full || true
((rc == 1)) || fail "the picture on /dev/full: exit code $rc, not 1"
grep -q "^morvane-snapshot: cannot write '/dev/full'" "$work/$case.err" ||
  fail "the picture on /dev/full: no message saying it was not written"
pass "a picture that cannot be written: exit code 1 and a message"

echo "$passed passed, $skipped skipped, 0 failed"
