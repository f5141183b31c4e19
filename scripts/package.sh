#!/usr/bin/env bash
# Builds the Debian package of Morvane with CPack from this checkout: installs
# what the build needs, builds Release (no tests, no benchmarks) in a build
# folder of its own with Debian's compiler and linker flags, packs it, and
# prints the .deb's path as its last line.
#   package.sh [BUILD_DIR]    (default: build-package)
# Install it with: apt-get install ./build-package/morvane_VERSION_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}

./scripts/install-deps.sh

# Debian's hardening (stack protector, fortified functions, read-only
# relocations, bind-now); CMake reads CXXFLAGS and LDFLAGS from the
# environment on a first configure, and the preprocessor's flags go with
# the compiler's.
eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
export CXXFLAGS="${CPPFLAGS:-} ${CXXFLAGS:-}"

# A fresh configure each time, so that the flags above always apply.
cmake --fresh -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
# A package left by an earlier version would be taken for this one.
rm -f "$build"/morvane_*.deb
(cd "$build" && cpack -G DEB >/dev/null)

shopt -s nullglob
packages=("$build"/morvane_*.deb)
if ((${#packages[@]} != 1)); then
  echo "package.sh: expected one morvane_*.deb in $build, found ${#packages[@]}" >&2
  exit 1
fi
realpath "${packages[0]}"
