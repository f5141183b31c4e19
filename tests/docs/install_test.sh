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
  [[ -f $prefix/share/man/man1/$program.1.gz ]] || { echo "missing man page $program.1.gz"; exit 1; }
done
for file in textures.txt objects.txt scene.txt; do
  [[ -f $prefix/share/morvane/demo/$file ]] || { echo "missing demo $file"; exit 1; }
done
"$prefix/bin/morvane-check" --version | grep -q '^morvane-check '
"$prefix/bin/morvane-check" "$prefix/share/morvane/demo" >/dev/null
"$prefix/bin/morvane-import" --version | grep -q '^morvane-import '
# The installed programs find the model reader where it was installed.
"$prefix/bin/morvane-import" --list-formats | grep -qx obj ||
  { echo "the installed morvane-import finds no model reader"; exit 1; }
"$prefix/bin/morvane" --version | grep -q '^morvane '
"$prefix/bin/morvane" --help | grep -q '^usage: morvane'
status=0; "$prefix/bin/morvane" --no-such-option 2>/dev/null || status=$?
[[ $status == 2 ]] || { echo "an unknown option gives exit status $status, not 2"; exit 1; }

# The demo drawn from a read-only folder is a case of fault_injection.sh.
