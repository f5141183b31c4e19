#!/usr/bin/env bash
# Installs what is missing, builds Morvane and opens the viewer on the bundled
# demo scene. Without a display it renders the demo to a PNG instead.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"

if [[ ! -x build/app/morvane ]]; then
  echo "Built the libraries and tests; the viewer program is not part of this version yet."
  exit 0
fi
run_dir=$(mktemp -d)
cp -r examples/demo/. "$run_dir"
cd "$run_dir"
if [[ -n "${DISPLAY:-}" ]]; then
  exec "$OLDPWD/build/app/morvane"
fi
echo "No display: rendering the demo with morvane-snapshot to $run_dir/demo.png instead."
"$OLDPWD/build/tools/morvane-snapshot" --frames 100 --output "$run_dir/demo.png" . >/dev/null
