#!/usr/bin/env bash
# Installs what the programs need, builds them (no tests, no benchmarks) and
# opens the viewer on a copy of the bundled demo scene. Without a display it
# renders the demo to a PNG instead and says where.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMORVANE_BUILD_TESTS=OFF -DMORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build build -j "$(nproc)" --target morvane morvane-snapshot morvane-check

run_dir=$(mktemp -d)
cp -r examples/demo/. "$run_dir"
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  exec build/app/morvane "$run_dir"
fi
build/tools/morvane-snapshot --frames 100 --output "$run_dir/demo.png" "$run_dir" >/dev/null
echo "No display here, so the demo was rendered to a picture instead: $run_dir/demo.png"
