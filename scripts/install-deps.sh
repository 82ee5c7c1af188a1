#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tool, the tests and the benchmarks need.
# Quiet and quick when everything is already present.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libssl-dev libgmp-dev libcrypto++-dev librhash-dev
  clang libclang-rt-14-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk
  xvfb xauth twm xfonts-base desktop-file-utils
  valgrind time
  libcli11-dev
  doxygen
  openssl python3
  g++-aarch64-linux-gnu
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
