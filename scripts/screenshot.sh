#!/usr/bin/env bash
# Builds the tool and saves a screenshot of its window after a SHA-512 comparison, taken on a
# virtual X server with a plain window manager so that title bars show.
#   scripts/screenshot.sh [out.png]     default: build/tessarin-sha512.png
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
out=$(realpath -m "${1:-build/tessarin-sha512.png}")
cmake -S . -B build -G Ninja -DZLC_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tessarin_screenshot
rc=$(mktemp)
trap 'rm -f "$rc"' EXIT
# Windows placed without asking, dialogs framed too, every font one the server has.
cat >"$rc" <<'TWMRC'
RandomPlacement
NoGrabServer
DecorateTransients
TitleFont "fixed"
ResizeFont "fixed"
MenuFont "fixed"
IconFont "fixed"
IconManagerFont "fixed"
TWMRC
xvfb-run -a -s "-screen 0 1024x640x24" \
  sh -c "LC_ALL=C twm -f '$rc' 2>/dev/null & sleep 1; QT_QPA_PLATFORM=xcb ./build/tests/app/tessarin_screenshot '$out'"
echo "saved $out"
