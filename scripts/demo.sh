#!/usr/bin/env bash
# Installs what the programs need, builds the four programs (no tests, no
# benchmarks) and opens the viewer on a copy of the bundled demo scene. Without
# a display it renders the demo to a PNG instead and says where. It ends by
# saying how to run the programs.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
# The tests' and benchmarks' switches are left as they are: after
# scripts/test-all.sh this build keeps its tests.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j "$(nproc)" --target morvane morvane-snapshot morvane-check morvane-import

run_dir=$(mktemp -d)
cp -r examples/demo/. "$run_dir"
rm -rf "$run_dir/ogllist.txt"
status=0
if [[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]]; then
  build/app/morvane "$run_dir" || status=$?
else
  build/tools/morvane-snapshot --frames 100 --output "$run_dir/demo.png" "$run_dir" >/dev/null ||
    status=$?
  ((status != 0)) ||
    echo "No display here, so the demo was rendered to a picture instead: $run_dir/demo.png"
fi
cat <<'TEXT'

The four programs are built: build/app/morvane, build/tools/morvane-snapshot,
build/tools/morvane-check and build/tools/morvane-import. Run them from there,
or install them with their man pages to run them by name (as root; the
default prefix is /usr/local):

    cmake --install build
TEXT
exit "$status"
