#!/usr/bin/env bash
# Installs what is missing, builds the library and the comparison tool, and starts the tool.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tessarin
exec build/app/tessarin
