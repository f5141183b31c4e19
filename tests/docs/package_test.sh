#!/usr/bin/env bash
# scripts/package.sh builds a Debian package that holds what a desktop user
# needs (programs, man pages, demo, desktop entry, icons, metainfo,
# completions), whose programs run and report the package's version, and
# that Debian's own checkers accept.
#   package_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail
source_dir=$1 work=$2
rm -rf "$work" && mkdir -p "$work"
fail() { echo "package: $*"; exit 1; }

if ! "$source_dir/scripts/package.sh" "$work/build" >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  fail "scripts/package.sh failed"
fi
deb=$(tail -n 1 "$work/package.log")
[[ -f $deb ]] || fail "the last line of scripts/package.sh is not a package: $deb"

# Every path the package holds, without the leading "./".
dpkg-deb --contents "$deb" | awk '{ print $6 }' | sed 's|^\./||' >"$work/contents"
expect() {
  grep -qxE "$1" "$work/contents" || fail "no file matching $1 in $(basename "$deb")"
}
for program in morvane morvane-snapshot morvane-check morvane-import; do
  expect "usr/bin/$program"
  expect "usr/share/man/man1/$program\.1\.gz"
  expect "usr/share/bash-completion/completions/$program"
  expect "usr/share/fish/vendor_completions\.d/$program\.fish"
done
# The model library is loaded by a program of its own, which the others find there.
expect 'usr/libexec/morvane/morvane-model-reader'
expect 'usr/share/fish/vendor_functions\.d/__morvane_paths\.fish'
expect 'usr/share/zsh/vendor-completions/_morvane'
for file in textures.txt objects.txt scene.txt; do
  expect "usr/share/morvane/demo/$file"
done
expect 'usr/share/doc/morvane/changelog\.Debian\.gz'
expect 'usr/share/doc/morvane/copyright'
expect 'usr/share/applications/[^/]+\.desktop'
expect 'usr/share/metainfo/[^/]+\.metainfo\.xml'
expect 'usr/share/icons/hicolor/scalable/apps/morvane\.svg'
expect 'usr/share/thumbnailers/morvane\.thumbnailer'
for size in 32 48 64 128 256; do
  expect "usr/share/icons/hicolor/${size}x$size/apps/morvane\.png"
done
if grep -vE '^usr/' "$work/contents"; then fail "files outside /usr"; fi

# Depends comes from the programs' libraries, not from a list kept by hand.
depends=$(dpkg-deb --field "$deb" Depends)
for library in libsdl2-2.0-0 libassimp5 libpng16-16 libegl1; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root=$work/root
dpkg-deb --extract "$deb" "$root"
desktop=$(echo "$root"/usr/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $(basename "$desktop")"
grep -qx 'Exec=morvane %f' "$desktop" || fail "the desktop entry does not open a file with morvane"
# File managers show thumbnails of the very types the viewer opens, drawn by
# the installed program from the Exec line as they run it: no display.
thumbnailer=$root/usr/share/thumbnailers/morvane.thumbnailer
[[ $(grep '^MimeType=' "$thumbnailer") == "$(grep '^MimeType=' "$desktop")" ]] ||
  fail "the thumbnailer's MimeType is not the desktop entry's"
read -ra exec_words < <(sed -n 's/^Exec=//p' "$thumbnailer")
for i in "${!exec_words[@]}"; do
  case ${exec_words[i]} in
    %s) exec_words[i]=128 ;;
    %i) exec_words[i]=$source_dir/tests/data/import/turned_cube.obj ;;
    %o) exec_words[i]=$work/thumbnail.png ;;
  esac
done
mkdir -p "$work/cache"
PATH=$root/usr/bin:$PATH XDG_CACHE_HOME=$work/cache env -u DISPLAY -u WAYLAND_DISPLAY \
  "${exec_words[@]}" || fail "the thumbnailer's Exec line fails: ${exec_words[*]}"
# A PNG signature, then the header: 128 x 128, 8 bits, RGBA (colour type 6).
header=$(head -c 26 "$work/thumbnail.png" | od -An -tx1 | tr -d ' \n')
[[ $header == 89504e470d0a1a0a0000000d4948445200000080000000800806 ]] ||
  fail "the thumbnail is not a 128 x 128 RGBA PNG: $header"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml >"$work/appstream.log" ||
  { cat "$work/appstream.log"; fail "appstreamcli rejects the metainfo"; }
# The metainfo's desktop entry and icon are found where it says they are.
appstreamcli validate-tree --no-net "$root" >"$work/appstream-tree.log" ||
  { cat "$work/appstream-tree.log"; fail "appstreamcli rejects the installed tree"; }

# One version everywhere: the package's, the changelog's and the programs'.
version=$(dpkg-deb --field "$deb" Version)
zcat "$root/usr/share/doc/morvane/changelog.Debian.gz" >"$work/changelog"
changelog_version=$(dpkg-parsechangelog --file "$work/changelog" --show-field Version)
[[ $changelog_version == "$version" ]] ||
  fail "the changelog's version $changelog_version is not the package's $version"
for program in morvane morvane-snapshot morvane-check morvane-import; do
  reported=$("$root/usr/bin/$program" --version)
  [[ $reported == "$program ${version%-*}" ]] ||
    fail "$program --version says '$reported' in package version $version"
done
"$root/usr/bin/morvane-check" "$root/usr/share/morvane/demo" >/dev/null ||
  fail "morvane-check finds errors in the installed demo"

# Errors and warnings fail; the package has none (what it has at the
# information level is known).
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
  cat "$work/lintian.log"
  fail "lintian reports errors or warnings"
fi
echo "package: $(basename "$deb") holds what it should and passes its checks"
