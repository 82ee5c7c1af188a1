#!/usr/bin/env bash
# Builds the library for aarch64 with Debian's cross compiler (the portable paths alone) and checks
# that it exports the same functions as the native build. The signing tool cannot run there, so
# that library stays unsigned.
#   scripts/cross-build.sh NATIVE_BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:?native build directory}
out=build-aarch64
options=(-DCMAKE_SYSTEM_NAME=Linux -DCMAKE_SYSTEM_PROCESSOR=aarch64
         -DCMAKE_C_COMPILER=aarch64-linux-gnu-gcc -DCMAKE_CXX_COMPILER=aarch64-linux-gnu-g++
         -DZLC_BUILD_TESTS=OFF -DZLC_BUILD_APP=OFF -DZLC_BUILD_BENCH=OFF -DZLC_SIGN_MODULE=OFF
         -DZLC_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$out" -G Ninja "${options[@]}" >/dev/null
cmake --build "$out" --target zeltavine_crypto
exported_functions() {
  "$1" -D --defined-only --format=posix "$2" | awk '$2 ~ /^[TtWw]$/ && $1 !~ /^_(init|fini)$/ {print $1}' | sort
}
native_list=$(exported_functions nm "$native/libzeltavine_crypto.so")
cross_list=$(exported_functions aarch64-linux-gnu-nm "$out/libzeltavine_crypto.so")
if [ "$native_list" != "$cross_list" ]; then
  echo "aarch64 and native exports differ:"
  diff <(echo "$native_list") <(echo "$cross_list") || true
  exit 1
fi
echo "aarch64 build exports the same $(echo "$native_list" | wc -l) functions as the native build"
