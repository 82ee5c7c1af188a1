#!/usr/bin/env bash
# Installs what is missing, builds the library and the comparison tool, and starts the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build
if [ -x build/app/tessarin ]; then
  exec build/app/tessarin
fi
echo "Built build/libzeltavine_crypto.so; the comparison tool is not part of this build yet."
