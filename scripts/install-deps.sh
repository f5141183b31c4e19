#!/usr/bin/env bash
# Installs the Debian packages Morvane needs, skipping those already present.
# Run as root on Debian 12.
#   install-deps.sh          what the programs need to build, run and package
#   install-deps.sh --tests  that, and what the tests, benchmarks and fuzzers need
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  libgl1-mesa-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libsdl2-dev libx11-dev libpng-dev libassimp-dev libstb-dev
  # The viewer's message boxes draw their text with the X server's core fonts.
  xfonts-base
  # scripts/package.sh: Debian's build flags and CPack's dependency scan
  # (dpkg-buildflags, dpkg-shlibdeps, file).
  dpkg-dev file
)
if [[ ${1:-} == --tests ]]; then
  packages+=(
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev clang-format shellcheck git
    xvfb xdotool x11-utils man-db
    assimp-testmodels hyperfine jq rsync python3
    # The package's checks: its validators and the shells of its completions.
    lintian desktop-file-utils appstream zsh fish
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
