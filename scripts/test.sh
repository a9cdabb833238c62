#!/usr/bin/env bash
# Builds everything (Linux with sanitizers, 32-bit and 64-bit Windows) and runs every test: the
# native unit tests, then the Windows end-to-end tests under Wine and a virtual X display.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

jobs=$(nproc)
for preset in native win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

ctest --test-dir build/native --output-on-failure -j "$jobs"
ctest --test-dir build/win32 --output-on-failure
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build/win64 --output-on-failure
