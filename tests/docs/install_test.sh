#!/usr/bin/env bash
# cmake --install puts the programs, the man pages and the demo where a user
# looks for them, and the installed programs run from there.
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
for program in morvane morvane-snapshot morvane-check morvane-import; do
  [[ -x $prefix/bin/$program ]] || { echo "missing bin/$program"; exit 1; }
  [[ -f $prefix/share/man/man1/$program.1 ]] || { echo "missing man page $program.1"; exit 1; }
done
for file in textures.txt objects.txt scene.txt; do
  [[ -f $prefix/share/morvane/demo/$file ]] || { echo "missing demo $file"; exit 1; }
done
"$prefix/bin/morvane-check" --version | grep -q '^morvane-check '
"$prefix/bin/morvane-check" "$prefix/share/morvane/demo" >/dev/null
"$prefix/bin/morvane-import" --version | grep -q '^morvane-import '
"$prefix/bin/morvane" --version | grep -q '^morvane '
"$prefix/bin/morvane" --help | grep -q '^usage: morvane'
status=0; "$prefix/bin/morvane" --no-such-option 2>/dev/null || status=$?
[[ $status == 2 ]] || { echo "an unknown option gives exit status $status, not 2"; exit 1; }

# The installed demo belongs to root and cannot take ogllist.txt; it still shows.
demo=$prefix/share/morvane/demo
chmod -R a-w "$demo"
run=(); ((EUID == 0)) && run=(setpriv "--bounding-set=-dac_override,-dac_read_search" --)
"${run[@]}" "$prefix/bin/morvane-snapshot" --output "$prefix/demo.png" "$demo" >/dev/null 2>"$prefix/err"
mkdir "$prefix/empty"
"$prefix/bin/morvane-snapshot" --output "$prefix/black.png" "$prefix/empty" >/dev/null 2>&1
! cmp -s "$prefix/demo.png" "$prefix/black.png" || { echo "the read-only demo shows black"; exit 1; }
[[ ! -e $demo/ogllist.txt && $(wc -l <"$prefix/err") == 1 ]] ||
  { echo "the read-only demo does not say in one line why ogllist.txt is missing"; exit 1; }
chmod -R u+w "$prefix"
