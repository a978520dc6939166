#!/usr/bin/env bash
# Builds the Debian package of the trainer: installs what is missing, makes a Release build of
# the program alone and packs it with CPack. The package lands in the build folder
# (build/package unless VELTRANE_PACKAGE_DIR names another); its path is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build=${VELTRANE_PACKAGE_DIR:-build/package}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DVELTRANE_BUILD_TESTS=OFF -DVELTRANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
# CPack names the package it wrote on a line "CPack: - package: <path> generated."
(cd "$build" && cpack -G DEB) | sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
