#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors, and runs every test.
#   scripts/test.sh            release build in build/, then the aarch64 cross build of the library
#   scripts/test.sh --sanitize ASan+UBSan build in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build_dir=build
options=(-DZLC_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
  build_dir=build-asan
  options=(-DZLC_WERROR=ON -DZLC_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DZLC_BUILD_BENCH=OFF)
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fi
cmake -S . -B "$build_dir" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build_dir"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
if [ "$build_dir" = build ]; then
  ./scripts/cross-build.sh "$build_dir"
fi
