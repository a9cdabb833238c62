#!/bin/bash
# The Win32 canvas's off-screen drawing reaches the target even when no off-screen bitmap can be
# created (canvas_offscreen.exe checks the pixels).
# Usage: canvas_offscreen.sh BIN_DIR (the x86_64 Windows build's bin folder)
set -euo pipefail

bin=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/../.." && pwd)
source "$repo/tests/e2e/e2e_lib.sh"

prefix="$bin/../e2e/canvas_offscreen/prefix"
zor_new_prefix "$prefix"
export WINEPREFIX="$prefix"
zor_wine_session
out=$(wine "$bin/fixtures/canvas_offscreen.exe" | tr -d '\r')
echo "$out"
[ "$out" = "PASS" ] || fail "canvas_offscreen.exe said '$out'"
