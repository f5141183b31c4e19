#!/usr/bin/env bash
# Faults the operating system really produces, met by morvane-snapshot (the
# viewer's start-up and frame ticks without a window), each in a fresh copy of
# a scene folder:
# - the transcript ogllist.txt cannot be created: the compiler gives up, the
#   scene stays empty (black), the parse log is still written, exit code 0;
# - a line of textures.txt names something that is not a readable bitmap
#   file: a line naming it with the bitmap loader's message, the summary
#   line naming it as the first error, and the run goes on;
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
# A folder that cannot take the transcript: the scene is compiled and drawn
# all the same, and one line on standard error says why.
expect_drawn_without_transcript() {
  ((rc == 0)) || fail "$1: exit code $rc"
  picture_is normal || fail "$1: the picture differs from the normal run's"
  cmp -s "$work/$case.out" "$work/normal.out" || fail "$1: the parse log differs from the normal run's"
  [[ $(wc -l <"$work/$case.err") == 1 ]] &&
    grep -qF "morvane-snapshot: ogllist.txt not written in $dir (" "$work/$case.err" &&
    grep -q "); the scene is drawn without it$" \
      "$work/$case.err" || fail "$1: standard error does not say in one line why ogllist.txt is missing"
  pass "$1: exit code 0, the normal picture and parse log, one line on standard error"
}

fresh read-only-folder
chmod 555 "$dir"
if $can_drop_override; then
  shoot "${without_override[@]}" -- || true
  [[ ! -e $dir/ogllist.txt ]] || fail "ogllist.txt was created in a read-only folder"
  expect_drawn_without_transcript "a read-only folder"
elif $can_mount; then
  shoot unshare -m sh -c 'mount --bind "$0" "$0" && mount -o remount,bind,ro "$0" && exec "$@"' \
    "$dir" -- || true
  expect_drawn_without_transcript "a read-only folder (read-only bind mount)"
else
  skip "a read-only folder: permission bits cannot bind this process and no mount namespace is allowed"
fi
chmod 755 "$dir"

fresh transcript-is-a-folder
mkdir "$dir/ogllist.txt"
shoot -- || true
expect_drawn_without_transcript "ogllist.txt is a folder"
[[ $(ls -A "$dir" | wc -l) == $(ls -A "$work/normal" | wc -l) ]] || fail "a temporary file was left behind"

# Whatever a folder holds under the transcript's name is replaced by a plain
# file, never written through: a link to a file elsewhere (symbolic or hard,
# writable or not) or a dangling one.
outside=$work/outside.txt
for link in symbolic hard dangling read-only-target; do
  fresh "link-$link"
  printf 'not to be touched\n' >"$outside"
  chmod 644 "$outside"
  case $link in
    symbolic) ln -s "$outside" "$dir/ogllist.txt" ;;
    hard) ln "$outside" "$dir/ogllist.txt" ;;
    dangling) ln -s "$work/nowhere/ogllist.txt" "$dir/ogllist.txt" ;;
    read-only-target) chmod 444 "$outside" && ln -s "$outside" "$dir/ogllist.txt" ;;
  esac
  shoot -- || fail "ogllist.txt as a $link link: exit code $rc"
  [[ $(cat "$outside") == "not to be touched" && ! -e $work/nowhere ]] ||
    fail "ogllist.txt as a $link link: the file it named was written"
  [[ -f $dir/ogllist.txt && ! -L $dir/ogllist.txt && $(stat -c %h "$dir/ogllist.txt") == 1 ]] ||
    fail "ogllist.txt as a $link link: it is not a plain file of its own afterwards"
  cmp -s "$dir/ogllist.txt" "$work/normal-ogllist.txt" || fail "ogllist.txt as a $link link: wrong transcript"
  picture_is normal || fail "ogllist.txt as a $link link: the picture differs from the normal run's"
  [[ ! -s $work/$case.err ]] || fail "ogllist.txt as a $link link: messages on standard error"
  pass "ogllist.txt as a $link link: replaced by the transcript, the linked file untouched"
done

# expect_bitmap_lines WHAT NAME MESSAGE: NAME, the last line of textures.txt,
# is named with the loader's MESSAGE, then as the first error of the summary.
expect_bitmap_lines() {
  local line
  line=$(wc -l <"$dir/textures.txt")
  [[ $(wc -l <"$work/$case.err") == 2 &&
    $(head -n1 "$work/$case.err") == "morvane-snapshot: textures.txt:$line: '$2' not loaded: $3" ]] &&
    grep -q "^morvane-snapshot: 1 error, at textures.txt:$line: bitmap \"$2\" cannot be loaded: $3; " \
      "$work/$case.err" || fail "$1: standard error does not name the bitmap, then sum it up"
}

# bad_texture WHAT NAME [RUNNER...]: NAME (already made in $dir) as a new last
# line of textures.txt gives the open-failure message and the normal picture.
bad_texture() {
  local what=$1 name=$2
  shift 2
  printf '%s\n' "$name" >>"$dir/textures.txt"
  shoot "$@" -- || fail "$what: exit code $rc"
  expect_bitmap_lines "$what" "$name" "Failed to open DIB file $name."
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

fresh texture-empty
: >"$dir/empty.bmp"
bad_texture "an empty bitmap named in textures.txt" empty.bmp

# A file larger than any bitmap can be (sparse, so it takes no disk) is
# refused before its size is allocated, as any bitmap too large to hold.
fresh texture-huge
truncate -s 1T "$dir/huge.bmp"
printf '%s\n' huge.bmp >>"$dir/textures.txt"
shoot -- || fail "a 1 TB bitmap: exit code $rc"
expect_bitmap_lines "a 1 TB bitmap" huge.bmp "Out of memory."
picture_is normal || fail "a 1 TB bitmap: the picture differs from the normal run's"
pass "a 1 TB bitmap named in textures.txt: 'Out of memory.' and the scene drawn as normal"

fresh texture-unreadable
cp "$dir/checker.bmp" "$dir/locked.bmp"
chmod 000 "$dir/locked.bmp"
if $can_drop_override; then
  bad_texture "an unreadable bitmap named in textures.txt" locked.bmp "${without_override[@]}"
else
  skip "an unreadable bitmap: permission bits cannot bind this process"
fi

# --- A full disk ------------------------------------------------------------------

fresh parse-log-on-full-device
rc=0
timeout 60 "$snapshot" --frames "$frames" --output "$work/$case.png" "$dir" >/dev/full \
  2>"$work/$case.err" || rc=$?
((rc == 0)) || fail "the parse log on /dev/full: exit code $rc"
picture_is normal || fail "the parse log on /dev/full: the picture differs from the normal run's"
cmp -s "$dir/ogllist.txt" "$work/normal-ogllist.txt" || fail "the parse log on /dev/full: the transcript differs"
pass "the parse log on a full device: exit code 0, the normal picture and transcript"

# A folder on a nearly full file system: one page is left, and the transcript
# needs more. The earlier transcript stays whole, nothing half-written is left.
fresh nearly-full-disk
printf 'an earlier transcript\n' >"$dir/ogllist.txt"
if (($(stat -c %s "$work/normal-ogllist.txt") > 4096)) && $can_mount; then
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
    ls -A "$dir" >"$out.files"
    cp "$dir/ogllist.txt" "$out-ogllist.txt"
    exit $status' _ "$dir" "$snapshot" "$frames" "$work/$case" || rc=$?
  expect_drawn_without_transcript "a nearly full disk"
  [[ $(cat "$work/$case-ogllist.txt") == "an earlier transcript" ]] ||
    fail "a nearly full disk: the earlier transcript was not kept whole"
  [[ $(grep -vc -e '^filler$' -e '\.bmp$' -e '^[a-z]*\.txt$' "$work/$case.files") == 0 ]] ||
    fail "a nearly full disk: a half-written file was left behind"
  pass "a nearly full disk: the earlier transcript is kept whole"
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
