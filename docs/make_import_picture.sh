#!/usr/bin/env bash
# Makes docs/import.png, the README's picture of an imported model: the ringed
# planet of examples/planet (OBJ with MTL, written by examples/make_planet.sh),
# imported with morvane-import and drawn by morvane-snapshot.
#
#   docs/make_import_picture.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/tools/morvane-import" --spin 3 examples/planet/planet.obj "$work/planet"
"$build/tools/morvane-snapshot" --frames 60 --output "$PWD/docs/import.png" "$work/planet" >/dev/null
ls -l docs/import.png
